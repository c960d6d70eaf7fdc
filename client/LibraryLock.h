// The library lock: one recursive lock for the whole client library. It lets one
// log line at a time onto the pipe and guards the client context, the log name
// and the log id. It exists from InitInstance to ExitInstance; before and after,
// Enter reports false and the caller skips what needed it.
#pragma once

#include <windows.h>

#include <atomic>

class CLibraryLock
{
public:
    CLibraryLock() = default;
    ~CLibraryLock() { Delete(); }
    CLibraryLock(const CLibraryLock&) = delete;
    CLibraryLock& operator=(const CLibraryLock&) = delete;

    void Create();
    void Delete();
    // False when the lock does not exist (library not yet or no longer set up).
    bool Enter();
    // Enter without waiting: false also when another thread holds the lock.
    bool TryEnter();
    void Leave();

private:
    CRITICAL_SECTION m_section = {};
    // Read by every thread that logs, written at load and unload.
    std::atomic<bool> m_bCreated{false};
};

// Holds the library lock for one scope, if it exists.
class CLibraryLockGuard
{
public:
    explicit CLibraryLockGuard(CLibraryLock& lock) : m_lock(lock), m_bHeld(lock.Enter()) {}
    ~CLibraryLockGuard()
    {
        if (m_bHeld)
            m_lock.Leave();
    }
    CLibraryLockGuard(const CLibraryLockGuard&) = delete;
    CLibraryLockGuard& operator=(const CLibraryLockGuard&) = delete;

    bool IsHeld() const { return m_bHeld; }

private:
    CLibraryLock& m_lock;
    bool m_bHeld;
};
