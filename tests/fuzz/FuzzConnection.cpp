#include "FuzzConnection.h"

#include "PipeProtocol.h"

CFuzzConnection::CFuzzConnection() : m_hEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

CFuzzConnection::~CFuzzConnection()
{
    Close();
    if (m_hEvent)
        ::CloseHandle(m_hEvent);
}

bool CFuzzConnection::Open(DWORD dwMilliseconds)
{
    Close();
    const DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        m_hPipe = ::CreateFileA(Protocol::kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
        if (m_hPipe != INVALID_HANDLE_VALUE)
            break;
        const DWORD dwError = ::GetLastError();
        const DWORD dwElapsed = ::GetTickCount() - dwStart;
        if (dwElapsed >= dwMilliseconds)
            return false;
        if (dwError == ERROR_PIPE_BUSY)
            ::WaitNamedPipeA(Protocol::kPipeName, dwMilliseconds - dwElapsed);
        else
            ::Sleep(5);
    }
    DWORD dwMode = PIPE_READMODE_MESSAGE;
    if (!::SetNamedPipeHandleState(m_hPipe, &dwMode, nullptr, nullptr))
    {
        Close();
        return false;
    }
    return true;
}

void CFuzzConnection::Close()
{
    if (m_hPipe != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hPipe);
    m_hPipe = INVALID_HANDLE_VALUE;
}

IoResult CFuzzConnection::Finish(BOOL bStarted, DWORD& cbDone, DWORD dwMilliseconds)
{
    if (!bStarted)
    {
        const DWORD dwError = ::GetLastError();
        if (dwError == ERROR_MORE_DATA)
            return IoResult::kOk;
        if (dwError != ERROR_IO_PENDING)
            return IoResult::kBroken;
        if (::WaitForSingleObject(m_hEvent, dwMilliseconds) != WAIT_OBJECT_0)
        {
            ::CancelIo(m_hPipe);
            ::GetOverlappedResult(m_hPipe, &m_overlapped, &cbDone, TRUE);
            return IoResult::kTimedOut;
        }
    }
    if (!::GetOverlappedResult(m_hPipe, &m_overlapped, &cbDone, FALSE))
        return ::GetLastError() == ERROR_MORE_DATA ? IoResult::kOk : IoResult::kBroken;
    return IoResult::kOk;
}

IoResult CFuzzConnection::Write(const std::string& strBytes, DWORD dwMilliseconds)
{
    m_overlapped = OVERLAPPED{};
    m_overlapped.hEvent = m_hEvent;
    ::ResetEvent(m_hEvent);
    DWORD cbWritten = 0;
    const BOOL bDone =
        ::WriteFile(m_hPipe, strBytes.data(), static_cast<DWORD>(strBytes.size()), nullptr, &m_overlapped);
    const IoResult result = Finish(bDone, cbWritten, dwMilliseconds);
    if (result == IoResult::kOk && cbWritten != strBytes.size())
        return IoResult::kBroken;
    return result;
}

IoResult CFuzzConnection::Read(std::string& strReply, DWORD dwMilliseconds)
{
    char buffer[Protocol::kReplyReadBytes];
    m_overlapped = OVERLAPPED{};
    m_overlapped.hEvent = m_hEvent;
    ::ResetEvent(m_hEvent);
    DWORD cbRead = 0;
    const BOOL bDone = ::ReadFile(m_hPipe, buffer, sizeof(buffer), nullptr, &m_overlapped);
    const IoResult result = Finish(bDone, cbRead, dwMilliseconds);
    if (result == IoResult::kOk)
    {
        ::GetOverlappedResult(m_hPipe, &m_overlapped, &cbRead, FALSE);
        strReply.assign(buffer, cbRead);
    }
    return result;
}
