#pragma once
// The host's automation object "VorlanWorkCenter.Manager" as kvrhost offers it until the work centre
// of the servers is built: it answers the version the module requires, its product ID, Connect and the
// message texts of data/messages, and hands out its three services as objects without members yet.
#include "classlib/rtl/types.h"

// Registers the class under its program identifier for CreateOleObject in this process, with the
// message file to answer GetMessage from ('' or a missing file: every text is empty).
void RegisterWorkCenterStandin(const AnsiString& messageFile);
