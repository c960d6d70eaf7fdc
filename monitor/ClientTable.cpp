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

// All under the table mutex.
bool g_bEndDecided = false;
// Pipe server threads in the middle of sending their Exit request, and how many
// of those requests the window's thread has not yet recognised. An unrecognised
// request is withdrawn when its send returns, so none outlives its sender.
unsigned g_nExitRequestsSending = 0;
unsigned g_nExitRequestsUnrecognised = 0;

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

RegisterResult RegisterClient(std::int32_t lClientId, PipeConnection* pConnection)
{
    // Every request after INIT that leaves the result 0 (each INFO line) comes
    // here again. Only the connection's own thread, the caller, changes these two
    // fields, so it may read them without the mutex: a kernel mutex per line
    // costs more than the rest of the pipe server's work on it.
    if (pConnection->m_bRegistered && pConnection->m_lClientId == lClientId)
        return RegisterResult::kRegistered;
    CClientTableLock lock;
    if (g_bEndDecided)
        return RegisterResult::kMonitorEnding;
    EraseRegistration(pConnection);
    try
    {
        g_clientTable.emplace(TableKey(lClientId), pConnection);
    }
    catch (const std::bad_alloc&)
    {
        // A connection thread must never end by an exception.
        return RegisterResult::kNoMemory;
    }
    pConnection->m_lClientId = lClientId;
    pConnection->m_bRegistered = true;
    return RegisterResult::kRegistered;
}

void RemoveClient(PipeConnection* pConnection)
{
    if (!pConnection)
        return;
    CClientTableLock lock;
    EraseRegistration(pConnection);
}

bool BeginPipeExitRequest()
{
    CClientTableLock lock;
    if (!g_clientTable.empty())
        return false;
    ++g_nExitRequestsSending;
    ++g_nExitRequestsUnrecognised;
    return true;
}

void EndPipeExitRequest()
{
    CClientTableLock lock;
    --g_nExitRequestsSending;
    if (g_nExitRequestsUnrecognised > g_nExitRequestsSending)
        g_nExitRequestsUnrecognised = g_nExitRequestsSending;
}

bool DecideExit(bool bSentByAnotherThread)
{
    CClientTableLock lock;
    // Requests are told apart only by how they arrive. If the user's Exit, sent by
    // another program, is taken for a request of the pipe server, the request
    // itself then counts as the user's: the monitor ends either way.
    if (bSentByAnotherThread && g_nExitRequestsUnrecognised > 0)
    {
        --g_nExitRequestsUnrecognised;
        if (!g_clientTable.empty())
            return false; // a client registered after the request was made
    }
    g_bEndDecided = true;
    return true;
}
