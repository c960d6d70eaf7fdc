// CRichEditCtrl: the RichEdit 2.0 control ("RichEdit20A" of riched20.dll), ANSI.
// The window is of that class itself (tools and screen readers know rich-edit
// controls by their class name), subclassed as it is created, so the message map
// of a class derived from this one sees the control's messages from WM_CREATE on,
// with the control's own processing as the default. The methods are one message
// each.
//
// Text positions count a line end as one character (GetTextLengthEx with
// GTL_NUMCHARS); WM_GETTEXTLENGTH counts it as two and must not be mixed with them.
#pragma once

#include "Wnd.h"

#include <richedit.h>

class CRichEditCtrl : public CWnd
{
    DECLARE_DYNAMIC(CRichEditCtrl)

public:
    // FALSE when riched20.dll is missing or the window cannot be created.
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    BOOL SetReadOnly(BOOL bReadOnly = TRUE) { return SendMessage(EM_SETREADONLY, bReadOnly) != 0; }
    // Maximum number of characters (the default is 32,767).
    void LimitText(long nChars) { SendMessage(EM_EXLIMITTEXT, 0, nChars); }
    long GetTextLengthEx(DWORD dwFlags = GTL_NUMCHARS, UINT nCodePage = CP_ACP) const;
    void SetSel(long nStartChar, long nEndChar);
    void GetSel(long& nStartChar, long& nEndChar) const;
    // Copies the selection (at most cchBuffer - 1 characters, always terminated);
    // returns the number of characters copied.
    long GetSelText(LPSTR lpszBuffer, long cchBuffer) const;
    void ReplaceSel(LPCSTR lpszNewText, BOOL bCanUndo = FALSE)
    {
        SendMessage(EM_REPLACESEL, bCanUndo, reinterpret_cast<LPARAM>(lpszNewText ? lpszNewText : ""));
    }
    BOOL SetSelectionCharFormat(CHARFORMATA& cf)
    {
        cf.cbSize = sizeof(cf);
        return SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf)) != 0;
    }
    BOOL SetDefaultCharFormat(CHARFORMATA& cf)
    {
        cf.cbSize = sizeof(cf);
        return SendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf)) != 0;
    }
    void HideSelection(BOOL bHide, BOOL bPerm = FALSE) { SendMessage(EM_HIDESELECTION, bHide, bPerm); }
    BOOL LineScroll(int nLines, int nChars = 0) { return SendMessage(EM_LINESCROLL, nChars, nLines) != 0; }
    // nFormat: SF_TEXT etc.; returns the number of characters written.
    long StreamOut(int nFormat, EDITSTREAM& es)
    {
        return static_cast<long>(
            SendMessage(EM_STREAMOUT, static_cast<WPARAM>(nFormat), reinterpret_cast<LPARAM>(&es)));
    }
    // nFormat: SF_TEXT etc., with SFF_SELECTION to replace the selection; returns
    // the number of characters read.
    long StreamIn(int nFormat, EDITSTREAM& es)
    {
        return static_cast<long>(
            SendMessage(EM_STREAMIN, static_cast<WPARAM>(nFormat), reinterpret_cast<LPARAM>(&es)));
    }
    // The selection to the clipboard.
    void Copy() { SendMessage(WM_COPY); }
};
