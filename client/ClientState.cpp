#include "ClientState.h"

#include <cstring>
#include <new>

CClientState& ClientState()
{
    static CClientState s_state;
    return s_state;
}

bool OpenClientContext(std::int32_t lApplicationId, const char* pszApplicationPath, const char* pszClientInfo,
                       std::int32_t lOption)
{
    CClientState& state = ClientState();
    CLibraryLockGuard guard(state.m_libraryLock);
    // The test and the open happen under one lock: of two initialisations racing
    // in one process, only one opens a context.
    if (state.m_bContextOpen)
        return false;
    state.m_bContextOpen = true;
    state.m_bConnecting = true; // until the initialisation has tried to connect
    state.m_context.lApplicationId = lApplicationId;
    state.m_context.lOption = lOption;
    try
    {
        state.m_context.strApplicationPath = pszApplicationPath ? pszApplicationPath : "";
        state.m_context.strClientInfo = pszClientInfo ? pszClientInfo : "";
    }
    catch (const std::bad_alloc&)
    {
        // The copies are for reference only; the context is open all the same.
        state.m_context.strApplicationPath.clear();
        state.m_context.strClientInfo.clear();
    }
    return true;
}

void CloseClientContext()
{
    CClientState& state = ClientState();
    CLibraryLockGuard guard(state.m_libraryLock);
    if (!state.m_bContextOpen)
        return;
    state.m_bContextOpen = false;
    state.m_context.lApplicationId = 0;
    state.m_context.lOption = 0;
    // Give the memory back rather than keep the copies until the next initialisation.
    std::string().swap(state.m_context.strApplicationPath);
    std::string().swap(state.m_context.strClientInfo);
}

bool IsClientContextOpen()
{
    CClientState& state = ClientState();
    CLibraryLockGuard guard(state.m_libraryLock);
    return state.m_bContextOpen;
}

void SetLogIdentity(const char* pszApplicationPath, std::int32_t lLogId)
{
    char szName[Install::kMaxFname];
    ApplicationNameOf(pszApplicationPath, szName);
    CClientState& state = ClientState();
    CLibraryLockGuard guard(state.m_libraryLock);
    std::memcpy(state.m_szLogName, szName, sizeof szName);
    state.m_lLogId = lLogId;
}

void ApplicationNameOf(const char* pszPath, char (&szName)[Install::kMaxFname])
{
    Install::PathParts parts;
    // A path with an over-long component splits into empty parts: an empty name
    // rather than a cut one that would name another program.
    Install::SplitPath(pszPath, parts);
    std::memcpy(szName, parts.szFname, sizeof szName);
}
