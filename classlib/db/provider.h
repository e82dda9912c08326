#pragma once
// The provider interface: the late-bound calls a client data set makes on its application server
// object (RemoteServer's AppServer, a dispatch object in process or behind a socket connection).
//
//     AS_GetRecords(ProviderName, Count, ByRef RecsOut, Options, CommandText, Params, DataRequest,
//                   ByRef OwnerData) -> data packet (datapacket.h)
//         ProviderName String   the provider on the server object ("pvdMain")
//         Count        Integer  rows wanted: -1 all that remain, 0 none (field definitions only)
//         RecsOut      Integer  out: the rows the packet holds
//         Options      Integer  grMetaData | grReset: grReset runs the query anew from its first row
//                               (the open, a refresh); without it the call continues after the rows
//                               already delivered (GetNextPacket)
//         CommandText  String   the client's CommandText (empty for none)
//         Params       Variant  the client's Params as an array of [Name, Value] pairs, Empty for none
//         DataRequest  Variant  the client's DataRequest, sent unchanged with every call; the framework
//                               sends [condition, sort text] (condition "" or "All" for none)
//         OwnerData    Variant  Empty with grReset; afterwards what the provider left in it on the
//                               previous call (a provider may keep its position there, or keep it in
//                               its own state: both work)
//         The packet's pfComplete flag tells the client that no further rows follow.
//
//     AS_ApplyUpdates(ProviderName, Delta, MaxErrors, ByRef ErrorCount, ByRef OwnerData)
//                   -> error packet (datapacket.h)
//         Delta        Variant  the client's delta
//         MaxErrors    Integer  errors the provider may accept and still commit the rows without
//                               errors; -1 any number; 0 (and any count exceeded) means all or nothing
//         ErrorCount   Integer  out: the number of rejected rows
//         OwnerData    Variant  the client's DataRequest in, ignored out
//
// A provider that fails as a whole (unknown provider name, a broken connection) raises; a row it
// rejects is an entry of the error packet.
//
// The client data set is wired to a server through a TCustomRemoteServer (classlib/automation/sconnect.h):
// its AppServer() is the dispatch object above, one given in process (SetAppServer) or the remote one of a
// TSocketConnection.
#include "classlib/automation/sconnect.h"
#include "classlib/db/datapacket.h"
#include "classlib/objects/component.h"

// The call names.
constexpr const char* AS_GetRecords = "AS_GetRecords";
constexpr const char* AS_ApplyUpdates = "AS_ApplyUpdates";

// AS_GetRecords options.
constexpr int grMetaData = 0x1;
constexpr int grReset = 0x2;
