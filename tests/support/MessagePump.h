// Runs a test thread's window messages while it waits for something its windows
// do, bounded in time. WM_QUIT is taken off the queue and ignored: tests close
// frames that post it, and the next case must still be able to pump.
#pragma once

#include <windows.h>

// preTranslate(MSG*) returns true when it has handled the message itself (an
// application's PreTranslateMessage: accelerators, for example).
template <typename Condition, typename PreTranslate>
bool PumpMessagesUntil(Condition condition, DWORD dwTimeoutMs, PreTranslate preTranslate)
{
    const ULONGLONG end = ::GetTickCount64() + dwTimeoutMs;
    for (;;)
    {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT || preTranslate(&msg))
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (condition())
            return true;
        if (::GetTickCount64() >= end)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

template <typename Condition> bool PumpMessagesUntil(Condition condition, DWORD dwTimeoutMs)
{
    return PumpMessagesUntil(condition, dwTimeoutMs, [](MSG*) { return false; });
}

inline void PumpMessagesFor(DWORD dwMs)
{
    PumpMessagesUntil([] { return false; }, dwMs);
}
