#include "TestInstallation.h"

#include "InstallKey.h"
#include "InstalledCompanion.h"
#include "MonitorProcess.h"

#include <windows.h>

#include <cstdio>

namespace
{

void WriteFileText(const std::string& strPath, const std::string& strText)
{
    if (FILE* pFile = std::fopen(strPath.c_str(), "wb"))
    {
        std::fwrite(strText.data(), 1, strText.size(), pFile);
        std::fclose(pFile);
    }
}

} // namespace

std::string CTestInstallation::DefaultCatalogue()
{
    return "[tessalymessage_1024]\r\n"
           "msg001=Banner line 1\r\nmsg002=Banner line 2\r\nmsg003=Banner line 3\r\nmsg004=Banner line 4\r\n"
           "msg005=Banner line 5\r\nmsg006=Banner line 6\r\nmsg007=Banner line 7\r\nmsg008=Banner line 8\r\n"
           "msg015=Client %d has terminated.\r\nmsg016=Terminate handled.\r\n"
           "msg017=Client %d is being cleaned up.\r\nmsg018=Client %d removed.\r\nmsg019=Clean-up "
           "handled.\r\n"
           "msg022=Client record freed.\r\n"
           "[Message_1024]\r\n"
           "msg032=Start line 1\r\nmsg033=Start line 2\r\nmsg034=Application id %d\r\n"
           "msg035=Application name %s\r\nmsg036=Start line 5\r\nmsg037=Start line 6\r\n"
           "msg038=Start line 7\r\nmsg039=Start line 8\r\n"
           "msg050=Clean-up begins\r\nmsg051=Clean-up ends\r\n";
}

CTestInstallation::CTestInstallation(Kind kind, const std::string& catalogue)
{
    if (const HKEY hKey = TestInstallKey::Open(KEY_READ))
    {
        char szValue[512];
        DWORD cb = sizeof(szValue) - 1;
        DWORD dwType = 0;
        if (::RegQueryValueExA(hKey, "Location", nullptr, &dwType, reinterpret_cast<BYTE*>(szValue), &cb) ==
                ERROR_SUCCESS &&
            dwType == REG_SZ)
        {
            szValue[cb] = '\0';
            m_bHadValue = true;
            m_strSavedValue = szValue;
        }
        ::RegCloseKey(hKey);
    }

    if (kind == Kind::kNoKey)
    {
        TestInstallKey::Delete();
        return;
    }
    std::string strLocation;
    if (kind == Kind::kWithCatalogue)
    {
        char szTemp[MAX_PATH];
        ::GetTempPathA(sizeof(szTemp), szTemp);
        m_strDirectory =
            std::string(szTemp) + "tessaly-install-" + std::to_string(::GetCurrentProcessId()) + "\\";
        ::CreateDirectoryA(m_strDirectory.c_str(), nullptr);
        WriteFileText(m_strDirectory + "ZOVLogMessages.ini", catalogue);
        // A companion library belongs to a complete installation; without it the
        // programs report a broken one.
        InstalledCompanion::CopyInto(BuiltProgramPath((std::string("companion_hook\\") + Install::kCompanionLibraryRelativePath).c_str()), m_strDirectory);
        // The installation's own monitor: hosts talk only to a pipe that its program serves.
        strLocation = m_strDirectory + "Tessaly.exe";
        ::CopyFileA(BuiltProgramPath("Tessaly.exe").c_str(), strLocation.c_str(), FALSE);
    }
    TestInstallKey::WriteLocation(strLocation);
}

CTestInstallation::~CTestInstallation()
{
    if (!m_strDirectory.empty())
    {
        ::DeleteFileA((m_strDirectory + "ZOVLogMessages.ini").c_str());
        // Fails while a program still uses them; the folder then stays.
        InstalledCompanion::RemoveFrom(m_strDirectory);
        ::DeleteFileA((m_strDirectory + "Tessaly.exe").c_str());
        ::RemoveDirectoryA(m_strDirectory.c_str());
    }
    if (m_bHadValue)
        TestInstallKey::WriteLocation(m_strSavedValue);
    else
        TestInstallKey::Delete();
}
