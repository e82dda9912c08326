#include "foundation/LangCtrl.h"

#include <vector>

#include "classlib/controls/forms.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/objects/collection.h"
#include "classlib/objects/rtti.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/VeltraneIni.h"
#include "foundation/proputils.h"

namespace {

// A language file that asks for line 10 million of a list would otherwise grow it until memory runs out.
constexpr int kMaxListLine = 65535;

// The data-aware combo box of the commercial library is known by the class names of its chain, so that
// the language files do not tie this unit to that library.
bool ClassChainHas(const TObject* object, const char* className) {
    for (TClass cls = object ? object->ClassType() : nullptr; cls; cls = cls->ClassParent())
        if (cls->ClassNameIs(className)) return true;
    return false;
}

bool IsFormOrDataModule(const TComponent* component) {
    return dynamic_cast<const TCustomForm*>(component) || dynamic_cast<const TDataModule*>(component);
}

// A decimal index from 0: digits only.
bool ParseIndex(const AnsiString& text, int& index) {
    if (text.empty() || text.size() > 9) return false;
    index = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        index = index * 10 + (c - '0');
    }
    return true;
}

std::vector<AnsiString> SplitPath(const AnsiString& path) {
    std::vector<AnsiString> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = path.find('.', start);
        parts.push_back(Trim(path.substr(start, dot == AnsiString::npos ? AnsiString::npos : dot - start)));
        if (dot == AnsiString::npos) return parts;
        start = dot + 1;
    }
}

// A name an element can have and an XPath step can hold: no operator, blank or quote in it.
bool IsPlainName(const AnsiString& name) {
    if (name.empty()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
        const bool other = (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (!letter && !(i > 0 && other)) return false;
    }
    return true;
}

bool IsIntegerKey(const Variant& key) {
    switch (VarType(key)) {
    case varSmallint:
    case varInteger:
    case varByte:
    case varInt64:
        return true;
    default:
        return false;
    }
}

// The selection of a combo box, read before its items are replaced and set back afterwards (which also
// shows the new text of the selected item).
void ApplyKeepingItemIndex(TComponent* component, TComponentRead& reader) {
    if (auto* combo = dynamic_cast<TCustomComboBox*>(component)) {
        const int itemIndex = combo->ItemIndex();
        reader.TComponentRead::ApplyAllAttributes();
        combo->SetItemIndex(itemIndex);
        return;
    }
    // Another combo class that publishes its selection.
    const TPropInfo* prop = component ? GetPropInfo(component, "ItemIndex") : nullptr;
    if (!prop || !prop->PropType()->IsOrdinal()) {
        reader.TComponentRead::ApplyAllAttributes();
        return;
    }
    const Int64 itemIndex = prop->GetOrd(component);
    reader.TComponentRead::ApplyAllAttributes();
    try {
        prop->SetOrd(component, itemIndex);
    } catch (const Exception&) {
        // the combo keeps what it chose itself
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------------

AnsiString CodePageLangDir(const AnsiString& codePage) {
    if (codePage == "936") return "CHS";
    if (codePage == "950") return "CHT";
    if (codePage == "437") return "ENG";
    return "";
}

AnsiString GetLangDir(TDesignType designType) {
    AnsiString installPath;
    AnsiString codePage;
    if (designType == dtServer) {
        const TVeltraneIniS ini;
        installPath = ini.ServerPath;
        codePage = ini.UICodePage;
    } else {
        ReadClientLanguageSettings(installPath, codePage);
    }
    const AnsiString langDir = CodePageLangDir(codePage);
    if (installPath.empty() || langDir.empty()) return "";
    const AnsiString folder = IncludeTrailingBackslash(installPath) + "MultiLanguage\\" + langDir + "\\";
    return DirectoryExists(folder) ? folder : AnsiString();
}

AnsiString GetLangMessage(TDesignType designType, const AnsiString& className, const AnsiString& msgId,
                          const AnsiString& defaultText) {
    try {
        // An id that is not a plain name would make the selection something else than one element.
        if (!IsPlainName(msgId) || !IsValidIdent(className)) return defaultText;
        const AnsiString fileName = GetLangDir(designType) + className + ".Lng";
        if (!FileExists(fileName)) return defaultText;
        xmldom::DocumentPtr doc = CoDOMDocument::Create();
        doc->setAsync(false);
        if (!doc->load(fileName)) return defaultText;
        xmldom::NodePtr node = doc->selectSingleNode(Format("//%s/@%s", {msgId, "Msg"}));
        return node ? node->text() : defaultText;
    } catch (...) {
        return defaultText;
    }
}

// ---------------------------------------------------------------------------------------------------

TComponentRead::TComponentRead(TComponent* component, const xmldom::NodePtr& element)
    : FComponent(component), FNode(element) {}

void TComponentRead::ApplyAttributeNode(const xmldom::NodePtr& attribute) {
    if (!FComponent || !attribute) return;
    try {
        const AnsiString value = attribute->text();
        const std::vector<AnsiString> parts = SplitPath(attribute->nodeName());
        TObject* current = FComponent;
        AnsiString last = parts.back();
        for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
            const AnsiString& part = parts[i];
            const std::size_t bar = part.find('_');
            if (bar == AnsiString::npos) {
                current = GetClassPropObject(current, part);
                if (!current) return;
                continue;
            }
            const AnsiString name = part.substr(0, bar);
            int index = 0;
            if ((!SameText(name, "Items") && !SameText(name, "Columns")) ||
                !ParseIndex(part.substr(bar + 1), index)) {
                last = part; // the walk ends here and the rest of the path is ignored
                break;
            }
            if (auto* collection = dynamic_cast<TCollection*>(current)) {
                if (index < collection->Count()) current = collection->Items(index);
                continue;
            }
            // Any other object: the property before "_", without the index.
            current = GetClassPropObject(current, name);
            if (!current) return;
        }

        const std::size_t bar = last.find('_');
        if (bar != AnsiString::npos && current == FComponent) {
            int index = 0;
            if (!ParseIndex(last.substr(bar + 1), index) || index > kMaxListLine) return;
            auto* lines = dynamic_cast<TStrings*>(GetClassPropObject(FComponent, last.substr(0, bar)));
            if (!lines) return;
            lines->BeginUpdate();
            try {
                while (lines->Count() <= index)
                    lines->Add("");
                lines->Put(index, value);
            } catch (...) {
                lines->EndUpdate();
                throw;
            }
            lines->EndUpdate();
            return;
        }
        TrySetPropValueByPath(current, last, Variant(value));
    } catch (const Exception&) {
        // a path that leads nowhere changes nothing
    }
}

void TComponentRead::ApplyAttribute(const Variant& key) {
    xmldom::NamedNodeMapPtr attributes = FNode ? FNode->attributes() : nullptr;
    if (!attributes) return;
    xmldom::NodePtr attribute;
    if (IsIntegerKey(key)) {
        const Int64 index = key.AsInt64();
        if (index >= 0 && index < attributes->length())
            attribute = attributes->item(static_cast<long>(index));
    } else if (VarIsStr(key)) {
        attribute = attributes->getNamedItem(key.AsString());
    }
    if (attribute) ApplyAttributeNode(attribute);
}

void TComponentRead::ApplyAllAttributes() {
    xmldom::NamedNodeMapPtr attributes = FNode ? FNode->attributes() : nullptr;
    if (!attributes) return;
    const long count = attributes->length();
    for (long i = 0; i < count; ++i)
        ApplyAttribute(Variant(static_cast<int>(i)));
}

void TCustomComboBoxRead::ApplyAllAttributes() {
    ApplyKeepingItemIndex(FComponent, *this);
}

void TwwDBCustomComboBoxRead::ApplyAllAttributes() {
    ApplyKeepingItemIndex(FComponent, *this);
}

KVR_PUBLISHED(TReaderFactory, c) {}

ILangReadPtr TReaderFactory::CreateReader(TComponent* component, const xmldom::NodePtr& element) {
    if (ClassChainHas(component, "TwwDBCustomComboBox"))
        return std::make_shared<TwwDBCustomComboBoxRead>(component, element);
    if (dynamic_cast<TCustomComboBox*>(component))
        return std::make_shared<TCustomComboBoxRead>(component, element);
    return std::make_shared<TComponentRead>(component, element);
}

// ---------------------------------------------------------------------------------------------------

KVR_PUBLISHED(TLangReader, c) {}

TLangReader::TLangReader(const xmldom::DocumentPtr& document)
    : FDocument(document), FExcludeControls(new TStringList()) {}

TLangReader::~TLangReader() {
    delete FExcludeControls;
}

void TLangReader::SetExcludeControls(const TStrings* value) {
    if (value)
        FExcludeControls->Assign(const_cast<TStrings*>(value));
    else
        FExcludeControls->Clear();
}

bool TLangReader::IsExcluded(const AnsiString& name) const {
    const AnsiString trimmed = Trim(name);
    for (int i = 0; i < FExcludeControls->Count(); ++i)
        if (SameText(Trim(FExcludeControls->Get(i)), trimmed)) return true;
    return false;
}

void TLangReader::LoadComponent(TComponent* component, const xmldom::NodePtr& element) {
    DoBeforeLoadComponent(component, element);
    ILangReadPtr reader = TReaderFactory::CreateReader(component, element);
    reader->ApplyAllAttributes();
    DoAfterLoadComponent(component, element);
}

void TLangReader::ReadComponent(TComponent* component) {
    if (!component || !FDocument) return;
    if (IsFormOrDataModule(component)) {
        if (xmldom::NodePtr root = FDocument->documentElement()) LoadComponent(component, root);
    }
    // Names are identifiers, so "//" + name selects elements of that name and nothing else.
    if (!component->Name().empty() && !IsExcluded(component->Name())) {
        if (xmldom::NodePtr element = FDocument->selectSingleNode("//" + component->Name()))
            LoadComponent(component, element);
    }
    for (int i = 0; i < component->ComponentCount(); ++i)
        ReadComponent(component->Components(i));
}

void TLangReader::DoAfterLoadComponent(TComponent* component, const xmldom::NodePtr& node) {
    if (FAfterLoadComponent) FAfterLoadComponent(component, node);
}

void TLangReader::DoBeforeLoadComponent(TComponent* component, const xmldom::NodePtr& node) {
    if (FBeforeLoadComponent) FBeforeLoadComponent(component, node);
}

// ---------------------------------------------------------------------------------------------------

KVR_PUBLISHED(TLanguageController, c) {}

TLanguageController::TLanguageController(TComponent* owner)
    : TComponent(owner), FExcludeControls(new TStringList()), FXML(new TStringList()) {
    FExcludeControls->SetOnChange(TNotifyEvent(this, &TLanguageController::ExcludeControlsChanged));
    FXML->SetOnChange(TNotifyEvent(this, &TLanguageController::XMLChanged));
}

TLanguageController::~TLanguageController() {
    FExcludeControls->SetOnChange(TNotifyEvent());
    FXML->SetOnChange(TNotifyEvent());
    delete FReader;
    delete FXML;
    delete FExcludeControls;
}

void TLanguageController::SetFileName(const AnsiString& value) {
    if (value == FFileName) return;
    FFileName = value;
    FXML->Clear();
    // Closes what is open, but leaves a request recorded while the stream loads: the file name may well
    // come after Active in the stream.
    if (Active()) Close();
}

void TLanguageController::SetXML(const TStrings* value) {
    if (value)
        FXML->Assign(const_cast<TStrings*>(value));
    else
        FXML->Clear();
}

void TLanguageController::XMLChanged(TObject*) {
    if (ComponentState().Contains(csLoading)) return;
    if (!FXML->Text().empty()) FFileName.clear();
    if (Active()) Close();
}

bool TLanguageController::Active() const {
    return FDocument && FDocument->documentElement();
}

void TLanguageController::SetActive(bool value) {
    if (ComponentState().Contains(csLoading)) {
        FStreamedActive = value;
        return;
    }
    if (value == Active()) return;
    if (value)
        Open();
    else
        Close();
}

void TLanguageController::Open() {
    DoBeforeOpen();
    FDocument.reset();
    FreeAndNil(FReader);
    xmldom::DocumentPtr doc = CoDOMDocument::Create();
    doc->setAsync(false);
    const AnsiString text = FXML->Text();
    bool loaded;
    if (!text.empty()) {
        loaded = doc->loadXML(text);
    } else {
        // A missing file is named as such, not by the parser's reason.
        if (FFileName.empty() || !FileExists(FFileName))
            throw LanguageControllerError(Format("Cannot Find File %s!", {FFileName}));
        loaded = doc->load(FFileName);
    }
    if (!loaded || !doc->documentElement()) throw LanguageControllerError(doc->parseError()->reason());
    FDocument = doc;
    FReader = new TLangReader(FDocument);
    FReader->SetExcludeControls(FExcludeControls);
    FReader->SetBeforeLoadComponent(FBeforeLoadComponent);
    FReader->SetAfterLoadComponent(FAfterLoadComponent);
    DoAfterOpen();
}

void TLanguageController::Close() {
    DoBeforeClose();
    FDocument.reset();
    FreeAndNil(FReader);
    DoAfterClose();
}

void TLanguageController::Loaded() {
    TComponent::Loaded();
    if (FStreamedActive) {
        FStreamedActive = false;
        SetActive(true);
    }
}

void TLanguageController::SetExcludeControls(TStrings* value) {
    if (value == FExcludeControls) return;
    if (value)
        FExcludeControls->Assign(value);
    else
        FExcludeControls->Clear();
}

void TLanguageController::ExcludeControlsChanged(TObject*) {
    if (FReader) FReader->SetExcludeControls(FExcludeControls);
}

TLangReader* TLanguageController::GetActiveLangReader() const {
    if (!Active() || !FReader) throw LanguageControllerError("No active LanguageController!");
    return FReader;
}

void TLanguageController::SetBeforeLoadComponent(const TLoadComponentEvent& value) {
    FBeforeLoadComponent = value;
    if (FReader) FReader->SetBeforeLoadComponent(value);
}

void TLanguageController::SetAfterLoadComponent(const TLoadComponentEvent& value) {
    FAfterLoadComponent = value;
    if (FReader) FReader->SetAfterLoadComponent(value);
}

void TLanguageController::DoAfterClose() {
    if (FAfterClose) FAfterClose(this);
}

void TLanguageController::DoAfterOpen() {
    if (FAfterOpen) FAfterOpen(this);
}

void TLanguageController::DoBeforeClose() {
    if (FBeforeClose) FBeforeClose(this);
}

void TLanguageController::DoBeforeOpen() {
    if (FBeforeOpen) FBeforeOpen(this);
}

void TLanguageController::DoAfterLoadComponent(TComponent* component, const xmldom::NodePtr& node) {
    if (FAfterLoadComponent) FAfterLoadComponent(component, node);
}

void TLanguageController::DoBeforeLoadComponent(TComponent* component, const xmldom::NodePtr& node) {
    if (FBeforeLoadComponent) FBeforeLoadComponent(component, node);
}

// ---------------------------------------------------------------------------------------------------

KVR_PUBLISHED(TQvLangController, c) {
    c.Property("Active", &TQvLangController::Active, &TQvLangController::SetActive).Default(0);
    c.Property("AfterClose", &TQvLangController::AfterClose, &TQvLangController::SetAfterClose);
    c.Property("AfterOpen", &TQvLangController::AfterOpen, &TQvLangController::SetAfterOpen);
    c.Property("BeforeClose", &TQvLangController::BeforeClose, &TQvLangController::SetBeforeClose);
    c.Property("BeforeOpen", &TQvLangController::BeforeOpen, &TQvLangController::SetBeforeOpen);
    c.Property("AfterLoadComponent", &TQvLangController::AfterLoadComponent,
               &TQvLangController::SetAfterLoadComponent);
    c.Property("BeforeLoadComponent", &TQvLangController::BeforeLoadComponent,
               &TQvLangController::SetBeforeLoadComponent);
    c.Property("ExcludeControls", &TQvLangController::ExcludeControls,
               &TQvLangController::SetExcludeControls);
    c.Property("LangPackageName", &TQvLangController::LangPackageName,
               &TQvLangController::SetLangPackageName);
    c.Property("DesignType", &TQvLangController::DesignType, &TQvLangController::SetDesignType)
        .Default(dtClient);
}

void TQvLangController::SetLangPackageName(const AnsiString& value) {
    if (value == FLangPackageName) return;
    FLangPackageName = value;
    SetFileName(GetLangDir(FDesignType) + value + ".Lng");
}
