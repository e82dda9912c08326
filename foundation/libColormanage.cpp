#include "foundation/libColormanage.h"

#include "classlib/controls/grids.h"
#include "classlib/db/db.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/LibVCLs.h"
#include "foundation/LibXml.h"

KVR_PUBLISHED(TColorCondition, c) {
    c.Property("Value", &TColorCondition::Value);
    c.Property("ColorX", &TColorCondition::ColorX);
    c.Property("BkColor", &TColorCondition::BkColor);
    c.Property("Msg", &TColorCondition::Msg);
    c.Property("Checked", &TColorCondition::Checked);
}

void TColorCondition::Assign(TPersistent* source) {
    auto* other = dynamic_cast<TColorCondition*>(source);
    if (!other) {
        TCollectionItem::Assign(source);
        return;
    }
    Value = other->Value;
    ColorX = other->ColorX;
    BkColor = other->BkColor;
    Msg = other->Msg;
    Checked = other->Checked;
}

KVR_PUBLISHED(TColorConditions, c) {}

TColorConditions::TColorConditions() : TCollection(TColorCondition::StaticClass()) {}

KVR_PUBLISHED(TColorComponent, c) {
    c.Property("Name", &TColorComponent::Name);
    c.Property("FieldName", &TColorComponent::FieldName);
}

TColorComponent::TColorComponent(TCollection* collection)
    : TCollectionItem(collection), FConditions(std::make_unique<TColorConditions>()),
      FSavedFont(std::make_unique<TFont>()) {}

KVR_PUBLISHED(TColorComponents, c) {}

TColorComponents::TColorComponents(TComponent* form)
    : TCollection(TColorComponent::StaticClass()), FForm(form) {}

namespace {

AnsiString Attribute(const xmldom::NodePtr& node, const char* name) {
    return node->getAttribute(name).value_or(AnsiString());
}

// A grid bound to a data set draws each cell through ApplyToRecord: its own colour and font are not
// the record's to change.
bool IsDataGrid(TComponent* component) {
    return dynamic_cast<TCustomGrid*>(component) && HasPropByName(component, "DataSource");
}

TFont* FontOf(TComponent* component) {
    return dynamic_cast<TFont*>(GetObjectPropByName(component, "Font"));
}

bool IsWhiteBackground(TColor color) {
    const TColor rgb = ColorToRGB(color);
    return rgb == clWhite || rgb == ColorToRGB(clWindow) || rgb == ColorToRGB(clHighlightText);
}

void AddStyles(TFont* font, const TColorText& colors) {
    TFontStyles style = font->Style();
    if (colors.Bold) style.Include(fsBold);
    if (colors.Italic) style.Include(fsItalic);
    font->SetStyle(style);
}

void Restore(TColorComponent* item) {
    if (!item->ColorsSaved()) return;
    if (TFont* font = FontOf(item->Component)) {
        font->SetColor(item->SavedFont()->Color());
        font->SetStyle(item->SavedFont()->Style());
    }
    if (HasPropByName(item->Component, "Color")) SetOrdPropByName(item->Component, "Color", item->SavedColor);
}

} // namespace

std::unique_ptr<TColorComponents> TColorComponents::CreateFromXml(TComponent* form, const AnsiString& part,
                                                                  const AnsiString& xmlText) {
    auto result = std::make_unique<TColorComponents>(form);
    xmldom::DocumentPtr doc;
    LoadXmlDocument(xmlText, doc);
    if (!doc || !doc->documentElement()) throw Exception(Format("%s", {"颜色管理xml格式错误"}));
    const bool body = SameText(part, "body");
    const xmldom::NodeListPtr nodes =
        doc->selectNodes("//colormanager/" + part + "/component[@enable=\"Y\"]");
    for (long i = 0; i < nodes->length(); ++i) {
        const xmldom::NodePtr node = nodes->item(i);
        const AnsiString name = Attribute(node, "name");
        const bool column = body && !SameText(name, "gdBody1");
        TComponent* component = form ? form->FindComponent(column ? AnsiString("gdBody1") : name) : nullptr;
        // A name the form does not have colours nothing.
        if (!component) continue;
        TColorComponent* item = result->Add();
        item->Name = name;
        item->Component = component;
        if (column) item->FieldName = name;
        const xmldom::NodeListPtr conditions = node->selectNodes("condition");
        for (long j = 0; j < conditions->length(); ++j) {
            const xmldom::NodePtr c = conditions->item(j);
            TColorCondition* condition = item->Conditions()->Add();
            condition->Value = Attribute(c, "value");
            condition->ColorX = Attribute(c, "colorx");
            condition->BkColor = Attribute(c, "bkcolor");
            condition->Msg = Attribute(c, "msg");
        }
    }
    return result;
}

TColorComponent* TColorComponents::FindComponent(const AnsiString& componentName,
                                                 const AnsiString& fieldName) const {
    for (int i = 0; i < Count(); ++i) {
        TColorComponent* item = Items(i);
        if (item->Component && SameText(item->Component->Name(), componentName) &&
            SameText(item->FieldName, fieldName))
            return item;
    }
    return nullptr;
}

TColorComponent* TColorComponents::FindByField(const AnsiString& fieldName) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Items(i)->FieldName, fieldName)) return Items(i);
    return nullptr;
}

void TColorComponents::SaveOriginalColors() {
    for (int i = 0; i < Count(); ++i) {
        TColorComponent* item = Items(i);
        if (!item->Component || IsDataGrid(item->Component)) continue;
        if (TFont* font = FontOf(item->Component)) {
            item->SavedFont()->SetColor(font->Color());
            item->SavedFont()->SetStyle(font->Style());
        }
        item->SavedColor = HasPropByName(item->Component, "Color")
                               ? static_cast<TColor>(GetOrdPropByName(item->Component, "Color"))
                               : clWhite;
        item->FColorsSaved = true;
    }
}

void TColorComponents::RestoreOriginalColors() {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Component && !IsDataGrid(Items(i)->Component)) Restore(Items(i));
}

bool TColorComponents::ApplyToRecord(TComponent* grid, TField* field, TBrush* brush, TFont* font,
                                     TDataSet* colorDataSet, const Variant& keyValues,
                                     const AnsiString& keyFields) {
    if (!grid || !field || !brush || !font || !colorDataSet) return false;
    bool result = true;
    for (int i = 0; i < Count(); ++i) {
        TColorComponent* item = Items(i);
        if (item->Component != grid) continue;
        try {
            // A whole-row item gives way, in a column, to an item of that column.
            const bool rowItem = colorDataSet->FindField(grid->Name()) && item->FieldName.empty() &&
                                 !FindByField(field->FieldName());
            if (!rowItem && !SameText(item->FieldName, field->FieldName())) continue;
            if (colorDataSet->Locate(StringReplace(keyFields, ",", ";", rfReplaceAll), keyValues)) {
                const AnsiString text =
                    colorDataSet->FieldByName(rowItem ? grid->Name() : item->FieldName)->AsString();
                if (!text.empty()) {
                    const TColorText colors = ParseColorText(text);
                    if (colors.HasBkColor) brush->SetColor(colors.BkColor);
                    if (colors.HasColorX) font->SetColor(colors.ColorX);
                    AddStyles(font, colors);
                }
            }
            if (ColorToRGB(brush->Color()) == ColorToRGB(font->Color()))
                font->SetColor(InvertColor(font->Color()));
        } catch (...) {
            result = false;
        }
    }
    return result;
}

void TColorComponents::ApplyForDataSet(TDataSet* colorDataSet) {
    if (!colorDataSet) return;
    for (int i = 0; i < Count(); ++i) {
        TColorComponent* item = Items(i);
        TComponent* component = item->Component;
        if (!component || IsDataGrid(component)) continue;
        TFont* font = FontOf(component);
        if (!font || !HasPropByName(component, "Color")) continue;
        // Each record starts from the control's own colours.
        Restore(item);
        try {
            const AnsiString text = colorDataSet->FieldByName(component->Name())->AsString();
            const TColorText colors = ParseColorText(text);
            // Restored colours already undid the last record's type; a control never saved starts plain.
            if (!item->ColorsSaved()) font->SetStyle(TFontStyles());
            if (colors.HasBkColor && item->ColorsSaved() && IsWhiteBackground(item->SavedColor))
                SetOrdPropByName(component, "Color", colors.BkColor);
            if (colors.HasColorX) {
                const TColor own = static_cast<TColor>(GetOrdPropByName(component, "Color"));
                font->SetColor(ColorToRGB(colors.ColorX) == ColorToRGB(own) ? InvertColor(colors.ColorX)
                                                                            : colors.ColorX);
            }
            AddStyles(font, colors);
        } catch (...) {
            // A missing colour field or a bad colour leaves this control as it is by itself.
            Restore(item);
        }
    }
}

TColor InvertColor(TColor color) {
    const TColor rgb = ColorToRGB(color);
    return RGB(255 - GetRValue(rgb), 255 - GetGValue(rgb), 255 - GetBValue(rgb));
}

TColorText ParseColorText(const AnsiString& text) {
    TColorText result;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == AnsiString::npos) end = text.size();
        const AnsiString pair = text.substr(start, end - start);
        start = end + 1;
        const std::size_t eq = pair.find('=');
        if (eq == AnsiString::npos) continue;
        const AnsiString name = Trim(pair.substr(0, eq));
        AnsiString value = Trim(pair.substr(eq + 1));
        if (value == "'") value.clear();
        if (value.empty()) continue;
        if (SameText(name, "bkcolor")) {
            result.BkColor = StrToInt(value);
            result.HasBkColor = true;
        } else if (SameText(name, "colorx")) {
            result.ColorX = StrToInt(value);
            result.HasColorX = true;
        } else if (SameText(name, "bold")) {
            result.Bold = value == "Y";
        } else if (SameText(name, "italic")) {
            result.Italic = value == "Y";
        }
    }
    return result;
}
