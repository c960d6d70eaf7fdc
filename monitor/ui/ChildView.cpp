#include "ChildView.h"

#include "AfxRes.h"
#include "CmdUI.h"
#include "ConsoleColours.h"
#include "ConsoleSearch.h"
#include "ConsoleText.h"
#include "FileDialog.h"
#include "FrameWnd.h"
#include "MonitorCatalogue.h"
#include "MonitorSettings.h"
#include "WinApp.h"
#include "resource.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

namespace
{

constexpr char kLineEnd[] = "\r\n";
constexpr char kBannerTrailer[] = " ";
constexpr int kBannerTrailerLines = 2;

constexpr char kSaveExtension[] = "log";
constexpr char kSaveFilter[] = "Log Files (*.log)|*.log||";

struct FileCloser
{
    void operator()(HANDLE hFile) const { ::CloseHandle(hFile); }
};
using CFileHandle = std::unique_ptr<std::remove_pointer<HANDLE>::type, FileCloser>;

// Where EM_STREAMOUT's blocks go, and the first error met on the way.
struct SaveTarget
{
    HANDLE hFile;
    DWORD dwError;
};

DWORD CALLBACK WriteStreamBlock(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb)
{
    SaveTarget& target = *reinterpret_cast<SaveTarget*>(dwCookie);
    *pcb = 0;
    DWORD cbWritten = 0;
    if (cb < 0 || !::WriteFile(target.hFile, pbBuff, static_cast<DWORD>(cb), &cbWritten, nullptr) ||
        cbWritten != static_cast<DWORD>(cb))
    {
        target.dwError = ::GetLastError();
        if (target.dwError == ERROR_SUCCESS)
            target.dwError = ERROR_WRITE_FAULT;
        return 1; // stop: the rest would be lost anyway
    }
    *pcb = cb;
    return 0;
}

// The system's text for an error, without its line end.
void SystemErrorText(DWORD dwError, char (&szReason)[512])
{
    const DWORD cch = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                       dwError, 0, szReason, sizeof(szReason), nullptr);
    if (cch == 0)
        std::snprintf(szReason, sizeof(szReason), "System error %lu.", static_cast<unsigned long>(dwError));
    for (std::size_t n = std::strlen(szReason);
         n > 0 && (szReason[n - 1] == '\r' || szReason[n - 1] == '\n');)
        szReason[--n] = '\0';
}

void ReportSaveFailure(LPCSTR lpszPath, DWORD dwError)
{
    char szReason[512];
    SystemErrorText(dwError, szReason);
    char szText[MAX_PATH + sizeof(szReason) + 128];
    std::snprintf(szText, sizeof(szText), "The console could not be saved to\n%s\n\n%s (error %lu)", lpszPath,
                  szReason, static_cast<unsigned long>(dwError));
    AfxMessageBox(szText, MB_OK | MB_ICONEXCLAMATION);
}

// Case and word characters of the system's ANSI code page, made at first use.
const Console::CSearchTables& SearchTables()
{
    static const Console::CSearchTables s_tables = [] {
        Console::CSearchTables tables = {};
        for (int n = 0; n < 256; ++n)
        {
            char ch = static_cast<char>(n);
            ::CharLowerBuffA(&ch, 1);
            tables.fold[n] = static_cast<unsigned char>(ch);
            tables.word[n] = n != 0 && (::IsCharAlphaNumericA(static_cast<char>(n)) || n == '_');
        }
        return tables;
    }();
    return s_tables;
}

// "Logging to <file> stopped: <reason> (error N)", and the like.
void FormatLogMessage(char (&szText)[MAX_PATH + 640], LPCSTR lpszWhat, LPCSTR lpszPath, DWORD dwError)
{
    char szReason[512];
    SystemErrorText(dwError, szReason);
    std::snprintf(szText, sizeof(szText), "%s %s: %s (error %lu)", lpszWhat, lpszPath, szReason,
                  static_cast<unsigned long>(dwError));
}

} // namespace

BEGIN_MESSAGE_MAP(CChildView, CConsoleRichEdit)
ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditCopy)
ON_COMMAND(ID_CLEAR_MESSAGES, OnClearMessages)
ON_COMMAND(ID_FILE_SAVE, OnFileSave)
ON_COMMAND(ID_SELECT_ALL, OnSelectAll)
ON_COMMAND(ID_LOG_TO_FILE, OnLogToFile)
ON_UPDATE_COMMAND_UI(ID_LOG_TO_FILE, OnUpdateLogToFile)
END_MESSAGE_MAP()

BOOL CChildView::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!CConsoleRichEdit::PreCreateWindow(cs))
        return FALSE;
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return TRUE;
}

void CChildView::AppendLine(const char* pszText, COLORREF crColour)
{
    if (!pszText)
        return;
    if (GetSavedLength() > kSizeCap)
        OnClearMessages();
    const std::size_t cchText = std::strlen(pszText);
    if (cchText > kMaxJoinedText)
    {
        AppendText(pszText, crColour, FALSE, FALSE);
        AppendText(kLineEnd, crColour, FALSE, FALSE);
        return;
    }
    char szLine[kMaxJoinedText + sizeof(kLineEnd)];
    std::memcpy(szLine, pszText, cchText);
    std::memcpy(szLine + cchText, kLineEnd, sizeof(kLineEnd));
    AppendText(szLine, crColour, FALSE, FALSE);
}

void CChildView::AppendLines(const CConsoleLine* pLines, std::size_t nLines)
{
    if (!m_pGroupText && nLines > 1)
        m_pGroupText.reset(new (std::nothrow) char[kGroupTextChars]);
    if (nLines == 1 || !m_pGroupText)
    {
        for (std::size_t i = 0; i < nLines; ++i)
            AppendLine(pLines[i].pszText, pLines[i].crColour);
        return;
    }
    Console::CLineGroupText text(m_pGroupText.get(), kGroupTextChars);
    for (std::size_t i = 0; i < nLines; ++i)
    {
        const CConsoleLine& line = pLines[i];
        if (!line.pszText)
            continue;
        // The lines gathered so far count as if they were in already.
        if (GetSavedLength() + static_cast<long>(text.Length()) > kSizeCap)
        {
            AppendRuns(text);
            text.Clear();
            OnClearMessages();
        }
        if (text.AddLine(line.pszText, line.crColour))
            continue;
        AppendRuns(text);
        text.Clear();
        // Longer than the whole buffer: by itself.
        if (!text.AddLine(line.pszText, line.crColour))
            AppendLine(line.pszText, line.crColour);
    }
    AppendRuns(text);
}

void CChildView::PrintBanner()
{
    for (const char* pszKey : Catalogue::kBannerKeys)
    {
        char szText[kCatalogueTextBytes];
        LookupMessage(pszKey, szText);
        AppendLine(szText, Console::kColourBanner);
    }
    for (int i = 0; i < kBannerTrailerLines; ++i)
        AppendLine(kBannerTrailer, Console::kColourBanner);
}

void CChildView::OnEditCopy()
{
    Copy();
}

void CChildView::OnUpdateEditCopy(CCmdUI* pCmdUI)
{
    long nStart = 0;
    long nEnd = 0;
    if (m_hWnd)
        GetSel(nStart, nEnd);
    pCmdUI->Enable(nEnd > nStart);
}

void CChildView::OnClearMessages()
{
    ClearText();
    PrintBanner();
}

void CChildView::OnFileSave()
{
    CFileDialog dialog(FALSE, kSaveExtension, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kSaveFilter,
                       this);
    if (dialog.DoModal() != IDOK)
        return;
    SaveConsoleToFile(dialog.GetPathName());
}

BOOL CChildView::SaveConsoleToFile(LPCSTR lpszPath)
{
    if (!m_hWnd || !lpszPath)
        return FALSE;
    CFileHandle file(
        ::CreateFileA(lpszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
    {
        file.release(); // nothing to close
        ReportSaveFailure(lpszPath, ::GetLastError());
        return FALSE;
    }
    SaveTarget target = {file.get(), ERROR_SUCCESS};
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&target), 0, &WriteStreamBlock};
    StreamOut(SF_TEXT, stream);
    DWORD dwError = target.dwError;
    if (dwError == ERROR_SUCCESS && stream.dwError != 0)
        dwError = ERROR_WRITE_FAULT;
    if (dwError == ERROR_SUCCESS && !::CloseHandle(file.release()))
        dwError = ::GetLastError();
    if (dwError == ERROR_SUCCESS)
        return TRUE;
    // Part of the text only: no file is better than one that looks complete.
    file.reset();
    ::DeleteFileA(lpszPath);
    ReportSaveFailure(lpszPath, dwError);
    return FALSE;
}

void CChildView::OnSelectAll()
{
    SetSel(0, -1);
}

void CChildView::OnLogToFile()
{
    if (IsLogging())
    {
        StopLogging();
        return;
    }
    CFileDialog dialog(FALSE, kSaveExtension, nullptr, OFN_HIDEREADONLY, kSaveFilter, this);
    if (dialog.DoModal() == IDOK)
        StartLogging(dialog.GetPathName(), TRUE);
}

void CChildView::OnUpdateLogToFile(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(IsLogging() ? 1 : 0);
}

BOOL CChildView::StartLogging(LPCSTR lpszPath, BOOL bTellInBox)
{
    const DWORD dwError = m_logFile.Start(lpszPath);
    char szText[MAX_PATH + 640];
    if (dwError != ERROR_SUCCESS)
    {
        FormatLogMessage(szText, "Cannot log to", lpszPath ? lpszPath : "", dwError);
        ShowStatus(szText);
        if (bTellInBox)
            AfxMessageBox(szText, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    Settings::WriteLogFile(lpszPath);
    std::snprintf(szText, sizeof(szText), "Logging to %s", lpszPath);
    ShowStatus(szText);
    return TRUE;
}

void CChildView::StopLogging()
{
    m_logFile.Stop();
    Settings::WriteLogFile("");
    ShowStatus("Logging to a file stopped.");
}

void CChildView::OnInserting(const char* pszPiece, std::size_t cchPiece)
{
    const DWORD dwError = m_logFile.Write(pszPiece, cchPiece);
    if (dwError == ERROR_SUCCESS)
        return;
    // The console goes on without the file; the setting stays, so that the next
    // start tries the file again.
    char szText[MAX_PATH + 640];
    FormatLogMessage(szText, "Logging stopped, cannot write to", m_logFile.Path().c_str(), dwError);
    ShowStatus(szText);
}

BOOL CChildView::FindAndSelect(LPCSTR lpszText, DWORD dwFlags, BOOL* pbWrapped)
{
    if (pbWrapped)
        *pbWrapped = FALSE;
    if (!m_hWnd || !lpszText || !*lpszText)
        return FALSE;
    const std::size_t cchText = static_cast<std::size_t>(SendMessage(WM_GETTEXTLENGTH));
    std::unique_ptr<char[]> pText(new (std::nothrow) char[cchText + 1]);
    if (!pText)
        return FALSE;
    const std::size_t cchRead = static_cast<std::size_t>(
        SendMessage(WM_GETTEXT, static_cast<WPARAM>(cchText + 1), reinterpret_cast<LPARAM>(pText.get())));
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    const bool bDown = (dwFlags & FR_DOWN) != 0;
    const bool bMatchCase = (dwFlags & FR_MATCHCASE) != 0;
    const bool bWholeWord = (dwFlags & FR_WHOLEWORD) != 0;
    const Console::CSearchTables& tables = SearchTables();
    // Onwards from the end of the selection, or back from its start; then once
    // round from the other end (the caret of a console that follows its end is at
    // the end).
    const std::size_t nFrom = Console::OffsetOfPosition(pText.get(), cchRead, bDown ? nEnd : nStart);
    long nFound = Console::FindInText(pText.get(), cchRead, lpszText, nFrom, bDown, bMatchCase, bWholeWord, tables);
    if (nFound < 0)
    {
        nFound = Console::FindInText(pText.get(), cchRead, lpszText, bDown ? 0 : cchRead, bDown, bMatchCase,
                                     bWholeWord, tables);
        if (nFound < 0)
            return FALSE;
        if (pbWrapped)
            *pbWrapped = TRUE;
    }
    const std::size_t nFoundAt = static_cast<std::size_t>(nFound);
    const long nMatchStart = Console::PositionOfOffset(pText.get(), nFoundAt);
    const long nMatchEnd = Console::PositionOfOffset(pText.get(), nFoundAt + std::strlen(lpszText));
    SetSel(nMatchStart, nMatchEnd);
    SendMessage(EM_SCROLLCARET);
    // Shown while the Find dialog has the focus, too.
    SendMessage(EM_HIDESELECTION, FALSE, 0);
    return TRUE;
}

void CChildView::ShowStatus(LPCSTR lpszText)
{
    CWnd* pParent = GetParent();
    if (pParent && pParent->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
        static_cast<CFrameWnd*>(pParent)->SetMessageText(lpszText);
}
