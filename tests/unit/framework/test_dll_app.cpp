// A DLL whose application object never runs a message loop, as the client library's
// does. It logs its life into the process environment variable FWTEST_DLL_LOG:
// C construction, I InitInstance, X ExitInstance, D destruction.
// FWTEST_DLL_FAIL=1 makes InitInstance fail.
#include "WinApp.h"

namespace
{

void Log(char chEvent)
{
    char szLog[64] = "";
    ::GetEnvironmentVariableA("FWTEST_DLL_LOG", szLog, sizeof(szLog));
    const int nLength = lstrlenA(szLog);
    if (nLength + 1 < static_cast<int>(sizeof(szLog)))
    {
        szLog[nLength] = chEvent;
        szLog[nLength + 1] = '\0';
    }
    ::SetEnvironmentVariableA("FWTEST_DLL_LOG", szLog);
}

class CDllApp : public CWinApp
{
public:
    CDllApp() { Log('C'); }
    ~CDllApp() override { Log('D'); }
    BOOL InitInstance() override
    {
        Log('I');
        char szFail[4] = "";
        ::GetEnvironmentVariableA("FWTEST_DLL_FAIL", szFail, sizeof(szFail));
        return szFail[0] != '1';
    }
    int ExitInstance() override
    {
        Log('X');
        return CWinApp::ExitInstance();
    }
};

CDllApp theDllApp;

} // namespace

extern "C" __declspec(dllexport) HINSTANCE FwTestResourceModule()
{
    return AfxGetResourceHandle();
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    return AfxDllMain(hInstance, dwReason);
}
