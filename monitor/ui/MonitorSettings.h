// The monitor's settings of its user, kept in
// HKEY_CURRENT_USER\Software\Marvane\Tessaly\Settings (the framework's usual
// profile place): the file being logged to, the main window's placement, and
// whether the tool bar and the status bar show. A value that is missing, of
// another type or out of range reads as the default.
#pragma once

#include <windows.h>

#include <string>

namespace Settings
{

constexpr char kKey[] = "Software\\Marvane\\Tessaly\\Settings";
constexpr char kLogFile[] = "LogFile";                 // REG_SZ, empty when not logging
constexpr char kWindowPlacement[] = "WindowPlacement"; // REG_BINARY, a WINDOWPLACEMENT
constexpr char kShowToolBar[] = "ShowToolBar";         // REG_DWORD, 0 or 1
constexpr char kShowStatusBar[] = "ShowStatusBar";     // REG_DWORD, 0 or 1

std::string ReadLogFile();
void WriteLogFile(const char* pszPath);
// false when there is none that fits a monitor of this computer.
bool ReadPlacement(WINDOWPLACEMENT& placement);
void WritePlacement(const WINDOWPLACEMENT& placement);
bool ReadShown(const char* pszValue, bool bDefault);
void WriteShown(const char* pszValue, bool bShown);

} // namespace Settings
