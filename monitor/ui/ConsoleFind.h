// CConsoleFind: the console's Find: the system's modeless Find dialog (direction,
// match case, whole word) and the repeats of its last search (F3 onwards, Shift+F3
// backwards). The dialog reports to its owner with g_uFindMessage; the owner
// searches the console with what OnMessage hands back.
#pragma once

#include <windows.h>

#include <commdlg.h>

// The registered FINDMSGSTRING message.
extern const UINT g_uFindMessage;

class CConsoleFind
{
public:
    CConsoleFind();
    CConsoleFind(const CConsoleFind&) = delete;
    CConsoleFind& operator=(const CConsoleFind&) = delete;

    // Opens the dialog, or brings the open one forward.
    void Open(HWND hOwner);
    // Gives the open dialog its keyboard handling (Tab, Enter, Esc); TRUE when the
    // message was the dialog's.
    BOOL PreTranslateMessage(MSG* pMsg);
    // On g_uFindMessage: TRUE when the user asked to find (then Text and Flags say
    // what), FALSE when the dialog is closing.
    BOOL OnMessage(LPARAM lParam);
    // The last text asked for ("" before the first search) and its options, as
    // EM_FINDTEXTEX takes them; bReverse turns the direction round.
    const char* Text() const { return m_szFindWhat; }
    DWORD Flags(BOOL bReverse) const;
    HWND Dialog() const { return m_hDialog; }

private:
    static constexpr WORD kMaxText = 256;
    FINDREPLACEA m_fr;
    char m_szFindWhat[kMaxText] = "";
    HWND m_hDialog = nullptr;
};
