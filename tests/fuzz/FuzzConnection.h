// One client connection of the pipe fuzzer to whatever serves the monitor's pipe.
// Every operation is overlapped and bounded by a time-out, so a server that stops
// answering, or a connection it forgot to close, is reported instead of hanging
// the fuzzer.
#pragma once

#include <windows.h>

#include <string>

enum class IoResult
{
    kOk,
    kBroken,   // the server closed its end, or the pipe failed
    kTimedOut, // nothing happened within the time-out
};

class CFuzzConnection
{
public:
    CFuzzConnection();
    ~CFuzzConnection();
    CFuzzConnection(const CFuzzConnection&) = delete;
    CFuzzConnection& operator=(const CFuzzConnection&) = delete;

    // Waits up to dwMilliseconds for a free instance; message read mode.
    bool Open(DWORD dwMilliseconds);
    void Close();
    bool IsOpen() const { return m_hPipe != INVALID_HANDLE_VALUE; }

    // Exactly these bytes as one message (an empty string is a 0-byte message).
    IoResult Write(const std::string& strBytes, DWORD dwMilliseconds);
    // One message; a reply longer than the buffer is returned cut, with kOk.
    IoResult Read(std::string& strReply, DWORD dwMilliseconds);

private:
    IoResult Finish(BOOL bStarted, DWORD& cbDone, DWORD dwMilliseconds);

    HANDLE m_hPipe = INVALID_HANDLE_VALUE;
    HANDLE m_hEvent = nullptr;
    OVERLAPPED m_overlapped = {};
};
