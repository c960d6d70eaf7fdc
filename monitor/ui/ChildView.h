// CChildView: the console the user sees, filling the main frame. It appends the
// monitor's lines in their colours, shows the banner at creation and after every
// clear, drops the whole text when it grows past its size cap, and handles the
// console's commands: Clear Messages, Copy, Select All, Save and Log to File
// (every piece of text is copied to the log file before it goes in).
#pragma once

#include "ConsoleLogFile.h"
#include "ConsoleRichEdit.h"

#include <memory>

class CCmdUI;

// One line for CChildView::AppendLines.
struct CConsoleLine
{
    const char* pszText;
    COLORREF crColour;
};

class CChildView : public CConsoleRichEdit
{
public:
    // Before a line is appended, a console holding more than this many characters
    // (as its saved file counts them: a line end is two) is cleared and shows the
    // banner again.
    static constexpr long kSizeCap = 800000;
    // Longest text that AppendLine joins with its line end in one piece; senders'
    // texts fit (4096-byte buffers). Longer ones go in two insertions.
    static constexpr std::size_t kMaxJoinedText = 4096;

    // Appends the text and a line end in the colour given.
    void AppendLine(const char* pszText, COLORREF crColour);
    // Appends the lines, in order, as AppendLine would one after the other (the
    // size cap looked at before each), in as few insertions as they fit.
    void AppendLines(const CConsoleLine* pLines, std::size_t nLines);
    // The banner: catalogue texts msg001 to msg008, then two lines of one space,
    // all in the banner colour.
    void PrintBanner();
    // Writes the console's text to the file (created, or replaced), line ends as
    // CR LF, nothing else. A file that cannot be created or written is reported to
    // the user in a message box, and an incomplete file is removed. TRUE when the
    // whole text was written.
    BOOL SaveConsoleToFile(LPCSTR lpszPath);
    // Starts copying every line from now on to the file (appended to what it
    // holds) and remembers it in the user's settings. A file that cannot be
    // opened is reported in the status bar, and in a message box when bTellInBox.
    BOOL StartLogging(LPCSTR lpszPath, BOOL bTellInBox);
    void StopLogging();
    BOOL IsLogging() const { return m_logFile.IsOn(); }
    // Selects the next (FR_DOWN) or previous match after or before the selection,
    // going round from the other end when there is none that way (*pbWrapped then
    // TRUE), and scrolls it into view; dwFlags as EM_FINDTEXTEX takes them. FALSE,
    // with the selection unchanged, when the text is nowhere.
    BOOL FindAndSelect(LPCSTR lpszText, DWORD dwFlags, BOOL* pbWrapped = nullptr);

    // Adds the sunken edge.
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

protected:
    void OnEditCopy();
    void OnUpdateEditCopy(CCmdUI* pCmdUI);
    void OnClearMessages();
    // Asks for a file name, then SaveConsoleToFile.
    void OnFileSave();
    void OnSelectAll();
    // Asks for a file and logs to it, or stops logging.
    void OnLogToFile();
    void OnUpdateLogToFile(CCmdUI* pCmdUI);
    void OnInserting(const char* pszPiece, std::size_t cchPiece) override;

    DECLARE_MESSAGE_MAP()

private:
    // Room for the text of one insertion of gathered lines; made at first use.
    static constexpr std::size_t kGroupTextChars = 64 * 1024;
    std::unique_ptr<char[]> m_pGroupText;
    CConsoleLogFile m_logFile;

    // Shows the text in the frame's status bar.
    void ShowStatus(LPCSTR lpszText);
};
