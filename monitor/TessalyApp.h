// CTessalyApp: the monitor program's application object. It owns the order of
// start-up and shut-down, the single-instance rule, the registration run
// ("/Register"), and the three application commands (About, Open Console, Exit).
#pragma once

#include "CompanionLibrary.h"
#include "LoggerSet.h"
#include "WinApp.h"

#include <string>

class CAppMon;

class CTessalyApp : public CWinApp
{
public:
    CTessalyApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    CAppMon* m_pAppMon = nullptr; // the running-object entry; owned

protected:
    void OnAppAbout();
    void OnOpenConsole();
    void OnExitMonitor();

    DECLARE_MESSAGE_MAP()

private:
    void LoadInstallPaths();
    void ConfigureLogging();
    void DeleteAppMon();

    Marvane::NativeLogging::LoggerSet m_loggers;         // every logger configuration made
    Install::PFN_ZOV_SETLOGGER m_pfnSetLogger = nullptr; // the companion's hook, if any
    bool m_bDebugMode = false;                           // QX_LMDEBUGLOGLEVEL is defined (any value)
    std::string m_strInstalledProgram;                   // the installation's Tessaly.exe, if any
};
