// Who serves the pipe the library has opened. The pipe's name is open to every
// process; only a server that runs the installation's monitor program gets a
// word from this library. Asking the server's process for its program, instead
// of refusing a name that already exists, also means that pipe instances left by
// a monitor that has gone (other hosts still hold them) never shut out the next
// monitor.
#pragma once

#include <windows.h>

// True when the process that serves hPipe runs pszProgram. The two paths are
// compared as files, so that short and long forms, letter case and other
// spellings of one file agree. False whenever anything cannot be found out.
bool IsPipeServedBy(HANDLE hPipe, const char* pszProgram);
