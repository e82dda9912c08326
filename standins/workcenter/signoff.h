#pragma once
// The sign-off system's side of the counter requests "GetQZApprove" and "CallWebService": what the
// sign-off system answers, from its approval records (table QZAPPROVE) and its opinion pages.
#include "standins/shared/database.h"

// [user, sign-off form ID, key condition, code page]: the sign-off information of the document
//   <RetVal><RetInfo><ErrNum/><ErrDis/></RetInfo><ApproveInfo><PassNoInfoList>
//     <PassNoInfo><PassNo/><BranchInfoList><BranchInfo><BranchNo/><FlowRole/>
//       <PersonInfo><RecTime/><ApproveTime/><ApproveRet/><RecPersonId/><RecPersonName/>
//         <ApprovePersonId/><ApprovePersonName/></PersonInfo>...
//   ErrNum 0 with no PassNoInfo when the document has no records; ErrNum 1 for a request without a
//   form or key values.
AnsiString SignOffApproveInfo(TDbSession& session, const Variant& params);

// The key values of a key condition ("T.A = 'x' and T.B = 2") in order, joined by "||" as the
// sign-off job queue keys documents.
AnsiString KeyValuesOfCondition(const AnsiString& condition);

// [service address, method, request XML, flag]: the web service's response. GetApproveOpinion
// answers the address of the document's opinion page in //Response/ResponseContent/ContentText/URL;
// any other request answers ErrNum 1 with the reason in ResponseContent.
AnsiString SignOffWebService(const Variant& params);
