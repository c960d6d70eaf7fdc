// The rich-edit console control, modal dialogs, the save dialog and the framework's
// message box. Every box shown here is closed by a CDialogWatcher.
#include "CmdUI.h"
#include "Dialog.h"
#include "DialogWatcher.h"
#include "FileDialog.h"
#include "FrameWnd.h"
#include "RichEditCtrl.h"
#include "TestApp.h"
#include "TestResource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{

// Like the console: its WM_CREATE handler sets the default font.
class CFontedRichEdit : public CRichEditCtrl
{
public:
    int m_nCreates = 0;

protected:
    int OnCreate(LPCREATESTRUCTA lpcs)
    {
        ++m_nCreates;
        if (CRichEditCtrl::OnCreate(lpcs) == -1)
            return -1;
        CHARFORMATA cf = {};
        cf.dwMask = CFM_SIZE | CFM_FACE;
        cf.yHeight = 200;
        lstrcpynA(cf.szFaceName, "Courier New", sizeof(cf.szFaceName));
        SetDefaultCharFormat(cf);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFontedRichEdit, CRichEditCtrl)
ON_WM_CREATE()
END_MESSAGE_MAP()

void Append(CRichEditCtrl& edit, const char* pszText)
{
    const long nEnd = edit.GetTextLengthEx(GTL_NUMCHARS);
    edit.SetSel(nEnd, nEnd);
    edit.ReplaceSel(pszText, FALSE);
}

DWORD CALLBACK CollectStream(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb)
{
    reinterpret_cast<std::string*>(dwCookie)->append(reinterpret_cast<const char*>(pbBuff), cb);
    *pcb = cb;
    return 0;
}

CHARFORMATA CharFormatAt(CRichEditCtrl& edit, long nPos)
{
    edit.SetSel(nPos, nPos + 1);
    CHARFORMATA cf = {};
    cf.cbSize = sizeof(cf);
    edit.SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
}

} // namespace

TEST(RichEdit, DerivedCreateHandlerRunsOnTheRichEditClass)
{
    CFontedRichEdit edit;
    const RECT rc = {0, 0, 300, 200};
    ASSERT_TRUE(edit.Create(WS_POPUP | ES_MULTILINE, rc, nullptr, 0)); // a pop-up: no id
    EXPECT_EQ(1, edit.m_nCreates);

    // The system class itself, the window subclassed to our procedure.
    char szClass[64] = "";
    ::GetClassNameA(edit.m_hWnd, szClass, sizeof(szClass));
    EXPECT_STREQ("RichEdit20A", szClass);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(&CWnd::AfxWndProc),
              reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(edit.m_hWnd, GWLP_WNDPROC)));

    CHARFORMATA cf = {};
    cf.cbSize = sizeof(cf);
    edit.SendMessage(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    EXPECT_STREQ("Courier New", cf.szFaceName);
    EXPECT_EQ(200, cf.yHeight);

    // Given up, the window gets its own procedure back (its last messages must
    // reach the control); taken again, it is ours again.
    const HWND hWnd = edit.Detach();
    EXPECT_NE(reinterpret_cast<WNDPROC>(&CWnd::AfxWndProc),
              reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC)));
    ASSERT_TRUE(edit.SubclassWindow(hWnd));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(&CWnd::AfxWndProc),
              reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC)));
    EXPECT_EQ(0, edit.SendMessage(WM_GETTEXTLENGTH)) << "the control's own processing underneath";
}

TEST(RichEdit, ConsoleOperationsOnAReadOnlyControl)
{
    CRichEditCtrl edit;
    const RECT rc = {0, 0, 300, 200};
    ASSERT_TRUE(edit.Create(WS_POPUP | ES_MULTILINE, rc, nullptr, 0)); // a pop-up: no id
    EXPECT_TRUE(edit.SetReadOnly(TRUE));
    edit.LimitText(100000);

    Append(edit, "first\r\n");
    Append(edit, "second\r\n");
    EXPECT_EQ(13, edit.GetTextLengthEx(GTL_NUMCHARS))
        << "read-only stops the user, not the program; a line end counts once";

    // Colour the second line only.
    edit.SetSel(6, 13);
    CHARFORMATA red = {};
    red.dwMask = CFM_COLOR;
    red.crTextColor = RGB(255, 0, 0);
    EXPECT_TRUE(edit.SetSelectionCharFormat(red));
    EXPECT_EQ(RGB(255, 0, 0), CharFormatAt(edit, 7).crTextColor);
    EXPECT_NE(RGB(255, 0, 0), CharFormatAt(edit, 1).crTextColor);

    edit.SetSel(0, 5);
    long nStart = -1;
    long nEnd = -1;
    edit.GetSel(nStart, nEnd);
    EXPECT_EQ(0, nStart);
    EXPECT_EQ(5, nEnd);
    char szSmall[4];
    EXPECT_EQ(3, edit.GetSelText(szSmall, sizeof(szSmall))) << "bounded by the buffer";
    EXPECT_STREQ("fir", szSmall);
    char szText[16];
    EXPECT_EQ(5, edit.GetSelText(szText, sizeof(szText)));
    EXPECT_STREQ("first", szText);

    std::string streamed;
    EDITSTREAM es = {reinterpret_cast<DWORD_PTR>(&streamed), 0, &CollectStream};
    edit.StreamOut(SF_TEXT, es);
    EXPECT_EQ("first\r\nsecond\r\n", streamed);

    // Past the control's default limit of 32,767 characters.
    std::string line(999, 'x');
    line += "\r\n";
    for (int i = 0; i < 40; ++i)
        Append(edit, line.c_str());
    EXPECT_EQ(13 + 40 * 1000, edit.GetTextLengthEx(GTL_NUMCHARS));
}

namespace
{

// Ends itself from a timer its OnInitDialog started: the box's messages reach the map.
// The delay leaves the watcher, which polls, time to see the box even on a busy machine.
class CTimerDialog : public CDialog
{
public:
    CTimerDialog() : CDialog(IDD_TESTDIALOG) {}
    int m_nInits = 0;

    BOOL OnInitDialog() override
    {
        ++m_nInits;
        SetTimer(7, 400);
        return CDialog::OnInitDialog();
    }

protected:
    void OnTimer(UINT_PTR nIDEvent)
    {
        if (nIDEvent == 7)
            EndDialog(1234);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTimerDialog, CDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

// An owner window for boxes.
class COwnerFrame : public CFrameWnd
{
};

} // namespace

TEST(Dialog, MessagesReachTheMapOfAModalDialog)
{
    CTimerDialog dialog;
    CDialogWatcher watcher(nullptr);
    EXPECT_EQ(1234, dialog.DoModal());
    watcher.Join();
    EXPECT_TRUE(watcher.m_bFound);
    EXPECT_FALSE(watcher.m_bHadToCancel);
    EXPECT_EQ("Framework Test Dialog", watcher.m_strCaption);
    EXPECT_EQ(1, dialog.m_nInits);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST(Dialog, OkAndCancelEndTheBoxWithTheirCodes)
{
    COwnerFrame* pOwner = new COwnerFrame;
    ASSERT_TRUE(pOwner->LoadFrame(IDR_TESTFRAME));
    HWND hOwner = pOwner->m_hWnd;
    for (const int nButton : {IDOK, IDCANCEL})
    {
        CDialog dialog(IDD_TESTDIALOG, pOwner);
        CDialogWatcher watcher([nButton](HWND hDlg) { ClickDialogButton(hDlg, nButton); });
        EXPECT_EQ(nButton, dialog.DoModal());
        watcher.Join();
        EXPECT_FALSE(watcher.m_bHadToCancel);
        EXPECT_EQ(hOwner, watcher.m_hOwner);
    }
    ::DestroyWindow(hOwner);
}

TEST(FileDialog, FilterBarsBecomeSeparatorsOfADoubleNulList)
{
    char buffer[64];
    ASSERT_TRUE(AfxConvertFileFilter("Log Files (*.log)|*.log||", buffer, sizeof(buffer)));
    const char expected[] = "Log Files (*.log)\0*.log\0\0";
    EXPECT_EQ(0, std::memcmp(expected, buffer, sizeof(expected)));

    ASSERT_TRUE(AfxConvertFileFilter("Text|*.txt|All|*.*", buffer, sizeof(buffer)));
    const char expectedOpenEnd[] = "Text\0*.txt\0All\0*.*\0";
    EXPECT_EQ(0, std::memcmp(expectedOpenEnd, buffer, sizeof(expectedOpenEnd))) << "closed even without ||";

    char small[8];
    EXPECT_FALSE(AfxConvertFileFilter("Text|*.txt", small, sizeof(small)));
    EXPECT_EQ('\0', small[0]);
    EXPECT_EQ('\0', small[1]);
    EXPECT_TRUE(AfxConvertFileFilter("abcd|*.x", small, 10)) << "exactly fits: 8 characters and two NULs";
}

TEST(FileDialog, SaveFormAddsTheDefaultExtensionToATypedName)
{
    CFileDialog dialog(FALSE, "log", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "Log Files (*.log)|*.log||");
    CDialogWatcher watcher(
        [](HWND hDlg) {
            // Type a name without extension into the name field (edt1 or cmb13), then Save.
            HWND hName = ::GetDlgItem(hDlg, 0x480);
            if (!hName)
                hName = ::GetDlgItem(hDlg, 0x47C);
            ::SendMessageA(hName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("fwtest_saved"));
            ClickDialogButton(hDlg, IDOK);
        },
        15000);
    EXPECT_EQ(IDOK, dialog.DoModal());
    watcher.Join();
    EXPECT_FALSE(watcher.m_bHadToCancel);
    const std::string path = dialog.GetPathName();
    EXPECT_EQ(0u, path.size() - std::strlen("\\fwtest_saved.log") - path.rfind("\\fwtest_saved.log")) << path;

    CFileDialog openForm(TRUE);
    EXPECT_EQ(IDCANCEL, openForm.DoModal()) << "only the save form is built";
}

TEST(AfxMessageBoxTest, CaptionIsTheApplicationTitleAndTheOwnerTheMainWindow)
{
    COwnerFrame* pMain = new COwnerFrame;
    ASSERT_TRUE(pMain->LoadFrame(IDR_TESTFRAME));
    HWND hMain = pMain->m_hWnd;
    theApp.m_pMainWnd = pMain;

    std::string text;
    CDialogWatcher watcher([&text](HWND hBox) {
        char szText[128] = "";
        ::GetDlgItemTextA(hBox, 0xFFFF, szText, sizeof(szText)); // the box's text control
        text = szText;
        ClickDialogButton(hBox, IDNO);
    });
    EXPECT_EQ(IDNO, AfxMessageBox(ID_TEST_PROMPT, MB_YESNO));
    watcher.Join();
    EXPECT_FALSE(watcher.m_bHadToCancel);
    EXPECT_EQ("Framework Test Title", watcher.m_strCaption);
    EXPECT_EQ(hMain, watcher.m_hOwner);
    EXPECT_EQ("Prompt from the resources", text);

    theApp.m_pMainWnd = nullptr;
    ::DestroyWindow(hMain);
    CDialogWatcher noOwner([](HWND hBox) { ClickDialogButton(hBox, IDOK); });
    EXPECT_EQ(IDOK, AfxMessageBox("plain", MB_OK));
    noOwner.Join();
    EXPECT_EQ(nullptr, noOwner.m_hOwner);
}
