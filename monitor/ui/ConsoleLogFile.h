// CConsoleLogFile: the file that the console's text is copied to while the user
// logs to a file. Every piece of text is handed to the system before the console
// shows it, so a monitor that crashes loses nothing it showed. Other programs may
// read, follow, rename or delete the file meanwhile (it is shared for all three).
// At its size limit the file is renamed with ".1" appended (replacing an older
// one) and a new one started; a reader that keeps the file from being renamed
// gets it copied to ".1" and emptied instead.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

class CConsoleLogFile
{
public:
    static constexpr ULONGLONG kRotateBytes = 64ULL * 1024 * 1024;

    explicit CConsoleLogFile(ULONGLONG cbRotateAt = kRotateBytes) : m_cbRotateAt(cbRotateAt) {}
    ~CConsoleLogFile() { Stop(); }
    CConsoleLogFile(const CConsoleLogFile&) = delete;
    CConsoleLogFile& operator=(const CConsoleLogFile&) = delete;

    // Opens (or creates) the file and appends from its end. ERROR_SUCCESS, or the
    // system's error, with logging off.
    DWORD Start(const char* pszPath);
    void Stop();
    bool IsOn() const { return m_hFile != INVALID_HANDLE_VALUE; }
    const std::string& Path() const { return m_strPath; }

    // Appends the text; on a failure logging stops and the system's error is
    // returned (ERROR_SUCCESS otherwise, and while logging is off).
    DWORD Write(const char* pText, std::size_t cbText);

private:
    static constexpr DWORD kPresenceCheckMs = 1000;
    DWORD Rotate();
    // Whether the file has been deleted meanwhile (looked at once a second).
    bool IsRemoved();

    const ULONGLONG m_cbRotateAt;
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    ULONGLONG m_cbSize = 0;
    DWORD m_dwLastPresenceCheck = 0;
    std::string m_strPath;
};
