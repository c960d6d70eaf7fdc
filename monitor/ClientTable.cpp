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

void EraseRegistration(PipeConnection* pConnection)
{
    if (!pConnection->m_bRegistered)
        return;
    auto range = g_clientTable.equal_range(TableKey(pConnection->m_lClientId));
    for (auto it = range.first; it != range.second; ++it)
    {
        if (it->second == pConnection)
        {
            g_clientTable.erase(it);
            break;
        }
    }
    pConnection->m_bRegistered = false;
}

} // namespace

bool RegisterClient(std::int32_t lClientId, PipeConnection* pConnection)
{
    CClientTableLock lock;
    // Every request after INIT that leaves the result 0 comes here again.
    if (pConnection->m_bRegistered && pConnection->m_lClientId == lClientId)
        return true;
    EraseRegistration(pConnection);
    try
    {
        g_clientTable.emplace(TableKey(lClientId), pConnection);
    }
    catch (const std::bad_alloc&)
    {
        // A connection thread must never end by an exception.
        return false;
    }
    pConnection->m_lClientId = lClientId;
    pConnection->m_bRegistered = true;
    return true;
}

void RemoveClient(PipeConnection* pConnection)
{
    if (!pConnection)
        return;
    CClientTableLock lock;
    EraseRegistration(pConnection);
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

