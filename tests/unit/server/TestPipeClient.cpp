#include "TestPipeClient.h"

#include "PipeProtocol.h"

bool CTestPipeClient::Open(DWORD dwMilliseconds)
{
    const DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        m_hPipe = ::CreateFileA(Protocol::kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                0, nullptr);
        if (m_hPipe != INVALID_HANDLE_VALUE)
            break;
        if (::GetTickCount() - dwStart > dwMilliseconds)
            return false;
        if (::GetLastError() == ERROR_PIPE_BUSY)
            ::WaitNamedPipeA(Protocol::kPipeName, 200);
        else
            ::Sleep(10);
    }
    DWORD dwMode = PIPE_READMODE_MESSAGE;
    return ::SetNamedPipeHandleState(m_hPipe, &dwMode, nullptr, nullptr) != FALSE;
}

void CTestPipeClient::Close()
{
    if (m_hPipe != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hPipe);
    m_hPipe = INVALID_HANDLE_VALUE;
}

bool CTestPipeClient::Write(const void* pData, DWORD cb)
{
    DWORD cbWritten = 0;
    return ::WriteFile(m_hPipe, pData, cb, &cbWritten, nullptr) && cbWritten == cb;
}

bool CTestPipeClient::Read(std::string& strReply)
{
    char buffer[8192];
    DWORD cbRead = 0;
    if (!::ReadFile(m_hPipe, buffer, sizeof(buffer), &cbRead, nullptr))
        return false;
    strReply.assign(buffer, cbRead);
    return true;
}

std::string CTestPipeClient::Transact(const std::string& strRequest)
{
    std::string strReply;
    if (!WriteRequest(strRequest) || !Read(strReply))
        return "<broken>";
    return strReply;
}
