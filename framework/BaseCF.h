#pragma once
// TfrmBase: the base document form. It owns the command surface every document program shares (tool
// bar, main menu, keys), the edit state (browse, edit, insert) with its status-bar texts, the user's
// rights and the host's operation mask applied to the commands, the required-field check, the field
// restrictions by rights and by the system setting SYS024, quick find's entry point and the close
// query. The record operations are virtual: the base behaviour is here, the descendants override it
// (SaveRecord has none here: a descendant saves).
//
// A program's form declares its stream ("inherited frmX: TfrmX ... end") over this one's and its data
// module class, which derives from TdmBase:
//
//     class TfrmX : public TfrmBase {
//         KVR_CLASS(TfrmX, TfrmBase)
//     public:
//         explicit TfrmX(TComponent* owner, bool load = true) : TfrmBase(owner, false) {
//             if (load) InitInheritedComponent(this);
//         }
//         TClass DataModuleClass() override { return TdmX::StaticClass(); }
//         bool SaveRecord() override;
//         void FormCreate(TObject* sender) {        // published as "FormCreate"
//             CreateDataModule();
//             TfrmBase::FormCreate(sender);
//         }
//     };
#include <memory>

#include "classlib/controls/comctrls.h"
#include "classlib/controls/menus.h"
#include "foundation/MT_Doc.h"
#include "framework/BaseCD.h"
#include "framework/RadicalCF.h"

// Posted to the form: a focus move that a data module's check left pending (ViewCheckRecord).
constexpr Cardinal WM_PENDINGFOCUS = 0x40E;

class TfrmBase : public TfrmRadical, public TBaseView {
    KVR_CLASS(TfrmBase, TfrmRadical)
    KVR_MESSAGES(TfrmBase)
public:
    explicit TfrmBase(TComponent* owner, bool load = true);
    ~TfrmBase() override;

    // Components of the stream.
    TMainMenu* MainMenu = nullptr;
    TImageList* ImageList1 = nullptr;
    TToolBar* ToolBar1 = nullptr;
    TToolButton* btnAdd = nullptr;
    TToolButton* btnQuery = nullptr;
    TToolButton* btnEdit = nullptr;
    TToolButton* btnDelete = nullptr;
    TToolButton* btnPrint = nullptr;
    TToolButton* ToolButton6 = nullptr;
    TToolButton* btnFirst = nullptr;
    TToolButton* btnPrior = nullptr;
    TToolButton* btnNext = nullptr;
    TToolButton* btnLast = nullptr;
    TToolButton* btnReFresh = nullptr;
    TToolButton* ToolButton12 = nullptr;
    TMenuItem* MenuItem1 = nullptr;
    TMenuItem* miAdd = nullptr;
    TMenuItem* miQuery = nullptr;
    TMenuItem* miEdit = nullptr;
    TMenuItem* miDelete = nullptr;
    TMenuItem* miViewItem = nullptr;
    TMenuItem* shit = nullptr;
    TMenuItem* miFirst = nullptr;
    TMenuItem* miPrior = nullptr;
    TMenuItem* miNext = nullptr;
    TMenuItem* miLast = nullptr;
    TMenuItem* N9 = nullptr;
    TMenuItem* NG = nullptr;
    TMenuItem* MenuItem11 = nullptr;
    TMenuItem* miToolBar = nullptr;
    TMenuItem* miManager = nullptr;
    TMenuItem* mnSp = nullptr;
    TMenuItem* mnSearch = nullptr;
    TMenuItem* MenuItem16 = nullptr;
    TMenuItem* miExit = nullptr;
    TStatusBar* Status = nullptr;

    // Fields, in declaration order.
    AnsiString RequiredFields;    // field-list settings format
    AnsiString RestrictedFieldsB; // by rights elements 33 and 35
    AnsiString RestrictedFieldsA; // by rights elements 32 and 34
    AnsiString SettingFieldsA;    // disabled when SYS024 is "1" or "3"
    AnsiString SettingFieldsB;    // disabled when SYS024 is "1" or "2"
    Byte EditState = esBrowse;
    bool CloseAfterSave = false;
    AnsiString LinkedDocFields;
    bool DocLookupByItem = false;
    bool LastSaveFailed = false;
    bool IsFocusPageOne = true;
    bool IsKeepOnAdd = true;
    AnsiString LastWhere;
    AnsiString LastOrder;
    TComponent* QBEForm = nullptr; // the query-by-example dialog, made by the descendants
    // The user-settings document of the company's program, read once (GetFormatDoc).
    std::unique_ptr<TMT_Doc> FormatDoc;
    // The command rights.
    bool CanAdd = false;
    bool CanQuery = false;
    bool CanEdit = false;
    bool CanDelete = false;
    bool CanConfirm = false;
    bool CanUnconfirm = false;
    bool CanPrint = false;
    bool FieldRight32 = false;
    bool FieldRight34 = false;
    bool FieldRight33 = false;
    bool FieldRight35 = false;
    bool CanBatch = false;
    bool Right44 = false;
    bool CanVoid = false;
    bool PreviewMode = false;

    // Virtual operations, in slot order (after TfrmRadical's).
    virtual bool AddRecord(bool interactive);
    virtual bool EditRecord();
    virtual bool DeleteRecord(bool confirm);
    virtual bool QueryRecords();
    virtual bool PrintRecords();
    // The descendants save; here nothing is saved.
    virtual bool SaveRecord();
    virtual bool CancelEdit(bool ask);
    virtual bool ExitForm();
    virtual bool ViewDocument();
    virtual void ApplyRights();
    virtual void ApplyQBECondition();
    virtual bool KeepFailedEdit();
    virtual bool ValidateRecord(TDataSet* dataSet);
    // 1 browse, 2 edit, 3 insert.
    virtual void ShowState(Byte state);
    virtual void RecordChanged(TDataSet* dataSet);
    virtual void SaveGridLayouts();
    virtual void LoadGridLayouts();
    virtual void ColorGridColumns();
    virtual void AdjustCondition(const AnsiString& where, AnsiString& result);
    virtual bool ApplyColorCondition(const AnsiString& where, const AnsiString& order);
    virtual bool RefreshColorRecord();
    virtual void ColorDataChanged();
    // Dynamic operations.
    virtual void SetQueryCondition(TCustomClientDataSet* dataSet, const AnsiString& where,
                                   const AnsiString& order);

    // Overrides of TfrmRadical.
    // F2, F3 and F4 write into the control's field: on a read-only control, and on a field of a
    // document that is only browsed, they end silently (key cleared, silent abort), before a program's
    // own lookup can open (its write lifts read-only).
    void DoF2Key(Word& key, TWinControl* control) override;
    void DoF3Key(Word& key, TWinControl* control) override;
    void DoF4Key(Word& key, TWinControl* control) override;
    void UpdateButtonStates() override;
    void ConnectDataModule() override;
    void ApplyInputSettings() override;
    void ConfigureProgram() override;
    void Reserved() override;
    // Unless the host's mode 12: the user settings; then the saved grid views and the column colours.
    void AfterFormShow() override;
    // The user-settings document applied to the components; its required components join the
    // required fields of cdsMain.
    void ApplyUserSettings() override;
    // In browse state the page's topic (topic + "0000"); else the control's.
    void GetHelpContext(const AnsiString& topic, AnsiString& context) override;
    // The special-character picker into the control's field (LinkedDocFields lists the fields).
    void DoF11Key(Word& key, TWinControl* control) override;

    // The user-settings document, fetched from the server at the first call; an empty one when the
    // server gives none or a text that is no document.
    TMT_Doc* GetFormatDoc();
    // The field settings of the document's element named after the grid, applied to its data set.
    void ApplyGridFormat(TwwDBGrid* grid);
    // The host's character picker into the control's field: the list names, per data set, the fields
    // that take it ("cdsMain=TA013,TA037"); force takes a read-only field too.
    void ShowCharPicker(TWinControl* control, const AnsiString& list, bool force);

    // The data module as the base data module; nil without one.
    TdmBase* BaseModule() const { return dynamic_cast<TdmBase*>(DataModule); }

    void SetEditState(Byte state);
    // The header's data source edits on typing only while the form edits or adds.
    void FollowEditState();
    // Key := 0 and the silent abort when the control is read-only, or when the form browses and the
    // control edits a browsed data set.
    void RefuseFunctionKeyWhileBrowsing(Word& key, TWinControl* control);
    // The state text of panel 0 for ShowState's state (1 browse, 2 edit, 3 insert).
    AnsiString StateText(Byte state) const;
    bool CheckRequired(TDataSet* dataSet, const AnsiString& list);
    // The control takes the focus, the pages it lies on brought forward first. While a data module's
    // check runs, the move waits: the form's command makes it once its post is over (PostRecord), else
    // the message queue does.
    void FocusControl(TWinControl* control);
    // Posts the data set for one of the form's own commands: a focus move its checks left pending is
    // made when the post is over, whether it passed or not.
    void PostRecord(TDataSet* dataSet);
    void ApplyPendingFocus();

    // What the data module asks of the form.
    Byte ViewEditState() override { return EditState; }
    void ViewRecordChanged(TDataSet* dataSet) override { RecordChanged(dataSet); }
    bool ViewCheckRecord(TDataSet* dataSet) override;
    // mode "ReadOnly" or "Disabled".
    void SetFieldsState(const AnsiString& list, const AnsiString& mode);
    void AddRequiredFields(const AnsiString& list);
    void MergeRequiredFields(const AnsiString& list);
    // The comma-list items trimmed, blanks and repeats dropped, in the order of first appearance.
    static AnsiString DedupeCommaList(const AnsiString& list);
    // The Boolean user setting Key of the section (GetUserDefine); def when it cannot be read.
    bool ReadUserDefineFlag(const AnsiString& section, const AnsiString& key, bool def);
    // The components whose Enabled state UpdateButtonStates decides: EX_POWER can take them away,
    // never give them where the state or the rights say no.
    bool IsStateCommand(const TComponent* component) const;

    // Handlers of the stream.
    void FormCreate(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void FormKeyDown(TObject* sender, Word& key, TShiftState shift);
    void FormShow(TObject* sender);
    void FormActivate(TObject* sender);
    void FormCloseQuery(TObject* sender, bool& canClose);
    void miAddClick(TObject* sender);
    void miQueryClick(TObject* sender);
    void miEditClick(TObject* sender);
    void miDeleteClick(TObject* sender);
    void miViewItemClick(TObject* sender);
    void miFirstClick(TObject* sender);
    void miPriorClick(TObject* sender);
    void miNextClick(TObject* sender);
    void miLastClick(TObject* sender);
    void NGClick(TObject* sender);
    void MenuItem11Click(TObject* sender);
    void miToolBarClick(TObject* sender);
    void miManagerClick(TObject* sender);
    void mnSearchClick(TObject* sender);
    void miExitClick(TObject* sender);
    void DateFieldDBComboDlgExit(TObject* sender);

protected:
    // Quick find over the grid (dialogs/QvSearch.h).
    virtual void RunQuickFind(TWinControl* grid);

    void WMPendingFocus(TMessage& message);
    // A pending focus move forgets its control when the control goes.
    void Notification(TComponent* component, TOperation operation) override;

private:
    bool FFocusHeld = false;
    TWinControl* FPendingFocus = nullptr;
    bool IsEditing() const;
    bool HasData() const;
    void ApplyExtraRights();
    TWinControl* ActiveGrid() const;
};

// Table + "." + field, or the field alone for a blank table.
AnsiString QualifyFieldName(const AnsiString& table, const AnsiString& field);
