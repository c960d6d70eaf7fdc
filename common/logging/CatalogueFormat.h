// Formats a catalogue text that takes one argument (the client id, the
// application id or the application name) without trusting the text: the
// catalogue is a file any administrator can edit, so its text is checked before
// the argument is put in, and the platform printf never sees it.
//
// A text is a valid format for its argument when it holds at most one conversion
// besides "%%" (an escaped percent sign), and that conversion fits the argument:
//
//   integer argument (32-bit signed):  %[flags][width][.precision][l]{d i u o x X}
//                                      flags: - + space 0 #
//   string argument:                   %[-][width][.precision]s
//
// Width and precision are decimal numbers ('*' is not accepted); values beyond
// 2147483647 (more than printf accepts) count as 2147483647. The conversions
// render as printf does (u, o, x, X show the id's 32-bit pattern; a null string
// shows "(null)", cut by a precision).
//
// Any other text is shown verbatim: exactly as it stands in the catalogue, its
// "%%" included, and the argument is not used. That covers texts with two or more
// conversions, a conversion of the wrong type ("%s" for an integer, "%d" for a
// string), any other conversion (%c, %p, %f, %n, %S, %ls, ...), other length
// modifiers (h, ll, I64, ...), '*' widths and a '%' at the end of the text.
//
// The output holds at most 4095 characters and is always terminated; a longer
// result is cut there.
#pragma once

#include "CatalogueKeys.h"

#include <cstddef>
#include <string>

namespace Catalogue
{

// Into the caller's buffer (the monitor's way); returns the length written.
std::size_t FormatWithInteger(const char* pszText, int nValue, char (&szOut)[kTextBufferBytes]);
std::size_t FormatWithString(const char* pszText, const char* pszValue, char (&szOut)[kTextBufferBytes]);

// As a string (the client library's way); same rules and limit.
std::string FormatWithInteger(const char* pszText, int nValue);
std::string FormatWithString(const char* pszText, const char* pszValue);

} // namespace Catalogue
