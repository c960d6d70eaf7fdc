#include "AnsiLine.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

using namespace Marvane::NativeLogging;

namespace
{

std::string Convert(const std::wstring& text, unsigned codePage)
{
    LineBuffer line;
    std::memset(line, '#', sizeof(line));
    ConvertToAnsiLine(line, text.c_str(), codePage);
    EXPECT_EQ('\0', line[kLineBufferBytes - 1]);
    return std::string(line);
}

} // namespace

// UTF-8 stands in for a multi-byte code page: it shows where a cut may fall.
TEST(AnsiLine, CutNeverSplitsAMultiByteCharacter)
{
    // 2047 two-byte characters make 4094 bytes; the next one would need 4096.
    const std::string cut = Convert(std::wstring(3000, L'\u00e9'), CP_UTF8);
    EXPECT_EQ(4094u, cut.size());
    std::string expected;
    for (int i = 0; i < 2047; ++i)
        expected += "\xc3\xa9";
    EXPECT_EQ(expected, cut);

    // A text that converts to exactly 4095 bytes is kept whole.
    const std::wstring exact = std::wstring(4091, L'a') + L"\U0001F600";
    EXPECT_EQ(std::string(4091, 'a') + "\xf0\x9f\x98\x80", Convert(exact, CP_UTF8));
}

TEST(AnsiLine, CutNeverSplitsASurrogatePair)
{
    // The emoji's four bytes do not fit after 4092 others; its first half
    // alone would, as a replacement character, but must not be converted.
    const std::wstring text = std::wstring(4092, L'a') + L"\U0001F600" + L"tail";
    EXPECT_EQ(std::string(4092, 'a'), Convert(text, CP_UTF8));
}

TEST(AnsiLine, EmptyAndNullTextsGiveEmptyLines)
{
    EXPECT_EQ("", Convert(L"", CP_ACP));
    LineBuffer line;
    std::memset(line, '#', sizeof(line));
    ConvertToAnsiLine(line, nullptr, CP_ACP);
    EXPECT_STREQ("", line);
}
