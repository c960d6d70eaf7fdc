// String resources of the application's module and the '\n'-separated parts the
// framework gives them: a command's string is "status-bar prompt\ntool tip", a
// frame's string starts with its title.
#pragma once

#include <windows.h>

// Loads string nID from the resource module into lpszBuffer (always terminated,
// truncated to the buffer). Returns the length copied; 0 and "" when absent.
int AfxLoadString(UINT nID, LPSTR lpszBuffer, int cchBuffer);

// Copies part iSubString (0-based) of lpszFull, parts separated by chSep, into
// lpszDest (always terminated, truncated to the buffer). FALSE and "" when the
// text has fewer parts.
BOOL AfxExtractSubString(LPSTR lpszDest, int cchDest, LPCSTR lpszFull, int iSubString, char chSep = '\n');
