// Resource and command ids of the monitor. Standard framework ids (ID_FILE_SAVE,
// ID_EDIT_COPY, AFX_IDW_PANE_FIRST, ...) come from the framework's AfxRes.h.
#pragma once

#define IDD_ABOUT 100
#define IDR_MAINFRAME 128
#define IDR_TRAYMENU 129
#define IDC_ABOUT_NOTICE 1000 // the maker's notice in the About box

// Dialog items that no code addresses.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define ID_OPEN_CONSOLE 32771
#define ID_EXIT_MONITOR 32772
#define ID_CLEAR_MESSAGES 32773
#define ID_SELECT_ALL 32774
#define ID_FIND 32775
#define ID_FIND_NEXT 32776     // F3: the last search again, in its direction
#define ID_FIND_PREVIOUS 32777 // Shift+F3: the same, the other way
#define ID_LOG_TO_FILE 32778

// Callback message of the notification-area icon (WM_APP + 10).
#define WM_TRAYNOTIFY 0x800A
// Posted by the main window to itself behind messages that console lines held up
// (WM_APP + 11); reopens the gate of CMainWindowLink.
#define WM_REOPENLINEGATE 0x800B
// Posted to the main window when console lines wait in the link's queue and the
// window is not draining it already (WM_APP + 12).
#define WM_DRAINCONSOLELINES 0x800C
