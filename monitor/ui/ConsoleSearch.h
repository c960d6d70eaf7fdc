// Searching the console's text, a copy of which the caller reads from the
// control (line ends as "\r\n"): Windows' rich edit searches its own text a
// character at a time, folding case through Unicode, which costs some 20-50 ms
// over a full console under Wine; the copy costs about 1.5 ms and this search
// about as much. Free of windows.h: the caller supplies which characters fold to
// which and which belong to words (from the system's ANSI code page).
#pragma once

#include <cstddef>

namespace Console
{

struct CSearchTables
{
    unsigned char fold[256]; // each character's lower case
    bool word[256];          // letters, digits and the underscore
};

// The first match starting at or after nFrom (bDown), or the last one ending at
// or before nFrom; its offset, or -1.
long FindInText(const char* pText, std::size_t cchText, const char* pszNeedle, std::size_t nFrom, bool bDown,
                bool bMatchCase, bool bWholeWord, const CSearchTables& tables);

// The control counts a line end as one character position, the text holds it as
// "\r\n": offsets in the text and positions in the control, each from the other.
std::size_t OffsetOfPosition(const char* pText, std::size_t cchText, long nPosition);
long PositionOfOffset(const char* pText, std::size_t nOffset);

} // namespace Console
