#include "EchoServer.h"

#include "BenchIpc.h"
#include "PipeProtocol.h"

#include <windows.h>

namespace Bench
{
namespace
{

constexpr SIZE_T kStackBytes = 64 * 1024;

DWORD WINAPI EchoConnection(LPVOID pPipe)
{
    HANDLE hPipe = static_cast<HANDLE>(pPipe);
    char request[Protocol::kMaxRequestBytes];
    DWORD cb = 0;
    while (::ReadFile(hPipe, request, sizeof(request), &cb, nullptr) && cb > 0)
    {
        if (!::WriteFile(hPipe, Protocol::kReplySuccess, Protocol::kReplySuccessBytes, &cb, nullptr))
            break;
    }
    ::DisconnectNamedPipe(hPipe);
    ::CloseHandle(hPipe);
    return 0;
}

DWORD WINAPI EchoListener(LPVOID)
{
    for (;;)
    {
        HANDLE hPipe = ::CreateNamedPipeA(kEchoPipeName, Protocol::kPipeOpenMode, Protocol::kPipeMode,
                                          Protocol::kPipeMaxInstances, Protocol::kPipeBufferBytes,
                                          Protocol::kPipeBufferBytes, 0, nullptr);
        if (hPipe == INVALID_HANDLE_VALUE)
            return 0;
        if (!::ConnectNamedPipe(hPipe, nullptr) && ::GetLastError() != ERROR_PIPE_CONNECTED)
        {
            ::CloseHandle(hPipe);
            continue;
        }
        HANDLE hThread = ::CreateThread(nullptr, kStackBytes, &EchoConnection, hPipe,
                                        STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        if (hThread)
            ::CloseHandle(hThread);
        else
            ::CloseHandle(hPipe);
    }
}

} // namespace

bool StartEchoServer()
{
    static const bool bStarted = [] {
        HANDLE hThread = ::CreateThread(nullptr, kStackBytes, &EchoListener, nullptr,
                                        STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        if (!hThread)
            return false;
        ::CloseHandle(hThread);
        return true;
    }();
    return bStarted;
}

} // namespace Bench
