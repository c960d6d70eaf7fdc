// A raw client of the monitor pipe for tests: opens it (waiting for the server to
// create an instance), switches to message mode and exchanges exact bytes.
#pragma once

#include <windows.h>

#include <string>

class CTestPipeClient
{
public:
    CTestPipeClient() = default;
    ~CTestPipeClient() { Close(); }
    CTestPipeClient(const CTestPipeClient&) = delete;
    CTestPipeClient& operator=(const CTestPipeClient&) = delete;

    // Waits up to dwMilliseconds for a free instance.
    bool Open(DWORD dwMilliseconds = 5000);
    void Close();
    // Writes exactly cb bytes as one message.
    bool Write(const void* pData, DWORD cb);
    // Writes the text with its NUL, like the client library.
    bool WriteRequest(const std::string& strRequest)
    {
        return Write(strRequest.c_str(), static_cast<DWORD>(strRequest.size() + 1));
    }
    // Reads one reply message; false when the pipe is closed or broken.
    bool Read(std::string& strReply);
    // WriteRequest then Read; the reply, or "<broken>".
    std::string Transact(const std::string& strRequest);

private:
    HANDLE m_hPipe = INVALID_HANDLE_VALUE;
};
