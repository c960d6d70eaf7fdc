// Binds the companion library of the installation and takes its logger hook
// ZOV_SetLogger. Shared by both deliverables. A process loads the companion of its
// own bitness: 32-bit programs "ZOVNativeLogging.dll" in the installation
// directory, 64-bit ones the one in its "x64" folder (beside the 64-bit
// Varnel.dll).
//
// The library is kept loaded for the rest of the process, never freed: the
// companion may keep the logger pointer and write through it from threads of its
// own, so unloading it under them is unsafe; and the client library's
// application object ends inside the loader's unload notification, where freeing
// another library is not allowed. The system frees it when the process ends.
#pragma once

#include <windows.h>

#include <string>

namespace Marvane
{
namespace NativeLogging
{
class ILogger;
} // namespace NativeLogging
} // namespace Marvane

namespace Install
{

#ifdef _WIN64
constexpr const char kCompanionLibraryRelativePath[] = "x64\\ZOVNativeLogging.dll";
#else
constexpr const char kCompanionLibraryRelativePath[] = "ZOVNativeLogging.dll";
#endif
constexpr const char kLoggerHookName[] = "ZOV_SetLogger";

typedef void(__cdecl* PFN_ZOV_SETLOGGER)(Marvane::NativeLogging::ILogger* pLogger);

enum class CompanionStatus
{
    kBound,     // loaded, hook taken
    kNoHook,    // loaded, but it offers no logger hook
    kNotLoaded, // missing or not loadable (or no installation directory)
};

struct CompanionLibrary
{
    HMODULE hModule = nullptr;                // kept loaded for the process lifetime
    PFN_ZOV_SETLOGGER pfnSetLogger = nullptr; // null unless kBound
};

// Loads strInstallDir + kCompanionLibraryRelativePath (LoadLibraryEx with
// LOAD_WITH_ALTERED_SEARCH_PATH, so its own dependencies are found beside it) and
// looks up the hook. strInstallDir must be an absolute directory ending with a
// separator, as Install::ResolveInstallPaths gives it; an empty one loads nothing.
CompanionStatus BindCompanionLibrary(const std::string& strInstallDir, CompanionLibrary& companion);

} // namespace Install
