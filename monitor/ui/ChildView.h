// CChildView: the console the user sees, filling the main frame. It appends the
// monitor's lines in their colours, shows the banner at creation and after every
// clear, drops the whole text when it grows past its size cap, and handles the
// console's commands: Clear Messages, Copy and Save.
#pragma once

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

    // Adds the sunken edge.
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

protected:
    void OnEditCopy();
    void OnUpdateEditCopy(CCmdUI* pCmdUI);
    void OnClearMessages();
    // Asks for a file name, then SaveConsoleToFile.
    void OnFileSave();

    DECLARE_MESSAGE_MAP()

private:
    // Room for the text of one insertion of gathered lines; made at first use.
    static constexpr std::size_t kGroupTextChars = 64 * 1024;
    std::unique_ptr<char[]> m_pGroupText;
};
