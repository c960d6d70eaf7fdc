#include "LibraryLock.h"

void CLibraryLock::Create()
{
    if (m_bCreated)
        return;
    InitializeCriticalSection(&m_section);
    m_bCreated = true;
}

void CLibraryLock::Delete()
{
    if (!m_bCreated)
        return;
    m_bCreated = false;
    DeleteCriticalSection(&m_section);
}

bool CLibraryLock::Enter()
{
    if (!m_bCreated)
        return false;
    EnterCriticalSection(&m_section);
    return true;
}

bool CLibraryLock::TryEnter()
{
    return m_bCreated && TryEnterCriticalSection(&m_section);
}

void CLibraryLock::Leave()
{
    LeaveCriticalSection(&m_section);
}
