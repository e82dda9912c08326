#include "classlib/db/dsguard.h"

#include "classlib/objects/rtti.h"

namespace {

// A published event of the object; nil for another kind, or a handler that cannot be read or written.
const TPropInfo* EventProp(TObject* object, const AnsiString& name) {
    const TPropInfo* prop = GetPropInfo(object, name);
    return prop && prop->Kind() == tkMethod && prop->Readable() && prop->Writable() ? prop : nullptr;
}

} // namespace

const std::vector<AnsiString>& TDataSetGuard::DataSetEventNames() {
    static const std::vector<AnsiString> names{"AfterEdit",    "AfterInsert",  "AfterOpen",  "AfterPost",
                                               "BeforeEdit",   "BeforeInsert", "BeforeOpen", "BeforePost",
                                               "BeforeScroll", "AfterScroll"};
    return names;
}

TDataSetGuard::TDataSetGuard(TDataSet* dataSet, unsigned options, TDataSource* source) : FDataSet(dataSet) {
    if (options & dgControls) {
        FDataSet->DisableControls();
        FControls = true;
    }
    if (options & dgEvents) {
        for (const AnsiString& name : DataSetEventNames())
            Clear(FDataSet, name);
        if (source) {
            Clear(source, "OnDataChange");
            Clear(source, "OnStateChange");
        }
    }
    if ((options & dgPosition) && FDataSet->State() == dsBrowse && !FDataSet->IsEmpty())
        FMark = FDataSet->GetBookmark();
}

TDataSetGuard::TDataSetGuard(TDataSet* dataSet, std::initializer_list<const char*> events)
    : FDataSet(dataSet) {
    for (const char* name : events)
        Clear(FDataSet, name);
}

TDataSetGuard::~TDataSetGuard() {
    if (FMark) {
        try {
            if (FDataSet->State() == dsBrowse && FDataSet->BookmarkValid(FMark))
                FDataSet->GotoBookmark(FMark);
        } catch (const Exception&) {
            // the record is gone or the set closed: it stays where the work left it
        }
        FDataSet->FreeBookmark(FMark);
    }
    for (auto it = FEvents.rbegin(); it != FEvents.rend(); ++it) {
        try {
            EventProp(it->first, it->second.first)->SetMethod(it->first, it->second.second);
        } catch (const EPropertyError&) {
        }
    }
    if (FControls) FDataSet->EnableControls();
}

void TDataSetGuard::Clear(TObject* owner, const AnsiString& name) {
    const TPropInfo* prop = EventProp(owner, name);
    if (!prop) return;
    try {
        const TMethod saved = prop->GetMethod(owner);
        prop->SetMethod(owner, TMethod());
        FEvents.push_back({owner, {name, saved}});
    } catch (const EPropertyError&) {
        // a handler of another signature: left as it is
    }
}
