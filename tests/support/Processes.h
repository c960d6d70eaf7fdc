// Looking at processes from a test: which ones run a program, and how many
// threads one has (to see that a server's per-client threads have ended, not
// merely that the clients went away).
#pragma once

#include <windows.h>

#include <tlhelp32.h>

#include <vector>

// Ids of the processes that run the program pszExeName (a file name such as
// "Tessaly.exe", any case); empty when the system gives no snapshot.
inline std::vector<DWORD> ProcessIdsNamed(const char* pszExeName)
{
    std::vector<DWORD> ids;
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Process32First(hSnapshot, &entry); bMore; bMore = ::Process32Next(hSnapshot, &entry))
    {
        if (::lstrcmpiA(entry.szExeFile, pszExeName) == 0)
            ids.push_back(entry.th32ProcessID);
    }
    ::CloseHandle(hSnapshot);
    return ids;
}

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
