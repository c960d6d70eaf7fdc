#include "PipeProtocol.h"

#include <gtest/gtest.h>
#include <cstring>

TEST(PipeProtocol, SuccessReplyIsSevenBytes)
{
    EXPECT_EQ(7u, Protocol::kReplySuccessBytes);
    EXPECT_STREQ("\\\\.\\pipe\\ZOVLCMonPipe", Protocol::kPipeName);
    EXPECT_EQ(21u, std::strlen(Protocol::kPipeName));
}
