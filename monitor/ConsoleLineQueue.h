// CConsoleLineQueue: the console lines that senders have handed over and that
// wait for the window's thread. An insertion into the console costs about the
// same whatever it holds, so lines waiting together go in together:
//  - a console message whose own line still waits takes every waiting line, in
//    the order they were handed over, and the window appends them at once;
//  - a console message whose line went in with an earlier group takes nothing:
//    it only releases its sender. Taking the lines that arrived meanwhile would
//    append them one message at a time (with many senders the window's queue
//    holds mostly such messages); left waiting, they gather until a message of
//    their own comes, and go in as one group.
//
// Use:
//   sender:   CWaitingLine line(nClass, pszText);
//             queue.HandOver(line);  SendMessage(...);  queue.Finish(line);
//   window:   CLineGroup group = queue.TakeWaiting(nClass, pszText);
//             append the group's lines, and the message's own one unless
//             group.MessageLineShown(); then queue.MarkShown(group).
// A line lives on its sender's stack and is known by its class and text pointer;
// the sender's thread is held in Finish while the window's thread still reads
// it. Free of windows.h: the window's part is the caller's.
//
// A console message that arrives while the window's thread is still appending a
// group (something in the append pumped sent messages) must not append: its
// lines would go in ahead of the rest of the group, and its own line, when the
// group holds it, twice. It calls Defer instead, and the handler that is
// appending takes the deferred lines with TakeDeferred once its group is in.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

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
        kNew,     // not handed over yet
        kWaiting, // on the waiting list
        kTaken,   // in a group the window's thread is appending
        kShown,   // in the console, on the shown list until its sender finishes
    };

    const std::uintptr_t m_nClass;
    const char* const m_pszText;
    State m_state = State::kNew;
    // A console message has been matched to this line (each line is matched once).
    bool m_bMatched = false;
    // Waiting, and promised to a handler that is appending: Finish waits for it.
    bool m_bDeferred = false;
    CWaitingLine* m_pPrev = nullptr;
    CWaitingLine* m_pNext = nullptr;
};

// The lines one console message took, in the order they were handed over.
class CLineGroup
{
public:
    CLineGroup() = default;
    CLineGroup(const CLineGroup&) = delete;
    CLineGroup& operator=(const CLineGroup&) = delete;
    CLineGroup(CLineGroup&& other) noexcept;
    CLineGroup& operator=(CLineGroup&&) = delete;

    const CWaitingLine* First() const { return m_pFirst; }
    static const CWaitingLine* Next(const CWaitingLine* pLine) { return pLine->m_pNext; }
    std::size_t Size() const { return m_nLines; }
    // The message's own line is in this group or was shown with an earlier one;
    // otherwise its sender did not hand it over, and it is the caller's to append.
    bool MessageLineShown() const { return m_bMessageLineShown; }

private:
    friend class CConsoleLineQueue;

    CWaitingLine* m_pFirst = nullptr;
    std::size_t m_nLines = 0;
    bool m_bMessageLineShown = false;
};

class CConsoleLineQueue
{
public:
    CConsoleLineQueue() = default;
    CConsoleLineQueue(const CConsoleLineQueue&) = delete;
    CConsoleLineQueue& operator=(const CConsoleLineQueue&) = delete;

    // A sender, before its console message: the line waits for the window.
    void HandOver(CWaitingLine& line);
    // The sender, once its message has returned, whatever happened to it: takes
    // the line off the queue (waiting first while the window's thread is still
    // appending it). true when the line went into the console through the queue.
    bool Finish(CWaitingLine& line);

    // The window's thread, on a console message for (nClass, pszText): nothing
    // when the message's line has been shown already, else every waiting line,
    // in the order they were handed over.
    CLineGroup TakeWaiting(std::uintptr_t nClass, const char* pszText);
    // The window's thread, once the group's lines are in the console.
    void MarkShown(CLineGroup& group);

    // The window's thread, on a console message that arrives while it appends a
    // group: matches the message's line and leaves it to the appending handler.
    // false when the line is not in the queue (a sender without the queue): the
    // caller must keep the text itself.
    bool Defer(std::uintptr_t nClass, const char* pszText);
    // The appending handler, after MarkShown: every waiting line when a deferred
    // one is among them (their messages have returned), else nothing.
    CLineGroup TakeDeferred();

private:
    struct CList
    {
        CWaitingLine* pFirst = nullptr;
        CWaitingLine* pLast = nullptr;
        void PushBack(CWaitingLine& line);
        void Remove(CWaitingLine& line);
    };
    // The first line of the list for (nClass, pszText) that no message has matched yet.
    // Moves every waiting line into the group, in order (under m_mutex).
    void TakeAllWaiting(CLineGroup& group);
    static CWaitingLine* FindUnmatched(CWaitingLine* pFirst, std::uintptr_t nClass, const char* pszText);

    std::mutex m_mutex;
    std::condition_variable m_groupShown;
    CList m_waiting;
    CList m_shown;
    int m_nSendersWaitingForGroup = 0;
    int m_nDeferred = 0;                   // deferred lines still waiting
    CWaitingLine* m_pAppending = nullptr; // the taken group's first line, until MarkShown
};

} // namespace Console
