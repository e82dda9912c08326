#pragma once
// The alert logs: plain-text files in the Log folder of the installation, appended to and never read
// back, for internal failures that the user is not told about.
#include <exception>

#include "classlib/rtl/types.h"

// Appends "[yyyy/mm/dd hh:nn:ss:zzz] text" to Log\Alert_<logName>_<period stamp>[.log]. Period 'D' a
// file a day, 'M' a month, 'Y' a year; any other letter counts as 'D'. False when it could not write;
// never raises.
bool WriteAlertLog(const AnsiString& logName, const AnsiString& text, char period = 'D') noexcept;
// Appends one line to the generator alert log, Log\Alert_Ostrel_<yyyymmdd>.log under GetVeltranePath.
bool WriteOstrelAlert(const AnsiString& text) noexcept;
// Writes a framed block about an exception (or none) into the generator alert log.
void LogException(const std::exception* exceptionObject, const AnsiString& location,
                  const AnsiString& programmerMessage) noexcept;
