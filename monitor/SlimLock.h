// CSlimLockGuard: holds a slim reader/writer lock exclusively for its scope. Slim
// locks wait and wake without the window system (under Wine, without its server),
// which matters on the paths every console line takes.
#pragma once

#include <windows.h>

class CSlimLockGuard
{
public:
    explicit CSlimLockGuard(SRWLOCK& lock) : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
    ~CSlimLockGuard() { ::ReleaseSRWLockExclusive(&m_lock); }
    CSlimLockGuard(const CSlimLockGuard&) = delete;
    CSlimLockGuard& operator=(const CSlimLockGuard&) = delete;

private:
    SRWLOCK& m_lock;
};
