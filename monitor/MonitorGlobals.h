// The monitor's process-wide objects, shared by start-up, command processing, the
// pipe server and the console window. Defined in one translation unit, in the
// order they must be constructed.
#pragma once

#include "ClientTable.h"

#include <windows.h>

#include <string>

namespace Marvane::NativeLogging
{
class ZOVLogger;
}
class CMainWindowLink;

extern HANDLE g_hClientTableMutex;  // unnamed; guards g_clientTable
extern HANDLE g_hMonitorMutex;      // "ZOVQUORRA": only for client libraries to wait on
extern UINT g_uAppMonUpdateMessage; // "ZOV_APPMON_UPD"
extern std::string& g_strMessageFile; // the catalogue; never destroyed
extern std::string& g_strMessageSection;
extern Marvane::NativeLogging::ZOVLogger* g_pLogger;
extern ClientTable g_clientTable;

// The link through which worker threads reach the main window. It lives until the
// process ends (never destroyed), because connection threads outlive the window.
CMainWindowLink& MainWindowLink();

// Whether client INFO and ERROR lines may be shown: no logger, or its Info level
// on. Captured from g_pLogger whenever logging is configured (levels never change
// afterwards), so connection threads never touch the logger object itself, which
// shut-down frees while they may still run.
bool LoggerShowsClientLines();
void CaptureLoggerGate();
