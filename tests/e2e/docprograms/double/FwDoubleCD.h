#pragma once
// TdmFwDouble: the data module of the framework's own header-plus-body program FWDBL01, over the demo
// header FWDHD (type DH001, number DH002, date DH003, text DH004, total DH005) and its lines FWDLN
// (DL001, DL002 the header's key, line number DL003, item DL004, quantity DL005, amount DL006). New
// documents are of type 5101, numbered by the server by their date; an item appears once a document.
#include "framework/DoubleCD.h"

class TdmFwDouble : public TdmDouble {
    KVR_CLASS(TdmFwDouble, TdmDouble)
public:
    explicit TdmFwDouble(TComponent* owner, bool load = true);

    TDataSetField* cdsMainqryBody = nullptr;
    // The program's checks of each line: an item once a document, the header's total.
    bool LineChecks = true;

    void SetDefaultValues(TDataSet* dataSet) override;
    void BodyChanged() override;

    // Handlers of the stream.
    void cdsBody1DL004Validate(TField* sender);
};
