// Reads the installation location, the value "Location" of
// HKEY_LOCAL_MACHINE\Software\Marvane\ZOVCommon, in the 32-bit registry view
// whatever the process's bitness. Reports what it found and shows
// nothing: the application objects decide which outcome deserves a message box.
#pragma once

#include <string>

namespace Install
{

enum class LocationReadStatus
{
    kOk,           // a non-empty location was read
    kEmptyValue,   // the value exists and is empty (also once expanded)
    kKeyMissing,   // the key cannot be opened for reading
    kValueMissing, // the value is missing, is neither REG_SZ nor REG_EXPAND_SZ, holds
                   // 500 bytes or more, or cannot be expanded
};

// Reads the location into strLocation (cleared unless the status is kOk). A
// REG_EXPAND_SZ value comes with its %name% references expanded; the 500-byte
// limit applies to the value as stored.
LocationReadStatus ReadInstallLocation(std::string& strLocation);

} // namespace Install
