#pragma once
// The message texts of the work centre (data/messages): one text per kind letter and six-digit code,
// UTF-8, "%s" where the caller's arguments go. The file's header describes the format.
#include <map>
#include <string>

class TMessageFile {
public:
    // Reads the file; a malformed line raises EDbError naming the file and the line (a UTF-8 message).
    void LoadFromFile(const std::string& path);
    void LoadFromText(const std::string& text, const std::string& sourceName);

    // The text of a kind and code (UTF-8); kind "T" reads the text of kind "E". Empty when unknown.
    std::string Text(const std::string& kind, const std::string& code) const;
    const std::map<std::string, std::string>& Texts() const { return FTexts; } // "E000008" -> text

private:
    std::map<std::string, std::string> FTexts;
};
