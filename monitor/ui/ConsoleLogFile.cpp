#include "ConsoleLogFile.h"

namespace
{

constexpr char kRotatedSuffix[] = ".1";
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenForAppending(const char* pszPath, ULONGLONG* pcbSize)
{
    const HANDLE hFile =
        ::CreateFileA(pszPath, GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return hFile;
    LARGE_INTEGER size = {};
    LARGE_INTEGER zero = {};
    if (!::GetFileSizeEx(hFile, &size) || !::SetFilePointerEx(hFile, zero, nullptr, FILE_END))
    {
        const DWORD dwError = ::GetLastError();
        ::CloseHandle(hFile);
        ::SetLastError(dwError);
        return INVALID_HANDLE_VALUE;
    }
    *pcbSize = static_cast<ULONGLONG>(size.QuadPart);
    return hFile;
}

DWORD ErrorOr(DWORD dwFallback)
{
    const DWORD dwError = ::GetLastError();
    return dwError != ERROR_SUCCESS ? dwError : dwFallback;
}

} // namespace

DWORD CConsoleLogFile::Start(const char* pszPath)
{
    Stop();
    if (!pszPath || !*pszPath)
        return ERROR_INVALID_NAME;
    m_hFile = OpenForAppending(pszPath, &m_cbSize);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return ErrorOr(ERROR_OPEN_FAILED);
    m_strPath = pszPath;
    return ERROR_SUCCESS;
}

void CConsoleLogFile::Stop()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_cbSize = 0;
}

DWORD CConsoleLogFile::Write(const char* pText, std::size_t cbText)
{
    if (!IsOn() || cbText == 0)
        return ERROR_SUCCESS;
    if (m_cbSize + cbText > m_cbRotateAt && m_cbSize > 0)
    {
        const DWORD dwError = Rotate();
        if (dwError != ERROR_SUCCESS)
        {
            Stop();
            return dwError;
        }
    }
    if (IsRemoved())
    {
        Stop();
        return ERROR_FILE_NOT_FOUND;
    }
    DWORD cbWritten = 0;
    if (!::WriteFile(m_hFile, pText, static_cast<DWORD>(cbText), &cbWritten, nullptr) || cbWritten != cbText)
    {
        const DWORD dwError = ErrorOr(ERROR_WRITE_FAULT);
        Stop();
        return dwError;
    }
    m_cbSize += cbWritten;
    return ERROR_SUCCESS;
}

bool CConsoleLogFile::IsRemoved()
{
    // Writes to a file that someone deleted still succeed, into a file that nobody
    // can open any more. Asked once a second: that is all a deletion can cost.
    const DWORD dwNow = ::GetTickCount();
    if (dwNow - m_dwLastPresenceCheck < kPresenceCheckMs)
        return false;
    m_dwLastPresenceCheck = dwNow;
    FILE_STANDARD_INFO info = {};
    return ::GetFileInformationByHandleEx(m_hFile, FileStandardInfo, &info, sizeof(info)) && info.DeletePending;
}

DWORD CConsoleLogFile::Rotate()
{
    const std::string strRotated = m_strPath + kRotatedSuffix;
    ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    if (!::MoveFileExA(m_strPath.c_str(), strRotated.c_str(), MOVEFILE_REPLACE_EXISTING))
    {
        // A reader that did not share deletion keeps the name: copy, then empty it.
        if (!::CopyFileA(m_strPath.c_str(), strRotated.c_str(), FALSE))
            return ErrorOr(ERROR_WRITE_FAULT);
        const HANDLE hFile = ::CreateFileA(m_strPath.c_str(), GENERIC_WRITE, kShareAll, nullptr, TRUNCATE_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile == INVALID_HANDLE_VALUE)
            return ErrorOr(ERROR_WRITE_FAULT);
        m_hFile = hFile;
        m_cbSize = 0;
        return ERROR_SUCCESS;
    }
    m_hFile = OpenForAppending(m_strPath.c_str(), &m_cbSize);
    return m_hFile == INVALID_HANDLE_VALUE ? ErrorOr(ERROR_OPEN_FAILED) : ERROR_SUCCESS;
}
