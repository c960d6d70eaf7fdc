#include "ConsoleRichEdit.h"

#include "ConsoleText.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNCREATE(CConsoleRichEdit, CRichEditCtrl)

namespace
{

// A window timer of our own; the control's own timers keep their default handling.
constexpr UINT_PTR kRepaintTimerId = 0x7E01;

// Text goes in pieces of this size: a whole 4 KB line, even with every character
// a line end, usually in one piece.
constexpr std::size_t kPieceChars = 8192 + 4;

constexpr char kConsoleFace[] = "Courier New";
constexpr LONG kConsoleHeightTwips = 200;

// Plain text handed to the control through EM_STREAMIN.
struct PlainTextSource
{
    const char* pNext;
    std::size_t cbLeft;
};

DWORD CALLBACK ReadPlainText(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb)
{
    PlainTextSource& source = *reinterpret_cast<PlainTextSource*>(dwCookie);
    const std::size_t cbRoom = cb > 0 ? static_cast<std::size_t>(cb) : 0;
    const std::size_t cbCopy = std::min(cbRoom, source.cbLeft);
    std::memcpy(pbBuff, source.pNext, cbCopy);
    source.pNext += cbCopy;
    source.cbLeft -= cbCopy;
    *pcb = static_cast<LONG>(cbCopy);
    return 0;
}

// Through EM_REPLACESEL the control reads text that begins like rich text
// ("{\rtf", "{\urtf") as RTF, and a host's line must show as the text it is:
// such text is streamed in as plain text instead. Not all text: a stream costs
// more, and under Wine its cost grows with the lines the console holds
// (measured: 260 us a line when empty, 390 us with 9,000 lines, against a flat
// 255 us for a replacement).
bool MayBeReadAsRichText(const char* pszText)
{
    return pszText[0] == '{';
}

CHARFORMATA TextFormat(COLORREF crColour, BOOL bUnderline, BOOL bBold)
{
    CHARFORMATA cf = {};
    cf.dwMask = CFM_COLOR | CFM_BOLD | CFM_UNDERLINE;
    cf.dwEffects = (bBold ? CFE_BOLD : 0) | (bUnderline ? CFE_UNDERLINE : 0); // no CFE_AUTOCOLOR
    cf.crTextColor = crColour;
    return cf;
}

} // namespace

BEGIN_MESSAGE_MAP(CConsoleRichEdit, CRichEditCtrl)
ON_WM_CREATE()
ON_WM_TIMER()
END_MESSAGE_MAP()

int CConsoleRichEdit::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    if (CRichEditCtrl::OnCreate(lpCreateStruct) == -1)
        return -1;
    CHARFORMATA cf = {};
    cf.dwMask = CFM_SIZE | CFM_FACE;
    cf.yHeight = kConsoleHeightTwips;
    lstrcpynA(cf.szFaceName, kConsoleFace, sizeof(cf.szFaceName));
    SetDefaultCharFormat(cf);
    LimitText(kTextLimit);
    return 0;
}

void CConsoleRichEdit::AppendText(const char* pszText, const COLORREF& crColour, BOOL bUnderline, BOOL bBold)
{
    if (!m_hWnd || !pszText)
        return;
    DeferRepaint();
    const CUserView view = BeginAppend();
    CHARFORMATA cf = TextFormat(crColour, bUnderline, bBold);
    InsertAtEnd(pszText, cf);
    EndAppend(view);
}

void CConsoleRichEdit::AppendRuns(const Console::CLineGroupText& text)
{
    if (!m_hWnd || text.RunCount() == 0)
        return;
    DeferRepaint();
    const CUserView view = BeginAppend();
    for (std::size_t nRun = 0; nRun < text.RunCount(); ++nRun)
    {
        const Console::CLineGroupText::CRun& run = text.Run(nRun);
        CHARFORMATA cf = TextFormat(run.crColour, FALSE, FALSE);
        InsertPiece(run.pszText, run.cchText, cf);
    }
    EndAppend(view);
}

void CConsoleRichEdit::InsertAtEnd(const char* pszText, CHARFORMATA& cf)
{
    Console::CLineEndNormaliser text(pszText);
    char szPiece[kPieceChars];
    for (std::size_t cch = text.Next(szPiece, sizeof(szPiece)); cch > 0;
         cch = text.Next(szPiece, sizeof(szPiece)))
        InsertPiece(szPiece, cch, cf);
}

void CConsoleRichEdit::InsertPiece(const char* pszPiece, std::size_t cchPiece, CHARFORMATA& cf)
{
    // The format goes on the empty selection at the end, the insertion point, and
    // the inserted text takes it. No character position is computed, so the
    // control's two ways of counting a line end (one in positions, two in its
    // text length) cannot shift the colour onto other text.
    OnInserting(pszPiece, cchPiece);
    SendMessage(EM_SETSEL, static_cast<WPARAM>(-1), -1);
    SetSelectionCharFormat(cf);
    if (MayBeReadAsRichText(pszPiece))
    {
        PlainTextSource source = {pszPiece, cchPiece};
        EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&source), 0, &ReadPlainText};
        StreamIn(SF_TEXT | SFF_SELECTION, stream);
    }
    else
    {
        SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(pszPiece));
    }
    m_nSavedLength += static_cast<long>(cchPiece);
}

void CConsoleRichEdit::OnInserting(const char*, std::size_t) {}

int CConsoleRichEdit::VerticalScrollPos(BOOL* pbAtEnd) const
{
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    // The control hides its scroll bar while the whole text is in view.
    if (!(GetStyle() & WS_VSCROLL) || !::GetScrollInfo(m_hWnd, SB_VERT, &si))
    {
        *pbAtEnd = TRUE;
        return 0;
    }
    // The last position the bar offers is nMax - nPage + 1; one pixel short of it
    // still counts as the end.
    *pbAtEnd = si.nPos + static_cast<int>(si.nPage) >= si.nMax;
    return si.nPos;
}

BOOL CConsoleRichEdit::UpdateFollowState(CHARRANGE& selection)
{
    SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    BOOL bAtEnd = FALSE;
    const int nPos = VerticalScrollPos(&bAtEnd);
    // At the end: nothing selected, and the view at the bottom or, while following,
    // still where the last append left it (a control that is not painted may leave
    // the scrolling to whoever paints it), wherever the caret is.
    m_bFollowTail =
        selection.cpMin == selection.cpMax && (bAtEnd || (m_bFollowTail && nPos == m_nScrollPosAfterAppend));
    return m_bFollowTail;
}

BOOL CConsoleRichEdit::IsAtTextEnd(const CHARRANGE& selection) const
{
    // Counted as positions are (a line end is one), not as the saved text.
    GETTEXTLENGTHEX length = {GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    const long nEnd = static_cast<long>(SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length)));
    return selection.cpMin == selection.cpMax && selection.cpMin >= nEnd;
}

BOOL CConsoleRichEdit::IsStartActive(const CHARRANGE& selection) const
{
    // Only a control with the focus has the caret, and only there can the user
    // be extending a selection.
    POINT ptCaret;
    if (selection.cpMin == selection.cpMax || ::GetFocus() != m_hWnd || !::GetCaretPos(&ptCaret))
        return FALSE;
    POINTL ptStart = {};
    POINTL ptEnd = {};
    SendMessage(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&ptStart), selection.cpMin);
    SendMessage(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&ptEnd), selection.cpMax);
    const bool bAtStart = ptCaret.x == ptStart.x && ptCaret.y == ptStart.y;
    const bool bAtEnd = ptCaret.x == ptEnd.x && ptCaret.y == ptEnd.y;
    return bAtStart && !bAtEnd;
}

CConsoleRichEdit::CUserView CConsoleRichEdit::BeginAppend()
{
    CUserView view;
    CHARRANGE selection = {0, 0};
    view.bFollow = UpdateFollowState(selection);
    const BOOL bStartActive = IsStartActive(selection);
    view.nAnchor = bStartActive ? selection.cpMax : selection.cpMin;
    view.nActive = bStartActive ? selection.cpMin : selection.cpMax;
    // Only a following console's caret may go on to the new end.
    view.bCaretAtEnd = view.bFollow && IsAtTextEnd(selection);
    if (!view.bFollow)
        view.nFirstVisibleLine = static_cast<long>(SendMessage(EM_GETFIRSTVISIBLELINE));
    return view;
}

void CConsoleRichEdit::EndAppend(const CUserView& view)
{
    BOOL bAtEnd = FALSE;
    // Only the caret of a console that follows its end goes on to the new end;
    // any other caret or selection comes back where the user left it, the
    // selection with its anchor where the user started it, so that Shift+arrows
    // and a drag go on moving the same end.
    if (!view.bFollow || !view.bCaretAtEnd)
        SendMessage(EM_SETSEL, static_cast<WPARAM>(view.nAnchor), view.nActive);
    if (view.bFollow)
    {
        // Scrolled once for many lines: on screen by the repaint of the burst,
        // hidden before the console is painted next.
        if (!m_bRepaintPending)
            m_bScrollBeforePaint = TRUE;
    }
    else
    {
        // The user's view back (moving the selection may have scrolled).
        const long nFirstVisibleLine = static_cast<long>(SendMessage(EM_GETFIRSTVISIBLELINE));
        if (nFirstVisibleLine != view.nFirstVisibleLine)
            LineScroll(static_cast<int>(view.nFirstVisibleLine - nFirstVisibleLine));
    }
    m_nScrollPosAfterAppend = VerticalScrollPos(&bAtEnd);
}

BOOL CConsoleRichEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    m_dwCreateStyle = dwStyle;
    return CRichEditCtrl::Create(dwStyle, rect, pParentWnd, nID);
}

void CConsoleRichEdit::ClearText()
{
    if (!m_hWnd)
        return;
    if (IsInModalLoop() || !ReplaceWithEmptyControl())
    {
        DeferRepaint();
        SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    }
    m_nSavedLength = 0;
    // An empty console follows its end again.
    m_bFollowTail = TRUE;
    m_bScrollBeforePaint = FALSE;
    m_nScrollPosAfterAppend = 0;
}

BOOL CConsoleRichEdit::IsInModalLoop() const
{
    // A control that tracks its scroll bar or a selection drag has the mouse
    // captured; menus and moving or sizing a window run loops of the system's.
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetCurrentThreadId(), &info))
        return TRUE; // not known: the safe way
    return info.hwndCapture != nullptr ||
           (info.flags & (GUI_INMENUMODE | GUI_INMOVESIZE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) != 0;
}

BOOL CConsoleRichEdit::ReplaceWithEmptyControl()
{
    const HWND hOld = m_hWnd;
    const HWND hParent = ::GetParent(hOld);
    CWnd* pParent = CWnd::FromHandlePermanent(hParent);
    if (hParent && !pParent)
        return FALSE;
    RECT rc;
    ::GetWindowRect(hOld, &rc);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rc), 2);
    // Redraw off clears WS_VISIBLE for a while; the scroll bars come and go with
    // the text: take the rest of the style as it is now.
    DWORD dwStyle = (GetStyle() & ~(WS_VISIBLE | WS_VSCROLL | WS_HSCROLL)) |
                    (m_dwCreateStyle & (WS_VSCROLL | WS_HSCROLL));
    if (m_bRepaintPending || (GetStyle() & WS_VISIBLE))
        dwStyle |= WS_VISIBLE;
    const UINT nID = static_cast<UINT>(::GetDlgCtrlID(hOld));
    const BOOL bHadFocus = ::GetFocus() == hOld;

    // The new window attaches to this object; the old one lives on, ownerless,
    // until the new one exists.
    const BOOL bRepaintPending = m_bRepaintPending;
    KillTimer(kRepaintTimerId);
    m_bRepaintPending = FALSE;
    Detach();
    if (!CRichEditCtrl::Create(dwStyle, rc, pParent, nID))
    {
        SubclassWindow(hOld);
        m_bRepaintPending = bRepaintPending;
        if (bRepaintPending)
            SetTimer(kRepaintTimerId, kRepaintMs);
        return FALSE;
    }
    if (dwStyle & ES_READONLY)
        SetReadOnly(TRUE);
    ::SetWindowPos(m_hWnd, hOld, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::DestroyWindow(hOld);
    if (bHadFocus)
        SetFocus();
    return TRUE;
}

void CConsoleRichEdit::DeferRepaint()
{
    if (m_bRepaintPending)
    {
        if (::GetTickCount() - m_dwPendingSince < kRepaintDeadlineMs)
            return;
        FlushRepaint();
    }
    // A hidden console has nothing to paint. (Redraw off also clears the
    // control's WS_VISIBLE, hence the pending flag above is asked first.)
    if (!IsWindowVisible())
        return;
    SendMessage(WM_SETREDRAW, FALSE);
    m_bRepaintPending = TRUE;
    m_dwPendingSince = ::GetTickCount();
    SetTimer(kRepaintTimerId, kRepaintMs);
}

void CConsoleRichEdit::FlushRepaint()
{
    if (!m_bRepaintPending || !m_hWnd)
        return;
    m_bRepaintPending = FALSE;
    KillTimer(kRepaintTimerId);
    SendMessage(WM_SETREDRAW, TRUE);
    ScrollToEndIfFollowing();
    // At once: a stream of lines would otherwise keep the paint message waiting.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
}

void CConsoleRichEdit::ScrollToEndIfFollowing()
{
    // Only for a user who is at the end: one who reads or selects meanwhile keeps
    // the view.
    m_bScrollBeforePaint = FALSE;
    CHARRANGE selection;
    if (!UpdateFollowState(selection))
        return;
    // The caret may be in the text, where the user put it: the view goes to the
    // end, the caret stays.
    if (IsAtTextEnd(selection))
        SendMessage(EM_SCROLLCARET);
    else
        SendMessage(WM_VSCROLL, SB_BOTTOM);
    BOOL bAtEnd = FALSE;
    m_nScrollPosAfterAppend = VerticalScrollPos(&bAtEnd);
}

LRESULT CConsoleRichEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT && m_bScrollBeforePaint)
        ScrollToEndIfFollowing();
    return CRichEditCtrl::WindowProc(message, wParam, lParam);
}

void CConsoleRichEdit::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kRepaintTimerId)
        FlushRepaint();
    else
        CRichEditCtrl::OnTimer(nIDEvent);
}
