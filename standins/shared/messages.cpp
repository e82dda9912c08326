#include "standins/shared/messages.h"

#include <fstream>
#include <sstream>

#include "classlib/rtl/strutils.h"
#include "standins/shared/dberrors.h"

namespace {

bool IsKindLetter(char c) {
    return c == 'E' || c == 'W' || c == 'I' || c == 'C' || c == 'D' || c == 'Q';
}

bool IsCode(const std::string& code) {
    if (code.size() != 6) return false;
    for (char c : code)
        if (c < '0' || c > '9') return false;
    return true;
}

// "\n" in a text is a line break. Byte by byte: the text is UTF-8, not the system code page.
std::string LineBreaks(const std::string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            result += '\n';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

} // namespace

void TMessageFile::LoadFromFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw EDbError(u8"找不到讯息文件 " + path);
    std::ostringstream text;
    text << file.rdbuf();
    LoadFromText(text.str(), path);
}

void TMessageFile::LoadFromText(const std::string& text, const std::string& sourceName) {
    std::map<std::string, std::string> texts;
    std::istringstream stream(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(stream, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (Trim(line).empty() || line[0] == '#') continue;
        const size_t equals = line.find('=');
        const std::string key = equals == std::string::npos ? line : Trim(line.substr(0, equals));
        if (equals == std::string::npos || key.size() != 7 || !IsKindLetter(key[0]) || !IsCode(key.substr(1)))
            throw EDbError(sourceName + u8" 第 " + std::to_string(lineNo) +
                           u8" 行: 应为 种类字母+六位代码=讯息");
        if (texts.count(key))
            throw EDbError(sourceName + u8" 第 " + std::to_string(lineNo) + u8" 行: 讯息 " + key + u8" 重复");
        texts[key] = LineBreaks(line.substr(equals + 1));
    }
    FTexts = std::move(texts);
}

std::string TMessageFile::Text(const std::string& kind, const std::string& code) const {
    const std::string letter = kind == "T" ? "E" : kind;
    auto found = FTexts.find(letter + Trim(code));
    return found == FTexts.end() ? std::string() : found->second;
}
