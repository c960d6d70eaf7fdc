// The monitor's pipe server: one listener thread that accepts connections, and a
// thread per connection that reads requests, has ProcessPipeCommand act on them,
// replies, registers clients, cleans up after clients whose pipe broke, and ends
// the monitor when the last client has gone (outside debug mode).
#pragma once

#include <windows.h>

// Listener thread entry; the parameter is the CMainWindowLink* of the main window
// (or null). Returns 0 when a pipe instance cannot be created. The first instance
// must create the pipe's name: when the name stays taken by another process for
// two seconds (another monitor, or a squatter), the listener asks the window to
// exit (CMainWindowLink::RequestExit, in any mode, delivered once the window is
// published) and returns.
DWORD WINAPI PipeListenerProc(LPVOID pMainFrame);

// Called once, on the main window's thread, as the monitor ends: from now on the
// listener and the connection threads stop at their next step and wait for the
// process to end (clients get no more replies); returns once none is in the
// middle of a step, or after dwMaxWaitMs. Ending a process kills its other
// threads before the libraries' clean-up runs, and that clean-up hangs for ever
// on any lock that a killed thread held at the moment (seen under Wine with 64
// clients streaming lines).
void StopPipeServerWork(DWORD dwMaxWaitMs);

// Connection thread entry; the parameter is the PipeConnection*, which the thread
// owns and destroys when the connection has ended.
DWORD WINAPI PipeConnectionProc(LPVOID pConnection);
