#pragma once
// TMT_Doc: one user-settings document (MT_User XML) of a company's program: for each component of a
// form, and for each field of a grid, the property settings that override the form's design. The base
// form fetches it from the server and applies it after the form shows.
//
// <MT_User CompanyID="" ProgID=""><Components><Component ID="edTA005"><DCVisible>N</DCVisible>...
// </Component></Components><gdBody1><Field ID="TB004"><Index>3</Index>...</Field></gdBody1></MT_User>
#include "classlib/rtl/types.h"
#include "standins/outside/xmldom/xmldom.h"

class TCodeConverter;
class TComponent;
class TCustomForm;
class TwwDBGrid;

class TMT_Doc {
public:
    TMT_Doc();
    // Raises EOleError when the text is no XML (the document then has no document element).
    static TMT_Doc* CreateFromXml(const AnsiString& xml);

    void LoadXml(const AnsiString& xml);
    AnsiString Xml() const;
    xmldom::DocumentPtr Document() const { return FDocument; }
    TCodeConverter* CodeConverter() const { return FCodeConverter; }
    void SetCodeConverter(TCodeConverter* value) { FCodeConverter = value; }

    // Applies one setting to a component (or a field); a value its property cannot take (a number that
    // is none) raises, and the property keeps its value.
    void SetComponentProperty(TComponent* component, const AnsiString& name, const AnsiString& value);
    // Every component element's settings; a setting that fails is skipped (and logged), the rest apply.
    void ApplyToForm(TCustomForm* form);
    void ApplyDefaultTexts(TCustomForm* form);
    void ApplyGridDefaultTexts(TwwDBGrid* grid);
    // The field settings of one grid; the columns take their places in the numeric order of Index.
    void ApplyToGrid(TwwDBGrid* grid, const AnsiString& gridName);
    void GetComponentProperty(const AnsiString& id, const AnsiString& name, AnsiString& text) const;
    void GetFieldProperty(const AnsiString& gridName, const AnsiString& fieldId, AnsiString& text,
                          const AnsiString& name) const;
    // The last five characters of the ID of every node the path selects, joined by ",".
    void GetNodeIDs(const AnsiString& xpath, AnsiString& list) const;

    // Writing: a component's or a grid field's setting, its elements created when missing.
    void SetComponentSetting(const AnsiString& id, const AnsiString& name, const AnsiString& value);
    void SetFieldSetting(const AnsiString& gridName, const AnsiString& fieldId, const AnsiString& name,
                         const AnsiString& value);

private:
    void Bind();
    AnsiString ToUI(const AnsiString& text) const;
    // The elements a search creates are the document's own.
    xmldom::NodePtr FindChild(const xmldom::NodePtr& node, const AnsiString& name, bool create) const;
    xmldom::NodePtr FindById(const xmldom::NodePtr& node, const AnsiString& elementName, const AnsiString& id,
                             bool create) const;
    xmldom::DocumentPtr FDocument;
    xmldom::NodePtr FRoot;
    xmldom::NodePtr FComponents;
    TCodeConverter* FCodeConverter = nullptr;
};

// The document's Boolean rule, by whole words: "N", "FALSE" and "0" (any case, blanks around ignored)
// are False; anything else, the empty text included, is True.
bool MTBoolValue(const AnsiString& value);
