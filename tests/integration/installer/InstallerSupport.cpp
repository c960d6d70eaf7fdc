#include "InstallerSupport.h"

#include "MonitorProcess.h"

#include <vector>

namespace InstallerTest
{

namespace
{

constexpr UINT kConsolePaneId = 0xE900; // AFX_IDW_PANE_FIRST
constexpr char kDebugVariable[] = "QX_LMDEBUGLOGLEVEL";

void WriteLocation(const std::string& strValue)
{
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, nullptr, 0, KEY_WRITE | kInstallKeyView, nullptr, &hKey,
                          nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExA(hKey, "Location", 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                     static_cast<DWORD>(strValue.size() + 1));
    ::RegCloseKey(hKey);
}

} // namespace

long RunToEnd(const std::string& strCommandLine, DWORD dwTimeoutMs, const char* pszDebugLevel)
{
    std::string strCommand = strCommandLine;
    // The child inherits this process's environment, changed for the start only.
    char szSaved[4096];
    const DWORD cchSaved = ::GetEnvironmentVariableA(kDebugVariable, szSaved, sizeof(szSaved));
    ::SetEnvironmentVariableA(kDebugVariable, pszDebugLevel);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    const BOOL bStarted =
        ::CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    ::SetEnvironmentVariableA(kDebugVariable, cchSaved && cchSaved < sizeof(szSaved) ? szSaved : nullptr);
    if (!bStarted)
        return -1;
    long nResult = -1;
    if (::WaitForSingleObject(pi.hProcess, dwTimeoutMs) == WAIT_OBJECT_0)
    {
        DWORD dwExitCode = 0;
        ::GetExitCodeProcess(pi.hProcess, &dwExitCode);
        nResult = static_cast<long>(dwExitCode);
    }
    else
    {
        ::TerminateProcess(pi.hProcess, 97);
        ::WaitForSingleObject(pi.hProcess, 5000);
    }
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return nResult;
}

bool KeyExists(HKEY hRoot, const char* pszKey, REGSAM dwView)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, pszKey, 0, KEY_READ | dwView, &hKey) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(hKey);
    return true;
}

std::string ReadString(HKEY hRoot, const std::string& strKey, const char* pszValue, bool* pbFound, REGSAM dwView)
{
    if (pbFound)
        *pbFound = false;
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, strKey.c_str(), 0, KEY_READ | dwView, &hKey) != ERROR_SUCCESS)
        return std::string();
    char szValue[2048] = "";
    DWORD cb = sizeof(szValue) - 1;
    DWORD dwType = 0;
    const LONG nStatus =
        ::RegQueryValueExA(hKey, pszValue, nullptr, &dwType, reinterpret_cast<BYTE*>(szValue), &cb);
    ::RegCloseKey(hKey);
    if (nStatus != ERROR_SUCCESS || dwType != REG_SZ)
        return std::string();
    if (pbFound)
        *pbFound = true;
    szValue[cb] = '\0';
    return szValue;
}

std::string Quoted(const std::string& strPath)
{
    return "\"" + strPath + "\"";
}

std::string ProgramFilesFolder(const char* pszVariable)
{
    char szFolder[MAX_PATH] = "";
    ::GetEnvironmentVariableA(pszVariable, szFolder, sizeof(szFolder));
    return szFolder;
}

bool PathExists(const std::string& strPath)
{
    return ::GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

CLocationGuard::CLocationGuard()
{
    m_strValue = ReadString(HKEY_LOCAL_MACHINE, kInstallKey, "Location", &m_bHadValue, kInstallKeyView);
}

CLocationGuard::~CLocationGuard()
{
    // A value that named an installation the test has since removed is not put
    // back: it would only send the next program to a folder that is gone.
    const std::string strFolder = m_strValue.substr(0, m_strValue.find_last_of('\\') + 1);
    if (m_bHadValue && (strFolder.empty() || PathExists(strFolder)))
    {
        WriteLocation(m_strValue);
        return;
    }
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_SET_VALUE | KEY_QUERY_VALUE | kInstallKeyView, &hKey) !=
        ERROR_SUCCESS)
        return;
    ::RegDeleteValueA(hKey, "Location");
    DWORD nSubKeys = 0;
    DWORD nValues = 0;
    const bool bEmpty = ::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, &nSubKeys, nullptr, nullptr,
                                           &nValues, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                        nSubKeys == 0 && nValues == 0;
    ::RegCloseKey(hKey);
    if (bEmpty)
        ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, kInstallKeyView, 0);
}

HWND FindAnyMonitorFrame()
{
    HWND hAfter = nullptr;
    while (HWND hWnd = ::FindWindowExA(nullptr, hAfter, nullptr, "Tessaly"))
    {
        if (::GetDlgItem(hWnd, kConsolePaneId))
            return hWnd;
        hAfter = hWnd;
    }
    return nullptr;
}

std::string ConsoleText(HWND hFrame)
{
    HWND hConsole = ::GetDlgItem(hFrame, kConsolePaneId);
    DWORD_PTR cch = 0;
    if (!hConsole || !::SendMessageTimeoutA(hConsole, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 5000, &cch))
        return std::string();
    std::vector<char> text(cch + 1);
    DWORD_PTR cchCopied = 0;
    ::SendMessageTimeoutA(hConsole, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                          SMTO_BLOCK, 5000, &cchCopied);
    return std::string(text.data(), cchCopied);
}

std::string ProcessImagePath(DWORD dwProcessId)
{
    HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwProcessId);
    if (!hProcess)
        return std::string();
    char szPath[MAX_PATH * 2] = "";
    DWORD cch = sizeof(szPath);
    const BOOL bOk = ::QueryFullProcessImageNameA(hProcess, 0, szPath, &cch);
    ::CloseHandle(hProcess);
    return bOk ? std::string(szPath, cch) : std::string();
}

} // namespace InstallerTest
