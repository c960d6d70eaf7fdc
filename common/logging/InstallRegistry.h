// Reads the installation location, the value "Location" of
// HKEY_LOCAL_MACHINE\Software\Marvane\ZOVCommon. Reports what it found and shows
// nothing: the application objects decide which outcome deserves a message box.
#pragma once

#include <string>

namespace Install
{

enum class LocationReadStatus
{
    kOk,           // a non-empty location was read
    kEmptyValue,   // the value exists and is empty
    kKeyMissing,   // the key cannot be opened for reading
    kValueMissing, // the value is missing, is not a string, or holds 500 bytes or more
};

// Reads the location into strLocation (cleared unless the status is kOk).
LocationReadStatus ReadInstallLocation(std::string& strLocation);

} // namespace Install
