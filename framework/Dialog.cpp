#include "Dialog.h"

#include "WinApp.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd)
        return -1;
    CWnd* pOwner = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    HWND hOwner = pOwner && pOwner->m_hWnd ? ::GetAncestor(pOwner->m_hWnd, GA_ROOT) : nullptr;
    m_pfnSuper = nullptr;
    return ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hOwner, &DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hDlg, UINT message, WPARAM, LPARAM lParam)
{
    // The box's window procedure becomes ours at WM_INITDIALOG, with the dialog
    // manager's as the default; from then on this procedure is only the dialog
    // manager's hook and leaves everything to the default.
    if (message != WM_INITDIALOG)
        return FALSE;
    CDialog* pDialog = reinterpret_cast<CDialog*>(lParam);
    if (!pDialog || !pDialog->Attach(hDlg))
        return TRUE;
    pDialog->m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hDlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
    return pDialog->OnInitDialog();
}

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

void CDialog::EndDialog(int nResult)
{
    if (m_hWnd)
        ::EndDialog(m_hWnd, nResult);
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}
