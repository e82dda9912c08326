#pragma once
// Free routines of the root form and data module and the levels above them: data-set events suspended
// and resumed, the text conversions behind the time, day, month, percentage and year-month field
// handlers, FLAG values made positive again after editing, posting and applying, null fields filled,
// and a file's property sheet.
#include "classlib/db/dbclient.h"
#include "classlib/rtl/shellapi.h"
#include "classlib/rtl/varview.h"
#include "foundation/LibVCLs.h"

// The ten events of DataSetEventNames, saved in that order and cleared; and put back.
void SuspendDataSetEvents(TDataSet* dataSet, TDataSetEvents& saved);
void ResumeDataSetEvents(TDataSet* dataSet, const TDataSetEvents& saved);

// Percentages: a stored 0.125 shows as "12.50%"; "12.5%" stores 0.125, a text that is no number 0.
void DoPercentGetText(TField* field, AnsiString& text);
void DoPercentSetText(TField* field, const AnsiString& text);
// Times stored as HHMM text and edited as "HH:MM". Validate: true outside editing and for an empty
// text, else four characters with hours 0-23 and minutes 0-59; a part that is no number raises
// EConvertError.
bool DoTimeValidate(TField* field);
void DoTimeSetText(TField* field, const AnsiString& text);
void DoTimeGetText(TField* field, AnsiString& text);
// Day and month texts: blank stores null, a number is stored with two digits; a text that is no
// number raises EConvertError and the field keeps its value.
void DoDaySetText(TField* field, const AnsiString& text);
void DoMonthSetText(TField* field, const AnsiString& text);

// "year<sep>month" (kind 1), "month<sep>year" (kinds 2, 3) or an ROC year first (kinds 4, 5: year +
// 1911) to YYYYMM. Result stays as it was when a part is not above "0" or anything fails.
void ComposeYearMonth(const AnsiString& text, int kind, const AnsiString& separator, AnsiString& result);

// Makes negative FLAG values positive again: every row of a nested data set (when nested), the
// current row of any other, and the nested lines below each of those rows.
bool RestoreNegativeFlags(TDataSet* dataSet, bool nested);
// RestoreNegativeFlags, posts a pending edit, applies with no error allowed: true only when the server
// accepted every row. An exception is written to the alert log "Class knlRadical-311" and raised again.
bool PostAndApply(TCustomClientDataSet* dataSet);

// Null string fields become '', null integer and float fields 0, without their validate and change
// handlers; other fields stay null. Nothing unless the data set is being edited or inserted.
void FillNullFields(TDataSet* dataSet);

// The shell's property sheet of the file: shell execution with the verb "properties" and the mask
// SEE_MASK_INVOKEIDLIST (0x0C). The shell is the host's: without one installed nothing happens (false).
bool ShowFileProperties(const AnsiString& path);
