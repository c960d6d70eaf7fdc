// A host process of the benchmark: loads Varnel.dll as any host does and, when the
// bench says go, sends its lines one at a time, timing each call. Its results go
// to its slot of the bench's shared block.
//   bench_host log|echo|echo-overlapped|quiet <slot> <lines>
// log:   ZOVLC_Initialize, then ZOVLC_SendLogMessage (debug mode: the bench sets
//        QX_LMDEBUGLOGLEVEL), ZOVLC_CleanUp when the bench lets the hosts go;
// echo:  the bytes of the same log requests, exchanged with the bench's raw echo
//        pipe server: the round trip that any synchronous design pays;
// echo-overlapped: the same, through the client library's bounded overlapped I/O;
// quiet: ZOVLC_SendLogMessage outside debug mode, <lines> calls timed together.
#include "BenchIpc.h"
#include "PipeIo.h"
#include "PipeProtocol.h"
#include "RequestBuilder.h"
#include "TimeLimits.h"
#include "varnel.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>

namespace
{

constexpr DWORD kGoTimeoutMs = 300000;
constexpr DWORD kLeaveTimeoutMs = 300000;
constexpr DWORD kEchoOpenTimeoutMs = 10000;
constexpr char kClientInfo[] = "benchmark host";
constexpr char kFixedStamp[] = "[12-07-2026 01:23:45]";
constexpr char kLogName[] = "bench_host";

struct HandleCloser
{
    void operator()(HANDLE h) const
    {
        if (h && h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    }
};
using CHandle = std::unique_ptr<std::remove_pointer<HANDLE>::type, HandleCloser>;

struct ViewUnmapper
{
    void operator()(Bench::SharedResults* p) const { ::UnmapViewOfFile(p); }
};

LONGLONG Counter()
{
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

double MicrosecondsPerTick()
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1e6 / static_cast<double>(frequency.QuadPart);
}

class CEchoClient
{
public:
    // bOverlapped: opened and used as the client library uses the monitor's pipe.
    explicit CEchoClient(bool bOverlapped) : m_bOverlapped(bOverlapped) {}
    bool Open()
    {
        const DWORD dwStart = ::GetTickCount();
        for (;;)
        {
            m_pipe.reset(::CreateFileA(Bench::kEchoPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, m_bOverlapped ? FILE_FLAG_OVERLAPPED : 0, nullptr));
            if (m_pipe.get() != INVALID_HANDLE_VALUE)
                break;
            if (::GetTickCount() - dwStart > kEchoOpenTimeoutMs)
                return false;
            // Busy: another host's connection is being accepted; missing: not listening yet.
            if (::GetLastError() == ERROR_PIPE_BUSY)
                ::WaitNamedPipeA(Bench::kEchoPipeName, kEchoOpenTimeoutMs);
            else
                ::Sleep(10);
        }
        m_event.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        DWORD dwMode = PIPE_READMODE_MESSAGE;
        return m_event && ::SetNamedPipeHandleState(m_pipe.get(), &dwMode, nullptr, nullptr) != FALSE;
    }
    bool Exchange(const char* pszRequest)
    {
        char reply[Protocol::kReplyReadBytes];
        const DWORD cbRequest = static_cast<DWORD>(std::strlen(pszRequest) + 1);
        const HANDLE hPipe = m_pipe.get();
        if (m_bOverlapped)
            return PipeIo::Write(hPipe, m_event.get(), pszRequest, cbRequest, TimeLimits::kWriteMs).bDone &&
                   PipeIo::Read(hPipe, m_event.get(), reply, sizeof(reply), TimeLimits::kReplyMs).bDone;
        DWORD cb = 0;
        return ::WriteFile(hPipe, pszRequest, cbRequest, &cb, nullptr) &&
               ::ReadFile(hPipe, reply, sizeof(reply), &cb, nullptr);
    }

private:
    const bool m_bOverlapped;
    CHandle m_pipe;
    CHandle m_event;
};

// Times each line; false when a line could not be sent (echo mode only).
template <typename SendLine> bool SendTimedLines(Bench::HostSlot& slot, int nSlot, SendLine send)
{
    const double dUsPerTick = MicrosecondsPerTick();
    char szText[Bench::kLineTextChars + 1];
    slot.llStart = Counter();
    LONGLONG llPrevious = slot.llStart;
    for (int i = 0; i < slot.nLines; ++i)
    {
        Bench::FormatLineText(szText, nSlot, i);
        if (!send(szText))
            return false;
        const LONGLONG llNow = Counter();
        slot.latencyUs[i] = static_cast<float>(static_cast<double>(llNow - llPrevious) * dUsPerTick);
        llPrevious = llNow;
    }
    slot.llEnd = llPrevious;
    return true;
}

bool WaitFor(const char* pszEvent, DWORD dwTimeoutMs)
{
    CHandle event(::OpenEventA(SYNCHRONIZE, FALSE, pszEvent));
    return event && ::WaitForSingleObject(event.get(), dwTimeoutMs) == WAIT_OBJECT_0;
}

int Fail(Bench::HostSlot& slot, int nCode)
{
    ::InterlockedExchange(&slot.lState, Bench::kHostFailed);
    return nCode;
}

// Initialises Varnel.dll as this host, reports ready and waits for the bench's
// start signal; 0, or the host's failure code.
int InitializeAndAwaitGo(Bench::HostSlot& slot, int nSlot)
{
    char szPath[MAX_PATH];
    ::GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    if (ZOVLC_Initialize(Bench::kFirstClientId + nSlot, szPath, kClientInfo) != ZOVLC_OK)
        return Fail(slot, 3);
    ::InterlockedExchange(&slot.lState, Bench::kHostReady);
    if (!WaitFor(Bench::kGoEvent, kGoTimeoutMs))
        return Fail(slot, 4);
    return 0;
}

int RunLogHost(Bench::HostSlot& slot, int nSlot)
{
    if (const int nFailure = InitializeAndAwaitGo(slot, nSlot))
        return nFailure;
    SendTimedLines(slot, nSlot, [](const char* pszText) {
        ZOVLC_SendLogMessage(pszText, ZOVLC_LOG_INFO);
        return true;
    });
    ::InterlockedExchange(&slot.lState, Bench::kHostDone);
    // Connected until the bench has measured the monitor with every host on it.
    WaitFor(Bench::kLeaveEvent, kLeaveTimeoutMs);
    ZOVLC_CleanUp();
    return 0;
}

int RunEchoHost(Bench::HostSlot& slot, int nSlot, bool bOverlapped)
{
    CEchoClient client(bOverlapped);
    if (!client.Open())
        return Fail(slot, 3);
    ::InterlockedExchange(&slot.lState, Bench::kHostReady);
    if (!WaitFor(Bench::kGoEvent, kGoTimeoutMs))
        return Fail(slot, 4);
    // Requests as long as Varnel's for these lines; the pipe alone is timed, so
    // the stamp is a fixed one of the usual length.
    const bool bSent = SendTimedLines(slot, nSlot, [&client, nSlot](const char* pszText) {
        Protocol::RequestBuffer request;
        Protocol::BuildLogRequest(request, Protocol::kLogInfo, kFixedStamp, kLogName,
                                  Bench::kFirstClientId + nSlot, pszText);
        return client.Exchange(request);
    });
    if (!bSent)
        return Fail(slot, 5);
    ::InterlockedExchange(&slot.lState, Bench::kHostDone);
    WaitFor(Bench::kLeaveEvent, kLeaveTimeoutMs);
    return 0;
}

int RunQuietHost(Bench::HostSlot& slot, int nSlot)
{
    if (const int nFailure = InitializeAndAwaitGo(slot, nSlot))
        return nFailure;
    char szText[Bench::kLineTextChars + 1];
    Bench::FormatLineText(szText, nSlot, 0);
    slot.llStart = Counter();
    for (int i = 0; i < slot.nLines; ++i)
        ZOVLC_SendLogMessage(szText, ZOVLC_LOG_INFO);
    slot.llEnd = Counter();
    slot.dNsPerCall = static_cast<double>(slot.llEnd - slot.llStart) * MicrosecondsPerTick() * 1000.0 /
                      (slot.nLines > 0 ? slot.nLines : 1);
    ::InterlockedExchange(&slot.lState, Bench::kHostDone);
    WaitFor(Bench::kLeaveEvent, kLeaveTimeoutMs);
    ZOVLC_CleanUp();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    const int nSlot = std::atoi(argv[2]);
    const int nLines = std::atoi(argv[3]);
    if (nSlot < 0 || nSlot >= Bench::kMaxHosts || nLines < 0)
        return 2;
    CHandle mapping(::OpenFileMappingA(FILE_MAP_WRITE, FALSE, Bench::kResultsMapping));
    if (!mapping)
        return 2;
    std::unique_ptr<Bench::SharedResults, ViewUnmapper> results(static_cast<Bench::SharedResults*>(
        ::MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, sizeof(Bench::SharedResults))));
    if (!results)
        return 2;
    Bench::HostSlot& slot = results->slots[nSlot];
    const bool bTimesEachLine = std::strcmp(argv[1], "quiet") != 0;
    slot.nLines = bTimesEachLine && nLines > Bench::kMaxLinesPerHost ? Bench::kMaxLinesPerHost : nLines;

    if (std::strcmp(argv[1], "log") == 0)
        return RunLogHost(slot, nSlot);
    if (std::strcmp(argv[1], "echo") == 0)
        return RunEchoHost(slot, nSlot, false);
    if (std::strcmp(argv[1], "echo-overlapped") == 0)
        return RunEchoHost(slot, nSlot, true);
    if (std::strcmp(argv[1], "quiet") == 0)
        return RunQuietHost(slot, nSlot);
    return Fail(slot, 2);
}
