// Reading "Location" from the real registry of the test's Wine prefix. The key is
// saved before each case and put back afterwards.
#include "InstallLocation.h"
#include "InstallKey.h"
#include "InstallRegistry.h"
#include "SavedInstallationKey.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Install::LocationReadStatus;

namespace
{

class InstallRegistry : public ::testing::Test
{
protected:
    void SetUp() override { DeleteKey(); }

    static void DeleteKey() { CSavedInstallationKey::RemoveKey(); }

    static HKEY CreateKey()
    {
        const HKEY hKey = TestInstallKey::Create();
        EXPECT_NE(nullptr, hKey);
        return hKey;
    }

    static void SetLocation(DWORD dwType, const void* pData, DWORD cbData)
    {
        HKEY hKey = CreateKey();
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(hKey, Install::kLocationValueName, 0, dwType,
                                                static_cast<const BYTE*>(pData), cbData));
        RegCloseKey(hKey);
    }

    static void SetLocation(const std::string& strValue)
    {
        SetLocation(REG_SZ, strValue.c_str(), static_cast<DWORD>(strValue.size() + 1));
    }

    static LocationReadStatus Read(std::string& strLocation)
    {
        strLocation = "stale";
        return Install::ReadInstallLocation(strLocation);
    }

    CSavedInstallationKey m_savedKey; // put back after each case
};

} // namespace

TEST_F(InstallRegistry, MissingKeyMissingValueAndEmptyValueAreTold)
{
    std::string strLocation;
    EXPECT_EQ(LocationReadStatus::kKeyMissing, Read(strLocation));
    EXPECT_EQ("", strLocation);

    RegCloseKey(CreateKey());
    EXPECT_EQ(LocationReadStatus::kValueMissing, Read(strLocation));
    EXPECT_EQ("", strLocation);

    SetLocation("");
    EXPECT_EQ(LocationReadStatus::kEmptyValue, Read(strLocation));
    EXPECT_EQ("", strLocation);

    const DWORD dwNumber = 5;
    SetLocation(REG_DWORD, &dwNumber, sizeof dwNumber);
    EXPECT_EQ(LocationReadStatus::kValueMissing, Read(strLocation));
}

#ifdef _WIN64
// The 32-bit installer writes the key in the 32-bit view; a 64-bit process reads it
// there and never takes a key of its own view for it.
TEST_F(InstallRegistry, A64BitProcessReadsTheKeyInThe32BitView)
{
    HKEY hOwnView = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, Install::kRegistryKeyPath, 0, nullptr, 0,
                                             KEY_WRITE | KEY_WOW64_64KEY, nullptr, &hOwnView, nullptr));
    const std::string strOwnView = "C:\\Elsewhere\\Tessaly.exe";
    RegSetValueExA(hOwnView, Install::kLocationValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strOwnView.c_str()),
                   static_cast<DWORD>(strOwnView.size() + 1));
    RegCloseKey(hOwnView);
    std::string strLocation;
    EXPECT_EQ(LocationReadStatus::kKeyMissing, Read(strLocation));

    SetLocation("C:\\Program Files (x86)\\Marvane\\ZOV\\Tessaly.exe");
    EXPECT_EQ(LocationReadStatus::kOk, Read(strLocation));
    EXPECT_EQ("C:\\Program Files (x86)\\Marvane\\ZOV\\Tessaly.exe", strLocation);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, Install::kRegistryKeyPath, KEY_WOW64_64KEY, 0);
}
#endif

TEST_F(InstallRegistry, ValuesUpTo499CharactersAreRead)
{
    std::string strLocation;
    SetLocation("C:\\Program Files\\Tessaly\\Tessaly.exe");
    EXPECT_EQ(LocationReadStatus::kOk, Read(strLocation));
    EXPECT_EQ("C:\\Program Files\\Tessaly\\Tessaly.exe", strLocation);

    const std::string strLongest = "C:\\" + std::string(496, 'x');
    SetLocation(strLongest);
    EXPECT_EQ(LocationReadStatus::kOk, Read(strLocation));
    EXPECT_EQ(strLongest, strLocation);

    // 500 characters do not fit the 500-byte buffer with their terminator.
    SetLocation(strLongest + "y");
    EXPECT_EQ(LocationReadStatus::kValueMissing, Read(strLocation));
    EXPECT_EQ("", strLocation);
    SetLocation(std::string(4000, 'z'));
    EXPECT_EQ(LocationReadStatus::kValueMissing, Read(strLocation));

    // Stored without a terminator: the text is still read, and not one byte further.
    const std::string strBare = "C:\\Bare\\";
    SetLocation(REG_SZ, strBare.data(), static_cast<DWORD>(strBare.size()));
    EXPECT_EQ(LocationReadStatus::kOk, Read(strLocation));
    EXPECT_EQ(strBare, strLocation);
    const std::string strFull(500, 'f');
    SetLocation(REG_SZ, strFull.data(), static_cast<DWORD>(strFull.size()));
    EXPECT_EQ(LocationReadStatus::kValueMissing, Read(strLocation));
}

TEST_F(InstallRegistry, ExpandableValuesAreReadExpanded)
{
    SetEnvironmentVariableA("TESSALY_TEST_ROOT", "C:\\Expanded Root");
    const auto setExpandable = [](const std::string& strValue) {
        SetLocation(REG_EXPAND_SZ, strValue.c_str(), static_cast<DWORD>(strValue.size() + 1));
    };
    std::string strLocation;
    setExpandable("%TESSALY_TEST_ROOT%\\Tessaly.exe");
    EXPECT_EQ(LocationReadStatus::kOk, Read(strLocation));
    EXPECT_EQ("C:\\Expanded Root\\Tessaly.exe", strLocation);

    // The limit is on the stored value; its expansion may be longer.
    SetEnvironmentVariableA("TESSALY_TEST_ROOT", ("C:\\" + std::string(600, 'r')).c_str());
    setExpandable("%TESSALY_TEST_ROOT%\\%NO_SUCH_TESSALY_VARIABLE%");
    EXPECT_EQ(LocationReadStatus::kOk, Read(strLocation));
    EXPECT_EQ("C:\\" + std::string(600, 'r') + "\\%NO_SUCH_TESSALY_VARIABLE%", strLocation);

    setExpandable("");
    EXPECT_EQ(LocationReadStatus::kEmptyValue, Read(strLocation));
    SetEnvironmentVariableA("TESSALY_TEST_ROOT", nullptr);
}
