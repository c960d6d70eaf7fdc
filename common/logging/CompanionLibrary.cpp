#include "CompanionLibrary.h"

namespace Install
{

CompanionStatus BindCompanionLibrary(const std::string& strInstallDir, CompanionLibrary& companion)
{
    companion = CompanionLibrary();
    if (strInstallDir.empty())
        return CompanionStatus::kNotLoaded;

    const std::string strPath = strInstallDir + kCompanionLibraryRelativePath;
    companion.hModule = LoadLibraryExA(strPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!companion.hModule)
        return CompanionStatus::kNotLoaded;

    companion.pfnSetLogger = reinterpret_cast<PFN_ZOV_SETLOGGER>(
        reinterpret_cast<void*>(GetProcAddress(companion.hModule, kLoggerHookName)));
    return companion.pfnSetLogger ? CompanionStatus::kBound : CompanionStatus::kNoHook;
}

} // namespace Install
