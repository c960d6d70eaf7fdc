#include "PipeIo.h"

namespace
{

// Finishes an operation that ReadFile or WriteFile has started on hPipe.
PipeIo::Result Finish(HANDLE hPipe, OVERLAPPED& overlapped, BOOL bCompleted, DWORD dwLimitMs)
{
    PipeIo::Result result;
    if (!bCompleted && GetLastError() != ERROR_IO_PENDING)
    {
        // Failed at once (ERROR_MORE_DATA included: that read has completed).
        result.dwError = GetLastError();
        return result;
    }
    bool bCancelled = false;
    if (!bCompleted && WaitForSingleObject(overlapped.hEvent, dwLimitMs) != WAIT_OBJECT_0)
    {
        CancelIoEx(hPipe, &overlapped);
        bCancelled = true;
    }
    // Waits for a cancelled operation to end; it may still have completed normally.
    result.bDone = GetOverlappedResult(hPipe, &overlapped, &result.cbDone, TRUE) != FALSE;
    if (!result.bDone)
        result.dwError = bCancelled ? static_cast<DWORD>(WAIT_TIMEOUT) : GetLastError();
    return result;
}

} // namespace

namespace PipeIo
{

Result Write(HANDLE hPipe, HANDLE hEvent, const void* pData, DWORD cbData, DWORD dwLimitMs)
{
    OVERLAPPED overlapped = {};
    overlapped.hEvent = hEvent;
    const BOOL bCompleted = WriteFile(hPipe, pData, cbData, nullptr, &overlapped);
    return Finish(hPipe, overlapped, bCompleted, dwLimitMs);
}

Result Read(HANDLE hPipe, HANDLE hEvent, void* pBuffer, DWORD cbBuffer, DWORD dwLimitMs)
{
    OVERLAPPED overlapped = {};
    overlapped.hEvent = hEvent;
    const BOOL bCompleted = ReadFile(hPipe, pBuffer, cbBuffer, nullptr, &overlapped);
    return Finish(hPipe, overlapped, bCompleted, dwLimitMs);
}

} // namespace PipeIo
