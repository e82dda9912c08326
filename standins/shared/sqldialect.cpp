#include "standins/shared/sqldialect.h"

#include <cstring>
#include <set>

#include "classlib/rtl/strutils.h"

namespace {

constexpr size_t npos = std::string::npos;

bool IsSpaceChar(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool IsHexDigit(unsigned char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
// Bytes above 0x7F are the UTF-8 of names such as Chinese column aliases.
bool IsWordStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool IsWordChar(unsigned char c) {
    return IsWordStart(c) || IsDigit(c) || c == '$';
}

[[noreturn]] void Refuse(const std::string& message) {
    throw EDbRefused(message);
}

// The index past a run quoted with `close`, in which a doubled `close` stands for itself.
size_t ScanQuoted(const std::string& text, size_t start, char close, const char* what) {
    size_t i = start + 1;
    while (i < text.size()) {
        if (text[i] == close) {
            if (i + 1 < text.size() && text[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    Refuse(std::string(u8"SQL 文字中的") + what + u8"没有结束: " + text.substr(start, 40));
}

// Keywords that end an operand of "+": clause words, logical and comparison words, CASE's inner words.
const std::set<std::string>& LooseKeywords() {
    static const std::set<std::string> words = {
        "SELECT",  "FROM",   "WHERE",  "AND",    "OR",      "NOT",       "ON",        "AS",     "JOIN",
        "LEFT",    "RIGHT",  "INNER",  "OUTER",  "CROSS",   "FULL",      "NATURAL",   "USING",  "GROUP",
        "BY",      "ORDER",  "HAVING", "UNION",  "ALL",     "DISTINCT",  "INTERSECT", "EXCEPT", "LIMIT",
        "OFFSET",  "CASE",   "WHEN",   "THEN",   "ELSE",    "END",       "IN",        "IS",     "LIKE",
        "GLOB",    "REGEXP", "MATCH",  "ESCAPE", "BETWEEN", "EXISTS",    "ASC",       "DESC",   "INTO",
        "VALUES",  "SET",    "UPDATE", "INSERT", "DELETE",  "REPLACE",   "WITH",      "TOP",    "COLLATE",
        "PERCENT", "NULLS",  "FIRST",  "LAST",   "OVER",    "PARTITION", "FILTER",    "WINDOW", "ISNULL",
        "NOTNULL", "DROP",   "CREATE", "ALTER",  "TABLE",   "PRAGMA",    "ATTACH",    "DETACH", "RECURSIVE"};
    return words;
}

// Keywords that are also the names of functions when a parenthesis follows.
bool IsFunctionKeyword(const std::string& upper) {
    return upper == "REPLACE" || upper == "LIKE" || upper == "GLOB";
}

const std::set<std::string>& LockingHints() {
    static const std::set<std::string> hints = {
        "NOLOCK",        "READUNCOMMITTED", "ROWLOCK",  "PAGLOCK",       "TABLOCK",
        "TABLOCKX",      "UPDLOCK",         "HOLDLOCK", "READPAST",      "NOWAIT",
        "READCOMMITTED", "SERIALIZABLE",    "XLOCK",    "REPEATABLEREAD"};
    return hints;
}

bool IsSignificant(const TSqlNode& node) {
    return node.Group ||
           (node.Token.Kind != TSqlTokenKind::Space && node.Token.Kind != TSqlTokenKind::Comment);
}
bool IsWordNode(const TSqlNode& node) {
    return !node.Group && node.Token.Kind == TSqlTokenKind::Word;
}
bool IsKeywordNode(const TSqlNode& node, const char* word) {
    return IsWordNode(node) && UpperCase(node.Token.Text) == word;
}
bool IsOperatorNode(const TSqlNode& node, const char* op) {
    return !node.Group && node.Token.Kind == TSqlTokenKind::Operator && node.Token.Text == op;
}
bool IsNameNode(const TSqlNode& node) {
    if (node.Group) return false;
    if (node.Token.Kind == TSqlTokenKind::QuotedName) return true;
    return node.Token.Kind == TSqlTokenKind::Word && !LooseKeywords().count(UpperCase(node.Token.Text));
}

// The name a word or quoted name stands for, upper-cased.
std::string NameOf(const TSqlNode& node) {
    const std::string& text = node.Token.Text;
    if (node.Token.Kind != TSqlTokenKind::QuotedName || text.size() < 2) return UpperCase(text);
    const char close = text[0] == '[' ? ']' : text[0];
    std::string name;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        name += text[i];
        if (text[i] == close) ++i;
    }
    return UpperCase(name);
}

bool IsHintGroup(const TSqlNode& group) {
    bool any = false;
    for (const TSqlNode& item : group.Items) {
        if (!IsSignificant(item) || IsOperatorNode(item, ",")) continue;
        if (!IsWordNode(item) || !LockingHints().count(UpperCase(item.Token.Text))) return false;
        any = true;
    }
    return any;
}

std::string TrimSql(const std::string& text) {
    size_t from = 0, to = text.size();
    while (from < to && IsSpaceChar(text[from]))
        ++from;
    while (to > from && IsSpaceChar(text[to - 1]))
        --to;
    return text.substr(from, to - from);
}

// The tables a statement names and the aliases it gives them (table.column and alias.column both
// resolve to the table), for the widths of the fixed-width columns it concatenates.
// How deep parentheses and CASE may nest; deeper texts are refused rather than risk the stack.
constexpr int MaxNesting = 200;

struct TTranslation {
    const TCharColumns& Columns;
    std::map<std::string, std::string> Aliases;
    std::vector<std::string> Tables;
    mutable int Depth = 0; // nesting of the translation under way

    void Collect(const std::vector<TSqlNode>& items) {
        std::vector<size_t> sig;
        for (size_t i = 0; i < items.size(); ++i)
            if (IsSignificant(items[i])) sig.push_back(i);
        for (size_t k = 0; k < sig.size(); ++k) {
            const TSqlNode& node = items[sig[k]];
            if (node.Group) {
                Collect(node.Items);
                continue;
            }
            if (!IsNameNode(node)) continue;
            // DATABASE..TABLE names the table; TABLE.COLUMN and ALIAS.COLUMN do not.
            const bool databasePrefix =
                k >= 2 && IsOperatorNode(items[sig[k - 1]], ".") && IsOperatorNode(items[sig[k - 2]], ".");
            const bool qualified = (k + 1 < sig.size() && IsOperatorNode(items[sig[k + 1]], ".")) ||
                                   (k > 0 && IsOperatorNode(items[sig[k - 1]], ".") && !databasePrefix);
            const std::string table = NameOf(node);
            if (qualified || !Columns.count(table)) continue;
            Tables.push_back(table);
            size_t a = k + 1;
            if (a < sig.size() && IsKeywordNode(items[sig[a]], "AS")) ++a;
            if (a < sig.size() && IsNameNode(items[sig[a]]) && !items[sig[a]].Group) {
                const std::string alias = NameOf(items[sig[a]]);
                if (!LockingHints().count(alias)) Aliases[alias] = table;
            }
        }
    }

    // The width of a fixed-width column, 0 when it is not one or the reference is ambiguous.
    int Width(const std::string& qualifier, const std::string& column) const {
        auto widthIn = [&](const std::string& table) {
            auto t = Columns.find(table);
            if (t == Columns.end()) return 0;
            auto c = t->second.find(column);
            return c == t->second.end() ? 0 : c->second;
        };
        if (!qualifier.empty()) {
            auto alias = Aliases.find(qualifier);
            return widthIn(alias != Aliases.end() ? alias->second : qualifier);
        }
        int found = 0;
        for (const std::string& table : Tables) {
            const int width = widthIn(table);
            if (width == 0) continue;
            if (found != 0 && found != width) return 0;
            found = width;
        }
        return found;
    }
};

std::string TranslateItems(const std::vector<TSqlNode>& items, const TTranslation& context);

class TNesting {
public:
    explicit TNesting(const TTranslation& context) : FContext(context) {
        if (++FContext.Depth > MaxNesting) {
            --FContext.Depth;
            Refuse(u8"SQL 文字的括号或 CASE 嵌套过深");
        }
    }
    ~TNesting() { --FContext.Depth; }
    TNesting(const TNesting&) = delete;
    TNesting& operator=(const TNesting&) = delete;

private:
    const TTranslation& FContext;
};

// Rewrites the "+" chains of one level: a + b - c + d becomes KVR_ADD(KVR_ADD(a, b) - c, d), the
// operands of "+" that are fixed-width columns padded to their width.
class TChainRewriter {
public:
    TChainRewriter(const std::vector<TSqlNode>& items, const std::vector<size_t>& sig,
                   std::vector<std::string>& out, const TTranslation& context)
        : FItems(items), FSig(sig), FOut(out), FContext(context), FCaseEnd(sig.size(), npos) {
        // The END of every CASE of the level, found once: searching it again at each nesting would
        // take time in the square of the text.
        std::vector<size_t> open;
        for (size_t k = 0; k < sig.size(); ++k) {
            if (IsKeyword(k, "CASE")) open.push_back(k);
            if (IsKeyword(k, "END") && !open.empty()) {
                FCaseEnd[open.back()] = k;
                open.pop_back();
            }
        }
    }

    void Run(size_t from, size_t end) {
        size_t k = from;
        while (k < end) {
            if (!CanStartOperand(k, end)) {
                ++k;
                continue;
            }
            TTerm first;
            size_t j = ParseTerm(k, end, first);
            if (j == npos) {
                ++k;
                continue;
            }
            std::vector<std::pair<bool, TTerm>> rest; // (is "+", term)
            bool anyPlus = false;
            while (j < end && (IsOp(j, "+") || IsOp(j, "-"))) {
                TTerm term;
                const size_t next = ParseTerm(j + 1, end, term);
                if (next == npos) break;
                rest.emplace_back(IsOp(j, "+"), term);
                anyPlus = anyPlus || IsOp(j, "+");
                j = next;
            }
            if (anyPlus) Rewrite(first, rest, k, j);
            k = j;
        }
    }

private:
    struct TTerm {
        size_t From = 0, To = 0; // significant items [From, To)
        bool Bare = false;       // a plain column reference
        std::string Qualifier, Column;
    };

    const TSqlNode& At(size_t k) const { return FItems[FSig[k]]; }
    bool IsOp(size_t k, const char* op) const { return k < FSig.size() && IsOperatorNode(At(k), op); }
    bool IsKeyword(size_t k, const char* word) const { return k < FSig.size() && IsKeywordNode(At(k), word); }
    bool IsFunctionName(size_t k, size_t end) const {
        return k + 1 < end && IsWordNode(At(k)) && IsFunctionKeyword(UpperCase(At(k).Token.Text)) &&
               At(k + 1).Group;
    }
    bool CanStartOperand(size_t k, size_t end) const {
        if (k >= end) return false;
        const TSqlNode& node = At(k);
        if (node.Group || IsNameNode(node) || IsFunctionName(k, end)) return true;
        switch (node.Token.Kind) {
        case TSqlTokenKind::String:
        case TSqlTokenKind::Number:
        case TSqlTokenKind::Parameter:
            return true;
        default:
            break;
        }
        return IsKeyword(k, "CASE") || IsOp(k, "+") || IsOp(k, "-") || IsOp(k, "~");
    }

    // The index past the primary at k, npos when none starts there.
    size_t ParsePrimary(size_t k, size_t end, TTerm& term) {
        term.Bare = false;
        if (k >= end) return npos;
        const TSqlNode& node = At(k);
        size_t j = npos;
        if (IsKeyword(k, "CASE")) {
            const size_t e = FCaseEnd[k];
            if (e == npos || e >= end) return npos;
            TNesting nesting(FContext);
            Run(k + 1, e);
            j = e + 1;
        } else if (IsNameNode(node) || IsFunctionName(k, end)) {
            std::vector<std::string> parts{NameOf(node)};
            j = k + 1;
            bool plain = true;
            while (IsOp(j, ".") && j + 1 < end && (IsNameNode(At(j + 1)) || IsOp(j + 1, "*"))) {
                plain = plain && !IsOp(j + 1, "*");
                parts.push_back(NameOf(At(j + 1)));
                j += 2;
            }
            if (j < end && At(j).Group) {
                ++j; // a function call
            } else if (plain) {
                term.Bare = true;
                term.Column = parts.back();
                term.Qualifier = parts.size() > 1 ? parts[parts.size() - 2] : std::string();
            }
        } else if (node.Group || node.Token.Kind == TSqlTokenKind::String ||
                   node.Token.Kind == TSqlTokenKind::Number || node.Token.Kind == TSqlTokenKind::Parameter) {
            j = k + 1;
        } else {
            return npos;
        }
        if (IsKeyword(j, "COLLATE") && j + 1 < end && IsNameNode(At(j + 1))) {
            j += 2;
            term.Bare = false;
        }
        return j;
    }

    size_t ParseTerm(size_t k, size_t end, TTerm& term) {
        term.From = k;
        bool unary = false;
        while (k < end && (IsOp(k, "+") || IsOp(k, "-") || IsOp(k, "~"))) {
            ++k;
            unary = true;
        }
        size_t j = ParsePrimary(k, end, term);
        if (j == npos) return npos;
        bool single = !unary;
        while (j < end && (IsOp(j, "*") || IsOp(j, "/") || IsOp(j, "%") || IsOp(j, "||"))) {
            size_t p = j + 1;
            while (p < end && (IsOp(p, "+") || IsOp(p, "-") || IsOp(p, "~")))
                ++p;
            TTerm inner;
            const size_t next = ParsePrimary(p, end, inner);
            if (next == npos) break;
            j = next;
            single = false;
        }
        term.Bare = term.Bare && single;
        term.To = j;
        return j;
    }

    std::string Text(const TTerm& term) const {
        std::string text;
        for (size_t i = FSig[term.From]; i <= FSig[term.To - 1]; ++i)
            text += FOut[i];
        return TrimSql(text);
    }

    std::string Operand(const TTerm& term) const {
        std::string text = Text(term);
        if (term.Bare) {
            const int width = FContext.Width(term.Qualifier, term.Column);
            if (width > 0) text = "KVR_CHAR(" + text + ", " + std::to_string(width) + ")";
        }
        return text;
    }

    void Rewrite(const TTerm& first, const std::vector<std::pair<bool, TTerm>>& rest, size_t k, size_t j) {
        std::string text = rest.front().first ? Operand(first) : Text(first);
        for (const auto& [plus, term] : rest)
            text = plus ? "KVR_ADD(" + text + ", " + Operand(term) + ")" : text + " - " + Text(term);
        FOut[FSig[k]] = text;
        for (size_t i = FSig[k] + 1; i <= FSig[j - 1]; ++i)
            FOut[i].clear();
    }

    const std::vector<TSqlNode>& FItems;
    const std::vector<size_t>& FSig;
    std::vector<std::string>& FOut;
    const TTranslation& FContext;
    std::vector<size_t> FCaseEnd; // by significant item: the END of the CASE there, npos for none
};

std::vector<size_t> SignificantItems(const std::vector<TSqlNode>& items, const std::vector<bool>& removed) {
    std::vector<size_t> sig;
    for (size_t i = 0; i < items.size(); ++i)
        if (!removed[i] && IsSignificant(items[i])) sig.push_back(i);
    return sig;
}

// SELECT [DISTINCT|ALL] TOP n ... becomes SELECT ... LIMIT n at the end of that SELECT.
void TranslateTop(const std::vector<TSqlNode>& items, std::vector<bool>& removed,
                  std::vector<std::string>& out) {
    const std::vector<size_t> sig = SignificantItems(items, removed);
    auto isKeyword = [&](size_t k, const char* word) {
        return k < sig.size() && IsKeywordNode(items[sig[k]], word);
    };
    for (size_t k = 0; k < sig.size(); ++k) {
        if (!isKeyword(k, "SELECT")) continue;
        size_t t = k + 1;
        if (isKeyword(t, "DISTINCT") || isKeyword(t, "ALL")) ++t;
        if (!isKeyword(t, "TOP")) continue;
        if (t + 1 >= sig.size() ||
            !(items[sig[t + 1]].Group || items[sig[t + 1]].Token.Kind == TSqlTokenKind::Number))
            Refuse(u8"TOP 后面应为笔数");
        if (isKeyword(t + 2, "PERCENT") || (isKeyword(t + 2, "WITH") && isKeyword(t + 3, "TIES")))
            Refuse(u8"不支持 TOP ... PERCENT 或 TOP ... WITH TIES");
        const std::string limit = out[sig[t + 1]];
        for (size_t r : {sig[t], sig[t + 1]}) {
            removed[r] = true;
            out[r].clear();
            if (r + 1 < items.size() && !items[r + 1].Group &&
                items[r + 1].Token.Kind == TSqlTokenKind::Space)
                out[r + 1].clear();
        }
        size_t e = t + 2;
        while (e < sig.size() && !isKeyword(e, "UNION") && !isKeyword(e, "INTERSECT") &&
               !isKeyword(e, "EXCEPT"))
            ++e;
        const size_t last = sig[e - 1];
        if (e < sig.size()) {
            // SQLite takes LIMIT only at the end of a compound: the limited member becomes a sub-select.
            out[sig[k]] = "SELECT * FROM (" + out[sig[k]];
            out[last] += " LIMIT " + limit + ")";
        } else {
            out[last] += " LIMIT " + limit;
        }
    }
}

std::string TranslateItems(const std::vector<TSqlNode>& items, const TTranslation& context) {
    TNesting nesting(context);
    const size_t n = items.size();
    std::vector<std::string> out(n);
    std::vector<bool> removed(n, false);

    auto nextSignificant = [&](size_t i) {
        for (size_t j = i + 1; j < n; ++j)
            if (IsSignificant(items[j])) return j;
        return n;
    };
    for (size_t i = 0; i < n; ++i) {
        const TSqlNode& node = items[i];
        if (node.Group) {
            out[i] = "(" + TranslateItems(node.Items, context) + ")";
            continue;
        }
        out[i] = node.Token.Text;
        if (IsWordNode(node)) {
            const size_t next = nextSignificant(i);
            const bool call = next < n && items[next].Group;
            const std::string upper = UpperCase(node.Token.Text);
            if (call && upper == "SUBSTRING") out[i] = "SUBSTR";
            if (call && upper == "ISNULL") out[i] = "IFNULL";
        }
    }

    std::vector<size_t> sig = SignificantItems(items, removed);
    auto remove = [&](size_t i) {
        removed[i] = true;
        out[i].clear();
    };
    // DATABASE..TABLE: the company database is the file itself.
    for (size_t k = 0; k + 3 < sig.size(); ++k) {
        const size_t a = sig[k];
        if (IsNameNode(items[a]) && sig[k + 1] == a + 1 && sig[k + 2] == a + 2 && sig[k + 3] == a + 3 &&
            IsOperatorNode(items[a + 1], ".") && IsOperatorNode(items[a + 2], ".") &&
            IsNameNode(items[a + 3])) {
            remove(a);
            remove(a + 1);
            remove(a + 2);
            k += 3;
        }
    }
    // Locking hints: TABLE (NOLOCK), TABLE WITH (NOLOCK).
    sig = SignificantItems(items, removed);
    for (size_t k = 1; k < sig.size(); ++k) {
        if (!items[sig[k]].Group || !IsHintGroup(items[sig[k]])) continue;
        if (IsKeywordNode(items[sig[k - 1]], "WITH")) {
            remove(sig[k - 1]);
            remove(sig[k]);
        } else if (IsNameNode(items[sig[k - 1]])) {
            remove(sig[k]);
        }
    }

    sig = SignificantItems(items, removed);
    TChainRewriter(items, sig, out, context).Run(0, sig.size());
    TranslateTop(items, removed, out);

    std::string text;
    for (const std::string& part : out)
        text += part;
    return text;
}

} // namespace

std::vector<TSqlToken> TokenizeSql(const std::string& text) {
    std::vector<TSqlToken> tokens;
    const size_t n = text.size();
    size_t i = 0;
    auto push = [&](TSqlTokenKind kind, size_t from, size_t to) {
        tokens.push_back(TSqlToken{kind, text.substr(from, to - from), false});
    };
    while (i < n) {
        const unsigned char c = text[i];
        const size_t start = i;
        if (IsSpaceChar(c)) {
            while (i < n && IsSpaceChar(text[i]))
                ++i;
            push(TSqlTokenKind::Space, start, i);
        } else if (c == '-' && i + 1 < n && text[i + 1] == '-') {
            i = text.find('\n', i);
            if (i == npos) i = n;
            push(TSqlTokenKind::Comment, start, i);
        } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            const size_t e = text.find("*/", i + 2);
            if (e == npos) Refuse(u8"SQL 文字中的注释没有结束");
            i = e + 2;
            push(TSqlTokenKind::Comment, start, i);
        } else if (c == '\'') {
            i = ScanQuoted(text, i, '\'', u8"字符串");
            push(TSqlTokenKind::String, start, i);
        } else if (c == '"' || c == '`' || c == '[') {
            i = ScanQuoted(text, i, c == '[' ? ']' : static_cast<char>(c), u8"名称");
            push(TSqlTokenKind::QuotedName, start, i);
        } else if (IsWordStart(c)) {
            while (i < n && IsWordChar(text[i]))
                ++i;
            if (i - start == 1 && i < n && text[i] == '\'' &&
                (c == 'N' || c == 'n' || c == 'X' || c == 'x')) {
                const size_t e = ScanQuoted(text, i, '\'', u8"字符串");
                push(TSqlTokenKind::String, (c == 'N' || c == 'n') ? i : start, e);
                i = e;
            } else {
                push(TSqlTokenKind::Word, start, i);
            }
        } else if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(text[i + 1]))) {
            if (c == '0' && i + 1 < n && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
                i += 2;
                while (i < n && IsHexDigit(text[i]))
                    ++i;
            } else {
                while (i < n && IsDigit(text[i]))
                    ++i;
                if (i < n && text[i] == '.') {
                    ++i;
                    while (i < n && IsDigit(text[i]))
                        ++i;
                }
                if (i < n && (text[i] == 'e' || text[i] == 'E')) {
                    size_t e = i + 1;
                    if (e < n && (text[e] == '+' || text[e] == '-')) ++e;
                    if (e < n && IsDigit(text[e])) {
                        i = e;
                        while (i < n && IsDigit(text[i]))
                            ++i;
                    }
                }
            }
            push(TSqlTokenKind::Number, start, i);
        } else if (c == '$' && i + 2 < n && text[i + 1] == '$' && IsWordStart(text[i + 2])) {
            i += 2;
            const size_t word = i;
            while (i < n && IsWordChar(text[i]))
                ++i;
            tokens.push_back(TSqlToken{TSqlTokenKind::Word, text.substr(word, i - word), true});
        } else if (c == '?') {
            ++i;
            while (i < n && IsDigit(text[i]))
                ++i;
            push(TSqlTokenKind::Parameter, start, i);
        } else if ((c == ':' || c == '@' || c == '$') && i + 1 < n && IsWordChar(text[i + 1])) {
            ++i;
            while (i < n && IsWordChar(text[i]))
                ++i;
            push(TSqlTokenKind::Parameter, start, i);
        } else {
            static const char* const operators[] = {
                "->>", "<>", "!=", "<=", ">=", "==", "||", "<<", ">>", "->"};
            size_t length = 1;
            for (const char* op : operators)
                if (text.compare(i, std::strlen(op), op) == 0) {
                    length = std::strlen(op);
                    break;
                }
            i += length;
            push(TSqlTokenKind::Operator, start, i);
        }
    }
    return tokens;
}

std::vector<TSqlNode> ParseSqlTree(const std::vector<TSqlToken>& tokens) {
    std::vector<TSqlNode> root;
    // Each open group's items; a parent's items are not touched while a child is open, so the pointers hold.
    std::vector<std::vector<TSqlNode>*> open{&root};
    for (const TSqlToken& token : tokens) {
        const bool isOperator = token.Kind == TSqlTokenKind::Operator;
        if (isOperator && token.Text == "(") {
            if (open.size() > MaxNesting) Refuse(u8"SQL 文字的括号嵌套过深");
            open.back()->push_back(TSqlNode{token, true, {}});
            open.push_back(&open.back()->back().Items);
        } else if (isOperator && token.Text == ")") {
            if (open.size() == 1) Refuse(u8"SQL 文字中有多余的右括号");
            open.pop_back();
        } else {
            open.back()->push_back(TSqlNode{token, false, {}});
        }
    }
    if (open.size() != 1) Refuse(u8"SQL 文字中的括号没有配对");
    return root;
}

std::string TSqlDialect::Translate(const std::string& text) const {
    const std::vector<TSqlNode> tree = ParseSqlTree(TokenizeSql(text));
    TTranslation context{FCharColumns, {}, {}};
    context.Collect(tree);
    return TranslateItems(tree, context);
}
