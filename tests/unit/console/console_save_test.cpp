// Saving the console: the file's exact bytes, replacing an existing file, files
// that cannot be written (reported in a message box, console and existing files
// untouched), and the Save command through the real file dialog with its
// overwrite prompt.
#include "ConsoleTestSupport.h"
#include "DialogWatcher.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace
{

std::string TempPath(const char* pszName)
{
    char szDir[MAX_PATH] = "";
    ::GetTempPathA(sizeof(szDir), szDir);
    return std::string(szDir) + pszName;
}

bool ReadFileBytes(const std::string& path, std::string& bytes)
{
    FILE* pFile = std::fopen(path.c_str(), "rb");
    if (!pFile)
        return false;
    bytes.clear();
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof(buffer), pFile)) > 0;)
        bytes.append(buffer, n);
    std::fclose(pFile);
    return true;
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    FILE* pFile = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, pFile);
    std::fwrite(bytes.data(), 1, bytes.size(), pFile);
    std::fclose(pFile);
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Reads a message box's text and presses its OK button.
struct BoxReport
{
    std::string text;
};

std::function<void(HWND)> ReadAndConfirm(BoxReport& report)
{
    return [&report](HWND hBox) {
        report.text = WindowText(::GetDlgItem(hBox, 0xFFFF));
        ClickDialogButton(hBox, IDOK);
    };
}

} // namespace

TEST(ConsoleSave, TheFileHoldsExactlyTheConsoleText)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    window.Send(0, "info line");
    window.Send(2, "error\r\nwith a second line");
    window.Send(4, "");
    window.Send(3, "bytes \x80\xE9\xFF kept");
    const std::string expected =
        EmptyCatalogueBanner() +
        "info line\r\nerror\r\nwith a second line\r\n\r\nbytes \x80\xE9\xFF kept\r\n";
    ASSERT_EQ(expected, ConsoleText(window.ViewHwnd()));

    // Over an existing, longer file: replaced as a whole.
    const std::string path = TempPath("console_save_exact.log");
    WriteFileBytes(path, std::string(10000, 'o'));
    EXPECT_TRUE(window.View().SaveConsoleToFile(path.c_str()));
    std::string saved;
    ASSERT_TRUE(ReadFileBytes(path, saved));
    EXPECT_EQ(expected, saved);
    EXPECT_EQ(static_cast<long>(saved.size()), window.View().GetSavedLength());
    ::DeleteFileA(path.c_str());
}

TEST(ConsoleSave, AFileThatCannotBeCreatedIsReportedAndNothingChanges)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    window.Send(2, "still here");
    const std::string before = ConsoleText(window.ViewHwnd());

    // A folder that does not exist.
    const std::string missing = TempPath("no-such-folder-for-console\\console.log");
    BoxReport report;
    CDialogWatcher watcher(ReadAndConfirm(report));
    EXPECT_FALSE(window.View().SaveConsoleToFile(missing.c_str()));
    watcher.Join();
    EXPECT_TRUE(watcher.m_bFound) << "the failure is reported";
    EXPECT_FALSE(watcher.m_bHadToCancel);
    EXPECT_EQ("Marvane ZOV Application Monitor", watcher.m_strCaption);
    EXPECT_NE(std::string::npos, report.text.find(missing)) << report.text;
    EXPECT_NE(std::string::npos, report.text.find("(error 3)")) << report.text;
    EXPECT_EQ(before, ConsoleText(window.ViewHwnd()));
    EXPECT_FALSE(FileExists(missing));

    // A file another program holds open without sharing: reported, and the file
    // and its content stay as they were.
    const std::string locked = TempPath("console_save_locked.log");
    WriteFileBytes(locked, "other program's data");
    HANDLE hHolder = ::CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHolder);
    BoxReport lockedReport;
    CDialogWatcher lockedWatcher(ReadAndConfirm(lockedReport));
    EXPECT_FALSE(window.View().SaveConsoleToFile(locked.c_str()));
    lockedWatcher.Join();
    EXPECT_TRUE(lockedWatcher.m_bFound);
    EXPECT_NE(std::string::npos, lockedReport.text.find(locked)) << lockedReport.text;
    ::CloseHandle(hHolder);
    std::string content;
    ASSERT_TRUE(ReadFileBytes(locked, content));
    EXPECT_EQ("other program's data", content);
    EXPECT_EQ(before, ConsoleText(window.ViewHwnd()));
    ::DeleteFileA(locked.c_str());
}

namespace
{

// Types the path into the save dialog and presses Save; answers a confirmation
// box that opens on top with the button given (0: expect none).
std::function<void(HWND)> SaveAs(const std::string& path, int nConfirmButton, bool& bConfirmSeen)
{
    return [path, nConfirmButton, &bConfirmSeen](HWND hDlg) {
        HWND hName = ::GetDlgItem(hDlg, 0x480);
        if (!hName)
            hName = ::GetDlgItem(hDlg, 0x47C);
        ::SendMessageA(hName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        ClickDialogButton(hDlg, IDOK);
        const DWORD dwThread = ::GetWindowThreadProcessId(hDlg, nullptr);
        for (int i = 0; i < 100 && ::IsWindow(hDlg); ++i)
        {
            if (HWND hConfirm = FindThreadDialog(dwThread, hDlg))
            {
                bConfirmSeen = true;
                ClickDialogButton(hConfirm, nConfirmButton ? nConfirmButton : IDCANCEL);
                return;
            }
            ::Sleep(30);
        }
    };
}

} // namespace

TEST(ConsoleSave, SaveCommandThroughTheFileDialogAsksBeforeReplacing)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    window.Send(0, "first version");
    const std::string path = TempPath("console_save_dialog.log");
    ::DeleteFileA(path.c_str());

    bool bConfirm = false;
    {
        CDialogWatcher watcher(SaveAs(path, 0, bConfirm), 15000);
        window.Command(ID_FILE_SAVE);
        watcher.Join();
        EXPECT_TRUE(watcher.m_bFound);
        EXPECT_FALSE(watcher.m_bHadToCancel);
    }
    EXPECT_FALSE(bConfirm) << "a new file needs no confirmation";
    std::string saved;
    ASSERT_TRUE(ReadFileBytes(path, saved));
    EXPECT_EQ(ConsoleText(window.ViewHwnd()), saved);

    // Again over the same file: the dialog asks, Yes replaces it.
    window.Send(2, "second version");
    bConfirm = false;
    {
        CDialogWatcher watcher(SaveAs(path, IDYES, bConfirm), 15000);
        window.Command(ID_FILE_SAVE);
        watcher.Join();
        EXPECT_FALSE(watcher.m_bHadToCancel);
    }
    EXPECT_TRUE(bConfirm) << "replacing a file is confirmed first";
    ASSERT_TRUE(ReadFileBytes(path, saved));
    EXPECT_EQ(ConsoleText(window.ViewHwnd()), saved);

    // Cancelled: nothing is written.
    ::DeleteFileA(path.c_str());
    {
        CDialogWatcher watcher([](HWND hDlg) { ClickDialogButton(hDlg, IDCANCEL); }, 15000);
        window.Command(ID_FILE_SAVE);
        watcher.Join();
        EXPECT_TRUE(watcher.m_bFound);
    }
    EXPECT_FALSE(FileExists(path));
}
