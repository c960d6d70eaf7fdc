// The installation location: where it is kept in the registry, how a path is cut
// into drive, directory, file name and extension (the run-time library's
// _splitpath rules) and joined again (_makepath rules), and the installation
// directory, catalogue file and catalogue section derived from the "Location"
// value. Windows-free: the registry itself is read by InstallRegistry.h.
#pragma once

#include "CatalogueKeys.h"

#include <cstddef>
#include <string>

namespace Install
{

// HKEY_LOCAL_MACHINE\Software\Marvane\ZOVCommon, value "Location" (a string),
// read into a 500-byte buffer: at most 499 characters.
constexpr const char kRegistryKeyPath[] = "Software\\Marvane\\ZOVCommon";
constexpr const char kLocationValueName[] = "Location";
// The key lives in the 32-bit registry view, where the 32-bit installer writes it
// and the 32-bit monitor reads it: 64-bit processes ask for that view
// (KEY_WOW64_32KEY), so that one installation serves hosts of both bitnesses.
// 32-bit processes see that view anyway.
constexpr unsigned long kRegistryKeyView = 0x0200;
constexpr std::size_t kLocationBufferBytes = 500;

// The monitor's program in the installation directory: the only pipe server the
// client library talks to.
constexpr const char kMonitorProgramFileName[] = "Tessaly.exe";

// Component buffer sizes of the run-time library (_MAX_DRIVE, _MAX_DIR,
// _MAX_FNAME, _MAX_EXT), terminator included.
constexpr std::size_t kMaxDrive = 3;
constexpr std::size_t kMaxDir = 256;
constexpr std::size_t kMaxFname = 256;
constexpr std::size_t kMaxExt = 256;

struct PathParts
{
    char szDrive[kMaxDrive];
    char szDir[kMaxDir];
    char szFname[kMaxFname];
    char szExt[kMaxExt];
};

// Cuts pszPath as _splitpath does, byte by byte:
//  - drive: the first two characters when the second is ':';
//  - directory: everything after the drive up to and including the last '\' or '/';
//  - extension: from the last '.' of the rest, the dot included;
//  - file name: what lies between.
// A component that does not fit its buffer is never cut short (that would name
// another directory): the split fails, every part is empty and the result is
// false, as _splitpath_s does. A null path splits as the empty one.
bool SplitPath(const char* pszPath, PathParts& parts);

// Joins the parts as _makepath does: the drive letter and ':', the directory with
// a '\' added unless it ends in a separator, the file name, then the extension
// with a '.' added unless it starts with one. Null or empty parts are left out.
std::string MakePath(const char* pszDrive, const char* pszDir, const char* pszFname, const char* pszExt);

// "tessalymessage_1024" or "Message_1024".
std::string SectionName(Catalogue::Section section);

enum class LocationStatus
{
    kOk,          // the paths below are set
    kEmpty,       // the value is empty: no installation directory, no catalogue
    kTooLong,     // the directory exceeds the run-time library's buffer (the file
                  // name and extension, which are not used, may be of any length)
    kNotAbsolute, // no drive and root, nor a UNC share: the directory would depend
                  // on the current directory, the catalogue reader would look in the
                  // Windows directory instead, and the companion library would be
                  // loaded through the DLL search path
};

struct InstallPaths
{
    LocationStatus status = LocationStatus::kEmpty;
    std::string strInstallDir;    // drive + directory, backslashes only, ends with one
    std::string strCatalogueFile; // strInstallDir + "ZOVLogMessages.ini"
    std::string strSection;       // the deliverable's catalogue section
};

// The installation paths of a "Location" value: only its drive and directory count.
//   "C:\Inst\Tool\app.exe" -> C:\Inst\Tool\ZOVLogMessages.ini
//   "C:\Inst\Tool"         -> C:\Inst\ZOVLogMessages.ini
//   "C:\Inst\Tool\"        -> C:\Inst\Tool\ZOVLogMessages.ini
//   "C:/Inst/Tool/"        -> C:\Inst\Tool\ZOVLogMessages.ini
// Unless the status is kOk, all three texts are empty: every catalogue lookup then
// gives the empty text and the companion library is not loaded. A non-empty value
// that is not kOk is an installation fault, to be reported like a missing value.
InstallPaths ResolveInstallPaths(const char* pszLocation, Catalogue::Section section);

} // namespace Install
