#include "standins/shared/selectcount.h"

#include <set>

#include "classlib/rtl/strutils.h"

std::string ColumnAffinity(const std::string& declaredType) {
    const std::string type = UpperCase(declaredType);
    if (type.find("INT") != std::string::npos) return "INTEGER";
    if (type.find("CHAR") != std::string::npos || type.find("CLOB") != std::string::npos ||
        type.find("TEXT") != std::string::npos)
        return "TEXT";
    if (type.empty() || type.find("BLOB") != std::string::npos) return "BLOB";
    if (type.find("REAL") != std::string::npos || type.find("FLOA") != std::string::npos ||
        type.find("DOUB") != std::string::npos)
        return "REAL";
    return "NUMERIC";
}

namespace {

bool IsName(const TSqlToken& token) {
    return token.Kind == TSqlTokenKind::Word || token.Kind == TSqlTokenKind::QuotedName;
}

// A name as SQLite compares it: quotes off, upper case.
std::string Bare(const TSqlToken& token) {
    const std::string& text = token.Text;
    if (token.Kind == TSqlTokenKind::QuotedName && text.size() >= 2)
        return UpperCase(text.substr(1, text.size() - 2));
    return UpperCase(text);
}

bool IsWord(const TSqlToken& token, const char* word) {
    return token.Kind == TSqlTokenKind::Word && UpperCase(token.Text) == word;
}

bool IsOperator(const TSqlToken& token, const char* text) {
    return token.Kind == TSqlTokenKind::Operator && token.Text == text;
}

bool StartsJoin(const TSqlToken& token) {
    for (const char* word : {"LEFT", "RIGHT", "INNER", "CROSS", "FULL", "NATURAL", "JOIN", "OUTER"})
        if (IsWord(token, word)) return true;
    return false;
}

// One table of the FROM: the tokens [First, Last) of the head, meaningful ones in Items.
struct TSegment {
    size_t First = 0, Last = 0;
    std::vector<size_t> Items;
    std::string Table, Alias; // upper case; Alias is the table's name when it has none
    bool Droppable = false;
};

// Reads "name [[AS] alias]" at items[at]; false when the table is written otherwise.
bool ReadTable(const std::vector<TSqlToken>& tokens, const std::vector<size_t>& items, size_t& at,
               TSegment& segment) {
    if (at >= items.size() || !IsName(tokens[items[at]]) || IsWord(tokens[items[at]], "ON")) return false;
    segment.Table = Bare(tokens[items[at++]]);
    segment.Alias = segment.Table;
    if (at < items.size() && IsWord(tokens[items[at]], "AS")) ++at;
    if (at < items.size() && IsName(tokens[items[at]]) && !IsWord(tokens[items[at]], "ON") &&
        !IsWord(tokens[items[at]], "USING"))
        segment.Alias = Bare(tokens[items[at++]]);
    return true;
}

} // namespace

std::string CountingHead(const std::vector<TSqlToken>& head, const std::string& conditions,
                         const TTableShapes& shapes, std::string* baseAlias, int* dropped) {
    std::vector<size_t> items; // the head's tokens other than blanks and comments
    for (size_t i = 0; i < head.size(); ++i)
        if (head[i].Kind != TSqlTokenKind::Space && head[i].Kind != TSqlTokenKind::Comment)
            items.push_back(i);
    if (items.size() < 3 || !IsWord(head[items[0]], "SELECT")) return "";
    for (const char* word : {"DISTINCT", "ALL", "TOP"})
        if (IsWord(head[items[1]], word)) return "";
    // The select list: columns and operators only (a function may aggregate, a sub-select may not be a
    // column), up to the FROM.
    size_t from = 1;
    for (; from < items.size() && !IsWord(head[items[from]], "FROM"); ++from)
        if (IsOperator(head[items[from]], "(")) return "";
    if (from >= items.size()) return "";
    // SQLite lets a condition name a column of the list by its alias: such a count needs the list.
    std::set<std::string> words;
    auto collect = [&](const std::vector<TSqlToken>& tokens, size_t first, size_t last) {
        for (size_t i = first; i < last; ++i)
            if (IsName(tokens[i])) words.insert(Bare(tokens[i]));
    };
    const std::vector<TSqlToken> conditionTokens = TokenizeSql(conditions);
    collect(conditionTokens, 0, conditionTokens.size());
    for (size_t k = 2; k < from; ++k) {
        const TSqlToken& before = head[items[k - 1]];
        const bool alias = IsWord(before, "AS") || ((IsOperator(head[items[k + 1]], ",") || k + 1 == from) &&
                                                    !IsOperator(before, ".") && !IsOperator(before, ","));
        if (alias && IsName(head[items[k]]) && words.count(Bare(head[items[k]]))) return "";
    }

    // The FROM's tables, each beginning at a join's first word or a comma at the outer level.
    std::vector<TSegment> segments;
    int depth = 0;
    for (size_t k = from + 1; k < items.size(); ++k) {
        const TSqlToken& token = head[items[k]];
        const bool starts =
            segments.empty() || (depth == 0 && (IsOperator(token, ",") ||
                                                (StartsJoin(token) && !StartsJoin(head[items[k - 1]]))));
        if (starts) {
            if (!segments.empty()) segments.back().Last = items[k];
            segments.emplace_back();
            segments.back().First = items[k];
        }
        if (IsOperator(token, "(")) ++depth;
        if (IsOperator(token, ")")) --depth;
        segments.back().Items.push_back(items[k]);
    }
    if (segments.empty()) return "";
    segments.back().Last = head.size();

    // The tables before each join, by alias.
    std::map<std::string, std::string> known;
    bool plainBase = false; // the first table is a name and an alias, nothing more
    for (size_t s = 0; s < segments.size(); ++s) {
        TSegment& segment = segments[s];
        const std::vector<size_t>& its = segment.Items;
        size_t at = 0;
        if (s == 0) {
            if (ReadTable(head, its, at, segment)) known[segment.Alias] = segment.Table;
            plainBase = !segment.Table.empty() && at == its.size();
            continue;
        }
        // LEFT [OUTER] JOIN table [[AS] alias] ON a = b [AND c = d ...]
        if (!IsWord(head[its[at]], "LEFT")) continue;
        ++at;
        if (at < its.size() && IsWord(head[its[at]], "OUTER")) ++at;
        if (at >= its.size() || !IsWord(head[its[at++]], "JOIN")) continue;
        const bool named = ReadTable(head, its, at, segment);
        if (!named || at >= its.size() || !IsWord(head[its[at++]], "ON")) {
            if (named) known[segment.Alias] = segment.Table;
            continue;
        }
        const TTableShape& shape = shapes(segment.Table);
        // Each term: this table's column = a column of a table before it, or a literal.
        std::set<std::string> equated;
        bool simple = shape.Known;
        std::vector<size_t> term;
        // alias.name, and nothing else
        auto column = [&](const std::vector<size_t>& part, std::string& alias, std::string& name) {
            if (part.size() != 3 || !IsName(head[part[0]]) || !IsOperator(head[part[1]], ".") ||
                !IsName(head[part[2]]))
                return false;
            alias = Bare(head[part[0]]);
            name = Bare(head[part[2]]);
            return true;
        };
        auto takeTerm = [&] {
            if (term.size() < 5 || !IsOperator(head[term[3]], "=")) return false;
            std::vector<size_t> left(term.begin(), term.begin() + 3), right(term.begin() + 4, term.end());
            std::string ownAlias, ownName, otherAlias, otherName;
            if (!column(left, ownAlias, ownName) || ownAlias != segment.Alias) return false;
            auto ownColumn = shape.Columns.find(ownName);
            if (ownColumn == shape.Columns.end()) return false;
            const std::string& affinity = ownColumn->second.Affinity;
            if (right.size() == 1) { // a literal of the column's kind
                const TSqlToken& literal = head[right[0]];
                const bool fits = (literal.Kind == TSqlTokenKind::String && affinity == "TEXT") ||
                                  (literal.Kind == TSqlTokenKind::Number &&
                                   (affinity == "INTEGER" || affinity == "REAL" || affinity == "NUMERIC"));
                if (!fits) return false;
            } else {
                // A column of a table before this one, of the same affinity, so that no conversion makes
                // two of this table's keys equal to one value.
                if (!column(right, otherAlias, otherName) || otherAlias == segment.Alias ||
                    !known.count(otherAlias))
                    return false;
                const TTableShape& otherShape = shapes(known[otherAlias]);
                auto found = otherShape.Columns.find(otherName);
                if (found == otherShape.Columns.end() || found->second.Affinity != affinity) return false;
            }
            // This table's column is on the left, so the comparison is by its own collation.
            equated.insert(ownName + "\x01" + ownColumn->second.Collation);
            return true;
        };
        for (; at < its.size() && simple; ++at) {
            const TSqlToken& token = head[its[at]];
            if (IsWord(token, "AND")) {
                simple = takeTerm();
                term.clear();
            } else {
                term.push_back(its[at]);
            }
        }
        simple = simple && takeTerm();
        bool unique = false;
        for (const auto& key : shape.UniqueKeys) {
            bool covered = !key.empty();
            for (const TTableShape::TKeyColumn& column : key)
                covered = covered && equated.count(column.Name + "\x01" + column.Collation);
            unique = unique || covered;
        }
        segment.Droppable = simple && unique;
        known[segment.Alias] = segment.Table;
    }

    // A join goes when no name left could be its: neither its alias nor its table nor one of its
    // columns written alone appears in the conditions or in what stays of the FROM.
    for (const TSegment& segment : segments)
        if (!segment.Droppable) collect(head, segment.First, segment.Last);
    // Dropping one join may free another only through the ON of the first; going from the last join to
    // the first settles that, since an ON names only the tables before it.
    for (size_t s = segments.size(); s-- > 1;) {
        TSegment& segment = segments[s];
        if (!segment.Droppable) continue;
        bool named = words.count(segment.Alias) || words.count(segment.Table);
        for (const auto& [column, info] : shapes(segment.Table).Columns)
            named = named || words.count(column);
        if (named) {
            segment.Droppable = false;
            collect(head, segment.First, segment.Last);
        }
    }
    if (baseAlias)
        *baseAlias = plainBase && shapes(segments.front().Table).Rowid ? segments.front().Alias : "";
    if (dropped) *dropped = 0;
    for (const TSegment& segment : segments)
        if (dropped && segment.Droppable) ++*dropped;
    std::string text = "SELECT 1 ";
    auto copy = [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i)
            text += head[i].Kind == TSqlTokenKind::Comment
                        ? " "
                        : (head[i].CompanyPrefix ? "$$" : "") + head[i].Text;
    };
    copy(items[from], segments.front().First);
    for (const TSegment& segment : segments)
        if (!segment.Droppable) copy(segment.First, segment.Last);
    return text;
}
