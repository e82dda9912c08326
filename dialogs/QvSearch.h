#pragma once
// Quick find: TqvSearchDialog finds a text in one column of a data grid and moves the grid's record
// cursor to the first record whose shown value matches, forward or backward, from the cursor or from
// the beginning. TfrmSearchDlg is its form, made for each run; TQvUserIntl replaces its texts.
//
// A record being edited is never posted by a search: the search refuses to run until it is saved or
// cancelled.
#include <memory>

#include "classlib/controls/button.h"
#include "classlib/controls/forms.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/dbctrls/wwdbctrls.h"
#include "classlib/dbctrls/wwdbgrid.h"
#include "components/QVCheckBox.h"
#include "components/QvRadioButton.h"

class TqvSearchDialog;
class TfrmSearchDlg;

class ESearchError : public Exception {
public:
    using Exception::Exception;
};

KVR_ENUM(TSearchDirection, sdForward, sdBackward);
KVR_ENUM(TSearchSortFields, sfSortByFieldName, sfSortByFieldNo);
// Scoped: the stream seek origin of the class library already has a soFromBeginning.
enum class TSearchOrigin { soFromCursor, soFromBeginning };
KVR_ENUM_INFO(TSearchOrigin, soFromCursor, soFromBeginning);

using TQvAfterExecuteEvent = TDelegate<void(TObject* dialog, bool& found)>;
using TQvOnInitSearchDlgEvent = TNotifyEvent;
using TQvSelectFieldEvent =
    TDelegate<void(TObject* dialog, const AnsiString& fieldName, const AnsiString& displayLabel)>;

class TQvUserMessages : public TPersistent {
    KVR_CLASS(TQvUserMessages, TPersistent)
public:
    TQvUserMessages();
    void Assign(TPersistent* source) override;
    AnsiString NotActive = "DataSource does not reference an active DataSet";
    AnsiString SearchedTextBlank = "The search string cannot be blank.";
    AnsiString SearchedTextNotFound = "Search string \"%s\" not found";
    AnsiString Editing = "Save or cancel the record being edited first.";
};

class TQvUserDialogInfo : public TPersistent {
    KVR_CLASS(TQvUserDialogInfo, TPersistent)
public:
    TQvUserDialogInfo() = default;
    void Assign(TPersistent* source) override;
    AnsiString BtnClose = "Cl&ose";
    AnsiString BtnNext = "&Next";
    AnsiString ChkCaseSentitive = "&Case sentitive";
    AnsiString ChkWholeWords = "&Whole words only";
    AnsiString GrpDirection = "Direction";
    AnsiString GrpFields = "&Search Field";
    AnsiString GrpOptions = "Options";
    AnsiString GrpOrigin = "Origin";
    AnsiString LblSearchText = "&Text to find";
    AnsiString RbBackward = "&Backward";
    AnsiString RbForward = "Forwar&d";
    AnsiString RbFromCursor = "&From cursor";
    AnsiString RbFromBeginning = "From b&eginning";
};

class TQvUserIntl : public TComponent {
    KVR_CLASS(TQvUserIntl, TComponent)
public:
    explicit TQvUserIntl(TComponent* owner);
    void Assign(TPersistent* source) override;
    TFont* DialogFont() const { return FDialogFont.get(); }
    void SetDialogFont(const TFont* value) { FDialogFont->Assign(const_cast<TFont*>(value)); }
    TQvUserMessages* UserMessages() const { return FUserMessages.get(); }
    void SetUserMessages(TQvUserMessages* value) { FUserMessages->Assign(value); }
    TQvUserDialogInfo* UserDialogInfo() const { return FUserDialogInfo.get(); }
    void SetUserDialogInfo(TQvUserDialogInfo* value) { FUserDialogInfo->Assign(value); }

private:
    std::unique_ptr<TFont> FDialogFont;
    std::unique_ptr<TQvUserMessages> FUserMessages;
    std::unique_ptr<TQvUserDialogInfo> FUserDialogInfo;
};

class TqvSearchDialog : public TwwCustomDialog {
    KVR_CLASS(TqvSearchDialog, TwwCustomDialog)
public:
    explicit TqvSearchDialog(TComponent* owner);
    ~TqvSearchDialog() override;

    AnsiString Caption = "Search text";
    bool CaseSensitive = false;
    TSearchDirection Direction = sdForward;
    TwwDBGrid* SearchGrid = nullptr;
    bool ShowMessages = true;
    TSearchSortFields SortFields = sfSortByFieldName;
    TSearchOrigin Origin = TSearchOrigin::soFromCursor;
    bool WholeWordsOnly = false;
    TQvAfterExecuteEvent AfterSearch;
    TQvOnInitSearchDlgEvent BeforeSearch;
    TQvOnInitSearchDlgEvent OnInitDialog;
    TQvSelectFieldEvent OnSelectField;

    TQvUserIntl* UserIntl() const { return FUserIntl; }
    void SetUserIntl(TQvUserIntl* value) { FUserIntl = value; }
    // The messages in use: those of UserIntl when set, else its own.
    TQvUserMessages* Messages() const;
    const AnsiString& LastText() const { return FLastText; }
    TfrmSearchDlg* Form() const { return FForm; }

    // Virtual operations, in slot order.
    bool Execute() override;
    virtual TDataSet* GetSearchDataSet() const;
    virtual void DoInitDialog();
    // True when the search data set is active and not being edited; else ESearchError.
    virtual bool CheckDataSetActive();

    // One search over the field's shown texts; true with the cursor on the match, false with the cursor
    // back where it was.
    bool Search(const AnsiString& fieldName, const AnsiString& text, bool fromBeginning, bool backward,
                bool wholeWords, bool caseSensitive);

    void Notification(TComponent* component, TOperation operation) override;

private:
    std::unique_ptr<TQvUserMessages> FMessages;
    TQvUserIntl* FUserIntl = nullptr;
    AnsiString FLastText;
    TfrmSearchDlg* FForm = nullptr;
};

class TfrmSearchDlg : public TForm {
    KVR_CLASS(TfrmSearchDlg, TForm)
public:
    explicit TfrmSearchDlg(TComponent* owner, bool load = true);
    ~TfrmSearchDlg() override;

    TLabel* lblText = nullptr;
    TComboBox* cbbText = nullptr;
    TButton* btnNext = nullptr;
    TButton* btnClose = nullptr;
    TGroupBox* grpOptions = nullptr;
    TQVCheckBox* chkCase = nullptr;
    TQVCheckBox* chkWholeWords = nullptr;
    TGroupBox* grpFields = nullptr;
    TComboBox* cbbFields = nullptr;
    TGroupBox* grpDirection = nullptr;
    TQvRadioButton* rbForward = nullptr;
    TQvRadioButton* rbBackward = nullptr;
    TGroupBox* grpOrigin = nullptr;
    TQvRadioButton* rbCursor = nullptr;
    TQvRadioButton* rbBeginning = nullptr;

    TqvSearchDialog* SearchDialog = nullptr;
    TwwDBGrid* Grid = nullptr;
    TStringList* FieldNames() const { return FFieldNames.get(); }

    void FormCreate(TObject* sender);
    void FormDestroy(TObject* sender);
    void FormShow(TObject* sender);
    void FormActivate(TObject* sender);
    void cbbTextKeyPress(TObject* sender, char& key);
    void btnNextClick(TObject* sender);
    void btnCloseClick(TObject* sender);
    void cbbFieldsChange(TObject* sender);
    void rbBeginningClick(TObject* sender);

private:
    std::unique_ptr<TStringList> FFieldNames;
};

// A document form's quick find over grid: its dialog (made once, named qvSearchDialog1, with the texts
// of QvUserIntl1, in dialogFont when given) bound to the grid and run; the form's messages report a
// blank text and a miss.
class TfrmRadical;
void RunBaseFormQuickFind(TfrmRadical* form, TwwDBGrid* grid, TFont* dialogFont);
