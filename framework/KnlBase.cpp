#include "framework/KnlBase.h"

#include <optional>

#include "classlib/controls/forms.h"
#include "classlib/controls/hourglass.h"
#include "classlib/db/dsguard.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/inifiles.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/LibVCLs.h"
#include "foundation/VeltraneIni.h"
#include "foundation/libstrs.h"
#include "framework/FieldLists.h"

namespace {

void DeleteOneRecord(TDataSet* dataSet, bool suspendEvents) {
    for (int i = 0; i < dataSet->FieldCount(); ++i) {
        auto* field = AsDataSetField(dataSet->Fields()->Fields(i));
        if (field && field->NestedDataSet() && field->NestedDataSet()->Active())
            DeleteRecordCascade(field->NestedDataSet(), true, suspendEvents);
    }
    dataSet->Delete();
}

} // namespace

bool DeleteRecordCascade(TDataSet* dataSet, bool wholeNested, bool suspendEvents) {
    if (!dataSet || !dataSet->Active()) return true;
    std::optional<TDataSetGuard> events;
    if (suspendEvents)
        events.emplace(dataSet, std::initializer_list<const char*>{"AfterDelete", "AfterScroll",
                                                                   "BeforeDelete", "BeforeScroll"});
    if (dataSet->DataSetField() && wholeNested) {
        TDataSetGuard controls(dataSet, TDataSetGuard::dgControls);
        dataSet->Last();
        while (!dataSet->Bof()) {
            const int before = dataSet->RecordCount();
            DeleteOneRecord(dataSet, suspendEvents);
            if (dataSet->RecordCount() >= before) break; // nothing went: never loop on the same row
            dataSet->Last();
        }
    } else if (!dataSet->IsEmpty()) {
        DeleteOneRecord(dataSet, suspendEvents);
    }
    return true;
}

void LastOrNextPacket(TCustomClientDataSet* dataSet) {
    if (!dataSet || !dataSet->Active()) return;
    if (dataSet->Eof()) {
        dataSet->GetNextPacket();
        return;
    }
    // Last fetches every remaining packet while fetch on demand is on: off for the move, so that it stops
    // at the last record fetched so far.
    const bool fetchOnDemand = dataSet->FetchOnDemand();
    dataSet->SetFetchOnDemand(false);
    try {
        dataSet->Last();
    } catch (...) {
        dataSet->SetFetchOnDemand(fetchOnDemand);
        throw;
    }
    dataSet->SetFetchOnDemand(fetchOnDemand);
}

void FetchBeforeScroll(TDataSet* dataSet, TDataSource* dataSource) {
    auto* clientDataSet = dynamic_cast<TCustomClientDataSet*>(dataSet);
    if (!clientDataSet || !clientDataSet->Active() || !clientDataSet->Eof() ||
        clientDataSet->State() != dsBrowse)
        return;
    TDataSetGuard controls(clientDataSet, TDataSetGuard::dgControls);
    TNotifyEvent onStateChange;
    if (dataSource) {
        onStateChange = dataSource->OnStateChange();
        dataSource->SetOnStateChange(nullptr);
    }
    struct TRestore {
        TDataSource* Source;
        const TNotifyEvent& Handler;
        ~TRestore() {
            if (Source) Source->SetOnStateChange(Handler);
        }
    } restore{dataSource, onStateChange};
    clientDataSet->GetNextPacket();
}

bool ReopenWithCondition(TCustomClientDataSet* dataSet, const AnsiString& where, const AnsiString& order) {
    if (!dataSet) return false;
    try {
        dataSet->Close();
        const AnsiString condition = SameText(Trim(where), "All") ? AnsiString() : where;
        [[maybe_unused]] THourGlass hourGlass;
        dataSet->SetDataRequest(VarArrayOf({Variant(AnsiToWideCP(condition, 936)), Variant(order)}));
        dataSet->Open();
        return dataSet->Active();
    } catch (const std::exception& e) {
        const auto* error = dynamic_cast<const Exception*>(&e);
        WriteAlertLog("knlBase-103", error ? error->Message() : AnsiString(e.what()), 'D');
        try {
            dataSet->Close();
        } catch (...) {
        }
        return false;
    }
}

bool FindFirstEmptyField(TDataSet* dataSet, const AnsiString& list, TField*& field) {
    field = nullptr;
    if (!dataSet || Trim(list).empty()) return false;
    const std::vector<TFieldListItem> items = ParseFieldList(list);
    const TFieldListItem* item = FindFieldListItem(items, dataSet->Name());
    if (!item) return false;
    for (const AnsiString& name : item->FieldNames) {
        TField* candidate = dataSet->FindField(name);
        if (!candidate || candidate->ReadOnly() || !candidate->Visible() || candidate->FieldKind() != fkData)
            continue;
        if (Trim(candidate->Text()).empty()) {
            field = candidate;
            return true;
        }
    }
    return false;
}

// ---- grid views ----

AnsiString GridViewSection(TDataSet* dataSet, int number) {
    if (!dataSet) return AnsiString();
    AnsiString section = dataSet->Name();
    if (number >= 0 && UpperCase(section).find("CDSBODY") != AnsiString::npos)
        section += "_" + IntToStr(number);
    return section;
}

AnsiString GridViewBasePath() {
    TVeltraneIniC client;
    if (client.ClientPath.empty() || client.IniFileName.empty()) return AnsiString();
    const AnsiString fallback = client.ClientPath + "c_Data\\";
    const AnsiString path =
        Trim(TIniFile(client.IniFileName).ReadString("Client Components", "GridViewDataPath", fallback));
    return path.empty() ? fallback : path;
}

namespace {
AnsiString UserFolder(const AnsiString& base, const AnsiString& subFolder) {
    AnsiString folder = IncludeTrailingBackslash(base);
    if (!subFolder.empty()) folder += subFolder + "\\";
    return folder;
}
} // namespace

void LoadGridView(const AnsiString& subFolder, const AnsiString& fileName, TDataSet* dataSet, int number) {
    if (!dataSet || dataSet->Name().empty()) return;
    const AnsiString base = GridViewBasePath();
    if (base.empty()) return;
    const AnsiString own = UserFolder(base, subFolder) + fileName + ".ugs";
    // The shared file lies in the base folder, whether or not the setting ends in a separator.
    const AnsiString path = FileExists(own) ? own : IncludeTrailingBackslash(base) + fileName + ".ugs";
    LoadGridViewFile(path, dataSet, number);
}

void SaveGridView(const AnsiString& subFolder, const AnsiString& fileName, TDataSet* dataSet, int number) {
    if (!dataSet || dataSet->Name().empty()) return;
    const AnsiString base = GridViewBasePath();
    if (base.empty()) return;
    const AnsiString folder = UserFolder(base, subFolder);
    ForceDirectories(folder);
    SaveGridViewFile(folder + fileName + ".ugs", dataSet, number);
}

void LoadGridViewFile(const AnsiString& path, TDataSet* dataSet, int number) {
    if (!dataSet || !FileExists(path)) return;
    const TIniFile ini(path);
    std::vector<AnsiString> lines;
    ini.ReadSectionValues(GridViewSection(dataSet, number), lines);
    for (const AnsiString& line : lines) {
        const std::size_t equals = line.find('=');
        if (equals == AnsiString::npos) continue;
        const AnsiString value = line.substr(equals + 1);
        TField* field = value.empty() ? nullptr : dataSet->FindField(line.substr(0, equals));
        if (!field) continue;
        const std::size_t first = value.find(';');
        const std::size_t second = first == AnsiString::npos ? AnsiString::npos : value.find(';', first + 1);
        int index = 0, width = 0;
        if (!TryStrToInt(value.substr(0, first), index) || index < 0 || index >= dataSet->FieldCount())
            continue;
        if (first == AnsiString::npos ||
            !TryStrToInt(
                value.substr(first + 1, second == AnsiString::npos ? AnsiString::npos : second - first - 1),
                width) ||
            width < 0)
            continue;
        field->SetDisplayWidth(width);
        if (auto* numeric = dynamic_cast<TNumericField*>(field); numeric && second != AnsiString::npos) {
            const AnsiString format = value.substr(second + 1);
            if (!Trim(format).empty()) numeric->SetDisplayFormat(format);
        }
        field->SetIndex(index);
    }
}

void SaveGridViewFile(const AnsiString& path, TDataSet* dataSet, int number) {
    if (!dataSet) return;
    TIniFile ini(path);
    const AnsiString section = GridViewSection(dataSet, number);
    ini.EraseSection(section);
    for (int i = 0; i < dataSet->FieldCount(); ++i) {
        TField* field = dataSet->Fields()->Fields(i);
        AnsiString value = IntToStr(field->Index()) + ";" + IntToStr(field->DisplayWidth());
        if (auto* numeric = dynamic_cast<TNumericField*>(field)) value += ";" + numeric->DisplayFormat();
        ini.WriteString(section, field->FieldName(), value);
    }
}
