#include "ConsoleLineQueue.h"

#include "SlimLock.h"

namespace Console
{

CLineGroup::CLineGroup(CLineGroup&& other) noexcept : m_pFirst(other.m_pFirst), m_nLines(other.m_nLines)
{
    other.m_pFirst = nullptr;
    other.m_nLines = 0;
}

CLineGroup& CLineGroup::operator=(CLineGroup&& other) noexcept
{
    m_pFirst = other.m_pFirst;
    m_nLines = other.m_nLines;
    other.m_pFirst = nullptr;
    other.m_nLines = 0;
    return *this;
}

CConsoleLineQueue::HandOverResult CConsoleLineQueue::HandOver(CWaitingLine& line)
{
    CSlimLockGuard lock(m_lock);
    if (m_bClosed)
    {
        line.m_state = CWaitingLine::State::kReleased;
        return HandOverResult::kClosed;
    }
    line.m_state = CWaitingLine::State::kWaiting;
    line.m_pNext = nullptr;
    (m_pLast ? m_pLast->m_pNext : m_pFirst) = &line;
    m_pLast = &line;
    if (m_bWindowWaits)
        ::WakeConditionVariable(&m_lineCame);
    if (m_windowState != WindowState::kIdle)
        return HandOverResult::kWindowWakes;
    m_windowState = WindowState::kWoken;
    return HandOverResult::kWakeWindow;
}

void CConsoleLineQueue::WakeFailed()
{
    CSlimLockGuard lock(m_lock);
    if (m_windowState == WindowState::kWoken)
    {
        ReleaseWaitingLocked();
        m_windowState = WindowState::kIdle;
    }
}

bool CConsoleLineQueue::WaitUntilDone(CWaitingLine& line)
{
    CSlimLockGuard lock(m_lock);
    while (line.m_state == CWaitingLine::State::kWaiting || line.m_state == CWaitingLine::State::kTaken)
        ::SleepConditionVariableSRW(&line.m_done, &m_lock, INFINITE, 0);
    return line.m_state == CWaitingLine::State::kShown;
}

CLineGroup CConsoleLineQueue::TakeWaiting(DWORD dwWaitMs)
{
    CLineGroup group;
    CSlimLockGuard lock(m_lock);
    if (!m_pFirst && dwWaitMs > 0 && !m_bClosed)
    {
        m_bWindowWaits = true;
        ::SleepConditionVariableSRW(&m_lineCame, &m_lock, dwWaitMs, 0);
        m_bWindowWaits = false;
    }
    group.m_pFirst = m_pFirst;
    for (CWaitingLine* pLine = m_pFirst; pLine; pLine = pLine->m_pNext)
    {
        pLine->m_state = CWaitingLine::State::kTaken;
        ++group.m_nLines;
    }
    m_pFirst = nullptr;
    m_pLast = nullptr;
    m_windowState = group.m_nLines > 0 ? WindowState::kDraining : WindowState::kIdle;
    return group;
}

void CConsoleLineQueue::MarkShown(CLineGroup& group)
{
    {
        CSlimLockGuard lock(m_lock);
        for (CWaitingLine* pLine = group.m_pFirst; pLine;)
        {
            // Once its state is set, its sender may return and the line be gone.
            CWaitingLine* pNext = pLine->m_pNext;
            pLine->m_state = CWaitingLine::State::kShown;
            ::WakeConditionVariable(&pLine->m_done);
            pLine = pNext;
        }
    }
    group.m_pFirst = nullptr;
    group.m_nLines = 0;
}

bool CConsoleLineQueue::PauseDrain()
{
    CSlimLockGuard lock(m_lock);
    m_windowState = m_pFirst ? WindowState::kWoken : WindowState::kIdle;
    return m_pFirst != nullptr;
}

void CConsoleLineQueue::Open()
{
    CSlimLockGuard lock(m_lock);
    m_bClosed = false;
    m_windowState = WindowState::kIdle;
}

void CConsoleLineQueue::Close()
{
    CSlimLockGuard lock(m_lock);
    m_bClosed = true;
    ReleaseWaitingLocked();
}

void CConsoleLineQueue::ReleaseWaitingLocked()
{
    for (CWaitingLine* pLine = m_pFirst; pLine;)
    {
        CWaitingLine* pNext = pLine->m_pNext;
        pLine->m_state = CWaitingLine::State::kReleased;
        ::WakeConditionVariable(&pLine->m_done);
        pLine = pNext;
    }
    m_pFirst = nullptr;
    m_pLast = nullptr;
}

} // namespace Console
