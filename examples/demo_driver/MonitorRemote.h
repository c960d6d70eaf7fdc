// Drives the running monitor (Tessaly.exe) from outside, the way a user would:
// finds its frame window, opens the console, saves the console through the
// monitor's own Save command and file dialog, finds a word with its Find dialog,
// captures the window and ends the monitor with its Exit command.
#pragma once

#include "RgbImage.h"

#include <windows.h>

#include <string>

namespace Demo
{

class CMonitorRemote
{
public:
    CMonitorRemote() = default;
    ~CMonitorRemote();
    CMonitorRemote(const CMonitorRemote&) = delete;
    CMonitorRemote& operator=(const CMonitorRemote&) = delete;

    // Waits for a frame titled "Tessaly" with a console pane; false on time-out.
    bool Find(DWORD dwTimeoutMs);
    // ID_OPEN_CONSOLE, then places the window at the top left of the screen.
    bool OpenConsole(int nWidth, int nHeight);
    // ID_FILE_SAVE; types strPath (a Windows path) into the save dialog and presses
    // Save. strError tells what went wrong when it returns false.
    bool SaveConsoleAs(const std::string& strPath, std::string& strError);
    // Edit > Find...: types strText into the Find dialog, places the dialog over the
    // console and presses Find Next; the dialog stays open until CloseFind.
    bool FindWithDialog(const std::string& strText, std::string& strError);
    void CloseFind();
    // Hides the balloon tips of other processes (the shell's) that cover the frame.
    void HideOtherBalloonsOverFrame() const;
    // The frame as it is on screen; the whole screen (dialogs over the frame too).
    bool Capture(Imaging::RgbImage& image) const;
    static bool CaptureScreen(Imaging::RgbImage& image);
    // ID_EXIT_MONITOR; waits for the process to end.
    bool Exit(DWORD dwTimeoutMs);

    DWORD ProcessId() const { return m_dwProcessId; }
    // Monitor frames on this desktop: more than one means two monitors started
    // at the same moment and split the clients between them.
    static int CountRunningMonitors();
    // The console's text length in characters (WM_GETTEXTLENGTH).
    int ConsoleLength() const;

private:
    HWND m_hFrame = nullptr;
    DWORD m_dwProcessId = 0;
    HANDLE m_hProcess = nullptr;
    HWND m_hFindDialog = nullptr;
};

} // namespace Demo
