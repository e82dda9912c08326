#pragma once
// Language files: captions, hints, list items and message texts of forms and data modules replaced at
// run time from one XML file per class and language ("<folder>\MultiLanguage\CHT\TfrmBase.Lng").
//
// A file's document element applies to the form or data module being read; any element named like a
// component (the first in document order, wherever it stands) applies to that component; each
// attribute is one assignment, its name a property path and its value the text:
//
//     <frmBase Caption="浏览">
//       <cbKind Items_0="全部" Items_1="已确认"/>               line N of a string list
//       <edtName Caption="名称" Font.Name="宋体"/>              an object a property holds
//       <grdMain Columns.Items_2.Title.Caption="金额"/>          an item of a collection
//       <E000123 Msg="找不到单据 %s"/>                           a message (GetLangMessage)
//     </frmBase>
//
// The default texts built into the program are simplified Chinese; a missing file, element or message
// leaves them as they are.
#include <memory>

#include "classlib/objects/component.h"
#include "classlib/objects/stringlist.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/variants.h"
#include "standins/outside/xmldom/xmldom.h"

// Whether a component reads the client's or the server's install folder.
KVR_ENUM(TDesignType, dtClient, dtServer);

KVR_DECLARE_EXCEPTION(LanguageControllerError, Exception)

KVR_EVENT_TYPE(TLoadComponentEvent, void(TComponent* xComponent, const xmldom::NodePtr& xComponentNode));

// "CHS" for "936", "CHT" for "950", "ENG" for "437", else ''.
AnsiString CodePageLangDir(const AnsiString& codePage);
// The install folder + "MultiLanguage\" + the folder of the user-interface code page + "\", by the
// client or the server INI; '' when there is no such folder.
AnsiString GetLangDir(TDesignType designType);
// The Msg attribute of the first element named msgId in the language file of className; defaultText
// when there is none or anything fails. Reads the file at each call; never raises.
AnsiString GetLangMessage(TDesignType designType, const AnsiString& className, const AnsiString& msgId,
                          const AnsiString& defaultText);

// Applies the attributes of one element to one component.
class ILangRead {
public:
    virtual ~ILangRead() = default;
    virtual TComponent* GetComponent() const = 0;
    virtual xmldom::NodePtr GetNode() const = 0;
    virtual void SetComponent(TComponent* value) = 0;
    virtual void SetNode(const xmldom::NodePtr& value) = 0;
    // An integer key selects the attribute by index, a text key by name; other keys do nothing.
    virtual void ApplyAttribute(const Variant& key) = 0;
    virtual void ApplyAllAttributes() = 0;
};
using ILangReadPtr = std::shared_ptr<ILangRead>;

class TComponentRead : public ILangRead {
public:
    TComponentRead(TComponent* component, const xmldom::NodePtr& element);

    TComponent* GetComponent() const override { return FComponent; }
    xmldom::NodePtr GetNode() const override { return FNode; }
    void SetComponent(TComponent* value) override { FComponent = value; }
    void SetNode(const xmldom::NodePtr& value) override { FNode = value; }

    // Walks the attribute's name as a property path from the component and assigns its text; a path
    // that leads nowhere, or a text the property cannot take, changes nothing.
    virtual void ApplyAttributeNode(const xmldom::NodePtr& attribute);
    void ApplyAttribute(const Variant& key) override;
    // Every attribute of the element, in document order.
    void ApplyAllAttributes() override;

protected:
    TComponent* FComponent;
    xmldom::NodePtr FNode;
};

// Combo boxes keep their selection while their items are replaced.
class TCustomComboBoxRead : public TComponentRead {
public:
    using TComponentRead::TComponentRead;
    void ApplyAllAttributes() override;
};

class TwwDBCustomComboBoxRead : public TComponentRead {
public:
    using TComponentRead::TComponentRead;
    void ApplyAllAttributes() override;
};

class TReaderFactory : public TObject {
    KVR_CLASS(TReaderFactory, TObject)
public:
    // The reader for the component's class: the data-aware combo box's, the combo box's, or the plain
    // component reader.
    static ILangReadPtr CreateReader(TComponent* component, const xmldom::NodePtr& element);
};

// Applies a document to a component and everything it owns.
class TLangReader : public TObject {
    KVR_CLASS(TLangReader, TObject)
public:
    explicit TLangReader(const xmldom::DocumentPtr& document);
    ~TLangReader() override;

    virtual void ReadComponent(TComponent* component);

    // A copy of the names of components that are not applied (blanks and letter case do not matter).
    TStrings* ExcludeControls() const { return FExcludeControls; }
    void SetExcludeControls(const TStrings* value); // nil clears

    const TLoadComponentEvent& BeforeLoadComponent() const { return FBeforeLoadComponent; }
    void SetBeforeLoadComponent(const TLoadComponentEvent& value) { FBeforeLoadComponent = value; }
    const TLoadComponentEvent& AfterLoadComponent() const { return FAfterLoadComponent; }
    void SetAfterLoadComponent(const TLoadComponentEvent& value) { FAfterLoadComponent = value; }

protected:
    virtual void DoAfterLoadComponent(TComponent* component, const xmldom::NodePtr& node);
    virtual void DoBeforeLoadComponent(TComponent* component, const xmldom::NodePtr& node);

private:
    bool IsExcluded(const AnsiString& name) const;
    void LoadComponent(TComponent* component, const xmldom::NodePtr& element);

    xmldom::DocumentPtr FDocument;
    TStringList* FExcludeControls;
    TLoadComponentEvent FBeforeLoadComponent;
    TLoadComponentEvent FAfterLoadComponent;
};

// Opens a language file (or inline XML text) and hands out the reader that applies it.
class TLanguageController : public TComponent {
    KVR_CLASS(TLanguageController, TComponent)
public:
    explicit TLanguageController(TComponent* owner);
    ~TLanguageController() override;

    const AnsiString& FileName() const { return FFileName; }
    // A new name clears the inline XML text and closes the controller.
    void SetFileName(const AnsiString& value);
    // Inline XML text: once not empty it is opened instead of a file (and clears the file name); a
    // change closes the controller.
    TStrings* XML() const { return FXML; }
    void SetXML(const TStrings* value);

    // True when a document with a document element is open. While the owner's form stream loads, a
    // new value is only recorded, and Loaded opens the controller when True was recorded.
    bool Active() const;
    void SetActive(bool value);

    TStrings* ExcludeControls() const { return FExcludeControls; }
    void SetExcludeControls(TStrings* value); // copies the names; nil clears

    // The reader of the open document; LanguageControllerError "No active LanguageController!" when
    // none is open.
    TLangReader* GetActiveLangReader() const;

    const TLoadComponentEvent& BeforeLoadComponent() const { return FBeforeLoadComponent; }
    void SetBeforeLoadComponent(const TLoadComponentEvent& value);
    const TLoadComponentEvent& AfterLoadComponent() const { return FAfterLoadComponent; }
    void SetAfterLoadComponent(const TLoadComponentEvent& value);
    const TNotifyEvent& BeforeClose() const { return FBeforeClose; }
    void SetBeforeClose(const TNotifyEvent& value) { FBeforeClose = value; }
    const TNotifyEvent& BeforeOpen() const { return FBeforeOpen; }
    void SetBeforeOpen(const TNotifyEvent& value) { FBeforeOpen = value; }
    const TNotifyEvent& AfterOpen() const { return FAfterOpen; }
    void SetAfterOpen(const TNotifyEvent& value) { FAfterOpen = value; }
    const TNotifyEvent& AfterClose() const { return FAfterClose; }
    void SetAfterClose(const TNotifyEvent& value) { FAfterClose = value; }

    void Loaded() override;

protected:
    virtual void DoAfterClose();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoBeforeOpen();
    virtual void DoAfterLoadComponent(TComponent* component, const xmldom::NodePtr& node);
    virtual void DoBeforeLoadComponent(TComponent* component, const xmldom::NodePtr& node);

private:
    void Open();
    void Close();
    void XMLChanged(TObject* sender);
    void ExcludeControlsChanged(TObject* sender);
    // The reader's events: they pass through the controller's own Do operations.
    void ReaderBeforeLoadComponent(TComponent* component, const xmldom::NodePtr& node);
    void ReaderAfterLoadComponent(TComponent* component, const xmldom::NodePtr& node);

    AnsiString FFileName;
    xmldom::DocumentPtr FDocument;
    TStringList* FExcludeControls;
    TLangReader* FReader = nullptr;
    TStringList* FXML;
    bool FStreamedActive = false;
    TLoadComponentEvent FBeforeLoadComponent;
    TLoadComponentEvent FAfterLoadComponent;
    TNotifyEvent FBeforeClose;
    TNotifyEvent FBeforeOpen;
    TNotifyEvent FAfterOpen;
    TNotifyEvent FAfterClose;
};

// The controller the root form drops on every form: the file follows a package (class) name in the
// language folder of the client or the server.
class TQvLangController : public TLanguageController {
    KVR_CLASS(TQvLangController, TLanguageController)
public:
    explicit TQvLangController(TComponent* owner) : TLanguageController(owner) {}

    TDesignType DesignType() const { return FDesignType; }
    void SetDesignType(TDesignType value) { FDesignType = value; }
    const AnsiString& LangPackageName() const { return FLangPackageName; }
    // A new name sets FileName to the language folder of DesignType (as it is now) + name + ".Lng".
    void SetLangPackageName(const AnsiString& value);

private:
    TDesignType FDesignType = dtClient;
    AnsiString FLangPackageName;
};
