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
    if (line.m_state == CWaitingLine::State::kTaken)
    {
        // Only when the message returned without being handled (its window went)
        // while another message's group holds the line.
        ++m_nSendersWaitingForGroup;
        m_groupShown.wait(lock, [&line] { return line.m_state != CWaitingLine::State::kTaken; });
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
    group.m_pFirst = m_waiting.pFirst;
    for (CWaitingLine* pLine = group.m_pFirst; pLine; pLine = pLine->m_pNext)
    {
        pLine->m_state = CWaitingLine::State::kTaken;
        ++group.m_nLines;
    }
    m_waiting = CList();
    if (CWaitingLine* pOwn = FindUnmatched(group.m_pFirst, nClass, pszText))
    {
        pOwn->m_bMatched = true;
        group.m_bMessageLineShown = true;
    }
    return group;
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
        bSendersWait = m_nSendersWaitingForGroup > 0;
    }
    // The lines now belong to the shown list.
    group.m_pFirst = nullptr;
    group.m_nLines = 0;
    if (bSendersWait)
        m_groupShown.notify_all();
}

} // namespace Console
