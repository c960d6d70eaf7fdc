// How many threads a process has: tests use it to see that a server's per-client
// threads have ended, not merely that the clients went away.
#pragma once

#include <windows.h>

#include <tlhelp32.h>

// Threads of the process right now; -1 when the system gives no snapshot.
inline int ThreadCountOf(DWORD dwProcessId)
{
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return -1;
    int nThreads = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Thread32First(hSnapshot, &entry); bMore; bMore = ::Thread32Next(hSnapshot, &entry))
    {
        if (entry.th32OwnerProcessID == dwProcessId)
            ++nThreads;
    }
    ::CloseHandle(hSnapshot);
    return nThreads;
}
