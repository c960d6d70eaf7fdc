// Puts a companion library into a test's installation folder where the programs of
// this build's bitness look for it (the "x64" folder for 64-bit programs), and
// takes it away again.
#pragma once

#include "CompanionLibrary.h"

#include <windows.h>

#include <string>

namespace InstalledCompanion
{

// strInstallDir ends with a backslash.
inline std::string PathIn(const std::string& strInstallDir)
{
    return strInstallDir + Install::kCompanionLibraryRelativePath;
}

inline bool CopyInto(const std::string& strSource, const std::string& strInstallDir)
{
    const std::string strTarget = PathIn(strInstallDir);
    const std::string strFolder = strTarget.substr(0, strTarget.find_last_of('\\'));
    ::CreateDirectoryA(strFolder.c_str(), nullptr);
    return ::CopyFileA(strSource.c_str(), strTarget.c_str(), FALSE) != FALSE;
}

// Fails quietly while a program still uses the library.
inline void RemoveFrom(const std::string& strInstallDir)
{
    const std::string strTarget = PathIn(strInstallDir);
    ::DeleteFileA(strTarget.c_str());
    const std::string strFolder = strTarget.substr(0, strTarget.find_last_of('\\') + 1);
    if (strFolder != strInstallDir)
        ::RemoveDirectoryA(strFolder.c_str());
}

} // namespace InstalledCompanion
