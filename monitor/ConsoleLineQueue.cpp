#include "ConsoleLineQueue.h"

namespace Console
{

CLineGroup::CLineGroup(CLineGroup&& other) noexcept
    : m_pFirst(other.m_pFirst), m_nLines(other.m_nLines), m_bMessageLineShown(other.m_bMessageLineShown)
{
    other.m_pFirst = nullptr;
    other.m_nLines = 0;
}

void CConsoleLineQueue::CList::PushBack(CWaitingLine& line)
{
    line.m_pPrev = pLast;
    line.m_pNext = nullptr;
    if (pLast)
        pLast->m_pNext = &line;
    else
        pFirst = &line;
    pLast = &line;
}

void CConsoleLineQueue::CList::Remove(CWaitingLine& line)
{
    (line.m_pPrev ? line.m_pPrev->m_pNext : pFirst) = line.m_pNext;
    (line.m_pNext ? line.m_pNext->m_pPrev : pLast) = line.m_pPrev;
    line.m_pPrev = nullptr;
    line.m_pNext = nullptr;
}

CWaitingLine* CConsoleLineQueue::FindUnmatched(CWaitingLine* pFirst, std::uintptr_t nClass,
                                               const char* pszText)
{
    for (CWaitingLine* pLine = pFirst; pLine; pLine = pLine->m_pNext)
    {
        if (!pLine->m_bMatched && pLine->m_pszText == pszText && pLine->m_nClass == nClass)
            return pLine;
    }
    return nullptr;
}

void CConsoleLineQueue::HandOver(CWaitingLine& line)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    line.m_state = CWaitingLine::State::kWaiting;
    m_waiting.PushBack(line);
}

bool CConsoleLineQueue::Finish(CWaitingLine& line)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto inAGroupToCome = [&line] {
        return line.m_state == CWaitingLine::State::kTaken ||
               (line.m_state == CWaitingLine::State::kWaiting && line.m_bDeferred);
    };
    if (inAGroupToCome())
    {
        // The message returned while another message's group holds the line (its
        // window went, or it arrived while that group was being appended).
        ++m_nSendersWaitingForGroup;
        m_groupShown.wait(lock, [&inAGroupToCome] { return !inAGroupToCome(); });
        --m_nSendersWaitingForGroup;
    }
    switch (line.m_state)
    {
    case CWaitingLine::State::kWaiting:
        // Handled by a window that does not take lines from the queue, or not at
        // all (the window went; its thread then fails the messages still waiting).
        m_waiting.Remove(line);
        line.m_state = CWaitingLine::State::kNew;
        return false;
    case CWaitingLine::State::kShown:
        m_shown.Remove(line);
        line.m_state = CWaitingLine::State::kNew;
        return true;
    default:
        line.m_state = CWaitingLine::State::kNew;
        return false;
    }
}

CLineGroup CConsoleLineQueue::TakeWaiting(std::uintptr_t nClass, const char* pszText)
{
    CLineGroup group;
    std::lock_guard<std::mutex> lock(m_mutex);
    // Senders may share a text (a literal): any unmatched line of the same class
    // and text stands for this message's, whose own then stands for the other's.
    if (CWaitingLine* pShown = FindUnmatched(m_shown.pFirst, nClass, pszText))
    {
        // Shown with an earlier group: this message only releases its sender. The
        // lines waiting stay for a message whose own line waits too; meanwhile
        // more join them, and they go in together.
        pShown->m_bMatched = true;
        group.m_bMessageLineShown = true;
        return group;
    }
    TakeAllWaiting(group);
    if (CWaitingLine* pOwn = FindUnmatched(group.m_pFirst, nClass, pszText))
    {
        pOwn->m_bMatched = true;
        group.m_bMessageLineShown = true;
    }
    return group;
}

void CConsoleLineQueue::TakeAllWaiting(CLineGroup& group)
{
    group.m_pFirst = m_waiting.pFirst;
    for (CWaitingLine* pLine = group.m_pFirst; pLine; pLine = pLine->m_pNext)
    {
        pLine->m_state = CWaitingLine::State::kTaken;
        pLine->m_bDeferred = false;
        ++group.m_nLines;
    }
    m_waiting = CList();
    m_pAppending = group.m_pFirst;
}

void CConsoleLineQueue::MarkShown(CLineGroup& group)
{
    bool bSendersWait = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (CWaitingLine* pLine = group.m_pFirst; pLine;)
        {
            CWaitingLine* pNext = pLine->m_pNext;
            pLine->m_state = CWaitingLine::State::kShown;
            m_shown.PushBack(*pLine);
            pLine = pNext;
        }
        m_pAppending = nullptr;
        bSendersWait = m_nSendersWaitingForGroup > 0;
    }
    // The lines now belong to the shown list.
    group.m_pFirst = nullptr;
    group.m_nLines = 0;
    if (bSendersWait)
        m_groupShown.notify_all();
}

bool CConsoleLineQueue::Defer(std::uintptr_t nClass, const char* pszText)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // Shown already, or in the group being appended (its lines are off both lists
    // and chained from the first): nothing more to do than match it.
    CWaitingLine* pLine = FindUnmatched(m_shown.pFirst, nClass, pszText);
    if (!pLine && m_pAppending)
        pLine = FindUnmatched(m_pAppending, nClass, pszText);
    if (pLine)
    {
        pLine->m_bMatched = true;
        return true;
    }
    pLine = FindUnmatched(m_waiting.pFirst, nClass, pszText);
    if (!pLine)
        return false;
    pLine->m_bMatched = true;
    pLine->m_bDeferred = true;
    ++m_nDeferred;
    return true;
}

CLineGroup CConsoleLineQueue::TakeDeferred()
{
    CLineGroup group;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_nDeferred == 0)
        return group;
    m_nDeferred = 0;
    TakeAllWaiting(group);
    // No message of its own: every line's message has been matched or is to come.
    group.m_bMessageLineShown = true;
    return group;
}

} // namespace Console
