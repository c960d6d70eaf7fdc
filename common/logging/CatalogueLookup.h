// Looks a text up in the message catalogue through the system's profile-string
// reader. Every lookup goes to the file; nothing is cached here.
#pragma once

#include "CatalogueKeys.h"

#include <cstddef>

namespace Catalogue
{

// Reads the text of pszKey in pszSection of the catalogue file pszFile into szText
// and returns its length. A missing or empty file path, section or key, a missing
// file, section or key all give the empty text and 0. The reader removes blanks
// around the text and one pair of enclosing quotation marks; a longer text is cut
// to 4095 characters. szText is always terminated.
std::size_t LookupCatalogueText(const char* pszFile, const char* pszSection, const char* pszKey,
                                char (&szText)[kTextBufferBytes]);

} // namespace Catalogue
