// The table of registered clients. A registration belongs to a connection: its
// client id (the id's unsigned bits) and the connection that made it, so two
// copies of one program, registered under the same id, are two entries. Each
// connection holds one registration at most. The table does not own the
// connections. Every access happens under g_hClientTableMutex, held for the table
// operation alone.
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

// Enters the connection's registration under the id, replacing the one it held
// (a second INIT on one connection), and notes the id in the connection record.
// false when memory ran out: the client simply stays unregistered.
bool RegisterClient(std::int32_t lClientId, PipeConnection* pConnection);
// Removes the connection's registration; none is no error.
void RemoveClient(PipeConnection* pConnection);
bool IsClientTableEmpty();
std::size_t ClientTableSize();

