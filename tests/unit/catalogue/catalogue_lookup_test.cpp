// Catalogue lookups through the real profile-string reader on real files, texts
// from the file through the safe formatter, and our path splitter against the
// run-time library's.
#include "CatalogueFormat.h"
#include "CatalogueKeys.h"
#include "CatalogueLookup.h"
#include "InstallLocation.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace
{

class CatalogueFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char szTemp[MAX_PATH];
        ASSERT_NE(0u, GetTempPathA(sizeof szTemp, szTemp));
        const ::testing::TestInfo* pInfo = ::testing::UnitTest::GetInstance()->current_test_info();
        m_strDir =
            std::string(szTemp) + "catalogue_" + pInfo->name() + "_" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(m_strDir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
        m_strFile = m_strDir + "\\" + Catalogue::kFileName + "." + Catalogue::kFileExtension;
    }
    void TearDown() override
    {
        DeleteFileA(m_strFile.c_str());
        RemoveDirectoryA(m_strDir.c_str());
    }

    void Write(const std::string& strContent)
    {
        std::ofstream file(m_strFile, std::ios::binary);
        file << strContent;
    }

    std::string Lookup(const char* pszSection, const char* pszKey, std::size_t* pnLength = nullptr)
    {
        char szText[Catalogue::kTextBufferBytes];
        const std::size_t nLength =
            Catalogue::LookupCatalogueText(m_strFile.c_str(), pszSection, pszKey, szText);
        if (pnLength)
            *pnLength = nLength;
        EXPECT_EQ(std::strlen(szText), nLength);
        return szText;
    }

    std::string m_strDir;
    std::string m_strFile;
};

const std::string g_strMonitorSection = Install::SectionName(Catalogue::Section::kMonitor);

} // namespace

TEST_F(CatalogueFile, AbsentFileSectionOrKeyGiveTheEmptyText)
{
    std::size_t nLength = 99;
    EXPECT_EQ("", Lookup(g_strMonitorSection.c_str(), Catalogue::kBannerLine1, &nLength));
    EXPECT_EQ(0u, nLength);

    Write("[Message_1024]\r\nmsg001=client text\r\n[tessalymessage_1024]\r\nmsg002=monitor text\r\n");
    EXPECT_EQ("", Lookup(g_strMonitorSection.c_str(), Catalogue::kBannerLine1));
    EXPECT_EQ("monitor text", Lookup(g_strMonitorSection.c_str(), Catalogue::kBannerLine2));
    EXPECT_EQ("client text", Lookup("Message_1024", Catalogue::kBannerLine1));
    EXPECT_EQ("", Lookup("tessalymessage_1033", Catalogue::kBannerLine2));

    // Empty names must not make the reader list sections or keys.
    char szText[Catalogue::kTextBufferBytes] = "stale";
    EXPECT_EQ(0u, Catalogue::LookupCatalogueText(m_strFile.c_str(), "", Catalogue::kBannerLine2, szText));
    EXPECT_STREQ("", szText);
    EXPECT_EQ(
        0u, Catalogue::LookupCatalogueText(m_strFile.c_str(), g_strMonitorSection.c_str(), nullptr, szText));
    EXPECT_EQ(0u, Catalogue::LookupCatalogueText("", g_strMonitorSection.c_str(), "msg002", szText));
}

TEST_F(CatalogueFile, QuotesAreRemovedAndLongTextsCutTo4095)
{
    const std::string strLong(5000, 'L');
    Write("[tessalymessage_1024]\r\nmsg001=\"  quoted text  \"\r\nmsg002=   blanks around   \r\nmsg003=" +
          strLong + "\r\nmsg004=after the long one\r\n");
    EXPECT_EQ("  quoted text  ", Lookup(g_strMonitorSection.c_str(), "msg001"));
    EXPECT_EQ("blanks around", Lookup(g_strMonitorSection.c_str(), "msg002"));
    std::size_t nLength = 0;
    EXPECT_EQ(strLong.substr(0, 4095), Lookup(g_strMonitorSection.c_str(), "msg003", &nLength));
    EXPECT_EQ(4095u, nLength);
    EXPECT_EQ("after the long one", Lookup(g_strMonitorSection.c_str(), "msg004"));
}

TEST_F(CatalogueFile, TextsFromTheFileTakeTheirOneArgumentOrShowVerbatim)
{
    Write("[tessalymessage_1024]\r\n"
          "msg015=Client %d has terminated (100%% clean).\r\n"
          "msg017=Client %d %s\r\n"
          "msg018=Client %s cleaned\r\n"
          "msg016=%n%n%n%s%s%s\r\n"
          "[Message_1024]\r\n"
          "msg035=Application %-6s| started\r\n"
          "msg034=Application %d of %s\r\n");
    char szOut[Catalogue::kTextBufferBytes];

    Catalogue::FormatWithInteger(Lookup(g_strMonitorSection.c_str(), Catalogue::kTerminateNote).c_str(), -42,
                                 szOut);
    EXPECT_STREQ("Client -42 has terminated (100% clean).", szOut);
    Catalogue::FormatWithInteger(Lookup(g_strMonitorSection.c_str(), Catalogue::kCleanNote).c_str(), 7,
                                 szOut);
    EXPECT_STREQ("Client %d %s", szOut);
    Catalogue::FormatWithInteger(Lookup(g_strMonitorSection.c_str(), Catalogue::kCleanNoteSecond).c_str(), 7,
                                 szOut);
    EXPECT_STREQ("Client %s cleaned", szOut);
    Catalogue::FormatWithInteger(Lookup(g_strMonitorSection.c_str(), Catalogue::kTerminateNoteFollow).c_str(),
                                 7, szOut);
    EXPECT_STREQ("%n%n%n%s%s%s", szOut);

    EXPECT_EQ("Application tool  | started",
              Catalogue::FormatWithString(
                  Lookup("Message_1024", Catalogue::kStartLineApplicationName).c_str(), "tool"));
    EXPECT_EQ(
        "Application %d of %s",
        Catalogue::FormatWithInteger(Lookup("Message_1024", Catalogue::kStartLineApplicationId).c_str(), 3));
}

// The splitter follows the run-time library on every input whose parts fit; where
// one does not fit, it fails like the checked splitter, with every part empty.
TEST(SplitPathAgainstCrt, AgreesWithTheRuntimeLibrary)
{
    const std::string inputs[] = {"C:\\Inst\\Tool\\app.exe",
                                  "C:\\Inst\\Tool",
                                  "C:\\Inst\\Tool\\",
                                  "C:/Inst/Tool/app.exe",
                                  "C:\\a/b\\c.d/e",
                                  "C:Tool\\app",
                                  "\\\\server\\share\\dir\\f.ini",
                                  "C:",
                                  "C:\\",
                                  ":",
                                  "1:\\x",
                                  "x:y:z",
                                  "app.exe",
                                  "a.b.c",
                                  "C:\\dir.with.dots\\file",
                                  "C:\\Inst\\.hidden",
                                  "dir\\",
                                  "/",
                                  ".",
                                  "..",
                                  "C:\\Inst\\app.",
                                  "C:..\\..\\x",
                                  "",
                                  " C:\\lead",
                                  "C:\\" + std::string(252, 'd') + "\\f.e",
                                  "C:\\Inst\\" + std::string(255, 'f'),
                                  "C:\\Inst\\x." + std::string(254, 'e')};
    for (const std::string& strInput : inputs)
    {
        char szDrive[_MAX_DRIVE], szDir[_MAX_DIR], szFname[_MAX_FNAME], szExt[_MAX_EXT];
        _splitpath(strInput.c_str(), szDrive, szDir, szFname, szExt);
        Install::PathParts parts;
        EXPECT_TRUE(Install::SplitPath(strInput.c_str(), parts)) << strInput;
        EXPECT_STREQ(szDrive, parts.szDrive) << strInput;
        EXPECT_STREQ(szDir, parts.szDir) << strInput;
        EXPECT_STREQ(szFname, parts.szFname) << strInput;
        EXPECT_STREQ(szExt, parts.szExt) << strInput;
        EXPECT_EQ(Install::MakePath(szDrive, szDir, szFname, szExt),
                  Install::MakePath(parts.szDrive, parts.szDir, parts.szFname, parts.szExt));
    }

    const std::string tooLong[] = {"C:\\" + std::string(254, 'd') + "\\f.e",
                                   "C:\\Inst\\" + std::string(256, 'f'),
                                   "C:\\Inst\\x." + std::string(255, 'e')};
    for (const std::string& strInput : tooLong)
    {
        char szDrive[_MAX_DRIVE], szDir[_MAX_DIR], szFname[_MAX_FNAME], szExt[_MAX_EXT];
        EXPECT_NE(0, _splitpath_s(strInput.c_str(), szDrive, sizeof szDrive, szDir, sizeof szDir, szFname,
                                  sizeof szFname, szExt, sizeof szExt));
        Install::PathParts parts;
        EXPECT_FALSE(Install::SplitPath(strInput.c_str(), parts)) << strInput;
        EXPECT_STREQ(szDrive, parts.szDrive);
        EXPECT_STREQ(szDir, parts.szDir);
        EXPECT_STREQ(szFname, parts.szFname);
        EXPECT_STREQ(szExt, parts.szExt);
    }
}
