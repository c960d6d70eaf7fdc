// CConsoleRichEdit: a rich-edit log that only ever grows at its end. It appends
// text in one colour, keeps count of how long its text is in a saved file, and,
// while the window is on screen, paints a burst of appended lines together a
// moment later instead of once per line.
//
// It follows its end only while the user is there: with nothing selected and the
// view at the bottom (as after creation, a clear, Ctrl+End) appended text scrolls
// into view, and a caret at the end stays at the end (one the user put into the
// text stays there); while the user has a selection or has scrolled away, text
// arrives below and leaves the selection (both of its ends) and the first
// visible line alone.
//
// Clearing replaces the control window by a new, empty one (same id, place,
// styles, font and limit; the object stays the same, the handle changes): Wine's
// rich edit takes seconds to delete a long text (measured: 16 s for 800,000
// characters in 64-line colour runs, whichever message asks for it, in one piece
// or many), a new control some 30 ms. Not while a modal loop runs on the thread
// (the control tracking its scroll bar or a selection drag, a menu): a control
// destroyed under its own loop would be used after it is freed, so then its text
// is deleted in place.
#pragma once

#include "RichEditCtrl.h"

#include <cstddef>

namespace Console
{
class CLineGroupText;
}

class CConsoleRichEdit : public CRichEditCtrl
{
    DECLARE_DYNCREATE(CConsoleRichEdit)

public:
    // A visible console paints appended text within this time...
    static constexpr UINT kRepaintMs = 100;
    // ...or, when a stream of lines keeps the timer from arriving, at the first
    // line after this time.
    static constexpr DWORD kRepaintDeadlineMs = 250;
    // The control's own limit, far above anything a console keeps, so that the
    // owner's size rule alone decides when text goes.
    static constexpr long kTextLimit = 16L * 1024 * 1024;

    // Inserts the text at the end in the colour given, underlined and bold as
    // asked; a console that follows its end shows the new end, any other keeps
    // the user's view; the user's caret or selection stays. Line ends of every kind become
    // "\r\n". The text is in the control when this returns. (Plain character
    // pointer: this code has no string class.)
    void AppendText(const char* pszText, const COLORREF& crColour, BOOL bUnderline, BOOL bBold);
    // Inserts gathered lines at the end, each run in its colour, plain: one
    // insertion per run, and the end followed (or the user's view kept) once for
    // them all.
    void AppendRuns(const Console::CLineGroupText& text);
    // Removes the whole text (see above: the window handle changes).
    void ClearText();
    // Length of the text as a saved file holds it (a line end counts two), kept up
    // to date by AppendText and ClearText, the only changes a read-only console
    // sees, so that no one has to ask the control.
    long GetSavedLength() const { return m_nSavedLength; }

    // Remembers the style, for the control that replaces this one at a clear.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) override;
    // Brings the end into view before a hidden console that follows it is painted.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Every piece of text, its line ends as "\r\n", just before it goes in.
    virtual void OnInserting(const char* pszPiece, std::size_t cchPiece);

    // Default font: Courier New, 10 points; the text limit raised.
    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnTimer(UINT_PTR nIDEvent);

    DECLARE_MESSAGE_MAP()

private:
    // What the user had before an append: whether the console follows its end,
    // the selection with its anchor and active end (the end a Shift+arrow or a
    // drag moves), whether the caret was at the end, and the first visible line.
    struct CUserView
    {
        BOOL bFollow = TRUE;
        BOOL bCaretAtEnd = TRUE;
        long nAnchor = 0;
        long nActive = 0;
        long nFirstVisibleLine = 0;
    };
    CUserView BeginAppend();
    // The text at the end, in pieces, each in the format given.
    void InsertAtEnd(const char* pszText, CHARFORMATA& cf);
    // One piece whose line ends are already "\r\n", NUL-terminated after cchPiece.
    void InsertPiece(const char* pszPiece, std::size_t cchPiece, CHARFORMATA& cf);
    // Has a following console scrolled to its end (by the next repaint), or gives
    // the user back the selection and view.
    void EndAppend(const CUserView& view);
    void ScrollToEndIfFollowing();
    // Decides from the selection and the view whether the console follows its
    // end now; the selection as it is.
    BOOL UpdateFollowState(CHARRANGE& selection);
    // Whether an empty selection is the caret at the end of the text.
    BOOL IsAtTextEnd(const CHARRANGE& selection) const;
    // TRUE when the user's selection grows or shrinks at its start (made upwards):
    // the caret, which the control shows at the active end, is at the start.
    BOOL IsStartActive(const CHARRANGE& selection) const;
    // The vertical scroll position; *pbAtEnd: the view shows the end.
    int VerticalScrollPos(BOOL* pbAtEnd) const;
    // Stops painting until the repaint timer (only while the window is on screen).
    void DeferRepaint();
    // Paints now what appended text is waiting to be painted.
    void FlushRepaint();
    // Puts a new, empty control in this one's place; FALSE (nothing changed) when
    // it cannot be created.
    BOOL ReplaceWithEmptyControl();
    // TRUE while the thread runs a modal loop: the mouse captured, a menu, a move.
    BOOL IsInModalLoop() const;

    DWORD m_dwCreateStyle = 0;
    long m_nSavedLength = 0;
    BOOL m_bRepaintPending = FALSE;
    DWORD m_dwPendingSince = 0;
    BOOL m_bFollowTail = TRUE;
    BOOL m_bScrollBeforePaint = FALSE;
    int m_nScrollPosAfterAppend = 0; // where the last append left the view
};
