// The real installer, TessalySetup.exe, run silently the way an administrator or
// a deployment tool runs it: the folder it lays out, the registry value both
// programs read, the COM registration of the monitor, an installed system that
// works end to end, and uninstallers (in place with _?=, and the Add/Remove
// Programs command) that take all of it away again and nothing else.
#include "CatalogueFormat.h"
#include "InstallerSupport.h"
#include "MonitorProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifndef TESSALY_SETUP_PATH
#error "TESSALY_SETUP_PATH must name the installer"
#endif

using namespace InstallerTest;

namespace
{

constexpr DWORD kSetupTimeoutMs = 120000;
constexpr DWORD kHostTimeoutMs = 60000;
constexpr char kClsid[] = "{E2156BC5-6423-46F8-8B16-B6B1D88558E5}";
constexpr UINT kExitMonitorCommand = 32772;

// Every file of a complete installation, relative to its folder.
const std::vector<std::string>& InstalledFiles()
{
    static const std::vector<std::string> files = {
        "Tessaly.exe",
        "Varnel.dll",
        "ZOVNativeLogging.dll",
        "ZOVLogMessages.ini",
        "README.txt",
        "sample_host.exe",
        "Uninstall.exe",
        "x64\\Varnel.dll",
        "x64\\ZOVNativeLogging.dll",
        "x64\\sample_host.exe",
        "include\\varnel.h",
        "include\\ILogger.h",
        "include\\LogLevelValues.h",
        "lib\\libvarnel.dll.a",
        "lib\\Varnel.lib",
        "lib\\x64\\libvarnel.dll.a",
        "lib\\x64\\Varnel.lib",
        "lib\\cmake\\Varnel\\VarnelConfig.cmake",
        "lib\\cmake\\Varnel\\VarnelConfigVersion.cmake",
        "examples\\host\\sample_host.c",
        "examples\\host\\CMakeLists.txt",
        "examples\\companion\\SampleCompanion.cpp",
        "examples\\companion\\sample_companion.h",
    };
    return files;
}

std::string CatalogueText(const std::string& strFile, const char* pszSection, const char* pszKey)
{
    char szText[4096] = "";
    ::GetPrivateProfileStringA(pszSection, pszKey, "", szText, sizeof(szText), strFile.c_str());
    return szText;
}

std::string ShortPath(const std::string& strPath)
{
    char szShort[MAX_PATH] = "";
    const DWORD cch = ::GetShortPathNameA(strPath.c_str(), szShort, sizeof(szShort));
    return cch && cch < sizeof(szShort) ? szShort : strPath;
}

void ExpectCompleteInstallation(const std::string& strFolder)
{
    for (const std::string& strFile : InstalledFiles())
        EXPECT_TRUE(PathExists(strFolder + "\\" + strFile)) << strFile;
    EXPECT_EQ(strFolder + "\\Tessaly.exe", ReadString(HKEY_LOCAL_MACHINE, kInstallKey, "Location", nullptr, kInstallKeyView));
    // COM starts the installed monitor (quoted: the path holds blanks).
    EXPECT_EQ(Quoted(strFolder + "\\Tessaly.exe"),
              ReadString(HKEY_CLASSES_ROOT, std::string(kClsidKey) + "\\LocalServer32", nullptr));
    EXPECT_EQ(kClsid, ReadString(HKEY_CLASSES_ROOT, std::string(kProgIdKey) + "\\CLSID", nullptr));
    EXPECT_EQ(Quoted(strFolder + "\\Uninstall.exe") + " /S",
              ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString"));
}

// Nothing of the installation is left but what the test names as allowed.
void ExpectFilesRemoved(const std::string& strFolder)
{
    for (const std::string& strFile : InstalledFiles())
    {
        if (strFile == "Uninstall.exe")
            continue;
        EXPECT_FALSE(PathExists(strFolder + "\\" + strFile)) << strFile;
    }
    for (const char* pszSubFolder : {"x64", "include", "lib\\x64", "lib\\cmake\\Varnel", "lib\\cmake", "lib",
                                     "examples\\host", "examples\\companion", "examples"})
        EXPECT_FALSE(PathExists(strFolder + "\\" + pszSubFolder)) << pszSubFolder;
}

void ExpectComRegistrationRemoved()
{
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClsidKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kProgIdKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

class InstallerTest : public ::testing::Test
{
protected:
    void SetUp() override { KillAllMonitors(); }
    void TearDown() override { KillAllMonitors(); }

    CLocationGuard m_locationGuard;
};

} // namespace

TEST_F(InstallerTest, DefaultFolderWorksEndToEndAndTheUninstallerRemovesItAll)
{
    const std::string strFolder = ProgramFilesFolder() + "\\Marvane\\ZOV";
    ASSERT_FALSE(ProgramFilesFolder().empty());
    ASSERT_EQ(0, RunToEnd(Quoted(TESSALY_SETUP_PATH) + " /S", kSetupTimeoutMs));
    ExpectCompleteInstallation(strFolder);

    // The installed host, library, catalogue and companion library, in debug mode:
    // COM starts the installed monitor, which stays resident.
    EXPECT_EQ(
        0, RunToEnd(Quoted(strFolder + "\\sample_host.exe") + " 4242 1", kHostTimeoutMs, "ZOVLOGGER=1;ALL"));
    HWND hFrame = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hFrame = FindAnyMonitorFrame()) != nullptr; }, 15000));
    DWORD dwMonitorId = 0;
    ::GetWindowThreadProcessId(hFrame, &dwMonitorId);
    EXPECT_EQ(0, lstrcmpiA((strFolder + "\\Tessaly.exe").c_str(), ProcessImagePath(dwMonitorId).c_str()))
        << ProcessImagePath(dwMonitorId);
    HANDLE hMonitor = ::OpenProcess(SYNCHRONIZE, FALSE, dwMonitorId);
    ASSERT_NE(nullptr, hMonitor);
    ASSERT_TRUE(WaitUntil(
        [&] { return ConsoleText(hFrame).find("Client 4242 has ended") != std::string::npos; }, 10000))
        << ConsoleText(hFrame);
    const std::string strConsole = ConsoleText(hFrame);
    const std::string strCatalogue = strFolder + "\\ZOVLogMessages.ini";
    const std::string strBanner = CatalogueText(strCatalogue, "tessalymessage_1024", "msg001");
    ASSERT_FALSE(strBanner.empty());
    EXPECT_EQ(0u, strConsole.find(strBanner + "\r\n")) << "the installed catalogue's banner";
    const std::string strIdLine =
        Catalogue::FormatWithInteger(CatalogueText(strCatalogue, "Message_1024", "msg034").c_str(), 4242);
    EXPECT_NE(std::string::npos, strConsole.find(":sample_host:4242]-> " + strIdLine)) << strIdLine;
    EXPECT_NE(std::string::npos, strConsole.find("thread 3, diagnostic error: work item 1 retried"));
    EXPECT_NE(
        std::string::npos,
        strConsole.find(":sample_host:4242]-> sample host 4242: sample warning from the companion library"))
        << "the installed companion library writes through the host's logger";

    // In place and synchronously: _?= with the folder's short form (no blanks). It
    // ends the running monitor first.
    const std::string strShortFolder = ShortPath(strFolder);
    ASSERT_EQ(std::string::npos, strShortFolder.find(' ')) << strShortFolder;
    EXPECT_EQ(0,
              RunToEnd(Quoted(strFolder + "\\Uninstall.exe") + " /S _?=" + strShortFolder, kSetupTimeoutMs));
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hMonitor, 10000)) << "the uninstaller ends the monitor";
    ::CloseHandle(hMonitor);
    ExpectFilesRemoved(strFolder);
    ExpectComRegistrationRemoved();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kInstallKey, kInstallKeyView)) << "the value was the only thing in it";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMakerKey, kInstallKeyView));

    // Run in place, the uninstaller cannot remove itself: that is the caller's part.
    EXPECT_TRUE(PathExists(strFolder + "\\Uninstall.exe"));
    ::DeleteFileA((strFolder + "\\Uninstall.exe").c_str());
    EXPECT_TRUE(::RemoveDirectoryA(strFolder.c_str())) << "nothing else is left in the folder";
    ::RemoveDirectoryA((ProgramFilesFolder() + "\\Marvane").c_str());
}

TEST_F(InstallerTest, ChosenFolderAndTheAddRemoveProgramsUninstallKeepWhatIsNotTheirs)
{
    char szTemp[MAX_PATH] = "";
    ::GetTempPathA(sizeof(szTemp), szTemp);
    const std::string strParent =
        std::string(szTemp) + "tessaly setup " + std::to_string(::GetCurrentProcessId());
    const std::string strFolder = strParent + "\\Marvane ZOV";
    // /D= comes last and unquoted, blanks and all.
    ASSERT_EQ(0, RunToEnd(Quoted(TESSALY_SETUP_PATH) + " /S /D=" + strFolder, kSetupTimeoutMs));
    ExpectCompleteInstallation(strFolder);

    // Installing again over an installation replaces it in place.
    ASSERT_EQ(0, RunToEnd(Quoted(TESSALY_SETUP_PATH) + " /S /D=" + strFolder, kSetupTimeoutMs));
    ExpectCompleteInstallation(strFolder);

    // A file of the user's in the folder, and a "Location" that another
    // installation has taken over since.
    const std::string strNotes = strFolder + "\\my notes.txt";
    HANDLE hNotes = ::CreateFileA(strNotes.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hNotes);
    ::CloseHandle(hNotes);
    const std::string strOtherLocation = "C:\\Other Place\\ZOV\\Tessaly.exe";
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_SET_VALUE | kInstallKeyView, &hKey));
    ::RegSetValueExA(hKey, "Location", 0, REG_SZ, reinterpret_cast<const BYTE*>(strOtherLocation.c_str()),
                     static_cast<DWORD>(strOtherLocation.size() + 1));
    ::RegCloseKey(hKey);

    // What Add/Remove Programs runs: the uninstaller copies itself away and
    // returns at once, so wait for its work to show.
    const std::string strQuiet = ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
    ASSERT_FALSE(strQuiet.empty());
    EXPECT_EQ(0, RunToEnd(strQuiet, kSetupTimeoutMs));
    EXPECT_TRUE(WaitUntil(
        [&] {
            return !PathExists(strFolder + "\\Uninstall.exe") &&
                   !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey);
        },
        30000));
    ExpectFilesRemoved(strFolder);
    EXPECT_FALSE(PathExists(strFolder + "\\Uninstall.exe"));
    ExpectComRegistrationRemoved();
    EXPECT_EQ(strOtherLocation, ReadString(HKEY_LOCAL_MACHINE, kInstallKey, "Location", nullptr, kInstallKeyView))
        << "the value names another installation";
    EXPECT_TRUE(PathExists(strNotes)) << "the user's file stays, and with it the folder";

    ::DeleteFileA(strNotes.c_str());
    ::RemoveDirectoryA(strFolder.c_str());
    ::RemoveDirectoryA(strParent.c_str());
}

TEST_F(InstallerTest, TheUninstallerRecognisesLocationInItsFolderForm)
{
    char szTemp[MAX_PATH] = "";
    ::GetTempPathA(sizeof(szTemp), szTemp);
    const std::string strFolder =
        std::string(szTemp) + "tessaly folder form " + std::to_string(::GetCurrentProcessId());
    ASSERT_EQ(0, RunToEnd(Quoted(TESSALY_SETUP_PATH) + " /S /D=" + strFolder, kSetupTimeoutMs));
    ASSERT_TRUE(PathExists(strFolder + "\\Tessaly.exe"));

    // The folder with a trailing backslash names the same installation.
    const std::string strFolderForm = strFolder + "\\";
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_SET_VALUE | kInstallKeyView, &hKey));
    ::RegSetValueExA(hKey, "Location", 0, REG_SZ, reinterpret_cast<const BYTE*>(strFolderForm.c_str()),
                     static_cast<DWORD>(strFolderForm.size() + 1));
    ::RegCloseKey(hKey);

    EXPECT_EQ(0, RunToEnd(Quoted(strFolder + "\\Uninstall.exe") + " /S _?=" + ShortPath(strFolder),
                          kSetupTimeoutMs));
    ExpectFilesRemoved(strFolder);
    bool bFound = true;
    ReadString(HKEY_LOCAL_MACHINE, kInstallKey, "Location", &bFound, kInstallKeyView);
    EXPECT_FALSE(bFound) << "the value named this installation";

    ::DeleteFileA((strFolder + "\\Uninstall.exe").c_str());
    ::RemoveDirectoryA(strFolder.c_str());
}
