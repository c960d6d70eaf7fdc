// The application object of a DLL: constructed before DllMain, InitInstance at
// load, ExitInstance exactly once at unload, and a failing InitInstance fails
// the load.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace
{

std::string TestDllPath()
{
    char szPath[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    std::string path = szPath;
    return path.substr(0, path.find_last_of('\\') + 1) + "framework_test_dll_app.dll";
}

std::string DllLog()
{
    char szLog[64] = "";
    ::GetEnvironmentVariableA("FWTEST_DLL_LOG", szLog, sizeof(szLog));
    return szLog;
}

} // namespace

TEST(DllApplication, InitInstanceAtLoadAndExitInstanceAtUnload)
{
    ::SetEnvironmentVariableA("FWTEST_DLL_LOG", "");
    ::SetEnvironmentVariableA("FWTEST_DLL_FAIL", nullptr);
    HMODULE hDll = ::LoadLibraryA(TestDllPath().c_str());
    ASSERT_NE(nullptr, hDll) << TestDllPath();
    EXPECT_EQ("CI", DllLog());
    typedef HINSTANCE (*ResourceModuleFn)();
    ResourceModuleFn pfn = reinterpret_cast<ResourceModuleFn>(
        reinterpret_cast<void*>(::GetProcAddress(hDll, "FwTestResourceModule")));
    ASSERT_NE(nullptr, pfn);
    EXPECT_EQ(hDll, pfn()) << "the DLL's resources come from the DLL";
    ::FreeLibrary(hDll);
    EXPECT_EQ("CIXD", DllLog());
}

TEST(DllApplication, FailingInitInstanceFailsTheLoadAndExitsOnce)
{
    ::SetEnvironmentVariableA("FWTEST_DLL_LOG", "");
    ::SetEnvironmentVariableA("FWTEST_DLL_FAIL", "1");
    EXPECT_EQ(nullptr, ::LoadLibraryA(TestDllPath().c_str()));
    const std::string log = DllLog();
    EXPECT_EQ(0u, log.find("CIX")) << log;
    EXPECT_EQ(1, static_cast<int>(std::count(log.begin(), log.end(), 'X'))) << log;
}
