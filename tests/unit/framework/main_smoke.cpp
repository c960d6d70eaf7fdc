// A windowed program on the framework: WinMain (framework_main) hands the command
// line to the application object, the main frame's close ends the loop, and the
// program's exit code comes from ExitInstance. Exit code 0 means all of that held.
#include "FrameWnd.h"
#include "WinApp.h"

#include "TestResource.h"

#include <cstring>

namespace
{

class CSmokeApp : public CWinApp
{
public:
    bool m_bSawArgument = false;

    BOOL InitInstance() override
    {
        m_bSawArgument = m_lpCmdLine && std::strcmp(m_lpCmdLine, "smoke-argument") == 0;
        CFrameWnd* pFrame = new CFrameWnd;
        m_pMainWnd = pFrame;
        if (!pFrame->LoadFrame(IDR_TESTFRAME))
            return FALSE;
        pFrame->PostMessage(WM_CLOSE);
        return TRUE;
    }
    int ExitInstance() override
    {
        const bool bLoopEndedByClose = m_msgCur.message == WM_QUIT && m_pMainWnd == nullptr;
        return m_bSawArgument && bLoopEndedByClose ? 0 : 1;
    }
};

CSmokeApp theApp;

} // namespace
