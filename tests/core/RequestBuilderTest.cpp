#include "CCommandData.h"
#include "RequestBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using Protocol::BuildInitRequest;
using Protocol::BuildLogRequest;
using Protocol::RequestBuffer;

namespace
{

constexpr const char kStamp[] = "[12-07-2026 01:23:45]";

// Filled with a marker first, so that a missing terminator or a write past the
// reported length shows.
struct MarkedBuffer
{
    MarkedBuffer() { std::memset(bytes, '#', sizeof(bytes)); }
    RequestBuffer bytes;
};

} // namespace

TEST(RequestBuilder, TypicalConversationHasItsByteCounts)
{
    MarkedBuffer init;
    const std::size_t initLength = BuildInitRequest(init.bytes, 42, "C:\\apps\\tool.exe", "beta");
    EXPECT_STREQ("INIT;42|C:\\apps\\tool.exe|beta", init.bytes);
    EXPECT_EQ(30u, initLength + 1);

    MarkedBuffer log;
    const std::size_t logLength =
        BuildLogRequest(log.bytes, Protocol::kLogSInfo, kStamp, "tool", 42, "started");
    EXPECT_STREQ("SINFO;[[12-07-2026 01:23:45]:tool:42]-> started", log.bytes);
    EXPECT_EQ(48u, logLength + 1);
}

TEST(RequestBuilder, ShortLayoutWithoutClientIdLongLayoutWithIt)
{
    MarkedBuffer out;
    BuildLogRequest(out.bytes, Protocol::kLogInfo, kStamp, "tool", 0, "text");
    EXPECT_STREQ("INFO;[[12-07-2026 01:23:45]]-> text", out.bytes);

    BuildLogRequest(out.bytes, Protocol::kLogError, kStamp, "calc", 1001, "text");
    EXPECT_STREQ("ERROR;[[12-07-2026 01:23:45]:calc:1001]-> text", out.bytes);

    BuildLogRequest(out.bytes, Protocol::kLogSError, kStamp, "calc", -2147483647 - 1, "x");
    EXPECT_STREQ("SERROR;[[12-07-2026 01:23:45]:calc:-2147483648]-> x", out.bytes);

    // Empty stamp and null strings.
    const std::size_t length = BuildLogRequest(out.bytes, 99, "", nullptr, 0, nullptr);
    EXPECT_STREQ("INFO;[]-> ", out.bytes);
    EXPECT_EQ(10u, length);

    BuildInitRequest(out.bytes, -7, nullptr, nullptr);
    EXPECT_STREQ("INIT;-7||", out.bytes);
}

TEST(RequestBuilder, LongTextsAreCutAtTheRequestLimit)
{
    const std::string text(5000, 'z');
    MarkedBuffer out;
    const std::size_t length =
        BuildLogRequest(out.bytes, Protocol::kLogSInfo, kStamp, "tool", 42, text.c_str());
    EXPECT_EQ(Protocol::kMaxRequestChars, length);
    EXPECT_EQ(length, std::strlen(out.bytes));
    const std::string request(out.bytes);
    const std::string prefix = "SINFO;[[12-07-2026 01:23:45]:tool:42]-> ";
    EXPECT_EQ(prefix, request.substr(0, prefix.size()));
    EXPECT_EQ(std::string(Protocol::kMaxRequestChars - prefix.size(), 'z'), request.substr(prefix.size()));

    // A text that just fits is kept whole.
    const std::string fitting(Protocol::kMaxRequestChars - prefix.size(), 'f');
    EXPECT_EQ(Protocol::kMaxRequestChars,
              BuildLogRequest(out.bytes, Protocol::kLogSInfo, kStamp, "tool", 42, fitting.c_str()));

    const std::string info(5000, 'i');
    EXPECT_EQ(Protocol::kMaxRequestChars, BuildInitRequest(out.bytes, 1, "p", info.c_str()));
    EXPECT_EQ(Protocol::kMaxRequestChars, std::strlen(out.bytes));
}

TEST(RequestBuilder, ParserReadsBackWhatTheBuilderWrote)
{
    MarkedBuffer out;
    const std::size_t length = BuildLogRequest(out.bytes, Protocol::kLogError, kStamp, "tool", 42, "a;b");
    CCommandData parsed(out.bytes, length + 1);
    EXPECT_EQ(Protocol::kKindError, parsed.Kind());
    // A ';' in the text ends the payload there: the protocol has no escape.
    EXPECT_STREQ("[[12-07-2026 01:23:45]:tool:42]-> a", parsed.Payload());
}
