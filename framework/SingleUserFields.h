#pragma once
// TSingleUserFields: the single-table form's user-defined fields of the header, a helper the form
// owns: their labels (WOQMD), their lookups (F2) as the form's format document sets them, the values
// the server computes for them when a related field changes, and the converted-field list.
#include <functional>

#include "classlib/dbctrls/dbctrls.h"
#include "foundation/MT_Doc.h"
#include "foundation/libUDF.h"

class TfrmSingle;

class TSingleUserFields {
public:
    explicit TSingleUserFields(TfrmSingle& form) : F(form) {}

    // The form\'s operations of the same names come here (TfrmSingle documents them).
    TField* FindMainField(const AnsiString& table, const AnsiString& field);
    TField* FindQualifiedField(const AnsiString& reference);
    void SetupUserFields();
    AnsiString FormatSetting(const AnsiString& componentName, const AnsiString& name);
    // The form's format document, read from the server at the first call; nil without one.
    TMT_Doc* FormatDocument();
    void SetUDFLookupHints();
    void DoF2Key(Word& key, TWinControl* control);
    void OpenUDFLookup(TDataSet* dataSet, TDBEdit* edit);
    // The same lookup for a grid's field, its settings those of the field under the grid's node.
    void OpenUDFLookup(TDataSet* dataSet, TField* field, const AnsiString& gridName);
    std::unique_ptr<TUDFFields> LoadUDFFields(const AnsiString& program, const AnsiString& tag,
                                              const AnsiString& scope);
    std::unique_ptr<TUDFFields> LoadHeaderUDFFields(const AnsiString& program, const AnsiString& tag);
    void RestoreUDFHandlers();
    bool QueryUDFData(TUDFField* item, const TStrings* values, AnsiString& text);
    void UDFFieldChanged(TField* field);
    void FillLinkedUDFValues(const AnsiString& program, const AnsiString& tag, TDataSet* dataSet,
                             const std::vector<AnsiString>& values);
    void CollectEditableFields();
    // The server's value of one user-defined field written into target; the first failure of a walk
    // is said (said tells). A line takes the value only when it differs, put into edit for it.
    void WriteQueried(TUDFField* item, const TStrings* values, TField* target, bool& said, bool line = false);

private:
    // The lookup itself; setting gives an attribute of the field's editor in the format document.
    void RunUDFLookup(TDataSet* dataSet, TField* field,
                      const std::function<AnsiString(const AnsiString&)>& setting);
    TfrmSingle& F;
    int FUDFLabelCount = 0;
    bool FUDFLabelsRead = false;
    Variant FUDFLabels;
};
