// Bounded I/O on the client end of the monitor pipe, which is opened for
// overlapped I/O: an operation that has not completed within its limit is
// cancelled, and the cancelled operation is waited for before its buffer and its
// OVERLAPPED go out of scope (the system may use both until it has completed).
#pragma once

#include <windows.h>

namespace PipeIo
{

struct Result
{
    bool bDone = false; // the operation completed successfully
    DWORD cbDone = 0;   // bytes written or read
    DWORD dwError = 0;  // otherwise: its error; WAIT_TIMEOUT when it ran out of time
};

// hEvent: a manual-reset event that nothing else waits on meanwhile.
Result Write(HANDLE hPipe, HANDLE hEvent, const void* pData, DWORD cbData, DWORD dwLimitMs);
// A message longer than cbBuffer fills the buffer and reports ERROR_MORE_DATA.
Result Read(HANDLE hPipe, HANDLE hEvent, void* pBuffer, DWORD cbBuffer, DWORD dwLimitMs);

} // namespace PipeIo
