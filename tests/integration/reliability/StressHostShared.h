// What the reliability tests and varnel_stress_host.exe agree on: the shared
// table in which every host reports how far it has come (so that a test can kill
// it at a chosen point of its exchange with the monitor), and the host's command
// line.
//
//   varnel_stress_host <slot> <client id> <lines>
//       initialises Varnel.dll, sends <lines> log lines, cleans up, exit 0
//   varnel_stress_host <slot> <client id> until <event name>
//       initialises, sends lines until the named event is set, then
//       kLinesAfterStop more lines and cleans up; exit 0 when every call after the
//       event returned within kCallAfterStopLimitMs, kExitSlowCall otherwise
#pragma once

#include <windows.h>

namespace StressHost
{

constexpr const char kExeName[] = "varnel_stress_host.exe";
constexpr const char kProgressMappingName[] = "TessalyReliability.HostProgress";
constexpr unsigned kMaxSlots = 4096;

// How far a host has come; each phase is written just before the step it names
// begins (kDone: after the last call returned).
enum Phase : LONG
{
    kConnectingCom = -1, // the host's own COM connections, before ZOVLC_Initialize: never killed
    kNotStarted = 0,
    kInitialising = 1,  // ZOVLC_Initialize: monitor probe, INIT, start lines
    kStreaming = 2,     // ZOVLC_Initialize returned; log lines go out
    kSayingGoodbye = 3, // ZOVLC_CleanUp: clean-up lines and TERMINATE
    kDone = 4,
};

constexpr int kLinesAfterStop = 5;
constexpr DWORD kCallAfterStopLimitMs = 2000;

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitNoProgressTable = 3;
constexpr int kExitInitializeFailed = 4;
constexpr int kExitSlowCall = 5;

} // namespace StressHost
