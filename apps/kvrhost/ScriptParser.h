#pragma once
// The session script language of kvrhost: one command a line, "#" starts a comment, arguments
// separated by blanks, a text with blanks in double quotes (with \" and \\ inside).
#include <string>
#include <vector>

struct TScriptCommand {
    int Line = 0;
    std::string Name;              // lower case
    std::vector<std::string> Args; // UTF-8, quotes removed
};

// Splits one line; false with the reason in error for an unterminated quote. A blank or comment line
// gives a command with an empty name.
bool ParseScriptLine(const std::string& text, int line, TScriptCommand& command, std::string& error);
