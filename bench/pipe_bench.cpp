// Round-trip rate of the monitor's pipe server against a raw message-mode echo
// server on this machine: the first is bounded by the second, since every log
// line is one synchronous request and reply. Prints figures; asserts nothing.
//   pipe_bench [requests per client]
#include "ClientTable.h"
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "PipeProtocol.h"
#include "PipeServer.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace
{

constexpr char kEchoPipeName[] = "\\\\.\\pipe\\TessalyBenchEcho";

// A window that takes console lines and throws them away, on a thread of its own.
class CDiscardingWindow
{
public:
    CDiscardingWindow()
    {
        m_thread = std::thread([this] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = &::DefWindowProcA;
            wc.hInstance = ::GetModuleHandleA(nullptr);
            wc.lpszClassName = "TessalyBenchConsole";
            ::RegisterClassA(&wc);
            HWND hWnd = ::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                          wc.hInstance, nullptr);
            MSG msg;
            ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
            m_dwThreadId = ::GetCurrentThreadId();
            m_hWnd = hWnd;
            while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
                ::DispatchMessageA(&msg);
            ::DestroyWindow(hWnd);
        });
        while (!m_hWnd)
            ::Sleep(1);
    }
    ~CDiscardingWindow()
    {
        ::PostThreadMessageA(m_dwThreadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND Hwnd() const { return m_hWnd; }

private:
    std::thread m_thread;
    std::atomic<HWND> m_hWnd{nullptr};
    std::atomic<DWORD> m_dwThreadId{0};
};

DWORD WINAPI EchoConnection(LPVOID pPipe)
{
    HANDLE hPipe = static_cast<HANDLE>(pPipe);
    char buffer[Protocol::kMaxRequestBytes];
    DWORD cb = 0;
    while (::ReadFile(hPipe, buffer, sizeof(buffer), &cb, nullptr) && cb > 0)
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
        if (::ConnectNamedPipe(hPipe, nullptr) || ::GetLastError() == ERROR_PIPE_CONNECTED)
            ::CloseHandle(::CreateThread(nullptr, 64 * 1024, &EchoConnection, hPipe, 0, nullptr));
        else
            ::CloseHandle(hPipe);
    }
}

HANDLE OpenPipe(const char* pszName)
{
    for (int attempt = 0; attempt < 500; ++attempt)
    {
        HANDLE hPipe =
            ::CreateFileA(pszName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (hPipe != INVALID_HANDLE_VALUE)
        {
            DWORD dwMode = PIPE_READMODE_MESSAGE;
            ::SetNamedPipeHandleState(hPipe, &dwMode, nullptr, nullptr);
            return hPipe;
        }
        if (::GetLastError() == ERROR_PIPE_BUSY)
            ::WaitNamedPipeA(pszName, 1000);
        else
            ::Sleep(10);
    }
    return INVALID_HANDLE_VALUE;
}

bool Exchange(HANDLE hPipe, const std::string& strRequest)
{
    char reply[Protocol::kMaxRequestBytes];
    DWORD cb = 0;
    return ::WriteFile(hPipe, strRequest.c_str(), static_cast<DWORD>(strRequest.size() + 1), &cb, nullptr) &&
           ::ReadFile(hPipe, reply, sizeof(reply), &cb, nullptr);
}

// Requests per second over all clients, each sending nRequests log lines.
double MeasureRate(const char* pszPipe, int nClients, int nRequests)
{
    std::vector<HANDLE> pipes;
    for (int c = 0; c < nClients; ++c)
    {
        HANDLE hPipe = OpenPipe(pszPipe);
        if (hPipe == INVALID_HANDLE_VALUE)
            return 0;
        Exchange(hPipe, "INIT;" + std::to_string(c + 1) + "|C:\\bench\\bench.exe|bench");
        pipes.push_back(hPipe);
    }
    const std::string strLine =
        "SINFO;[[12-07-2026 01:23:45]:bench:1]-> a typical line of about sixty characters";
    std::atomic<int> nFailures{0};
    LARGE_INTEGER start, end, frequency;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    std::vector<std::thread> threads;
    for (HANDLE hPipe : pipes)
    {
        threads.emplace_back([hPipe, nRequests, &strLine, &nFailures] {
            for (int i = 0; i < nRequests; ++i)
            {
                if (!Exchange(hPipe, strLine))
                    ++nFailures;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    ::QueryPerformanceCounter(&end);
    for (HANDLE hPipe : pipes)
    {
        Exchange(hPipe, Protocol::kRequestTerminate);
        ::CloseHandle(hPipe);
    }
    if (nFailures)
        std::printf("  (%d failed exchanges)\n", nFailures.load());
    const double dSeconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    return double(nClients) * nRequests / dSeconds;
}

} // namespace

int main(int argc, char** argv)
{
    const int nRequests = argc > 1 ? std::atoi(argv[1]) : 2000;
    g_hClientTableMutex = ::CreateMutexA(nullptr, FALSE, nullptr);
    g_uAppMonUpdateMessage = ::RegisterWindowMessageA("ZOV_APPMON_UPD");
    CDiscardingWindow window;
    // Debug mode keeps the server from asking the window to exit between runs.
    MainWindowLink().Publish(window.Hwnd(), true);
    ::CloseHandle(::CreateThread(nullptr, 0, &PipeListenerProc, &MainWindowLink(), 0, nullptr));
    ::CloseHandle(::CreateThread(nullptr, 0, &EchoListener, nullptr, 0, nullptr));

    std::printf("requests per client: %d\n", nRequests);
    std::printf("%8s %16s %16s %8s\n", "clients", "raw echo req/s", "monitor req/s", "ratio");
    for (int nClients : {1, 8, 64})
    {
        const int nPerClient = nClients == 64 ? nRequests / 8 : nRequests;
        const double dEcho = MeasureRate(kEchoPipeName, nClients, nPerClient);
        const double dMonitor = MeasureRate(Protocol::kPipeName, nClients, nPerClient);
        std::printf("%8d %16.0f %16.0f %7.0f%%\n", nClients, dEcho, dMonitor,
                    dEcho > 0 ? 100.0 * dMonitor / dEcho : 0);
    }
    MainWindowLink().Withdraw();
    std::fflush(stdout);
    ::ExitProcess(0); // listener threads block in ConnectNamedPipe; end them with the process
}
