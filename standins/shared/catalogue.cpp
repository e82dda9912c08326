#include "standins/shared/catalogue.h"

#include <fstream>
#include <sstream>

#include "classlib/rtl/strutils.h"

namespace {

const char* const Kinds[] = {"Check", "Lookup", "Sequence", "Counter", "Server"};

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::string item;
    std::istringstream stream(text);
    while (std::getline(stream, item, ','))
        items.push_back(Trim(item));
    return items;
}

} // namespace

void TCatalogue::LoadFromFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw EDbError(u8"找不到查核与查询目录文件 " + path);
    std::ostringstream text;
    text << file.rdbuf();
    LoadFromText(text.str(), path);
}

void TCatalogue::LoadFromText(const std::string& text, const std::string& sourceName) {
    std::vector<TCatalogueEntry> entries;
    int lineNo = 0;
    auto fail = [&](const std::string& message) {
        throw EDbError(sourceName + u8" 第 " + std::to_string(lineNo) + u8" 行: " + message);
    };
    std::string* value = nullptr; // the setting that continuation lines extend
    std::string valueName;
    std::istringstream stream(text);
    std::string line;
    std::vector<std::pair<std::string, std::string>> settings; // of the current entry
    auto finish = [&] {
        if (entries.empty()) return;
        TCatalogueEntry& entry = entries.back();
        std::string keys, columns, captions;
        for (const auto& [name, setting] : settings) {
            if (name == "KEYS") keys = setting;
            if (name == "COLUMNS") columns = setting;
            if (name == "CAPTIONS") captions = setting;
            if (name == "SQL") entry.Sql = Trim(setting);
        }
        const std::string where = entry.Kind + " " + entry.Table + " " + entry.Number;
        if (entry.Sql.empty()) throw EDbError(sourceName + u8": " + where + u8" 没有 SQL");
        if (!keys.empty()) entry.Keys = SplitList(keys);
        entry.Columns = SplitList(columns);
        if (!captions.empty()) entry.Captions = SplitList(captions);
        for (const auto* list : {&entry.Keys, &entry.Columns, &entry.Captions})
            for (const std::string& item : *list)
                if (item.empty()) throw EDbError(sourceName + u8": " + where + u8" 的列表中有空项");
        if (entry.Columns.empty()) throw EDbError(sourceName + u8": " + where + u8" 没有 Columns");
        if (static_cast<int>(entry.Keys.size()) > MaxKeys)
            throw EDbError(sourceName + u8": " + where + u8" 的键值超过 " + std::to_string(MaxKeys) +
                           u8" 个");
        if (entry.Kind == "Lookup" && entry.Captions.size() != entry.Columns.size())
            throw EDbError(sourceName + u8": " + where + u8" 的 Captions 与 Columns 个数不符");
        settings.clear();
    };
    while (std::getline(stream, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') {
            value = nullptr;
            continue;
        }
        if (line[0] == ' ' || line[0] == '\t') {
            if (Trim(line).empty()) {
                value = nullptr;
                continue;
            }
            if (!value) fail(u8"续行之前没有设定");
            *value += (valueName == "SQL" ? "\n" : " ") + Trim(line);
            continue;
        }
        if (line[0] == '[') {
            finish();
            const size_t close = line.find(']');
            if (close == std::string::npos || !Trim(line.substr(close + 1)).empty())
                fail(u8"条目标题应为 [种类 表 编号]");
            std::istringstream header(line.substr(1, close - 1));
            TCatalogueEntry entry;
            std::string extra;
            header >> entry.Kind >> entry.Table >> entry.Number >> extra;
            if (entry.Number.empty() || !extra.empty()) fail(u8"条目标题应为 [种类 表 编号]");
            bool known = false;
            for (const char* kind : Kinds)
                if (SameText(entry.Kind, kind)) {
                    entry.Kind = kind;
                    known = true;
                }
            if (!known) fail(u8"未知的种类 " + entry.Kind);
            entry.Table = UpperCase(entry.Table);
            entry.Line = lineNo;
            for (const TCatalogueEntry& other : entries)
                if (other.Kind == entry.Kind && other.Table == entry.Table && other.Number == entry.Number)
                    fail(u8"条目重复 (第 " + std::to_string(other.Line) + u8" 行已有)");
            entries.push_back(entry);
            value = nullptr;
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) fail(u8"应为 名称 = 值");
        if (entries.empty()) fail(u8"设定之前没有条目标题");
        valueName = UpperCase(Trim(line.substr(0, equals)));
        if (valueName != "KEYS" && valueName != "COLUMNS" && valueName != "CAPTIONS" && valueName != "SQL")
            fail(u8"未知的设定 " + Trim(line.substr(0, equals)));
        for (const auto& setting : settings)
            if (setting.first == valueName) fail(u8"设定重复: " + valueName);
        settings.emplace_back(valueName, Trim(line.substr(equals + 1)));
        value = &settings.back().second;
    }
    finish();
    FEntries = std::move(entries);
}

const TCatalogueEntry* TCatalogue::Find(const std::string& kind, const std::string& table,
                                        const std::string& number) const {
    const std::string wanted = Trim(number);
    for (const TCatalogueEntry& entry : FEntries)
        if (SameText(entry.Kind, kind) && SameText(entry.Table, Trim(table)) && entry.Number == wanted)
            return &entry;
    return nullptr;
}

TDbNamedParams TCatalogue::Params(const std::vector<Variant>& keys, const TCatalogueContext& context) {
    TDbNamedParams params;
    for (int i = 0; i < MaxKeys; ++i) {
        const bool given =
            static_cast<size_t>(i) < keys.size() && !VarIsNull(keys[i]) && !VarIsEmpty(keys[i]);
        params["k" + std::to_string(i + 1)] = given ? keys[i] : Variant(AnsiString());
    }
    params["company"] = Variant(context.Company);
    params["database"] = Variant(context.Database);
    params["user"] = Variant(context.User);
    params["program"] = Variant(context.Program);
    params["current"] = Variant(context.Current);
    return params;
}

TDbResult TCatalogue::Run(TDbSession& session, const TCatalogueEntry& entry, const std::vector<Variant>& keys,
                          const TCatalogueContext& context) {
    return session.Select(entry.Sql, Params(keys, context));
}

TDbResult TCatalogue::Run(TDbWriter& writer, const TCatalogueEntry& entry, const std::vector<Variant>& keys,
                          const TCatalogueContext& context) {
    return writer.Select(entry.Sql, Params(keys, context));
}
