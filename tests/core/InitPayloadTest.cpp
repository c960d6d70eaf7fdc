#include "DecimalText.h"
#include "InitPayload.h"

#include <gtest/gtest.h>

#include <cstdint>

using Protocol::SplitInitPayload;

namespace
{

void ExpectFields(const char* payload, std::int32_t id, const char* path, const char* text)
{
    const Protocol::InitFields fields = SplitInitPayload(payload);
    EXPECT_EQ(id, fields.clientId) << '"' << payload << '"';
    EXPECT_EQ(path, fields.path) << '"' << payload << '"';
    EXPECT_EQ(text, fields.text) << '"' << payload << '"';
}

} // namespace

TEST(InitPayload, ThreeFieldsAsTheClientWritesThem)
{
    ExpectFields("42|C:\\apps\\tool.exe|beta", 42, "C:\\apps\\tool.exe", "beta");
    ExpectFields("42|C:\\Apps\\tool.exe|7.1", 42, "C:\\Apps\\tool.exe", "7.1");
    ExpectFields("-1|a|b", -1, "a", "b");
    ExpectFields("-7|p|t", -7, "p", "t");
    ExpectFields("42|path|", 42, "path", "");
    ExpectFields("42||", 42, "", "");
    ExpectFields("||x", 0, "", "x");
}

TEST(InitPayload, ExtraSeparatorsEndTheText)
{
    ExpectFields("42|a|b|c", 42, "a", "b");
    ExpectFields("42|path|a|b", 42, "path", "a");
}

TEST(InitPayload, FewerSeparatorsGiveTheFixedReadings)
{
    ExpectFields("42", 0, "", "42");
    ExpectFields("42|a", 42, "", "42");
    ExpectFields("", 0, "", "");
    ExpectFields("|", 0, "", "");
    ExpectFields(nullptr, 0, "", "");
}

TEST(InitPayload, IdIsReadWithAtolRules)
{
    ExpectFields("  +17xyz|p|t", 17, "p", "t");
    ExpectFields("\t-0042|p|t", -42, "p", "t");
    ExpectFields("abc|p|t", 0, "p", "t");
    ExpectFields("- 5|p|t", 0, "p", "t");
}

TEST(DecimalText, OverflowSaturatesAtTheInt32Limits)
{
    EXPECT_EQ(INT32_MAX, Protocol::ReadDecimalInt32("2147483647"));
    EXPECT_EQ(INT32_MAX, Protocol::ReadDecimalInt32("2147483648"));
    EXPECT_EQ(INT32_MIN, Protocol::ReadDecimalInt32("-2147483648"));
    EXPECT_EQ(INT32_MIN, Protocol::ReadDecimalInt32("-2147483649"));
    EXPECT_EQ(INT32_MAX, Protocol::ReadDecimalInt32("99999999999999999999999999999999"));
    EXPECT_EQ(INT32_MIN, Protocol::ReadDecimalInt32("-99999999999999999999999999999999"));
    EXPECT_EQ(-2147483647, Protocol::ReadDecimalInt32("-2147483647"));
    EXPECT_EQ(0, Protocol::ReadDecimalInt32("-"));
    EXPECT_EQ(0, Protocol::ReadDecimalInt32(nullptr));
}
