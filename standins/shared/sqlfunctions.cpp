#include "standins/shared/sqlfunctions.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

namespace {

// Characters of a UTF-8 text: bytes that do not continue a sequence.
size_t CharCount(const std::string& text) {
    size_t count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

// The byte length of the first `chars` characters.
size_t PrefixBytes(const std::string& text, size_t chars) {
    size_t i = 0;
    while (i < text.size() && chars > 0) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i;
        --chars;
    }
    return i;
}

std::string TextOf(sqlite3_value* value) {
    const unsigned char* text = sqlite3_value_text(value);
    return text ? std::string(reinterpret_cast<const char*>(text), sqlite3_value_bytes(value))
                : std::string();
}

bool IsTextual(sqlite3_value* value) {
    const int type = sqlite3_value_type(value);
    return type == SQLITE_TEXT || type == SQLITE_BLOB;
}

// A whole text read as a number (blanks around it allowed), as the original converted a text added to
// a number.
bool ParseNumber(const std::string& text, double& number, bool& integral) {
    size_t from = text.find_first_not_of(" \t");
    if (from == std::string::npos) return false;
    const std::string trimmed = text.substr(from, text.find_last_not_of(" \t") - from + 1);
    errno = 0;
    char* end = nullptr;
    number = std::strtod(trimmed.c_str(), &end);
    if (end == trimmed.c_str() || *end != '\0' || errno == ERANGE || !std::isfinite(number)) return false;
    integral = trimmed.find_first_of(".eE") == std::string::npos && std::fabs(number) < 9.0e18;
    return true;
}

void ResultText(sqlite3_context* context, const std::string& text) {
    sqlite3_result_text(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void KvrAdd(sqlite3_context* context, int, sqlite3_value** argv) {
    sqlite3_value* a = argv[0];
    sqlite3_value* b = argv[1];
    if (sqlite3_value_type(a) == SQLITE_NULL || sqlite3_value_type(b) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    if (IsTextual(a) && IsTextual(b)) {
        ResultText(context, TextOf(a) + TextOf(b));
        return;
    }
    double numbers[2] = {0, 0};
    bool integral[2] = {true, true};
    sqlite3_value* values[2] = {a, b};
    for (int i = 0; i < 2; ++i) {
        sqlite3_value* value = values[i];
        if (sqlite3_value_type(value) == SQLITE_INTEGER) {
            numbers[i] = static_cast<double>(sqlite3_value_int64(value));
        } else if (sqlite3_value_type(value) == SQLITE_FLOAT) {
            numbers[i] = sqlite3_value_double(value);
            integral[i] = false;
        } else if (!ParseNumber(TextOf(value), numbers[i], integral[i])) {
            const std::string message =
                u8"文字 '" + TextOf(value).substr(0, 40) + u8"' 不是数值，不能与数值相加";
            sqlite3_result_error(context, message.c_str(), -1);
            return;
        }
    }
    if (integral[0] && integral[1]) {
        const sqlite3_int64 x = sqlite3_value_type(a) == SQLITE_INTEGER
                                    ? sqlite3_value_int64(a)
                                    : static_cast<sqlite3_int64>(numbers[0]);
        const sqlite3_int64 y = sqlite3_value_type(b) == SQLITE_INTEGER
                                    ? sqlite3_value_int64(b)
                                    : static_cast<sqlite3_int64>(numbers[1]);
        sqlite3_int64 sum = 0;
        if (!__builtin_add_overflow(x, y, &sum)) {
            sqlite3_result_int64(context, sum);
            return;
        }
    }
    sqlite3_result_double(context, numbers[0] + numbers[1]);
}

// The width argument of the padding functions; false (and an error result) when it is unusable.
bool WidthOf(sqlite3_context* context, sqlite3_value* value, size_t& width) {
    const sqlite3_int64 n = sqlite3_value_int64(value);
    if (sqlite3_value_type(value) == SQLITE_NULL || n < 0 || n > 100000) {
        sqlite3_result_error(context, u8"填充长度必须在 0 到 100000 之间", -1);
        return false;
    }
    width = static_cast<size_t>(n);
    return true;
}

void Pad(sqlite3_context* context, int argc, sqlite3_value** argv, bool left, bool cut) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    size_t width = 0;
    if (!WidthOf(context, argv[1], width)) return;
    std::string text = TextOf(argv[0]);
    std::string fill = argc > 2 ? TextOf(argv[2]) : std::string(" ");
    const size_t chars = CharCount(text);
    if (chars >= width) {
        ResultText(context, cut ? text.substr(0, PrefixBytes(text, width)) : text);
        return;
    }
    if (fill.empty()) {
        ResultText(context, text);
        return;
    }
    std::string padding;
    const size_t fillChars = CharCount(fill);
    size_t missing = width - chars;
    while (missing >= fillChars) {
        padding += fill;
        missing -= fillChars;
    }
    padding += fill.substr(0, PrefixBytes(fill, missing));
    ResultText(context, left ? padding + text : text + padding);
}

void KvrChar(sqlite3_context* context, int argc, sqlite3_value** argv) {
    Pad(context, argc, argv, false, false);
}
void RPad(sqlite3_context* context, int argc, sqlite3_value** argv) {
    Pad(context, argc, argv, false, true);
}
void LPad(sqlite3_context* context, int argc, sqlite3_value** argv) {
    Pad(context, argc, argv, true, true);
}

void Len(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    std::string text = TextOf(argv[0]);
    text.erase(text.find_last_not_of(' ') + 1);
    sqlite3_result_int64(context, static_cast<sqlite3_int64>(CharCount(text)));
}

void GetDate(sqlite3_context* context, int, sqlite3_value**) {
    // clock_gettime rather than <chrono>, which does not compile for the GBK execution character set.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(now.tv_nsec / 1000000));
    ResultText(context, text);
}

} // namespace

bool RegisterServerFunctions(sqlite3* db) {
    using TFunction = void (*)(sqlite3_context*, int, sqlite3_value**);
    struct TEntry {
        const char* Name;
        int Args;
        TFunction Function;
        bool Deterministic;
    };
    static const TEntry entries[] = {
        {"KVR_ADD", 2, KvrAdd, true}, {"KVR_CHAR", 2, KvrChar, true}, {"RPAD", 2, RPad, true},
        {"RPAD", 3, RPad, true},      {"LPAD", 2, LPad, true},        {"LPAD", 3, LPad, true},
        {"LEN", 1, Len, true},        {"GETDATE", 0, GetDate, false},
    };
    for (const TEntry& entry : entries) {
        const int flags = SQLITE_UTF8 | SQLITE_INNOCUOUS | (entry.Deterministic ? SQLITE_DETERMINISTIC : 0);
        if (sqlite3_create_function_v2(db, entry.Name, entry.Args, flags, nullptr, entry.Function, nullptr,
                                       nullptr, nullptr) != SQLITE_OK)
            return false;
    }
    return true;
}
