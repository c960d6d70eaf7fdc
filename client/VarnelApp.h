// CVarnelApp: the client library's application object, one global instance
// constructed while the library loads. It reads the installation (registry,
// catalogue, companion library), debug mode and the logger configuration at load,
// opens the monitor's mutex and creates the library lock at InitInstance, and at
// ExitInstance says goodbye to the monitor if a client context is still open and
// releases everything it made.
#pragma once

#include "CompanionLibrary.h"
#include "LoggerSet.h"
#include "WinApp.h"

class CVarnelApp : public CWinApp
{
public:
    CVarnelApp();
    ~CVarnelApp() override = default;
    CVarnelApp(const CVarnelApp&) = delete;
    CVarnelApp& operator=(const CVarnelApp&) = delete;

    BOOL InitInstance() override;
    int ExitInstance() override;

    DECLARE_MESSAGE_MAP()

private:
    // Reads "Location" and derives the catalogue and companion library from it;
    // shows the installation message box and sets the installation-missing flag
    // when the installation is missing or broken.
    void ReadInstallation();
    // QX_LMDEBUGLOGLEVEL: debug mode and the logger(s) (skipped when the
    // installation is missing).
    void ReadLoggingConfiguration();

    Install::CompanionLibrary m_companion;
    Marvane::NativeLogging::LoggerSet m_loggers;
    Marvane::NativeLogging::ZOVLogger* m_pLogger = nullptr; // the current logger, or null
};
