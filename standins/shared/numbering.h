#pragma once
// Document numbering by the rule of the document type (the catalogue's Sequence entries of the table):
// kind 1 the date YYYYMMDD and a running part, 2 the year-month YYYYMM and a running part, 3 a running
// number alone, 4 numbered by hand. The running part has the type's digits and starts at 1 for each
// prefix; the next number is the highest in use with the prefix plus one.
#include <functional>
#include <vector>

#include "standins/shared/catalogue.h"

// Runs a catalogue entry with its keys (on the read connection, or inside the save's transaction).
using TCatalogueRunner =
    std::function<TDbResult(const TCatalogueEntry& entry, const std::vector<Variant>& keys)>;

// The next number of the type for the date (YYYYMMDD; another text takes today); '' when the type is
// numbered by hand or the table has no rule. EDbError when the type is unknown or its numbers are used up.
AnsiString NextDocumentNumber(const TCatalogue& catalogue, const TCatalogueRunner& run,
                              const AnsiString& table, const AnsiString& docType, const AnsiString& dateText);
