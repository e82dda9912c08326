#include "standins/outside/dms/dmsc.h"

#include "classlib/automation/comserv.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/strutils.h"

#include <mutex>

namespace {

std::mutex gLock;
std::vector<Variant> gCheckOuts;

TAutoObjectFactory gDmsFactory("DmsC.DMSClass1", [] { return Variant(new TDMSClass); });

AnsiString Element(const Variant& array, int index) {
    if (!VarIsArray(array)) return AnsiString();
    const int at = VarArrayLowBound(array, 1) + index;
    return at <= VarArrayHighBound(array, 1) ? VarToStr(array.GetElement({at})) : AnsiString();
}

} // namespace

std::vector<Variant> DmsCheckOuts() {
    std::lock_guard<std::mutex> lock(gLock);
    return gCheckOuts;
}

void ClearDmsCheckOuts() {
    std::lock_guard<std::mutex> lock(gLock);
    gCheckOuts.clear();
}

int TDMSClass::CheckOut(const Variant& parameters, Variant& files) {
    {
        std::lock_guard<std::mutex> lock(gLock);
        gCheckOuts.push_back(parameters);
    }
    const AnsiString document = Trim(Element(parameters, 2));
    if (document.empty() || !SameText(Trim(Element(parameters, 1)), "R")) return -1;
    const AnsiString folder = GetTempPath() + "DMS\\";
    ForceDirectories(folder);
    // A document name is a file name here: its separators would leave the folder.
    AnsiString name = document;
    for (char& c : name)
        if (c == '\\' || c == '/' || c == ':') c = '_';
    const AnsiString version = Trim(Element(parameters, 3));
    const AnsiString path = folder + name + (version.empty() ? AnsiString() : "_" + version) + ".txt";
    if (!SaveFileBytes(path, "document " + document + " version " + version + " for " +
                                 Element(parameters, 0) + "\r\n"))
        return -1;
    files = VarArrayOf({path});
    return 0;
}

const TAutoMembers& TDMSClass::Members() const {
    static const TAutoMembers members{
        AutoMethod("CheckOut", &TDMSClass::CheckOut),
    };
    return members;
}
