// What a log viewer kept open offers: Find (the system's dialog, F3, Shift+F3)
// over a full console, Select All, logging to a file across Clear and the cap,
// the log file's rotation while a reader holds it, and settings that are
// remembered, or ignored when they are bad.
#include "ConsoleLogFile.h"
#include "ConsoleTestSupport.h"
#include "MonitorSettings.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <fstream>
#include <utility>
#include <sstream>
#include <string>

namespace
{

std::string StatusText(const CConsoleWindow& window)
{
    char szText[512] = "";
    ::SendMessageA(::GetDlgItem(window.Hwnd(), AFX_IDW_STATUS_BAR), SB_GETTEXTA, 0,
                   reinterpret_cast<LPARAM>(szText));
    return szText;
}

CHARRANGE Selection(HWND hView)
{
    CHARRANGE range = {};
    ::SendMessageA(hView, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

std::string FileText(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string TempPath(const char* pszName)
{
    char szDir[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szDir);
    const std::string strPath = std::string(szDir) + pszName;
    ::DeleteFileA(strPath.c_str());
    ::DeleteFileA((strPath + ".1").c_str());
    return strPath;
}

// The user's settings start empty and go again at the end.
struct CCleanSettings
{
    CCleanSettings() { ::RegDeleteTreeA(HKEY_CURRENT_USER, Settings::kKey); }
    ~CCleanSettings() { ::RegDeleteTreeA(HKEY_CURRENT_USER, Settings::kKey); }
};

} // namespace

TEST(ConsoleViewer, FindF3AndShiftF3SelectMatchesInAFullConsoleAndANewLineLeavesTheMatchInView)
{
    CCleanSettings settings;
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    window.Show();
    const HWND hView = window.ViewHwnd();
    const std::string filler(98, 'f');
    for (int i = 0; i < 4000; ++i)
        window.View().AppendLine((i == 1000 || i == 3000) ? "a Needle here" : filler.c_str(), RGB(0, 0, 0));
    window.Command(ID_SELECT_ALL);
    EXPECT_EQ(0, Selection(hView).cpMin);
    EXPECT_GE(Selection(hView).cpMax, PositionCount(hView));
    ::SendMessageA(hView, EM_SETSEL, 0, 0);

    // The dialog as the user works it: the text, then Find Next.
    window.Command(ID_FIND);
    const HWND hDialog = window.Frame()->m_find.Dialog();
    ASSERT_NE(nullptr, hDialog);
    ::SetDlgItemTextA(hDialog, edt1, "needle");
    ::SendMessageA(hDialog, WM_COMMAND, IDOK, 0);
    const CHARRANGE first = Selection(hView);
    char szFound[16] = "";
    TEXTRANGEA range = {first, szFound};
    ::SendMessageA(hView, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    EXPECT_STREQ("Needle", szFound);

    window.Command(ID_FIND_NEXT);
    const CHARRANGE second = Selection(hView);
    EXPECT_GT(second.cpMin, first.cpMin + 150000) << "F3 finds the next one, 2,000 lines on";
    const long nFirstVisible = static_cast<long>(::SendMessageA(hView, EM_GETFIRSTVISIBLELINE, 0, 0));
    window.Send(0, "a new line while a match is selected");
    EXPECT_EQ(second.cpMin, Selection(hView).cpMin);
    EXPECT_EQ(nFirstVisible, static_cast<long>(::SendMessageA(hView, EM_GETFIRSTVISIBLELINE, 0, 0)));
    window.Command(ID_FIND_PREVIOUS);
    EXPECT_EQ(first.cpMin, Selection(hView).cpMin) << "Shift+F3 goes back";
    window.Command(ID_FIND_PREVIOUS);
    EXPECT_EQ(second.cpMin, Selection(hView).cpMin) << "round from the end";
    EXPECT_EQ("Passed the start of the console; went on from the end", StatusText(window));

    ::SetDlgItemTextA(hDialog, edt1, "haystack");
    ::SendMessageA(hDialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(second.cpMin, Selection(hView).cpMin);
    EXPECT_EQ("Cannot find \"haystack\"", StatusText(window));
    // Match case and whole word, each on its own.
    for (const auto& option : {std::make_pair(chx2, "needle"), std::make_pair(chx1, "Needl")})
    {
        ::CheckDlgButton(hDialog, option.first, BST_CHECKED);
        ::SetDlgItemTextA(hDialog, edt1, option.second);
        ::SendMessageA(hDialog, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(std::string("Cannot find \"") + option.second + "\"", StatusText(window));
        ::CheckDlgButton(hDialog, option.first, BST_UNCHECKED);
        ::SendMessageA(hDialog, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(std::string::npos, StatusText(window).find("Cannot find")) << option.second << " without it";
    }
    ::SendMessageA(hDialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(nullptr, window.Frame()->m_find.Dialog());
}

TEST(ConsoleViewer, TheLogFileHoldsWhatTheConsoleShowedAcrossClearAndTheCap)
{
    CCleanSettings settings;
    const std::string strLog = TempPath("console-viewer.log");
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    // A clear puts a new control in place: the view's window is asked anew each time.
    const std::size_t nBefore = ConsoleText(window.ViewHwnd()).size();
    ASSERT_TRUE(window.View().StartLogging(strLog.c_str(), FALSE));
    EXPECT_EQ(strLog, Settings::ReadLogFile());
    window.Send(2, "an error\nover two lines");
    AppendAsGroup(window, {{0, "grouped one"}, {3, "grouped two"}});
    std::string expected = ConsoleText(window.ViewHwnd()).substr(nBefore);
    window.Command(ID_CLEAR_MESSAGES);
    const std::string filler(98, 'f');
    while (window.View().GetSavedLength() <= CChildView::kSizeCap)
        window.View().AppendLine(filler.c_str(), RGB(0, 0, 0));
    expected += ConsoleText(window.ViewHwnd());
    window.Send(0, std::string(2000, 'x').c_str()); // over the cap: cleared first
    expected += ConsoleText(window.ViewHwnd());
    const std::string logged = FileText(strLog);
    EXPECT_EQ(expected.size(), logged.size());
    EXPECT_TRUE(expected == logged) << "the file differs from what the console showed";

    window.Command(ID_LOG_TO_FILE); // on: choosing it again stops
    EXPECT_FALSE(window.View().IsLogging());
    EXPECT_EQ("", Settings::ReadLogFile());
    ::DeleteFileA(strLog.c_str());
}

TEST(ConsoleViewer, AtItsLimitTheLogFileMovesToDotOneWhetherOrNotAReaderLetsItBeRenamed)
{
    const std::string strLog = TempPath("console-rotation.log");
    CConsoleLogFile log(1000);
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), log.Start(strLog.c_str()));
    const std::string line = std::string(98, 'a') + "\r\n";
    const DWORD shares[] = {FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE};
    for (const DWORD dwShare : shares)
    {
        const HANDLE hReader = ::CreateFileA(strLog.c_str(), GENERIC_READ, dwShare, nullptr, OPEN_EXISTING, 0,
                                             nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, hReader);
        for (int i = 0; i < 11; ++i)
            ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), log.Write(line.c_str(), line.size())) << dwShare;
        ::CloseHandle(hReader);
        EXPECT_EQ(1000u, FileText(strLog + ".1").size()) << "share " << dwShare;
        EXPECT_EQ(line, FileText(strLog)) << "share " << dwShare;
        // The next round starts with a full file again.
        log.Stop();
        ::DeleteFileA(strLog.c_str());
        ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), log.Start(strLog.c_str()));
    }
    log.Stop();
    ::DeleteFileA(strLog.c_str());
    ::DeleteFileA((strLog + ".1").c_str());
}

TEST(ConsoleViewer, BarsAreRememberedAndBadSettingsAreIgnored)
{
    CCleanSettings settings;
    {
        CConsoleWindow window;
        ASSERT_NE(nullptr, window.Frame());
        window.Command(ID_VIEW_STATUS_BAR);
    }
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, Settings::kKey, 0, nullptr, 0, KEY_SET_VALUE,
                                               nullptr, &hKey, nullptr));
    const std::string strMissing = "C:\\no such folder\\console.log";
    ::RegSetValueExA(hKey, Settings::kLogFile, 0, REG_SZ, reinterpret_cast<const BYTE*>(strMissing.c_str()),
                     static_cast<DWORD>(strMissing.size() + 1));
    const DWORD dwNotABool = 7;
    ::RegSetValueExA(hKey, Settings::kShowToolBar, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwNotABool),
                     sizeof(dwNotABool));
    WINDOWPLACEMENT offScreen = {};
    offScreen.length = sizeof(offScreen);
    offScreen.showCmd = SW_SHOWNORMAL;
    offScreen.rcNormalPosition = {-30000, -30000, -29000, -29500};
    ::RegSetValueExA(hKey, Settings::kWindowPlacement, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&offScreen),
                     sizeof(offScreen));
    ::RegCloseKey(hKey);

    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(window.Hwnd(), AFX_IDW_STATUS_BAR))) << "remembered";
    EXPECT_NE(0, ::GetWindowLongA(::GetDlgItem(window.Hwnd(), AFX_IDW_TOOLBAR), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(window.View().IsLogging());
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(window.Hwnd(), &placement);
    EXPECT_GT(placement.rcNormalPosition.left, -30000) << "a placement off every monitor is ignored";
    window.Send(0, "the console goes on");
    EXPECT_NE(std::string::npos, ConsoleText(window.ViewHwnd()).find("the console goes on"));
}
