#pragma once
// Colour conditions of a document form: which components are coloured (a grid, a column of the body
// grid, a plain control), under which conditions, and how the colour text of the current record becomes
// a background colour, a text colour and bold or italic type.
//
// The definitions come from the colour-manager XML document:
//
//     <colormanager>
//       <head>
//         <component name="gdHead" enable="Y">
//           <condition value="LC005 > 1000" colorx="255" bkcolor="16777215" msg="大额"/>
//         </component>
//       </head>
//       <body> <component name="LD003" enable="Y"> ... </component> </body>   (a column of gdBody1)
//     </colormanager>
//
// The colours of a record come from the colour data set, one string field per coloured component
// (named after the grid, or after the column's field): "bkcolor=255;colorx=0;bold=Y;italic=N", a value
// of one apostrophe counting as not given.
//
// The hooks:
// - a data grid, while it draws a cell: it sets its canvas's brush and font to the cell's own colours,
//   then calls ApplyToRecord(itself, the cell's field, canvas brush, canvas font, colour data set, the
//   row's key values, the key field list), which paints the condition's colours on top;
// - the data module, when the current record changes: RefreshColor locates the record in the colour
//   data set and calls ApplyForDataSet, which colours the plain controls (each starts again from its
//   own colours, so nothing of the previous record stays);
// - SaveOriginalColors once the form's controls have their own colours, RestoreOriginalColors when
//   colour management is switched off.
#include <memory>

#include "classlib/graphics/graphics.h"
#include "classlib/objects/collection.h"
#include "classlib/rtl/variants.h"

class TDataSet;
class TField;

class TColorCondition : public TCollectionItem {
    KVR_CLASS(TColorCondition, TCollectionItem)
public:
    explicit TColorCondition(TCollection* collection) : TCollectionItem(collection) {}

    // From another condition: everything but the reserved text.
    void Assign(TPersistent* source) override;

    AnsiString Value;  // the condition
    AnsiString ColorX; // text colour, a decimal colour number
    AnsiString BkColor;
    AnsiString Reserved;
    AnsiString Msg; // shown for the condition
    bool Checked = false;
};

class TColorConditions : public TCollection {
    KVR_CLASS(TColorConditions, TCollection)
public:
    TColorConditions();
    TColorCondition* Add() { return static_cast<TColorCondition*>(TCollection::Add()); }
    TColorCondition* Items(int index) const {
        return static_cast<TColorCondition*>(TCollection::Items(index));
    }
};

class TColorComponent : public TCollectionItem {
    KVR_CLASS(TColorComponent, TCollectionItem)
public:
    explicit TColorComponent(TCollection* collection);

    TComponent* Component = nullptr; // the grid or control, not owned
    TColorConditions* Conditions() const { return FConditions.get(); }
    AnsiString Name; // as the XML names it
    TFont* SavedFont() const { return FSavedFont.get(); }
    TColor SavedColor = clNone;
    AnsiString FieldName; // the column's field; empty for a whole grid or a control
    // Whether SaveOriginalColors remembered the component's colours.
    bool ColorsSaved() const { return FColorsSaved; }

private:
    friend class TColorComponents;
    std::unique_ptr<TColorConditions> FConditions;
    std::unique_ptr<TFont> FSavedFont;
    bool FColorsSaved = false;
};

class TColorComponents : public TCollection {
    KVR_CLASS(TColorComponents, TCollection)
public:
    explicit TColorComponents(TComponent* form);
    // The components of one part ("head" or "body") that are enabled. A name the form lacks is passed
    // over. Text that is no XML raises Exception "颜色管理xml格式错误".
    static std::unique_ptr<TColorComponents> CreateFromXml(TComponent* form, const AnsiString& part,
                                                           const AnsiString& xmlText);

    TComponent* Form() const { return FForm; }
    TColorComponent* Add() { return static_cast<TColorComponent*>(TCollection::Add()); }
    TColorComponent* Items(int index) const {
        return static_cast<TColorComponent*>(TCollection::Items(index));
    }
    // The item whose component has the name and whose field name is fieldName; nil when none.
    TColorComponent* FindComponent(const AnsiString& componentName, const AnsiString& fieldName) const;
    // The first item of that field name; nil when none.
    TColorComponent* FindByField(const AnsiString& fieldName) const;

    // For every item whose component is no data grid.
    void SaveOriginalColors();
    void RestoreOriginalColors();

    // Colours one cell of grid: True when no item failed (a failing item is passed over, so the cell
    // keeps the colours it had).
    bool ApplyToRecord(TComponent* grid, TField* field, TBrush* brush, TFont* font, TDataSet* colorDataSet,
                       const Variant& keyValues, const AnsiString& keyFields);
    // Colours the plain controls for the colour data set's current record. An item whose field is
    // missing or whose colour text is bad keeps its own colours; the others are coloured all the same.
    void ApplyForDataSet(TDataSet* colorDataSet);

private:
    TComponent* FForm;
};

// (255 - red, 255 - green, 255 - blue) of the colour, a system colour resolved first.
TColor InvertColor(TColor color);

// A per-record colour text read: what it gives and what it leaves out.
struct TColorText {
    bool HasBkColor = false, HasColorX = false;
    TColor BkColor = clNone, ColorX = clNone;
    bool Bold = false, Italic = false;
};
// Raises EConvertError when a colour is no number.
TColorText ParseColorText(const AnsiString& text);
