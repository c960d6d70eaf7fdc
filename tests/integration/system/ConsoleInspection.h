// What the system tests read off a running monitor from outside: its console's
// text and colours, and the monitor process itself (attached, or stopped as a
// debugger stops it).
#pragma once

#include "MonitorProcess.h"

#include <windows.h>

#include <string>

// Takes over the one monitor that runs (COM started it); false when there is none
// or more than one.
bool AttachToTheMonitor(CMonitorProcess& monitor);

// Stops or resumes every thread of a process, as a debugger does.
void SetProcessSuspended(DWORD dwProcessId, bool bSuspended);

// The time stamps of log lines replaced by "[stamp]", so that texts compare exactly.
std::string WithStampsReplaced(const std::string& strText);

// The text colour of the console's character at nPosition (line ends count one),
// read across the process boundary through a buffer in the monitor's memory.
bool ConsoleColourAt(DWORD dwProcessId, LONG nPosition, COLORREF& colour);

// The colour of the first character of the console line that contains strNeedle;
// CLR_INVALID when there is none.
COLORREF ColourOfLineWith(const CMonitorProcess& monitor, const std::string& strNeedle);
