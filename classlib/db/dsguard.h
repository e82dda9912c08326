#pragma once
// A data set held still for the time of a scope, put back however the scope ends (an exception
// included): what was taken is given back in reverse order, the record it stood on first, then its
// handlers, then its controls.
#include <initializer_list>
#include <utility>
#include <vector>

#include "classlib/db/db.h"

class TDataSetGuard {
public:
    enum TOption : unsigned {
        dgControls = 1, // the controls rest (DisableControls, EnableControls)
        dgPosition = 2, // back to the record it browsed on, when that record is still there
        dgEvents = 4,   // its ten data-set handlers cleared (and the source's two, given a source)
    };
    // The ten handlers that dgEvents clears, in the order they are saved.
    static const std::vector<AnsiString>& DataSetEventNames();

    TDataSetGuard(TDataSet* dataSet, unsigned options, TDataSource* source = nullptr);
    // Only the named handlers cleared (a name the data set does not publish as an event is passed over).
    TDataSetGuard(TDataSet* dataSet, std::initializer_list<const char*> events);
    ~TDataSetGuard();
    TDataSetGuard(const TDataSetGuard&) = delete;
    TDataSetGuard& operator=(const TDataSetGuard&) = delete;

private:
    void Clear(TObject* owner, const AnsiString& name);

    TDataSet* FDataSet;
    bool FControls = false;
    TBookmark FMark = nullptr;
    std::vector<std::pair<TObject*, std::pair<AnsiString, TMethod>>> FEvents;
};
