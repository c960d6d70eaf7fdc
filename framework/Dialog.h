// CDialog: a modal dialog box from a dialog template. The box's messages reach
// the object's message map (from WM_INITDIALOG on, through OnInitDialog); what the
// map leaves alone gets the dialog manager's default processing. OK and Cancel
// end the box with IDOK / IDCANCEL unless a derived class overrides OnOK/OnCancel.
#pragma once

#include "Wnd.h"

class CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)

public:
    // Owner: pParentWnd's top-level window, else the application's main window.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Shows the box and returns the code it ended with; -1 if it could not be shown.
    virtual INT_PTR DoModal();
    // TRUE: the system puts the focus on the first control.
    virtual BOOL OnInitDialog();
    void EndDialog(int nResult);

protected:
    virtual void OnOK();
    virtual void OnCancel();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
};
