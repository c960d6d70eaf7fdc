// The monitor's view of the message catalogue: texts of its own section
// (g_strMessageFile, g_strMessageSection), looked up anew every time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "CatalogueKeys.h"

constexpr std::size_t kCatalogueTextBytes = Catalogue::kTextBufferBytes;

// The text of a key such as "msg015"; its length, 0 (empty text) when the file,
// section or key is missing.
std::size_t LookupMessage(const char* pszKey, char (&szText)[kCatalogueTextBytes]);

// The text of a key that takes the client id as its one integer argument,
// formatted safely into szLine. true when the catalogue has a text for the key,
// even one that formats to nothing ("%.0d" for the id 0).
bool LookupMessageWithClientId(const char* pszKey, std::int32_t lClientId,
                               char (&szLine)[kCatalogueTextBytes]);
