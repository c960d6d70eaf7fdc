// The table of registered clients. A registration belongs to a connection: its
// client id (the id's unsigned bits) and the connection that made it, so two
// copies of one program, registered under the same id, are two entries. Each
// connection holds one registration at most. The table does not own the
// connections. Every access happens under g_hClientTableMutex, held for the table
// operation alone.
//
// The table also decides the monitor's end, under the same mutex: the pipe
// server asks for it when the table has become empty, the window's thread decides
// again when it acts on the request, and once the end is decided the table takes
// no more registrations.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>

struct PipeConnection;

typedef std::multimap<std::uint32_t, PipeConnection*> ClientTable;

extern HANDLE g_hClientTableMutex;
extern ClientTable g_clientTable;

// Holds g_hClientTableMutex for its lifetime (its thread may take it again inside).
class CClientTableLock
{
public:
    CClientTableLock();
    ~CClientTableLock();
    CClientTableLock(const CClientTableLock&) = delete;
    CClientTableLock& operator=(const CClientTableLock&) = delete;
};

enum class RegisterResult
{
    kRegistered,
    kNoMemory,      // nothing entered; the client simply stays unregistered
    kMonitorEnding, // the end is decided: the INIT must not be answered
};

// Enters the connection's registration under the id, replacing the one it held
// (a second INIT on one connection), and notes the id in the connection record.
RegisterResult RegisterClient(std::int32_t lClientId, PipeConnection* pConnection);
// Removes the connection's registration; none is no error.
void RemoveClient(PipeConnection* pConnection);

// The pipe server's side of the end. BeginPipeExitRequest: true when the table is
// empty; the request is then noted, the caller sends the Exit command and calls
// EndPipeExitRequest once the send has returned.
bool BeginPipeExitRequest();
void EndPipeExitRequest();
// The window's thread, for every Exit command: true when the monitor is to end.
// bSentByAnotherThread: the command was sent (not posted) from another thread,
// which is how the pipe server's request arrives. While a request of the pipe
// server is noted, the first such command counts as that request and ends the
// monitor only if no connection has registered since; every other Exit (the
// menus, anything posted, anything sent while no request is noted) always ends
// it. Once true, registrations are refused.
bool DecideExit(bool bSentByAnotherThread);
