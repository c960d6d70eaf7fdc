// The table of registered clients: client id (its unsigned bits) to the
// connection that registered it. The table does not own the connections. Every
// access happens under g_hClientTableMutex, held for the table operation alone.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>

struct PipeConnection;

typedef std::map<std::uint32_t, PipeConnection*> ClientTable;

extern HANDLE g_hClientTableMutex;
extern ClientTable g_clientTable;

// Holds g_hClientTableMutex for its lifetime.
class CClientTableLock
{
public:
    CClientTableLock();
    ~CClientTableLock();
    CClientTableLock(const CClientTableLock&) = delete;
    CClientTableLock& operator=(const CClientTableLock&) = delete;
};

// Enters the connection under the id unless the id is present (an existing entry
// stays), and notes the id in the connection record. false when memory ran out
// and nothing was entered.
bool RegisterClient(std::int32_t lClientId, PipeConnection* pConnection);
// Removes the id's entry; a missing id is no error.
void RemoveClient(std::int32_t lClientId);
bool IsClientTableEmpty();
std::size_t ClientTableSize();
