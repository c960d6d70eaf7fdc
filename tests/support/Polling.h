// Waiting for something another process or thread does, with a bound: tests poll
// instead of sleeping a guessed time, and a time-out fails the test instead of hanging it.
#pragma once

#include <windows.h>

// Calls condition() every dwPollMs until it holds; false once dwTimeoutMs have passed.
template <typename Condition> bool WaitUntil(Condition condition, DWORD dwTimeoutMs, DWORD dwPollMs = 20)
{
    const DWORD dwStart = ::GetTickCount();
    while (!condition())
    {
        if (::GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        ::Sleep(dwPollMs);
    }
    return true;
}
