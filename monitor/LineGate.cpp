#include "LineGate.h"

#include "ui/resource.h"

CLineGate::CLineGate() : m_hOpen(::CreateEventA(nullptr, TRUE, TRUE, nullptr)) {}

CLineGate::~CLineGate()
{
    if (m_hOpen)
        ::CloseHandle(m_hOpen);
}

bool CLineGate::Pass() const
{
    if (!m_bClosed.load())
        return false;
    ::WaitForSingleObject(m_hOpen, kWaitMs);
    return true;
}

bool CLineGate::PostedMessagesWait()
{
    // Looking at the queue after every line, and closing the gate for whatever
    // happens to be posted, cost a sixth of the line rate; a posted message waits
    // at most one interval longer this way.
    const DWORD dwNow = ::GetTickCount();
    if (dwNow - m_dwLastQueueLook < kQueueLookIntervalMs)
        return false;
    m_dwLastQueueLook = dwNow;
    return HIWORD(::GetQueueStatus(QS_POSTMESSAGE | QS_ALLPOSTMESSAGE)) != 0;
}

void CLineGate::CloseBehindPostedMessages(HWND hWnd)
{
    if (!hWnd || m_bClosed || !m_hOpen)
        return;
    // Posted behind the waiting messages, it arrives once they have been handled.
    if (!::PostMessageA(hWnd, WM_REOPENLINEGATE, 0, 0))
        return;
    m_bClosed = true;
    ::ResetEvent(m_hOpen);
}

void CLineGate::Open()
{
    m_bClosed = false;
    if (m_hOpen)
        ::SetEvent(m_hOpen);
}
