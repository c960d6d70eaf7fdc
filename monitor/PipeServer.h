// The monitor's pipe server: one listener thread that accepts connections, and a
// thread per connection that reads requests, has ProcessPipeCommand act on them,
// replies, registers clients, cleans up after clients whose pipe broke, and ends
// the monitor when the last client has gone (outside debug mode).
#pragma once

#include <windows.h>

#include <string>

// One monitor serves the pipe: its listener thread owns the listener mutex for as
// long as it runs, and a monitor that dies leaves it abandoned, free for the
// next. The mutex is the user's (see ObjectSecurity.h), under a name that holds
// the user's SID, so that no process of another user can make it first and shut
// the user's monitors out; another user's monitor cannot serve the pipe anyway,
// whose instances admit only their user.
constexpr char kPipeListenerMutexPrefix[] = "Global\\ZOVLCMonPipe.Listener.";
// The name for the process's user.
std::string ListenerMutexName();

// How the listener started: serving, or why it cannot serve.
enum class ListenerOutcome
{
    kServing,
    kAnotherMonitorServes,  // the mutex stayed taken by another monitor of the user
    kLockHeldByAnotherUser, // the mutex's name is held by another user's process
    kNoPipe,                // the mutex or the first pipe instance could not be made
};
// Known once the settled event is set; *pdwError: the system's error, if any.
ListenerOutcome PipeListenerOutcome(DWORD* pdwError);

// Listener thread entry; the parameter is the CMainWindowLink* of the main window
// (or null). Returns 0 only when its first pipe instance cannot be created; a
// later instance that fails is tried again every quarter second. Only one listener on
// the computer serves the pipe: it owns a machine-wide mutex for as long as it
// runs. When another monitor's listener keeps that mutex for three seconds, another
// user's process holds its name, or the first instance cannot be created, the
// listener notes why (PipeListenerOutcome) and asks the window to exit
// (CMainWindowLink::RequestExit, in any mode, delivered once the window is
// published) and returns. Instances of the pipe that other processes hold (those
// of a monitor that has gone, still held by its hosts, or a squatter's) do not
// stop it: the hosts check who serves the instance they opened.
DWORD WINAPI PipeListenerProc(LPVOID pMainFrame);

// A manual-reset event, set once the first listener has created its first pipe
// instance or given up. The monitor is findable by hosts only after that: a host
// that finds a running monitor tries its pipe once, without waiting for it.
HANDLE PipeListenerSettledEvent();
// At most this long from the listener's start until the event is set: the wait
// for the listener mutex, and more.
constexpr DWORD kPipeListenerSettleMs = 5000;

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
