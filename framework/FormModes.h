#pragma once
// What the host grants a document form, as the controller hands it over (SetMode) and the forms act on
// it: the operation mask and the open mode of TfrmRadical.
#include "classlib/rtl/types.h"

// The operation mask: one bit per command the host allows. The controller only ever clears bits (one
// for each right the host withholds); OPERATION_ALWAYS is never cleared.
constexpr Word OPERATION_ADD = 0x01;
constexpr Word OPERATION_CHANGE = 0x02;
constexpr Word OPERATION_QUERY = 0x04;
constexpr Word OPERATION_DELETE = 0x08;
constexpr Word OPERATION_PRINT = 0x10;
constexpr Word OPERATION_CONFIRM = 0x20;
constexpr Word OPERATION_UNCONFIRM = 0x40;
constexpr Word OPERATION_VOID = 0x80;
constexpr Word OPERATION_ALWAYS = 0x100;
constexpr Word OPERATION_MASK_ALL = 0x1FF; // a new form's mask

// The open modes (modes 2 and 4 ask nothing of the forms). With a parameter: the form adds or changes the
// record the parameter names and closes after a successful save.
constexpr int OPEN_MODE_NONE = 0;
constexpr int OPEN_MODE_ADD = 1;
constexpr int OPEN_MODE_EDIT = 3;
constexpr int OPEN_MODE_PRINT = 5;
constexpr int OPEN_MODE_ADD_WITH_PARAM = 7;
constexpr int OPEN_MODE_EDIT_WITH_PARAM = 8;
constexpr int OPEN_MODE_HOST_10 = 9;  // the host's mode 10, with its parameter
constexpr int OPEN_MODE_HOST_12 = 10; // the host's mode 12: no user settings, no character picker
constexpr int OPEN_MODE_IMPORT = 11;  // data import: the parameter is the import document
