// Reads what another process of this machine was started with: its command line
// and its environment, from the process parameters in its memory. The tests use it
// to see how COM started the monitor, which they did not start themselves.
#pragma once

#include <windows.h>

#include <string>

// The command line of the process, or empty when it cannot be read.
std::wstring ProcessCommandLine(HANDLE hProcess);
// Whether the process's environment holds the variable pszName (letter case
// ignored, as Windows does). False also when the environment cannot be read;
// bReadable tells the two apart.
bool ProcessHasEnvironmentVariable(HANDLE hProcess, const wchar_t* pszName, bool& bReadable);
