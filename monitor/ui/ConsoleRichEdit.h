// CConsoleRichEdit: a rich-edit log that only ever grows at its end. It appends
// text in one colour, keeps count of how long its text is in a saved file, and,
// while the window is on screen, paints a burst of appended lines together a
// moment later instead of once per line.
//
// Clearing replaces the control window by a new, empty one (same id, place,
// styles, font and limit; the object stays the same, the handle changes): Wine's
// rich edit takes seconds to delete a long text (about 2.5 s for 800,000
// characters, whichever message asks for it), a new control some 30 ms.
#pragma once

#include "RichEditCtrl.h"

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
    // asked, and leaves the caret at the end. Line ends of every kind become
    // "\r\n". The text is in the control when this returns. (Plain character
    // pointer: this code has no string class.)
    void AppendText(const char* pszText, const COLORREF& crColour, BOOL bUnderline, BOOL bBold);
    // Removes the whole text (see above: the window handle changes).
    void ClearText();
    // Length of the text as a saved file holds it (a line end counts two), kept up
    // to date by AppendText and ClearText, the only changes a read-only console
    // sees, so that no one has to ask the control.
    long GetSavedLength() const { return m_nSavedLength; }
    // Paints now what appended text is waiting to be painted.
    void FlushRepaint();

    // Remembers the style, for the control that replaces this one at a clear.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) override;

protected:
    // Default font: Courier New, 10 points; the text limit raised.
    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnTimer(UINT_PTR nIDEvent);

    DECLARE_MESSAGE_MAP()

private:
    // Stops painting until the repaint timer (only while the window is on screen).
    void DeferRepaint();
    // Puts a new, empty control in this one's place; FALSE (nothing changed) when
    // it cannot be created.
    BOOL ReplaceWithEmptyControl();

    DWORD m_dwCreateStyle = 0;
    long m_nSavedLength = 0;
    BOOL m_bRepaintPending = FALSE;
    DWORD m_dwPendingSince = 0;
};
