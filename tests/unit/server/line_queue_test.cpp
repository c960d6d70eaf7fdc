// The monitor's line queue: a burst of lines wakes the window once, and senders
// whose window cannot be woken, or goes, return instead of waiting for ever.
#include "ConsoleLineQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using Console::CConsoleLineQueue;
using Console::CLineGroup;
using Console::CWaitingLine;
using HandOverResult = CConsoleLineQueue::HandOverResult;

TEST(LineQueue, ABurstWakesTheWindowOnceAndTheNextLineAfterTheDrainWakesItAgain)
{
    CConsoleLineQueue queue;
    CWaitingLine before(0, "before the window is published");
    EXPECT_EQ(HandOverResult::kClosed, queue.HandOver(before));
    EXPECT_FALSE(queue.WaitUntilDone(before));

    queue.Open();
    CWaitingLine first(0, "first");
    CWaitingLine second(1, "second");
    EXPECT_EQ(HandOverResult::kWakeWindow, queue.HandOver(first));
    EXPECT_EQ(HandOverResult::kWindowWakes, queue.HandOver(second)) << "woken already";
    CLineGroup group = queue.TakeWaiting();
    ASSERT_EQ(2u, group.Size());
    EXPECT_EQ(&first, group.First());
    EXPECT_EQ(&second, CLineGroup::Next(group.First()));
    CWaitingLine third(2, "third");
    EXPECT_EQ(HandOverResult::kWindowWakes, queue.HandOver(third)) << "the window is draining";
    queue.MarkShown(group);
    EXPECT_TRUE(queue.WaitUntilDone(first));
    EXPECT_TRUE(queue.WaitUntilDone(second));
    group = queue.TakeWaiting();
    ASSERT_EQ(1u, group.Size());
    queue.MarkShown(group);
    EXPECT_EQ(0u, queue.TakeWaiting().Size()) << "the drain ends";
    CWaitingLine fourth(0, "fourth");
    EXPECT_EQ(HandOverResult::kWakeWindow, queue.HandOver(fourth));
    queue.Close();
    EXPECT_FALSE(queue.WaitUntilDone(fourth)) << "dropped as the window goes";
}

TEST(LineQueue, SendersOfAWindowThatCannotBeWokenReturnAndTheNextLineTriesAgain)
{
    CConsoleLineQueue queue;
    queue.Open();
    std::atomic<int> nReturned{0};
    std::atomic<int> nShown{0};
    CWaitingLine first(0, "first");
    CWaitingLine second(0, "second");
    ASSERT_EQ(HandOverResult::kWakeWindow, queue.HandOver(first));
    ASSERT_EQ(HandOverResult::kWindowWakes, queue.HandOver(second));
    std::thread senders[2];
    CWaitingLine* lines[2] = {&first, &second};
    for (int i = 0; i < 2; ++i)
    {
        senders[i] = std::thread([&, i] {
            nShown += queue.WaitUntilDone(*lines[i]) ? 1 : 0;
            ++nReturned;
        });
    }
    ::Sleep(100);
    EXPECT_EQ(0, nReturned.load()) << "waiting for the window";
    queue.WakeFailed();
    for (std::thread& sender : senders)
        sender.join();
    EXPECT_EQ(0, nShown.load());
    CWaitingLine third(0, "third");
    EXPECT_EQ(HandOverResult::kWakeWindow, queue.HandOver(third));
    EXPECT_EQ(1u, queue.TakeWaiting().Size());
}
