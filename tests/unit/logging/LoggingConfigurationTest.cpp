#include "LineCapture.h"
#include "LoggingConfiguration.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

using namespace Marvane::NativeLogging;

namespace
{
// Loggers are made with the nothrow new: when this is above 0, that many such
// allocations succeed and the next one fails (then this is 0 again).
int g_nNothrowNewsBeforeFailure = 0;
} // namespace

void* operator new(std::size_t nBytes, const std::nothrow_t&) noexcept
{
    if (g_nNothrowNewsBeforeFailure > 0 && --g_nNothrowNewsBeforeFailure == 0)
        return nullptr;
    return std::malloc(nBytes != 0 ? nBytes : 1); // the default delete frees with free()
}

namespace
{

std::vector<ILogger*> g_handedOver;

void __cdecl RecordingHook(ILogger* logger)
{
    g_handedOver.push_back(logger);
}

class LoggingConfigurationTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_handedOver.clear();
        LineCapture::Take();
    }
    void TearDown() override { SetEnvironmentVariableA(kLogLevelVariable, nullptr); }

    static void SetVariable(const char* value)
    {
        ASSERT_TRUE(SetEnvironmentVariableA(kLogLevelVariable, value));
    }

    LoggingSetup Configure(LoggerNames names)
    {
        return ConfigureLoggingFromEnvironment(names, m_loggers, &LineCapture::Sink, &RecordingHook);
    }

    LoggerSet m_loggers;
};

} // namespace

TEST_F(LoggingConfigurationTest, AbsentVariableMeansNoDebugModeAndNoLogger)
{
    SetEnvironmentVariableA(kLogLevelVariable, nullptr);
    const LoggingSetup setup = Configure(LoggerNames::Monitor);
    EXPECT_FALSE(setup.variablePresent);
    EXPECT_EQ(nullptr, setup.logger);
    EXPECT_EQ(0u, m_loggers.Count());
    EXPECT_TRUE(g_handedOver.empty());
}

TEST_F(LoggingConfigurationTest, PresentButEmptyOrAllAloneMeansDebugModeWithoutLogger)
{
    for (const char* value : {"", "ALL", "INFO=1"})
    {
        SetVariable(value);
        const LoggingSetup setup = Configure(LoggerNames::Client);
        EXPECT_TRUE(setup.variablePresent) << '"' << value << '"';
        EXPECT_EQ(nullptr, setup.logger) << value;
    }
    EXPECT_EQ(0u, m_loggers.Count());
    EXPECT_TRUE(g_handedOver.empty());
}

TEST_F(LoggingConfigurationTest, CreatedLoggerGetsItsLevelsIsHandedOverAndWritesToTheSink)
{
    SetVariable("ZOVLOGGER=1;ERROR=1;FATAL=1");
    const LoggingSetup setup = Configure(LoggerNames::Client);
    ASSERT_TRUE(setup.variablePresent);
    ASSERT_NE(nullptr, setup.logger);
    EXPECT_EQ(std::vector<ILogger*>{setup.logger}, g_handedOver);
    EXPECT_TRUE(setup.logger->IsEnabled(Level::Fatal));
    EXPECT_TRUE(setup.logger->IsEnabled(Level::Error));
    EXPECT_FALSE(setup.logger->IsEnabled(Level::Warning));
    EXPECT_FALSE(setup.logger->IsEnabled(Level::Info));

    g_handedOver[0]->Info(L"dropped");
    g_handedOver[0]->Error(L"kept");
    EXPECT_EQ((std::vector<CapturedLine>{{"kept", 3}}), LineCapture::Take());
}

TEST_F(LoggingConfigurationTest, ReplacedLoggersStayAliveUntilDeleteAll)
{
    SetVariable("ZOV_LOGGER=1,INFO=1,ZOVLOGGER=0,TRACE=1");
    const LoggingSetup setup = Configure(LoggerNames::Monitor);
    ASSERT_EQ(2u, g_handedOver.size());
    EXPECT_EQ(2u, m_loggers.Count());
    EXPECT_EQ(g_handedOver[1], setup.logger);
    EXPECT_TRUE(setup.logger->IsEnabled(Level::Trace));
    EXPECT_FALSE(setup.logger->IsEnabled(Level::Info));

    // The companion library still holds the first one and may use it.
    g_handedOver[0]->Info(L"first");
    setup.logger->Trace(L"second");
    EXPECT_EQ((std::vector<CapturedLine>{{"first", 2}, {"second", 2}}), LineCapture::Take());

    m_loggers.DeleteAll();
    EXPECT_EQ(0u, m_loggers.Count());
}

// The first logger was handed over; the second could not be made, so no logger
// is current. The companion library must still hear that the first one goes.
TEST_F(LoggingConfigurationTest, HandedOverLoggersAreWithdrawnAlsoWhenTheLastCouldNotBeMade)
{
    SetVariable("ZOVLOGGER=1;ZOVLOGGER=1");
    g_nNothrowNewsBeforeFailure = 2;
    const LoggingSetup setup = Configure(LoggerNames::Client);
    g_nNothrowNewsBeforeFailure = 0;
    ASSERT_EQ(nullptr, setup.logger);
    ASSERT_EQ(1u, g_handedOver.size());

    WithdrawAndDeleteLoggers(m_loggers, &RecordingHook);
    EXPECT_EQ(2u, g_handedOver.size());
    EXPECT_EQ(nullptr, g_handedOver.back());
    EXPECT_EQ(0u, m_loggers.Count());
}

TEST_F(LoggingConfigurationTest, ClientIgnoresTheUnderscoreName)
{
    SetVariable("ZOV_LOGGER=1;INFO=1");
    const LoggingSetup setup = Configure(LoggerNames::Client);
    EXPECT_TRUE(setup.variablePresent);
    EXPECT_EQ(nullptr, setup.logger);
    EXPECT_TRUE(g_handedOver.empty());
}

TEST_F(LoggingConfigurationTest, WithoutHookTheLoggerIsStillCreated)
{
    SetVariable("ZOVLOGGER=1,ALL");
    const LoggingSetup setup =
        ConfigureLoggingFromEnvironment(LoggerNames::Client, m_loggers, &LineCapture::Sink, nullptr);
    ASSERT_NE(nullptr, setup.logger);
    EXPECT_TRUE(setup.logger->IsEnabled(Level::Debug));
}

TEST_F(LoggingConfigurationTest, LongValuesAreReadInFullAndParsedUpTo4095Characters)
{
    // Longer than the 4096-byte buffer: the value must still be read, not
    // taken from whatever the buffer held.
    const std::string head = "ZOVLOGGER=1;TRACE=1;";
    const std::string value = head + std::string(kLogLevelValueChars, ';') + "INFO=1";
    SetVariable(value.c_str());

    std::string read;
    ASSERT_TRUE(ReadLogLevelVariable(read));
    EXPECT_EQ(value, read);

    const LoggingSetup setup = Configure(LoggerNames::Client);
    ASSERT_NE(nullptr, setup.logger);
    EXPECT_TRUE(setup.logger->IsEnabled(Level::Trace));
    EXPECT_FALSE(setup.logger->IsEnabled(Level::Info));
}
