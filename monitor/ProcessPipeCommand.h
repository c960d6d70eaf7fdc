// The monitor's handling of one request from a client: registration (INIT), the
// goodbyes (TERMINATE, CLEAN) with their notes, and the log lines, which become
// console lines of the main window.
#pragma once

#include <windows.h>

struct ConnectionState;
class CMainWindowLink;

// Result codes, acted on by the connection thread.
constexpr int kProcessCloseConnection = -1; // TERMINATE, CLEAN: reply, then end
constexpr int kProcessRegistered = 0;       // enter the state's client into the table, reply, read on
constexpr int kProcessHandled = 1;          // reply, read on

// Console colour classes of the lines this sends.
constexpr int kConsoleClientInfo = 0;
constexpr int kConsoleMonitorNote = 1;
constexpr int kConsoleClientError = 2;
constexpr int kConsoleClientSInfo = 3;
constexpr int kConsoleClientSError = 4;

// pszMessage: the NUL-terminated request. pReply: the caller's 4096-byte buffer,
// always filled with "SUCCESS" (*pcbReply = 7, no NUL counted). pMainFrame: the
// link to the main window, or null for no console output.
int ProcessPipeCommand(const char* pszMessage, char* pReply, DWORD* pcbReply, ConnectionState& state,
                       const CMainWindowLink* pMainFrame);
