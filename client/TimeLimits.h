// How long the client library waits, at most, for each step of talking to the
// monitor. A working monitor never comes near these limits (it has a new pipe
// instance ready within milliseconds of accepting a client, reads a request at
// once and answers as soon as the line is in its console); they exist so that a
// monitor that has stopped (a debugger, a hung process) never holds a host for
// long. varnel.h states what they add up to for each export.
#pragma once

#include <windows.h>

namespace TimeLimits
{

// Looking for a running monitor through COM, and having COM start one.
constexpr DWORD kComLookupMs = 10000;
constexpr DWORD kComStartMs = 30000;
// A lookup that has answered, ending its thread (which holds the library until
// then). Only a thread kept from ending (the host holding the loader lock) takes
// long; it then lets the library go whenever it ends.
constexpr DWORD kLookupThreadExitMs = 1000;

// A monitor that COM has just started creates its pipe a moment after it has
// registered its class object: its pipe is waited for this long, looking every
// kPipeAppearPollMs. A monitor that was already running is not waited for.
constexpr DWORD kPipeAppearMs = 5000;
constexpr DWORD kPipeAppearPollMs = 25;

// Every pipe instance busy: up to seven opens, each failed one followed by a
// wait for a free instance; the waits together last at most this long.
constexpr DWORD kBusyPipeMs = 5000;
// The same when a debug-mode host looks for its monitor again: a pipe that stays
// busy then is most likely only the name of a monitor that has gone, kept alive by
// other hosts' handles, and the line must not wait for it.
constexpr DWORD kBusyPipeRejoinMs = 250;
// A debug-mode host without a connection looks for a monitor at most this often.
constexpr DWORD kRejoinIntervalMs = 1000;

// Writing one request, and waiting for its reply.
constexpr DWORD kWriteMs = 5000;
constexpr DWORD kReplyMs = 5000;

// ZOVLC_CleanUp's wait for the clean-ups of other host processes ("ZOVQUORRA").
constexpr DWORD kCleanUpMutexMs = 5000;

} // namespace TimeLimits
