#pragma once
// The command line of kvrhost.
#include <string>

struct TOptions {
    std::string ClientIni;
    std::string User = "DEMO";
    std::string Company = "DEMO";
    std::string Database = "DEMO";
    std::string Param;
    std::string ParameterFile; // the file of SetParameter's text; empty: SetParameter is not called
    std::string ParameterText; // its contents, read by main before the session starts
    int Mode = 0;
    int Rights = 255;
    bool Modal = false;
    bool Quiet = false;
    bool Help = false;
    std::string Module;
    std::string Script; // empty: standard input
};

// False with the reason in error for a usage error.
bool ParseOptions(int argc, char** argv, TOptions& options, std::string& error);
const char* UsageText();
