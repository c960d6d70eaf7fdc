// Installation paths from the "Location" value and the safe formatting of
// catalogue texts. Runs natively under the sanitizers (which catch any read or
// write outside a buffer) and under Wine.
#include "CatalogueFormat.h"
#include "InstallLocation.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using Catalogue::FormatWithInteger;
using Catalogue::FormatWithString;
using Catalogue::Section;
using Install::LocationStatus;
using Install::ResolveInstallPaths;

TEST(InstallPaths, OnlyDriveAndDirectoryOfTheLocationCount)
{
    const Install::InstallPaths file = ResolveInstallPaths("C:\\Inst\\Tool\\app.exe", Section::kMonitor);
    EXPECT_EQ(LocationStatus::kOk, file.status);
    EXPECT_EQ("C:\\Inst\\Tool\\ZOVLogMessages.ini", file.strCatalogueFile);
    EXPECT_EQ("C:\\Inst\\Tool\\", file.strInstallDir);
    EXPECT_EQ("tessalymessage_1024", file.strSection);

    const Install::InstallPaths noSeparator = ResolveInstallPaths("C:\\Inst\\Tool", Section::kClient);
    EXPECT_EQ("C:\\Inst\\ZOVLogMessages.ini", noSeparator.strCatalogueFile);
    EXPECT_EQ("C:\\Inst\\", noSeparator.strInstallDir);
    EXPECT_EQ("Message_1024", noSeparator.strSection);

    EXPECT_EQ("C:\\Inst\\Tool\\ZOVLogMessages.ini",
              ResolveInstallPaths("C:\\Inst\\Tool\\", Section::kClient).strCatalogueFile);
    // Forward slashes become backslashes: LoadLibraryEx's altered search path
    // takes backslashes only.
    const Install::InstallPaths slashes = ResolveInstallPaths("C:/Inst/Tool/app.exe", Section::kClient);
    EXPECT_EQ("C:\\Inst\\Tool\\ZOVLogMessages.ini", slashes.strCatalogueFile);
    EXPECT_EQ("C:\\Inst\\Tool\\", slashes.strInstallDir);
    EXPECT_EQ("C:\\ZOVLogMessages.ini", ResolveInstallPaths("C:\\", Section::kClient).strCatalogueFile);
    EXPECT_EQ("\\\\server\\share\\ZOVLogMessages.ini",
              ResolveInstallPaths("\\\\server\\share\\Tessaly.exe", Section::kClient).strCatalogueFile);

    // The unused file name and extension may be longer than any path buffer.
    const Install::InstallPaths longName = ResolveInstallPaths(
        ("C:\\Inst\\" + std::string(300, 'f') + "." + std::string(300, 'e')).c_str(), Section::kClient);
    EXPECT_EQ(LocationStatus::kOk, longName.status);
    EXPECT_EQ("C:\\Inst\\ZOVLogMessages.ini", longName.strCatalogueFile);
}

TEST(InstallPaths, EmptyRelativeOrOversizedLocationsGiveNoPaths)
{
    struct Case
    {
        std::string strLocation;
        LocationStatus status;
    };
    const Case cases[] = {
        {"", LocationStatus::kEmpty},
        {"Tessaly.exe", LocationStatus::kNotAbsolute},
        {"Inst\\Tool\\", LocationStatus::kNotAbsolute},
        {"\\Inst\\Tool\\", LocationStatus::kNotAbsolute},
        {"C:Tool\\app.exe", LocationStatus::kNotAbsolute},
        {"C:", LocationStatus::kNotAbsolute},
        {"C:\\" + std::string(254, 'd') + "\\app.exe", LocationStatus::kTooLong},
    };
    for (const Case& c : cases)
    {
        const Install::InstallPaths paths = ResolveInstallPaths(c.strLocation.c_str(), Section::kMonitor);
        EXPECT_EQ(c.status, paths.status) << c.strLocation;
        EXPECT_EQ("", paths.strInstallDir) << c.strLocation;
        EXPECT_EQ("", paths.strCatalogueFile) << c.strLocation;
        EXPECT_EQ("", paths.strSection) << c.strLocation;
    }
    EXPECT_EQ(LocationStatus::kEmpty, ResolveInstallPaths(nullptr, Section::kClient).status);
}

TEST(SplitPath, ComponentsUpToTheBufferSizesFitAndLongerOnesFailCleanly)
{
    Install::PathParts parts;
    // 255 characters of directory (with the leading and trailing separators) fit.
    const std::string strDir = "\\" + std::string(253, 'd') + "\\";
    ASSERT_TRUE(Install::SplitPath(("C:" + strDir + "name.ext.bak").c_str(), parts));
    EXPECT_STREQ("C:", parts.szDrive);
    EXPECT_EQ(strDir, parts.szDir);
    EXPECT_STREQ("name.ext", parts.szFname);
    EXPECT_STREQ(".bak", parts.szExt);

    ASSERT_FALSE(Install::SplitPath(("C:" + strDir + "d\\x").c_str(), parts));
    EXPECT_STREQ("", parts.szDrive);
    EXPECT_STREQ("", parts.szDir);
    EXPECT_STREQ("", parts.szFname);
    EXPECT_STREQ("", parts.szExt);

    ASSERT_TRUE(Install::SplitPath("C:\\dir.d\\.profile", parts));
    EXPECT_STREQ("\\dir.d\\", parts.szDir);
    EXPECT_STREQ("", parts.szFname);
    EXPECT_STREQ(".profile", parts.szExt);
}

TEST(MakePath, AddsTheSeparatorAndTheDotWhereMissing)
{
    EXPECT_EQ("C:\\a\\b.ini", Install::MakePath("C:", "\\a", "b", "ini"));
    EXPECT_EQ("C:/a/b.ini", Install::MakePath("C", "/a/", "b", ".ini"));
    EXPECT_EQ("b", Install::MakePath(nullptr, "", "b", nullptr));
}

// Valid formats render exactly as the C library's printf renders them.
TEST(CatalogueFormat, IntegerConversionsMatchPrintf)
{
    const char* const formats[] = {
        "Client %d ended.", "%i",   "[%5ld]", "[%-5d]", "[%05d]", "[%+d]",  "[% d]", "[%.3d]",  "[%8.3d]",
        "[%-08d]",          "[%u]", "[%x]",   "[%#X]",  "[%#o]",  "[%.0d]", "%d%%",  "100%% %d"};
    const int values[] = {0, 7, -7, 42, 123456, INT_MIN, INT_MAX};
    for (const char* pszFormat : formats)
    {
        for (int nValue : values)
        {
            // 'l' names the 32-bit long of Windows; give printf a long on any host.
            char szExpected[64];
            if (std::strchr(pszFormat, 'l'))
                std::snprintf(szExpected, sizeof szExpected, pszFormat, static_cast<long>(nValue));
            else
                std::snprintf(szExpected, sizeof szExpected, pszFormat, nValue);
            char szOut[Catalogue::kTextBufferBytes];
            const std::size_t nLength = FormatWithInteger(pszFormat, nValue, szOut);
            EXPECT_STREQ(szExpected, szOut) << pszFormat << " with " << nValue;
            EXPECT_EQ(std::strlen(szExpected), nLength);
        }
    }
}

TEST(CatalogueFormat, StringConversionsMatchPrintfAndReadNoFurtherThanThePrecision)
{
    const char* const formats[] = {
        "Application %s started", "[%10s]", "[%-10s]", "[%.2s]", "[%6.2s]", "%s %%"};
    for (const char* pszFormat : formats)
    {
        char szExpected[64];
        std::snprintf(szExpected, sizeof szExpected, pszFormat, "tool");
        EXPECT_EQ(szExpected, FormatWithString(pszFormat, "tool")) << pszFormat;
    }
    const char unterminated[3] = {'a', 'b', 'c'};
    EXPECT_EQ("<abc>", FormatWithString("<%.3s>", unterminated));
    EXPECT_EQ("<(null)>", FormatWithString("<%s>", nullptr));
}

// Texts that are not a valid format for their argument are shown as they stand.
TEST(CatalogueFormat, InvalidFormatsAreShownVerbatim)
{
    const char* const integerTexts[] = {
        "Client %s ended", "%d and %d", "%d %x", "%n%d", "%*d", "%.*d", "%lld", "%hd",
        "%I64d",           "%c",        "%p",    "%f",   "%e",  "100%", "%5",   "%S",
        "%d %% %s",        "%-s",       "%zu",   "%Id",  "%ls", "%C",   "%Z",   "%lc",
    };
    for (const char* pszText : integerTexts)
    {
        char szOut[Catalogue::kTextBufferBytes];
        EXPECT_EQ(std::strlen(pszText), FormatWithInteger(pszText, 42, szOut)) << pszText;
        EXPECT_STREQ(pszText, szOut);
    }
    const char* const stringTexts[] = {"Application %d",
                                       "%s %s",
                                       "%ls",
                                       "%S",
                                       "%ws",
                                       "%hs",
                                       "%05s",
                                       "%+s",
                                       "% s",
                                       "%#s",
                                       "%*s",
                                       "%n",
                                       "%s%"};
    for (const char* pszText : stringTexts)
        EXPECT_EQ(pszText, FormatWithString(pszText, "tool")) << pszText;
    EXPECT_EQ("", FormatWithInteger(nullptr, 1));
}

TEST(CatalogueFormat, OutputStopsAt4095CharactersAndIsTerminated)
{
    char szOut[Catalogue::kTextBufferBytes];
    std::memset(szOut, 'X', sizeof szOut);
    // A field wider than printf accepts is as wide as printf allows: padding only.
    EXPECT_EQ(4095u, FormatWithInteger("%999999999999d", 5, szOut));
    EXPECT_EQ(std::string(4095, ' '), szOut);
    EXPECT_EQ(std::string(4095, ' '), FormatWithInteger("%4294967302d", 5)) << "2^32 + 6 must not wrap";

    const std::string strLong = std::string(4090, 'a') + "%d";
    EXPECT_EQ(4095u, FormatWithInteger(strLong.c_str(), -1234567, szOut));
    EXPECT_EQ(std::string(4090, 'a') + "-1234", std::string(szOut));

    const std::string strVerbatim = std::string(5000, 'v') + "%s";
    EXPECT_EQ(4095u, FormatWithInteger(strVerbatim.c_str(), 1, szOut));
    EXPECT_EQ(std::string(4095, 'v'), FormatWithString(std::string(5000, 'v').c_str(), "x"));
}

// Widths and precisions beyond the output's size: what shows is printf's result
// cut at 4095 characters, wherever the padding gives way to the digits.
TEST(CatalogueFormat, FieldsWiderThanTheOutputShowPrintfsResultCut)
{
    const auto printfCut = [](const char* pszFormat, auto value) {
        std::vector<char> buffer(40000);
        std::snprintf(buffer.data(), buffer.size(), pszFormat, value);
        return std::string(buffer.data()).substr(0, Catalogue::kMaxTextChars);
    };
    const char* const integerFormats[] = {"%%%033333d 3%%", "%.5000d",  "x%-5000dy",
                                          "%4094d",         "ab%4094x", "%#.4100o"};
    for (const char* pszFormat : integerFormats)
    {
        for (int nValue : {42, -7, INT_MIN})
            EXPECT_EQ(printfCut(pszFormat, nValue), FormatWithInteger(pszFormat, nValue))
                << pszFormat << " with " << nValue;
    }
    for (const char* pszFormat : {"x%5000s", "%4093s|", "%-4100s|"})
        EXPECT_EQ(printfCut(pszFormat, "tool"), FormatWithString(pszFormat, "tool")) << pszFormat;
}
