// Binding the companion library from an installation directory: the stand-in
// libraries built beside this test, with and without the logger hook.
#include "CompanionLibrary.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

std::string TestDirectory()
{
    char szPath[MAX_PATH];
    const DWORD nLength = GetModuleFileNameA(nullptr, szPath, sizeof szPath);
    std::string strPath(szPath, nLength);
    return strPath.substr(0, strPath.find_last_of("\\/") + 1);
}

typedef Marvane::NativeLogging::ILogger*(__cdecl* PFN_LAST_LOGGER)();

} // namespace

TEST(CompanionLibrary, HookIsTakenFromTheInstallationDirectoryAndReachesTheLibrary)
{
    Install::CompanionLibrary companion;
    ASSERT_EQ(Install::CompanionStatus::kBound,
              Install::BindCompanionLibrary(TestDirectory() + "companion_hook\\", companion));
    ASSERT_NE(nullptr, companion.pfnSetLogger);

    auto* pLogger = reinterpret_cast<Marvane::NativeLogging::ILogger*>(&companion);
    companion.pfnSetLogger(pLogger);
    const auto pfnLastLogger = reinterpret_cast<PFN_LAST_LOGGER>(
        reinterpret_cast<void*>(GetProcAddress(companion.hModule, "TestCompanion_LastLogger")));
    ASSERT_NE(nullptr, pfnLastLogger);
    EXPECT_EQ(pLogger, pfnLastLogger());
}

TEST(CompanionLibrary, MissingLibraryOrHookLeavesNoHook)
{
    Install::CompanionLibrary companion;
    EXPECT_EQ(Install::CompanionStatus::kNoHook,
              Install::BindCompanionLibrary(TestDirectory() + "companion_nohook\\", companion));
    EXPECT_NE(nullptr, companion.hModule);
    EXPECT_EQ(nullptr, companion.pfnSetLogger);

    EXPECT_EQ(Install::CompanionStatus::kNotLoaded,
              Install::BindCompanionLibrary(TestDirectory() + "no_such_dir\\", companion));
    EXPECT_EQ(nullptr, companion.hModule);
    EXPECT_EQ(nullptr, companion.pfnSetLogger);
    EXPECT_EQ(Install::CompanionStatus::kNotLoaded, Install::BindCompanionLibrary("", companion));
}
