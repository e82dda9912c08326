#pragma once
// TfrmCopy: the two-step dialog of the header-plus-body form's copy command. On the first page the
// user types the key of the source document, on the second the key of the new one. Leaving the first
// page reads the source through the owner form's ReadCopySource, which starts the new document; the
// destination edits are data-aware and write straight into its record.
#include "classlib/controls/button.h"
#include "classlib/controls/comctrls.h"
#include "classlib/controls/extctrls.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/dbctrls/dbctrls.h"
#include "components/F2Button.h"
#include "framework/QVForm.h"
#include "framework/RadicalCF.h"

// What the copy dialog asks of the form that runs it: the source document of the key values (one text
// per header key field) read and the new document started; false when it was not. The header-plus-body
// form implements it.
class TCopySource {
public:
    virtual bool ReadCopySource(const Variant& keyValues, Variant& head, Variant& extras, Variant& lines) = 0;

protected:
    ~TCopySource() = default;
};

class TfrmCopy : public TQVForm {
    KVR_CLASS(TfrmCopy, TQVForm)
    KVR_MESSAGES(TfrmCopy)
public:
    static constexpr int MaxKeys = 8;

    explicit TfrmCopy(TComponent* owner, bool load = true);

    TPageControl* PageControl1 = nullptr;
    TTabSheet* tbsSource = nullptr;
    TTabSheet* tbsDest = nullptr;
    TButton* BBOK = nullptr;
    TButton* BBCancel = nullptr;
    TButton* BBPrior = nullptr;

    // Fields.
    Byte AllowEmpty = 0;
    std::vector<Variant> SourceValues, DestValues;
    Variant CopyResult1, CopyResult2, CopyResult3;

    // The i-th (1..8) controls of each page.
    TLabel* SourceLabel(int i) const;
    TEdit* SourceEdit(int i) const;
    TLabel* DestLabel(int i) const;
    TDBEdit* DestEdit(int i) const;
    TF2Button* DestButton(int i) const;
    // Binds and shows one pair per key field (at most eight); false (after the message) when a field
    // is missing from the data set.
    bool SetUp(TDataSet* dataSet, TDataSource* dataSource, const AnsiString& fieldList);

    // Handlers of the stream.
    void FormCreate(TObject* sender);
    void FormKeyDown(TObject* sender, Word& key, TShiftState shift);
    void FormKeyPress(TObject* sender, char& key);
    void BBOKClick(TObject* sender);
    void FormCloseQuery(TObject* sender, bool& canClose);

protected:
    void WMKeyF2(TMessage& message);

private:
    TfrmRadical* OwnerForm() const { return dynamic_cast<TfrmRadical*>(Owner()); }
    TComponent* Numbered(const char* prefix, int i) const;
    // "<label> 不可空白 !" through the converter, as an error.
    void SayEmpty(int i);
    AnsiString ToUI(const AnsiString& text) const;
    AnsiString ToDB(const AnsiString& text) const;
};

// Creates, runs and frees the copy dialog over the owner's header data set: Result1 the line extras,
// Result2 the lines, Result3 the head values; true on OK.
bool ShowCopyDialog(TfrmRadical* owner, TDataSet* dataSet, TDataSource* dataSource, Byte kind,
                    Variant& result1, Variant& result2, Variant& result3, const AnsiString& fieldList);
