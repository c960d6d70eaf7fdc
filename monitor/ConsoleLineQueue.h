// CConsoleLineQueue: the console lines that connection threads have handed over
// and that wait for the window's thread. A sender's reply goes out only once its
// line is in the console, so the sender waits; but a window message per line
// costs several trips through the window system on both threads, more than the
// pipe's own round trip. Instead:
//  - a sender puts its line on the queue and waits on its own condition variable;
//    only when the window is neither draining nor already woken does it post the
//    window one drain message;
//  - the window's thread takes every waiting line, appends them in one
//    insertion, marks them shown (waking exactly their senders), and takes again
//    until the queue is empty; only then does the next line wake it again.
// The lock and condition variables are the slim kind: waiting and waking on them
// never goes through the window system (nor, under Wine, through its server).
//
// Use:
//   sender:  CWaitingLine line(nClass, pszText);
//            switch (queue.HandOver(line)) { kClosed: dropped; kWakeWindow: post, or
//            queue.WakeFailed() when the post fails }  then queue.WaitUntilDone(line).
//   window:  while ((group = queue.TakeWaiting()).Size() > 0)
//                { append the group's lines; queue.MarkShown(group); }
//            or, to let other messages in first, PauseDrain() and wake itself later.
//   Publish/Withdraw of the window: Open() / Close().
// A line lives on its sender's stack; the window's thread reads it only between
// TakeWaiting and MarkShown, while its sender still waits.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace Console
{

class CWaitingLine
{
public:
    CWaitingLine(std::uintptr_t nClass, const char* pszText) : m_nClass(nClass), m_pszText(pszText) {}
    CWaitingLine(const CWaitingLine&) = delete;
    CWaitingLine& operator=(const CWaitingLine&) = delete;

    std::uintptr_t Class() const { return m_nClass; }
    const char* Text() const { return m_pszText; }

private:
    friend class CConsoleLineQueue;
    friend class CLineGroup;

    enum class State
    {
        kNew,      // not handed over yet
        kWaiting,  // on the queue
        kTaken,    // in a group the window's thread is appending
        kShown,    // in the console
        kReleased, // dropped: the window went, or could not be woken
    };

    const std::uintptr_t m_nClass;
    const char* const m_pszText;
    State m_state = State::kNew;
    CONDITION_VARIABLE m_done = CONDITION_VARIABLE_INIT; // its sender waits here
    CWaitingLine* m_pNext = nullptr;
};

// The lines one TakeWaiting took, in the order they were handed over.
class CLineGroup
{
public:
    CLineGroup() = default;
    CLineGroup(const CLineGroup&) = delete;
    CLineGroup& operator=(const CLineGroup&) = delete;
    CLineGroup(CLineGroup&& other) noexcept;
    CLineGroup& operator=(CLineGroup&& other) noexcept;

    const CWaitingLine* First() const { return m_pFirst; }
    static const CWaitingLine* Next(const CWaitingLine* pLine) { return pLine->m_pNext; }
    std::size_t Size() const { return m_nLines; }

private:
    friend class CConsoleLineQueue;

    CWaitingLine* m_pFirst = nullptr;
    std::size_t m_nLines = 0;
};

class CConsoleLineQueue
{
public:
    CConsoleLineQueue() = default;
    CConsoleLineQueue(const CConsoleLineQueue&) = delete;
    CConsoleLineQueue& operator=(const CConsoleLineQueue&) = delete;

    enum class HandOverResult
    {
        kWindowWakes, // the window drains already, or has been woken
        kWakeWindow,  // the caller must wake the window (and call WakeFailed if it cannot)
        kClosed,      // no window takes lines: the line is dropped
    };
    // A sender: the line waits for the window.
    HandOverResult HandOver(CWaitingLine& line);
    // The sender whose HandOver said kWakeWindow could not wake it: every waiting
    // line is dropped (their senders return), and the next line tries again.
    void WakeFailed();
    // The sender, after HandOver: waits until the line is in the console (true)
    // or has been dropped (false).
    bool WaitUntilDone(CWaitingLine& line);

    // The window's thread: every waiting line, in the order they were handed over;
    // when none waits, the first to come within dwWaitMs. An empty group ends the
    // drain: the next line wakes the window again.
    CLineGroup TakeWaiting(DWORD dwWaitMs = 0);
    // How long a drain waits for the next line: a host that is sent its reply
    // sends its next line within a pipe round trip, and finding the window still
    // draining it need not wake it.
    static constexpr DWORD kNextLineWaitMs = 2;
    // The window's thread, once the group's lines are in the console: their
    // senders go on.
    void MarkShown(CLineGroup& group);
    // The window's thread stops draining before the queue is empty (other
    // messages wait): true when lines wait, and the caller must wake the window
    // again later (or call WakeFailed); false when the drain simply ended.
    bool PauseDrain();

    // The window is published / withdrawn. Closing drops the waiting lines and
    // every later one until the queue is opened again.
    void Open();
    void Close();

private:
    enum class WindowState
    {
        kIdle,     // the next line wakes the window
        kWoken,    // a drain message is on its way
        kDraining, // the window's thread takes lines
    };
    // Under the lock: every waiting line dropped, its sender woken.
    void ReleaseWaitingLocked();

    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_lineCame = CONDITION_VARIABLE_INIT; // the window's thread waits here
    bool m_bWindowWaits = false;
    CWaitingLine* m_pFirst = nullptr;
    CWaitingLine* m_pLast = nullptr;
    WindowState m_windowState = WindowState::kIdle;
    bool m_bClosed = true;
};

} // namespace Console
