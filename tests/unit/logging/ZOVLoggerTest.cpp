#include "LineCapture.h"
#include "LoggerSet.h"
#include "ZOVLogger.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>

using namespace Marvane::NativeLogging;

namespace
{

using Lines = std::vector<CapturedLine>;

class ZOVLoggerTest : public testing::Test
{
protected:
    void SetUp() override { LineCapture::Take(); }
    ZOVLogger m_logger{&LineCapture::Sink};
};

} // namespace

TEST_F(ZOVLoggerTest, StartsWithEveryLevelOffAndWritesOnlyEnabledLevels)
{
    for (LogLevel level = Level::Trace; level <= Level::Fatal; ++level)
        EXPECT_FALSE(m_logger.IsEnabled(level)) << level;
    m_logger.Info(L"nothing yet");
    EXPECT_TRUE(LineCapture::Take().empty());

    m_logger.SetLevel(Level::Error, true);
    m_logger.SetLevel(Level::Debug, true);
    m_logger.SetLevel(Level::Debug, false);
    m_logger.Info(L"info");
    m_logger.Debug(L"debug");
    m_logger.Error(L"error");
    m_logger.InfoFormat(L"%d", 1);
    m_logger.ErrorFormat(L"%d", 2);
    EXPECT_EQ((Lines{{"error", 3}, {"2", 3}}), LineCapture::Take());
}

TEST_F(ZOVLoggerTest, ValuesThatAreNoLevelNeverWrite)
{
    m_logger.EnableAll();
    m_logger.SetLevel(1, true);
    m_logger.SetLevel(-6, true);
    for (const LogLevel level : {1, -6, 100, -100})
    {
        EXPECT_FALSE(m_logger.IsEnabled(level)) << level;
        m_logger.Write(level, L"x");
        m_logger.WriteTagged(nullptr, level, L"x");
        m_logger.WriteFormat(level, L"%d", 1);
        m_logger.WriteTaggedFormat(nullptr, level, L"%d", 1);
    }
    EXPECT_TRUE(LineCapture::Take().empty());
}

TEST_F(ZOVLoggerTest, FatalAndErrorAreSErrorEverythingElseSInfo)
{
    m_logger.EnableAll();
    for (LogLevel level = Level::Trace; level <= Level::Fatal; ++level)
        m_logger.Write(level, L"x");
    EXPECT_EQ((Lines{{"x", 2}, {"x", 2}, {"x", 2}, {"x", 2}, {"x", 3}, {"x", 3}}), LineCapture::Take());
}

TEST_F(ZOVLoggerTest, ConvertsToTheAnsiCodePage)
{
    // The test prefix runs with code page 1252.
    ASSERT_EQ(1252u, GetACP());
    m_logger.SetLevel(Level::Info, true);
    // é is in the code page, the CJK characters are not, and e + combining
    // acute composes to é.
    m_logger.Info(L"caf\u00e9 \u4e2d\u6587 e\u0301!");
    const Lines lines = LineCapture::Take();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("caf\xe9 ?? \xe9!", lines[0].text);
}

TEST_F(ZOVLoggerTest, NullTextsAndFormatsGiveEmptyLines)
{
    m_logger.SetLevel(Level::Warning, true);
    m_logger.Warning(nullptr);
    m_logger.WarningFormat(nullptr);
    EXPECT_EQ((Lines{{"", 2}, {"", 2}}), LineCapture::Take());
}

TEST_F(ZOVLoggerTest, FormatsFollowTheMicrosoftWideRules)
{
    m_logger.SetLevel(Level::Debug, true);
    m_logger.DebugFormat(L"%s and %S, %d%%, %ls", L"wide", "narrow", 42, L"ls");
    EXPECT_EQ((Lines{{"wide and narrow, 42%, ls", 2}}), LineCapture::Take());
}

TEST_F(ZOVLoggerTest, FormattedOutputIsCutToTheRoomTheFormatLeaves)
{
    m_logger.SetLevel(Level::Info, true);
    const std::wstring argument(5000, L'a');
    m_logger.InfoFormat(L"%s", argument.c_str());
    // Room for 4095 - 2 characters.
    Lines lines = LineCapture::Take();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(std::string(4093, 'a'), lines[0].text);

    // A literal format of 4094 characters leaves room for one.
    const std::wstring nearlyFull(4094, L'b');
    m_logger.WriteTaggedFormat(nullptr, Level::Info, nearlyFull.c_str());
    // A format of 4095 characters or more leaves none: an empty line.
    const std::wstring full(4095, L'c');
    m_logger.InfoFormat(full.c_str());
    const std::wstring huge(10000, L'd');
    m_logger.InfoFormat(huge.c_str());
    EXPECT_EQ((Lines{{"b", 2}, {"", 2}, {"", 2}}), LineCapture::Take());
}

TEST_F(ZOVLoggerTest, TextsLongerThanALineAreCut)
{
    m_logger.SetLevel(Level::Trace, true);
    m_logger.Trace(std::wstring(4095, L'x').c_str());
    m_logger.Trace(std::wstring(5000, L'y').c_str());
    m_logger.Trace(std::wstring(100000, L'z').c_str());
    const Lines lines = LineCapture::Take();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(std::string(4095, 'x'), lines[0].text);
    EXPECT_EQ(std::string(4095, 'y'), lines[1].text);
    EXPECT_EQ(std::string(4095, 'z'), lines[2].text);
}

namespace
{

ZOVLogger* g_reentered = nullptr;

// A line builder that logs again on the same thread, while the logger holds
// its lock; a non-recursive lock would deadlock here.
void ReenteringSink(const char* text, int kind)
{
    LineCapture::Sink(text, kind);
    if (std::string(text) == "outer 1")
        g_reentered->InfoFormat(L"inner %d", 2);
}

} // namespace

TEST(ZOVLoggerLocking, SameThreadMayWriteWhileHoldingTheLock)
{
    LineCapture::Take();
    ZOVLogger logger(&ReenteringSink);
    logger.SetLevel(Level::Info, true);
    g_reentered = &logger;
    // WriteFormatList holds the lock and calls Write, which takes it again;
    // the sink then goes round the same path once more.
    std::packaged_task<void()> task([&logger] { logger.InfoFormat(L"outer %d", 1); });
    std::future<void> done = task.get_future();
    std::thread worker(std::move(task));
    if (done.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
    {
        worker.detach();
        FAIL() << "the logger deadlocked on its own lock";
    }
    worker.join();
    EXPECT_EQ((Lines{{"outer 1", 2}, {"inner 2", 2}}), LineCapture::Take());
}

namespace
{

std::atomic<int> g_sinksInside{0};
std::atomic<bool> g_overlapSeen{false};
std::string g_console;

// Copies each line slowly, one character at a time, into a shared console:
// two sinks running at once would show as an overlap and as mixed lines.
void SlowConsoleSink(const char* text, int /*kind*/)
{
    if (g_sinksInside.fetch_add(1) != 0)
        g_overlapSeen = true;
    for (const char* c = text; *c != '\0'; ++c)
    {
        g_console += *c;
        if ((c - text) % 4 == 0)
            std::this_thread::yield();
    }
    g_console += '\n';
    g_sinksInside.fetch_sub(1);
}

} // namespace

TEST(ZOVLoggerLocking, ConcurrentWritersNeverInterleaveInsideALine)
{
    ZOVLogger logger(&SlowConsoleSink);
    logger.EnableAll();
    constexpr int kThreads = 4;
    constexpr int kLinesPerThread = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&logger, t] {
            for (int i = 0; i < kLinesPerThread; ++i)
            {
                if (i % 2 == 0)
                    logger.InfoFormat(L"thread %d line %d ----------------", t, i);
                else
                    logger.WriteTagged(nullptr, Level::Error, L"plain text line ---------------");
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_FALSE(g_overlapSeen);
    std::vector<int> next(kThreads, 0);
    int lines = 0;
    std::size_t start = 0;
    for (std::size_t end = g_console.find('\n'); end != std::string::npos; end = g_console.find('\n', start))
    {
        const std::string line = g_console.substr(start, end - start);
        start = end + 1;
        ++lines;
        if (line == "plain text line ---------------")
            continue;
        int t = -1;
        int i = -1;
        char tail[32] = {};
        ASSERT_EQ(3, std::sscanf(line.c_str(), "thread %d line %d %31s", &t, &i, tail)) << line;
        ASSERT_TRUE(t >= 0 && t < kThreads) << line;
        EXPECT_EQ(next[t], i) << line;
        EXPECT_EQ("----------------", std::string(tail)) << line;
        next[t] = i + 2;
    }
    EXPECT_EQ(kThreads * kLinesPerThread, lines);
}

namespace
{

HANDLE g_hSinkEntered = nullptr;
HANDLE g_hSinkRelease = nullptr;

void BlockingSink(const char* /*text*/, int /*kind*/)
{
    ::SetEvent(g_hSinkEntered);
    ::WaitForSingleObject(g_hSinkRelease, 10000);
}

} // namespace

// Deleting the loggers (the library unloading) while another thread's line is
// inside one waits until that line has been written.
TEST(LoggerSetDeletion, WaitsForTheLineUnderWay)
{
    g_hSinkEntered = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_hSinkRelease = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    LoggerSet loggers;
    ZOVLogger* pLogger = loggers.Create(&BlockingSink);
    ASSERT_NE(nullptr, pLogger);
    pLogger->EnableAll();
    std::thread writer([pLogger] { pLogger->Info(L"under way"); });
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(g_hSinkEntered, 10000));

    std::atomic<bool> bDeleted(false);
    std::thread deleter([&] {
        loggers.DeleteAll();
        bDeleted = true;
    });
    ::Sleep(200);
    EXPECT_FALSE(bDeleted) << "the logger was deleted while its line was under way";
    ::SetEvent(g_hSinkRelease);
    writer.join();
    deleter.join();
    EXPECT_EQ(0u, loggers.Count());
    ::CloseHandle(g_hSinkEntered);
    ::CloseHandle(g_hSinkRelease);
}
