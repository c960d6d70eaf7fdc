// What the installer tests need around the real TessalySetup.exe: running a
// program to its end, reading registry values, and a guard that puts the
// installation's "Location" value back the way the test found it.
#pragma once

#include "InstallLocation.h"
#include "Polling.h"

#include <windows.h>

#include <string>

namespace InstallerTest
{

constexpr char kInstallKey[] = "Software\\Marvane\\ZOVCommon";
constexpr char kMakerKey[] = "Software\\Marvane";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MarvaneZOV";
// The installer writes the installation key, and the uninstaller removes it, in the
// registry view that the programs read.
constexpr REGSAM kInstallKeyView = Install::kRegistryKeyView;
constexpr char kClsidKey[] = "CLSID\\{E2156BC5-6423-46F8-8B16-B6B1D88558E5}";
constexpr char kProgIdKey[] = "Tessaly.AppMon";

// Runs strCommandLine and waits for it; the exit code, or -1 when it did not start
// or did not end in time (it is then terminated). pszDebugLevel: the value of
// QX_LMDEBUGLOGLEVEL for the program, or null for none.
long RunToEnd(const std::string& strCommandLine, DWORD dwTimeoutMs, const char* pszDebugLevel = nullptr);

bool KeyExists(HKEY hRoot, const char* pszKey, REGSAM dwView = 0);
// A string value; bFound tells whether it exists.
std::string ReadString(HKEY hRoot, const std::string& strKey, const char* pszValue, bool* pbFound = nullptr,
                       REGSAM dwView = 0);

bool PathExists(const std::string& strPath);

// strPath in double quotes, for a command line.
std::string Quoted(const std::string& strPath);
// The program-files folder that the environment variable names ("ProgramFiles",
// or "ProgramFiles(x86)" for 32-bit programs on 64-bit Windows); empty without it.
std::string ProgramFilesFolder(const char* pszVariable = "ProgramFiles");

// Restores "Location" (or its absence) when it goes out of scope, unless the
// folder it named is gone: then the value is removed, so that no test after this
// one meets a value that names a removed installation.
class CLocationGuard
{
public:
    CLocationGuard();
    ~CLocationGuard();
    CLocationGuard(const CLocationGuard&) = delete;
    CLocationGuard& operator=(const CLocationGuard&) = delete;

private:
    bool m_bHadValue = false;
    std::string m_strValue;
};

// The monitor frame of any process (title "Tessaly" with a console pane), or null.
HWND FindAnyMonitorFrame();
// The console's text, read across the process boundary.
std::string ConsoleText(HWND hFrame);
// Full path of the program a process runs; empty when it cannot be asked.
std::string ProcessImagePath(DWORD dwProcessId);

} // namespace InstallerTest
