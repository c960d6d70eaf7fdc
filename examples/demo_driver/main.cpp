// demo_driver: the Windows half of scripts/demo.sh. With the installation in
// place and QX_LMDEBUGLOGLEVEL set, it runs two sample hosts (COM starts the
// monitor for the first of them; debug mode keeps it running afterwards),
// opens the monitor's console, saves it through the monitor's own Save command,
// captures the console window as a PNG, finds a word with the Find dialog and
// captures the screen with the dialog over the console, and ends the monitor with
// its Exit command.
//
//   demo_driver <sample_host.exe> <log file> <png file> <find png file>
//
// Paths are Windows paths. Exit code 0 when every step worked.
#include "HostProcesses.h"
#include "MonitorRemote.h"
#include "PngFile.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace
{

constexpr DWORD kHostsTimeoutMs = 60000;
constexpr DWORD kFindMonitorMs = 15000;
constexpr DWORD kExitMonitorMs = 15000;
constexpr int kRoundsPerThread = 2;
constexpr int kWindowWidth = 1000;
constexpr int kWindowHeight = 700;
constexpr char kFindWord[] = "retried";

int Fail(const char* pszStep, const std::string& strDetail = std::string())
{
    std::fprintf(stderr, "demo_driver: %s%s%s\n", pszStep, strDetail.empty() ? "" : ": ", strDetail.c_str());
    return 1;
}

// Lets the console paint what it holds: it repaints on its own timer.
void LetItPaint(DWORD dwMilliseconds)
{
    ::Sleep(dwMilliseconds);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5)
    {
        std::fprintf(stderr, "usage: demo_driver <sample_host.exe> <log file> <png file> <find png file>\n");
        return 2;
    }
    const std::string strHost = argv[1];
    const std::string strLogPath = argv[2];
    const std::string strPngPath = argv[3];
    const std::string strFindPngPath = argv[4];
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    char szLevel[256] = "";
    if (!::GetEnvironmentVariableA("QX_LMDEBUGLOGLEVEL", szLevel, sizeof(szLevel)))
        return Fail("QX_LMDEBUGLOGLEVEL is not set", "without it no line reaches the console");
    std::printf("demo: QX_LMDEBUGLOGLEVEL=%s\n", szLevel);

    // The first host has COM start the monitor; the second starts once the
    // monitor's window is there, while the first is still logging.
    std::printf("demo: starting sample host 1001\n");
    Demo::CHostProcess firstHost;
    if (!firstHost.Start(strHost, 1001, kRoundsPerThread))
        return Fail("the sample host did not start", strHost);
    Demo::CMonitorRemote monitor;
    if (!monitor.Find(kFindMonitorMs))
        return Fail("no monitor started", "is the installation's COM registration in place?");
    std::printf("demo: monitor running (process %lu); starting sample host 1002\n", monitor.ProcessId());
    Demo::CHostProcess secondHost;
    if (!secondHost.Start(strHost, 1002, kRoundsPerThread))
        return Fail("the sample host did not start", strHost);
    std::string strProblem;
    if (!firstHost.WaitForSuccess(kHostsTimeoutMs, strProblem) ||
        !secondHost.WaitForSuccess(kHostsTimeoutMs, strProblem))
    {
        monitor.Exit(kExitMonitorMs);
        return Fail("a sample host failed", strProblem);
    }
    if (Demo::CMonitorRemote::CountRunningMonitors() != 1)
        std::printf("demo: warning: %d monitors are running\n", Demo::CMonitorRemote::CountRunningMonitors());
    std::printf("demo: both hosts done; the monitor stays in debug mode, its console holds %d characters\n",
                monitor.ConsoleLength());

    if (!monitor.OpenConsole(kWindowWidth, kWindowHeight))
        return Fail("the console did not open");
    LetItPaint(1000);

    std::string strError;
    if (!monitor.SaveConsoleAs(strLogPath, strError))
    {
        monitor.Exit(kExitMonitorMs);
        return Fail("saving the console failed", strError);
    }
    std::printf("demo: console saved through File > Save to %s\n", strLogPath.c_str());

    // The dialog has just gone, and the tray's balloon goes now: let the console
    // repaint the area they covered.
    monitor.HideOtherBalloonsOverFrame();
    LetItPaint(1000);
    Imaging::RgbImage shot;
    const bool bCaptured = monitor.Capture(shot);
    const bool bWritten = bCaptured && Imaging::WritePng(strPngPath, shot);
    if (bWritten)
    {
        // Text in the diagnostic colours shows the capture holds the console, not a blank window.
        std::printf(
            "demo: screenshot %dx%d written to %s (teal pixels %zu, orange-red %zu, red %zu)\n", shot.nWidth,
            shot.nHeight, strPngPath.c_str(), Imaging::CountPixelsNear(shot, 0, 128, 128, 24),
            Imaging::CountPixelsNear(shot, 255, 64, 0, 24), Imaging::CountPixelsNear(shot, 255, 0, 0, 24));
    }

    // Edit > Find... over the console, the word found and selected.
    bool bFindWritten = false;
    if (monitor.FindWithDialog(kFindWord, strError))
    {
        LetItPaint(1000);
        Imaging::RgbImage screen;
        bFindWritten = Demo::CMonitorRemote::CaptureScreen(screen) && Imaging::WritePng(strFindPngPath, screen);
        monitor.CloseFind();
        std::printf("demo: \"%s\" found with Edit > Find...; screenshot %s\n", kFindWord,
                    bFindWritten ? strFindPngPath.c_str() : "not written");
    }
    else
        std::printf("demo: %s\n", strError.c_str());

    const bool bExited = monitor.Exit(kExitMonitorMs);
    std::printf("demo: monitor %s\n", bExited ? "ended through File > Exit" : "did not end");
    if (!bWritten || !bFindWritten)
        return Fail("a screenshot could not be taken", bWritten ? strFindPngPath : strPngPath);
    return bExited ? 0 : Fail("the monitor did not end");
}
