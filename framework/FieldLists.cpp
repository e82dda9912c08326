#include "framework/FieldLists.h"

#include "classlib/db/db.h"
#include "classlib/objects/component.h"
#include "classlib/rtl/strutils.h"

namespace {

std::vector<AnsiString> Split(const AnsiString& text, char delimiter) {
    std::vector<AnsiString> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(delimiter, start);
        parts.push_back(text.substr(start, at == AnsiString::npos ? AnsiString::npos : at - start));
        if (at == AnsiString::npos) return parts;
        start = at + 1;
    }
}

bool IsWordDelimiter(char c) {
    return c == '\r' || c == '\n' || c == ' ' || c == ',' || c == ':' || c == ';';
}

} // namespace

std::vector<TFieldListItem> ParseFieldList(const AnsiString& text) {
    // The delimiters are ASCII below 0x40, which is never the trail byte of a double-byte character.
    std::vector<TFieldListItem> items;
    for (const AnsiString& part : Split(text, ';')) {
        const std::size_t colon = part.find(':');
        if (colon == AnsiString::npos) continue;
        TFieldListItem item;
        item.DataSetName = Trim(part.substr(0, colon));
        if (item.DataSetName.empty()) continue;
        for (const AnsiString& name : Split(part.substr(colon + 1), ',')) {
            AnsiString trimmed = Trim(name);
            if (!trimmed.empty()) item.FieldNames.push_back(std::move(trimmed));
        }
        items.push_back(std::move(item));
    }
    return items;
}

const TFieldListItem* FindFieldListItem(const std::vector<TFieldListItem>& items,
                                        const AnsiString& dataSetName) {
    for (const TFieldListItem& item : items)
        if (SameText(item.DataSetName, dataSetName)) return &item;
    return nullptr;
}

TDataSet* FindModuleDataSet(TComponent* module, const AnsiString& name) {
    if (!module || name.empty()) return nullptr;
    for (int i = 0; i < module->ComponentCount(); ++i) {
        auto* dataSet = dynamic_cast<TDataSet*>(module->Components(i));
        if (dataSet && SameText(dataSet->Name(), name)) return dataSet;
    }
    return nullptr;
}

std::vector<TFieldListEntry> ResolveFieldList(TComponent* module, const AnsiString& text) {
    std::vector<TFieldListEntry> entries;
    for (const TFieldListItem& item : ParseFieldList(text)) {
        TDataSet* dataSet = FindModuleDataSet(module, item.DataSetName);
        if (!dataSet) continue;
        TFieldListEntry entry;
        entry.DataSet = dataSet;
        for (const AnsiString& name : item.FieldNames)
            if (TField* field = dataSet->FindField(name)) entry.Fields.push_back(field);
        entries.push_back(std::move(entry));
    }
    return entries;
}

int FindWholeWord(const AnsiString& text, const AnsiString& word) {
    if (word.empty()) return 0;
    for (std::size_t at = text.find(word); at != AnsiString::npos; at = text.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        const bool before = at == 0 || IsWordDelimiter(text[at - 1]);
        const bool after = end == text.size() || IsWordDelimiter(text[end]);
        if (before && after) return static_cast<int>(at) + 1;
    }
    return 0;
}
