#include "IsolatedCosts.h"

#include "BenchClock.h"
#include "BenchIpc.h"
#include "ConsoleLineQueue.h"
#include "LogLevels.h"
#include "RequestBuilder.h"
#include "TimeStamp.h"
#include "ZOVLogger.h"

#include <windows.h>

#include <atomic>
#include <thread>

namespace Bench
{
namespace
{

constexpr int kSendCalls = 3000;
constexpr int kBuildCalls = 20000;
constexpr int kLoggerCalls = 2000000;
constexpr UINT kIdleMessage = WM_APP + 1;

// A window on a thread of its own whose procedure does nothing.
class CIdleWindowThread
{
public:
    CIdleWindowThread()
    {
        m_thread = std::thread([this] {
            HWND hWnd = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                          ::GetModuleHandleA(nullptr), nullptr);
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
    ~CIdleWindowThread()
    {
        ::PostThreadMessageA(m_dwThreadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    CIdleWindowThread(const CIdleWindowThread&) = delete;
    CIdleWindowThread& operator=(const CIdleWindowThread&) = delete;

    HWND Hwnd() const { return m_hWnd; }

private:
    std::thread m_thread;
    std::atomic<HWND> m_hWnd{nullptr};
    std::atomic<DWORD> m_dwThreadId{0};
};

double MeasureCrossThreadSend()
{
    CIdleWindowThread window;
    const HWND hWnd = window.Hwnd();
    MicrosecondsPerCall(100, [hWnd](int) { ::SendMessageA(hWnd, kIdleMessage, 0, 0); });
    return MicrosecondsPerCall(kSendCalls, [hWnd](int) { ::SendMessageA(hWnd, kIdleMessage, 0, 0); });
}

// A connection thread's hand-over of one line to a window thread that is draining
// the queue (and waits there for the next line) and its wait until the line is
// marked shown: the monitor's hand-off, without the append.
double MeasureQueueHandOff()
{
    Console::CConsoleLineQueue queue;
    queue.Open();
    std::atomic<bool> bStop{false};
    std::thread drainer([&] {
        while (!bStop)
        {
            Console::CLineGroup group = queue.TakeWaiting(Console::CConsoleLineQueue::kNextLineWaitMs);
            queue.MarkShown(group);
        }
    });
    const auto handOff = [&queue](int) {
        Console::CWaitingLine line(0, "a line");
        queue.HandOver(line);
        queue.WaitUntilDone(line);
    };
    MicrosecondsPerCall(100, handOff);
    const double dUs = MicrosecondsPerCall(kSendCalls, handOff);
    bStop = true;
    drainer.join();
    return dUs;
}

// The client's request for one line: its stamp (from the client's per-second
// cache, or formatted afresh for comparison) and the line.
double MeasureLineBuild(bool bCachedStamp)
{
    char szText[kLineTextChars + 1];
    FormatLineText(szText, 0, 0);
    Protocol::CTimeStampCache cache;
    volatile std::size_t nSink = 0;
    return MicrosecondsPerCall(kBuildCalls, [&](int) {
        char szStamp[Protocol::kTimeStampBytes];
        if (bCachedStamp)
            cache.Make(szStamp);
        else
            Protocol::MakeTimeStamp(szStamp);
        Protocol::RequestBuffer request;
        nSink = nSink + Protocol::BuildLogRequest(request, Protocol::kLogInfo, szStamp, "bench_host",
                                                  kFirstClientId, szText);
    });
}

void CountLine(const char*, int) {}

} // namespace

IsolatedCosts MeasureIsolatedCosts()
{
    using namespace Marvane::NativeLogging;
    IsolatedCosts costs;
    costs.dCrossThreadSendUs = MeasureCrossThreadSend();
    costs.dQueueHandOffUs = MeasureQueueHandOff();
    costs.dLineBuildUs = MeasureLineBuild(true);
    costs.dLineBuildFreshStampUs = MeasureLineBuild(false);

    // Through the interface, as the companion library calls it; every level off.
    ZOVLogger logger(&CountLine);
    ILogger* pLogger = &logger;
    costs.dDisabledWriteNs = 1000.0 * MicrosecondsPerCall(kLoggerCalls, [pLogger](int) {
                                 pLogger->Write(Level::Debug, L"a line");
                             });
    costs.dDisabledWriteFormatNs = 1000.0 * MicrosecondsPerCall(kLoggerCalls, [pLogger](int i) {
                                       pLogger->WriteFormat(Level::Debug, L"value %d of %s", i, L"text");
                                   });
    return costs;
}

} // namespace Bench
