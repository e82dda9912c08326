#include "apps/kvrhost/ScriptParser.h"

#include <cctype>

bool ParseScriptLine(const std::string& text, int line, TScriptCommand& command, std::string& error) {
    command = TScriptCommand();
    command.Line = line;
    std::vector<std::string> words;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c == '#') break;
        std::string word;
        if (c == '"') {
            ++i;
            bool closed = false;
            while (i < n) {
                const char d = text[i];
                if (d == '\\' && i + 1 < n && (text[i + 1] == '"' || text[i + 1] == '\\')) {
                    word += text[i + 1];
                    i += 2;
                } else if (d == '"') {
                    ++i;
                    closed = true;
                    break;
                } else {
                    word += d;
                    ++i;
                }
            }
            if (!closed) {
                error = "unterminated quoted text";
                return false;
            }
        } else {
            while (i < n && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '\n') {
                word += text[i];
                ++i;
            }
        }
        words.push_back(word);
    }
    if (words.empty()) return true;
    for (char& ch : words[0])
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    command.Name = words[0];
    command.Args.assign(words.begin() + 1, words.end());
    return true;
}
