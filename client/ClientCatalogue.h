// The client library's message catalogue: texts of section "Message_1024" of the
// installation's catalogue, looked up only in debug mode (outside it nothing is
// forwarded, so nothing is read either).
#pragma once

#include "CatalogueKeys.h"

#include <cstddef>

// The text of pszKey and its length. Outside debug mode nothing is read, 0 is
// returned and szText is left as it is: callers clear it first.
std::size_t LookupMessage(const char* pszKey, char (&szText)[Catalogue::kTextBufferBytes]);
