#pragma once
// What the work centre's services share: the session on the database (opened on first use from the
// server configuration, serverconfig.h), the catalogue, the message texts, and the chooser that
// shows the host's modal dialogs (lookup window, date picker, phrase picker, calculator).
#include <memory>
#include <mutex>
#include <vector>

#include "standins/shared/catalogue.h"
#include "standins/shared/database.h"
#include "standins/shared/messages.h"
#include "standins/shared/serverconfig.h"

enum class TChooseKind { Lookup, Phrase, Characters };

// The rows a dialog offers: the column titles and the candidate rows.
struct TChooseRequest {
    TChooseKind Kind = TChooseKind::Lookup;
    AnsiString Table, QueryNo; // lookups: the table and query number
    AnsiString Current;        // the text typed so far, or the text the picker starts from
    bool MultiSelect = false;
    std::vector<AnsiString> Captions;
    std::vector<TDbRow> Rows;
};

// The host's modal dialogs: the chosen rows by index, a date as YYYYMMDD, the calculator's result;
// empty for nothing chosen. Without a chooser nothing is chosen.
class TWorkCenterChooser {
public:
    virtual ~TWorkCenterChooser() = default;
    virtual std::vector<int> ChooseRows(const TChooseRequest& request) = 0;
    virtual AnsiString ChooseDate(const AnsiString& date, bool rocYear) = 0;
    virtual AnsiString Calculate(const AnsiString& text) = 0;
};

// The chooser of the work-centre objects made from now on: the host's dialogs (wcdialogs.h) unless
// another one is set before they are created.
void SetWorkCenterChooser(std::shared_ptr<TWorkCenterChooser> chooser);
std::shared_ptr<TWorkCenterChooser> WorkCenterChooser();

// The text of an XML element the services answer: the few characters markup reserves are escaped.
AnsiString XmlText(const AnsiString& text);

struct TWorkCenterState {
    std::shared_ptr<TWorkCenterChooser> Chooser;

    // Raise EDbError when the database or the data files cannot be read.
    TDbSession& Session();
    const TCatalogue& Catalogue();
    const TMessageFile& Messages();

private:
    TServerSession FSession;
    std::shared_ptr<const TCatalogue> FCatalogue;
    std::shared_ptr<const TMessageFile> FMessages;
};
