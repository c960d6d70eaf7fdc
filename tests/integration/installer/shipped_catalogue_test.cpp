// The message catalogue that ships in the installation, read the way both
// programs read it (the system's profile-string reader): every key they look up
// is there with a text, the keys that take an argument show it, and no text
// carries something that would be cut or shown wrongly.
#include "CatalogueFormat.h"
#include "CatalogueKeys.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#ifndef SHIPPED_CATALOGUE_PATH
#error "SHIPPED_CATALOGUE_PATH must name installer/ZOVLogMessages.ini"
#endif

namespace
{

constexpr char kMonitorSection[] = "tessalymessage_1024";
constexpr char kClientSection[] = "Message_1024";

enum class Argument
{
    kNone,
    kInteger,
    kString,
};

struct KeyUse
{
    const char* pszKey;
    Argument argument;
};

const std::vector<KeyUse> kMonitorKeys = {
    {Catalogue::kBannerLine1, Argument::kNone},      {Catalogue::kBannerLine2, Argument::kNone},
    {Catalogue::kBannerLine3, Argument::kNone},      {Catalogue::kBannerLine4, Argument::kNone},
    {Catalogue::kBannerLine5, Argument::kNone},      {Catalogue::kBannerLine6, Argument::kNone},
    {Catalogue::kBannerLine7, Argument::kNone},      {Catalogue::kBannerLine8, Argument::kNone},
    {Catalogue::kTerminateNote, Argument::kInteger}, {Catalogue::kTerminateNoteFollow, Argument::kNone},
    {Catalogue::kCleanNote, Argument::kInteger},     {Catalogue::kCleanNoteSecond, Argument::kInteger},
    {Catalogue::kCleanNoteThird, Argument::kNone},   {Catalogue::kCleanNoteRemoved, Argument::kNone},
};

const std::vector<KeyUse> kClientKeys = {
    {Catalogue::kStartLine1, Argument::kNone},
    {Catalogue::kStartLine2, Argument::kNone},
    {Catalogue::kStartLineApplicationId, Argument::kInteger},
    {Catalogue::kStartLineApplicationName, Argument::kString},
    {Catalogue::kStartLine5, Argument::kNone},
    {Catalogue::kStartLine6, Argument::kNone},
    {Catalogue::kStartLine7, Argument::kNone},
    {Catalogue::kStartLine8, Argument::kNone},
    {Catalogue::kCleanUpStart, Argument::kNone},
    {Catalogue::kCleanUpEnd, Argument::kNone},
};

std::string Text(const char* pszSection, const char* pszKey)
{
    char szText[Catalogue::kTextBufferBytes] = "";
    ::GetPrivateProfileStringA(pszSection, pszKey, "", szText, sizeof(szText), SHIPPED_CATALOGUE_PATH);
    return szText;
}

// The keys a section holds, in file order.
std::vector<std::string> KeysOf(const char* pszSection)
{
    char szKeys[16384] = "";
    const DWORD cch =
        ::GetPrivateProfileStringA(pszSection, nullptr, "", szKeys, sizeof(szKeys), SHIPPED_CATALOGUE_PATH);
    std::vector<std::string> keys;
    for (DWORD i = 0; i < cch; i += static_cast<DWORD>(keys.back().size()) + 1)
        keys.emplace_back(szKeys + i);
    return keys;
}

void CheckSection(const char* pszSection, const std::vector<KeyUse>& uses, bool bTravelsThePipe)
{
    std::set<std::string> known;
    for (const KeyUse& use : uses)
    {
        known.insert(use.pszKey);
        const std::string strText = Text(pszSection, use.pszKey);
        SCOPED_TRACE(std::string(pszSection) + "/" + use.pszKey + " = " + strText);
        EXPECT_FALSE(strText.empty());
        switch (use.argument)
        {
        case Argument::kNone:
            // Shown as written: a '%' here is a placeholder that never gets a value.
            EXPECT_EQ(std::string::npos, strText.find('%'));
            break;
        case Argument::kInteger:
            EXPECT_NE(std::string::npos,
                      Catalogue::FormatWithInteger(strText.c_str(), 987654).find("987654"));
            break;
        case Argument::kString:
            EXPECT_NE(std::string::npos, Catalogue::FormatWithString(strText.c_str(), "calc").find("calc"));
            break;
        }
        // A client's lines travel as pipe requests, where ';' ends the text.
        if (bTravelsThePipe)
        {
            EXPECT_EQ(std::string::npos, strText.find(';'));
        }
    }
    for (const std::string& strKey : KeysOf(pszSection))
        EXPECT_EQ(1u, known.count(strKey)) << pszSection << "/" << strKey << " is never looked up";
}

} // namespace

TEST(ShippedCatalogue, TheMonitorFindsEveryTextItShows)
{
    CheckSection(kMonitorSection, kMonitorKeys, false);
}

TEST(ShippedCatalogue, TheClientLibraryFindsEveryTextItForwards)
{
    CheckSection(kClientSection, kClientKeys, true);
}
