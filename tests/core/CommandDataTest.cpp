#include "CCommandData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

struct Parsed
{
    int kind;
    std::string payload;
};

Parsed Parse(const char* request)
{
    CCommandData data(request, std::strlen(request) + 1);
    EXPECT_EQ(std::strlen(data.Payload()), data.PayloadLength());
    return Parsed{data.Kind(), data.Payload()};
}

} // namespace

TEST(CommandData, EveryKeywordGivesItsKindAndPayload)
{
    struct Case
    {
        const char* request;
        int kind;
        const char* payload;
    };
    const Case cases[] = {
        {"INIT;42|C:\\apps\\tool.exe|beta", Protocol::kKindInit, "42|C:\\apps\\tool.exe|beta"},
        {"ERROR;[[12-07-2026 01:23:45]]-> bad", Protocol::kKindError, "[[12-07-2026 01:23:45]]-> bad"},
        {"SERROR;x", Protocol::kKindSError, "x"},
        {"INFO;i", Protocol::kKindInfo, "i"},
        {"SINFO;[[12-07-2026 01:23:45]:tool:42]-> started", Protocol::kKindSInfo,
         "[[12-07-2026 01:23:45]:tool:42]-> started"},
        {"CLEAN;", Protocol::kKindClean, ""},
        {"CLEAN", Protocol::kKindClean, ""},
    };
    for (const Case& c : cases)
    {
        const Parsed parsed = Parse(c.request);
        EXPECT_EQ(c.kind, parsed.kind) << c.request;
        EXPECT_EQ(c.payload, parsed.payload) << c.request;
    }
}

TEST(CommandData, TerminateIgnoresWhateverFollows)
{
    for (const char* request : {"TERMINATE", "TERMINATE;", "TERMINATE;anything", ";TERMINATE;;x;y"})
    {
        const Parsed parsed = Parse(request);
        EXPECT_EQ(Protocol::kKindTerminate, parsed.kind) << request;
        EXPECT_EQ("", parsed.payload) << request;
    }
}

TEST(CommandData, KeywordsMatchExactlyAndCaseSensitively)
{
    for (const char* request :
         {"info;x", "Init;1|a|b", "", ";", ";;;", "INITX;1|a|b", "INI;1", " INFO;x", "SUCCESS", "TERMINATEX"})
    {
        const Parsed parsed = Parse(request);
        EXPECT_EQ(Protocol::kKindUnrecognised, parsed.kind) << '"' << request << '"';
        EXPECT_EQ("", parsed.payload) << request;
    }
}

TEST(CommandData, EmptyTokensAreSkippedAndASecondSeparatorEndsThePayload)
{
    Parsed parsed = Parse(";;INFO;;text");
    EXPECT_EQ(Protocol::kKindInfo, parsed.kind);
    EXPECT_EQ("text", parsed.payload);

    parsed = Parse("ERROR;[[stamp]]-> first; second");
    EXPECT_EQ(Protocol::kKindError, parsed.kind);
    EXPECT_EQ("[[stamp]]-> first", parsed.payload);

    for (const char* request : {"INFO", "INFO;", "INFO;;;"})
    {
        parsed = Parse(request);
        EXPECT_EQ(Protocol::kKindInfo, parsed.kind) << request;
        EXPECT_EQ("", parsed.payload) << request;
    }
}

TEST(CommandData, LeavesTheRequestBufferUntouched)
{
    char request[] = "INFO;a;b";
    CCommandData data(request, sizeof(request));
    EXPECT_STREQ("a", data.Payload());
    EXPECT_STREQ("INFO;a;b", request);
}

TEST(CommandData, MessageWithoutNulIsReadUpToMaxBytesOnly)
{
    // Exactly the message bytes in their own heap block: under the address
    // sanitizer, any read past them fails the test.
    const std::string message = "SINFO;payload";
    std::vector<char> bytes(message.begin(), message.end());
    CCommandData data(bytes.data(), bytes.size());
    EXPECT_EQ(Protocol::kKindSInfo, data.Kind());
    EXPECT_STREQ("payload", data.Payload());
    EXPECT_EQ(7u, data.PayloadLength());

    CCommandData shorter(bytes.data(), 9);
    EXPECT_STREQ("pay", shorter.Payload());

    CCommandData cutKeyword(bytes.data(), 4);
    EXPECT_EQ(Protocol::kKindUnrecognised, cutKeyword.Kind());

    CCommandData nothing(nullptr, 100);
    EXPECT_EQ(Protocol::kKindUnrecognised, nothing.Kind());
    EXPECT_STREQ("", nothing.Payload());
}

TEST(CommandData, FullSizeMessagesKeepEveryByteAndLongerOnesAreBounded)
{
    // A full message of 4096 bytes without a NUL, and a larger caller buffer:
    // both are read up to kMaxRequestBytes characters and no further.
    std::vector<char> full(Protocol::kMaxRequestBytes, 'x');
    std::memcpy(full.data(), "INFO;", 5);
    CCommandData atLimit(full.data(), full.size());
    EXPECT_EQ(Protocol::kKindInfo, atLimit.Kind());
    EXPECT_EQ(Protocol::kMaxRequestBytes - 5, atLimit.PayloadLength());

    std::vector<char> larger(2 * Protocol::kMaxRequestBytes, 'y');
    std::memcpy(larger.data(), "ERROR;", 6);
    CCommandData bounded(larger.data(), larger.size());
    EXPECT_EQ(Protocol::kKindError, bounded.Kind());
    EXPECT_EQ(Protocol::kMaxRequestBytes - 6, bounded.PayloadLength());
}
