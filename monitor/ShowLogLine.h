// The monitor's line builder: where its own logger's lines go. Each line gets the
// short layout and is shown in the console in colour class 0; without a main
// window (start-up, the registration run) it is dropped.
#pragma once

#include "LoggingConfiguration.h"

void ShowLogLine(const char* pszText, int nKind);

// The logger lock's wait hook that goes with ShowLogLine: a line sent to the
// window holds the logger's lock until the window's thread has handled it, so
// that thread, when it finds the lock taken, handles the lines sent to it while
// it waits (a moment at a time, returning true). Other threads simply block.
bool ServeWindowWhileLoggerBusy();

// The monitor's logging from QX_LMDEBUGLOGLEVEL: its loggers write with
// ShowLogLine and wait for their lock with ServeWindowWhileLoggerBusy.
Marvane::NativeLogging::LoggingSetup ConfigureMonitorLogging(Marvane::NativeLogging::LoggerSet& loggers,
                                                             Marvane::NativeLogging::LoggerHook hook);
