#include "foundation/AlertLog.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <typeinfo>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/VeltraneIni.h"

namespace {

// Lines of different threads never interleave inside one file.
std::mutex gLogMutex;

// The Log folder under a base folder, created with its parents; '' when it cannot be made.
AnsiString LogFolder(const AnsiString& base) {
    const AnsiString folder = ExcludeTrailingBackslash(base) + "\\Log";
    return ForceDirectories(folder) ? folder : AnsiString();
}

// A log name is a file name inside the Log folder: a separator in it would reach another folder.
AnsiString FileNamePart(const AnsiString& logName) {
    AnsiString result = logName;
    for (std::size_t i = 0; i < result.size(); i += static_cast<std::size_t>(CharLength(result, i)))
        if (result[i] == '\\' || result[i] == '/') result[i] = '_';
    return result;
}

bool AppendLine(const AnsiString& fileName, const AnsiString& stamp, const AnsiString& text) {
    std::lock_guard<std::mutex> lock(gLogMutex);
    return AppendFileBytes(fileName, "[" + stamp + "] " + text + "\r\n");
}

AnsiString ClassNameOf(const std::exception& e) {
    if (const auto* classLibrary = dynamic_cast<const Exception*>(&e)) return classLibrary->ClassName();
    const char* mangled = typeid(e).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                     std::free);
    return status == 0 && demangled ? AnsiString(demangled.get()) : AnsiString(mangled);
}

AnsiString MessageOf(const std::exception& e) {
    if (const auto* classLibrary = dynamic_cast<const Exception*>(&e)) return classLibrary->Message();
    return e.what();
}

} // namespace

bool WriteAlertLog(const AnsiString& logName, const AnsiString& text, char period) noexcept {
    try {
        AnsiString base = GetVeltranePath2();
        if (base.empty()) base = ExtractFilePath(GetModuleFileName());
        const AnsiString folder = LogFolder(base);
        if (folder.empty()) return false;
        const TDateTime now = Now();
        const char* stampFormat = period == 'M' ? "yyyymm" : period == 'Y' ? "yyyy" : "yyyymmdd";
        AnsiString fileName =
            folder + "\\Alert_" + FileNamePart(logName) + "_" + FormatDateTime(stampFormat, now);
        if (logName.find('.') == AnsiString::npos) fileName += ".log";
        return AppendLine(fileName, FormatDateTime("yyyy/mm/dd hh:nn:ss:zzz", now), text);
    } catch (...) {
        return false;
    }
}

bool WriteOstrelAlert(const AnsiString& text) noexcept {
    try {
        const AnsiString folder = LogFolder(GetVeltranePath());
        if (folder.empty()) return false;
        const TDateTime now = Now();
        const AnsiString fileName = folder + "\\Alert_Ostrel_" + FormatDateTime("yyyymmdd", now) + ".log";
        return AppendLine(fileName, FormatDateTime(ShortDateFormat() + " " + LongTimeFormat(), now), text);
    } catch (...) {
        return false;
    }
}

void LogException(const std::exception* exceptionObject, const AnsiString& location,
                  const AnsiString& programmerMessage) noexcept {
    try {
        const AnsiString dashes(34, '-');
        const AnsiString where = Trim(location).empty() ? AnsiString() : " on " + location + " ";
        WriteOstrelAlert(dashes + where + dashes);

        if (exceptionObject) {
            WriteOstrelAlert("讯息信息:");
            const AnsiString message = MessageOf(*exceptionObject);
            if (const auto* os = dynamic_cast<const EOSError*>(exceptionObject)) {
                WriteOstrelAlert(
                    Format("EWin32Error Error %.2d: Code: %d, Message: %s", {1, os->ErrorCode(), message}));
            } else if (const auto* io = dynamic_cast<const EInOutError*>(exceptionObject)) {
                WriteOstrelAlert(
                    Format("EInOutError Error %.2d: Code: %d, Message: %s", {1, io->ErrorCode(), message}));
            } else {
                WriteOstrelAlert(
                    Format("Exception is %s\r\nMessage %.2d: ", {ClassNameOf(*exceptionObject), 1}) +
                    message);
            }
            WriteOstrelAlert(Format("ErrorMessage Count: %d", {1}));
        }

        const AnsiString programmer = Trim(programmerMessage);
        if (!programmer.empty()) WriteOstrelAlert("Programer Message: " + programmer);
    } catch (...) {
    }
}
