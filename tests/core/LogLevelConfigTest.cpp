#include "LogLevelConfig.h"

#include <gtest/gtest.h>

#include <string>

using namespace Marvane::NativeLogging;

namespace
{

// The configuration applied to a model of the process's loggers: how many were
// created and the flags of the current one, in flag order Fatal..Trace.
struct Outcome
{
    int loggersCreated = 0;
    std::string flags; // "" without a logger, else six of '0'/'1'

    bool operator==(const Outcome& other) const
    {
        return loggersCreated == other.loggersCreated && flags == other.flags;
    }
};

std::ostream& operator<<(std::ostream& out, const Outcome& outcome)
{
    return out << outcome.loggersCreated << " logger(s), flags \"" << outcome.flags << '"';
}

Outcome Apply(const char* value, LoggerNames names = LoggerNames::Client)
{
    Outcome outcome;
    for (const LogConfigAction& action : ParseLogLevelConfig(value, names))
    {
        switch (action.type)
        {
        case LogConfigAction::Type::CreateLogger:
            ++outcome.loggersCreated;
            outcome.flags = "000000";
            break;
        case LogConfigAction::Type::SetLevel:
            EXPECT_FALSE(outcome.flags.empty()) << "level set without a logger: " << value;
            if (!outcome.flags.empty())
                outcome.flags[LevelFlagIndex(action.level)] = action.on ? '1' : '0';
            break;
        case LogConfigAction::Type::EnableAll:
            EXPECT_FALSE(outcome.flags.empty()) << "ALL without a logger: " << value;
            outcome.flags = "111111";
            break;
        }
    }
    return outcome;
}

Outcome Loggers(int created, const char* flags)
{
    return Outcome{created, flags};
}

} // namespace

TEST(LogLevelConfig, LoggerTokenMustComeFirst)
{
    EXPECT_EQ(Loggers(1, "110000"), Apply("ZOVLOGGER=1;ERROR=1;FATAL=1"));
    EXPECT_EQ(Loggers(1, "111111"), Apply("ZOVLOGGER=1,ALL"));
    EXPECT_EQ(Loggers(0, ""), Apply("ALL"));
    EXPECT_EQ(Loggers(1, "000000"), Apply("INFO=1,ZOVLOGGER=1"));
    EXPECT_EQ(Loggers(0, ""), Apply("ALL,ZOVLOGGER=1,INFO=1"));
}

TEST(LogLevelConfig, NothingAfterAllIsRead)
{
    EXPECT_EQ(Loggers(1, "111111"), Apply("ZOVLOGGER=1,ALL,ERROR=0"));
    EXPECT_EQ(Loggers(1, "111111"), Apply("ZOVLOGGER=1;all;ZOVLOGGER=1"));
    EXPECT_EQ(Loggers(1, "111111"), Apply("ZOVLOGGER=1;TRACE=0;aLl"));
}

TEST(LogLevelConfig, NamesIgnoreCaseAndValuesReadAsNumbers)
{
    EXPECT_EQ(Loggers(1, "000001"), Apply("zovlogger=1;trace=1"));
    EXPECT_EQ(Loggers(1, "000000"), Apply("ZOVLOGGER=0"));
    EXPECT_EQ(Loggers(1, "000000"), Apply("ZOVLOGGER=1;INFO=abc"));
    EXPECT_EQ(Loggers(1, "001110"), Apply("ZOVLOGGER=1;WARNING= 7;Info=-1;DEBUG=+2x;TRACE=0"));
    EXPECT_EQ(Loggers(1, "100100"), Apply("\"ZOVLOGGER\"=\"1\";\"INFO\"=\"1\";FA\"TAL=1\""));
    // Later tokens win for the same level.
    EXPECT_EQ(Loggers(1, "010000"), Apply("ZOVLOGGER=1;ERROR=1;FATAL=1;FATAL=0"));
}

TEST(LogLevelConfig, MalformedAndUnknownTokensAreIgnored)
{
    EXPECT_EQ(Loggers(1, "000100"), Apply(",,;ZOVLOGGER=1;;INFO;VERBOSE=1;=1;INFO=1=0;,"));
    // Only the first '=' splits; blanks are part of the name.
    EXPECT_EQ(Loggers(1, "000000"), Apply("ZOVLOGGER=1; INFO=1;INFO =1"));
    EXPECT_EQ(Loggers(0, ""), Apply(""));
    EXPECT_EQ(Loggers(0, ""), Apply(nullptr));
    EXPECT_EQ(Loggers(0, ""), Apply("ZOVLOGGER"));
    EXPECT_EQ(Loggers(1, "000000"), Apply("ZOVLOGGER="));
}

TEST(LogLevelConfig, EachLoggerTokenCreatesAFreshLogger)
{
    EXPECT_EQ(Loggers(2, "000001"), Apply("ZOVLOGGER=1;ALL=x;ERROR=1;ZOVLOGGER=1;TRACE=1"));
}

TEST(LogLevelConfig, UnderscoreNameCreatesALoggerInTheMonitorOnly)
{
    EXPECT_EQ(Loggers(0, ""), Apply("ZOV_LOGGER=1;ERROR=1", LoggerNames::Client));
    EXPECT_EQ(Loggers(1, "010000"), Apply("zov_logger=1;ERROR=1", LoggerNames::Monitor));
    EXPECT_EQ(Loggers(1, "010000"), Apply("ZOVLOGGER=1;ERROR=1", LoggerNames::Monitor));
}

TEST(LogLevelConfig, OnlyTheFirst4095CharactersAreRead)
{
    std::string value = "ZOVLOGGER=1;";
    value += std::string(kLogLevelValueChars - value.size() - 6, ';');
    const std::string head = value + "INFO=1";
    ASSERT_EQ(kLogLevelValueChars, head.size());
    EXPECT_EQ(Loggers(1, "000100"), Apply((head + ";ERROR=1").c_str()));
    // The cut falls inside "INFO=1": "INFO=" reads as 0.
    EXPECT_EQ(Loggers(1, "000000"), Apply((value + ";INFO=1").c_str()));
}
