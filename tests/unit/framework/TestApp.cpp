#include "TestApp.h"

#include "TestResource.h"

CTestApp theApp;

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
ON_COMMAND(ID_TEST_APPONLY, OnAppOnly)
ON_COMMAND(ID_TEST_BOTH, OnAppOnly)
END_MESSAGE_MAP()

int CTestApp::ExitInstance()
{
    ++m_nExitInstance;
    return CWinApp::ExitInstance();
}

void PumpPending()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message != WM_QUIT)
        theApp.PumpMessage();
}

namespace
{

void SetKeyBits(int nVirtKey, BYTE bits, bool bSet)
{
    BYTE state[256];
    ::GetKeyboardState(state);
    if (bSet)
        state[nVirtKey] |= bits;
    else
        state[nVirtKey] &= static_cast<BYTE>(~bits);
    ::SetKeyboardState(state);
}

} // namespace

void SetKeyDown(int nVirtKey, bool bDown)
{
    SetKeyBits(nVirtKey, 0x80, bDown);
}

void SetKeyToggled(int nVirtKey, bool bOn)
{
    SetKeyBits(nVirtKey, 0x01, bOn);
}
