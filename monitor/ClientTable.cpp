#include "ClientTable.h"

#include "ConnectionState.h"

#include <new>

CClientTableLock::CClientTableLock()
{
    ::WaitForSingleObject(g_hClientTableMutex, INFINITE);
}

CClientTableLock::~CClientTableLock()
{
    ::ReleaseMutex(g_hClientTableMutex);
}

namespace
{

std::uint32_t TableKey(std::int32_t lClientId)
{
    return static_cast<std::uint32_t>(lClientId);
}

} // namespace

bool RegisterClient(std::int32_t lClientId, PipeConnection* pConnection)
{
    CClientTableLock lock;
    try
    {
        g_clientTable.emplace(TableKey(lClientId), pConnection);
        pConnection->m_lClientId = lClientId;
        return true;
    }
    catch (const std::bad_alloc&)
    {
        // A connection thread must never end by an exception: the client simply
        // stays unregistered.
        return false;
    }
}

void RemoveClient(std::int32_t lClientId)
{
    CClientTableLock lock;
    g_clientTable.erase(TableKey(lClientId));
}

bool IsClientTableEmpty()
{
    CClientTableLock lock;
    return g_clientTable.empty();
}

std::size_t ClientTableSize()
{
    CClientTableLock lock;
    return g_clientTable.size();
}
