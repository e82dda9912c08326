#include "framework/RadicalCF.h"

#include "classlib/objects/formloader.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/strutils.h"

KVR_PUBLISHED(TfrmRadical, c) {}

KVR_FORM_RESOURCE(TfrmRadical, R"(object frmRadical: TfrmRadical
  Visible = False
end
)");

TfrmRadical::TfrmRadical(TComponent* owner, bool load) : TForm(owner) {
    Broker = new TBrokers(this);
    if (load) InitInheritedComponent(this);
}

TfrmRadical::~TfrmRadical() = default;

bool TfrmRadical::InitializeForm(const Variant& params) {
    Hide();
    if (!IsHosted()) {
        OpenParam = VarArrayCreate({0, 0, 0, 0}, varVariant);
    } else if (VarIsArray(params) && VarArrayHighBound(params, 1) >= 4) {
        OpenParam = params.GetElement({4});
    }
    // The start values the broker keeps; a missing one raises the array's bounds
    // error, as the start-up cannot go on without the user, company and database.
    Broker->UserID = VarToStr(params.GetElement({0}));
    Broker->CompanyID = VarToStr(params.GetElement({1}));
    Broker->Database = VarToStr(params.GetElement({2}));
    AnsiString id;
    GetProgramID(id);
    Broker->ProgramID = UpperCase(id);
    const Variant window = params.GetElement({3});
    HostWindow = VarIsNumeric(window) ? window.AsInteger() : 0;
    return true;
}

void TfrmRadical::UpdateButtonStates() {}

bool TfrmRadical::IsHosted() {
    if (!ModuleFileName.empty()) return !SameText(ExtractFileExt(ModuleFileName), ".Exe");
    const AnsiString exe = GetModuleFileName();
    if (UpperCase(exe).find("VORLAN") != AnsiString::npos) return true;
    ModuleFileName = ExtractFileName(exe);
    return false;
}

AnsiString ProgramIDOfFileName(const AnsiString& fileName) {
    const AnsiString name = ExtractFileName(fileName);
    const std::size_t dot = name.find('.');
    if (dot == AnsiString::npos) return AnsiString();
    // Positions from 1 as the rule counts them: the dot itself first, then back
    // to the last digit.
    std::size_t position = dot + 1;
    while (position > 0 && !(name[position - 1] >= '0' && name[position - 1] <= '9'))
        --position;
    return UpperCase(name.substr(0, position));
}

void TfrmRadical::GetProgramID(AnsiString& id) const {
    id = ModuleFileName.empty() ? AnsiString() : ProgramIDOfFileName(ModuleFileName);
}
