// The 64-bit logger called by a companion library that a Microsoft compiler built
// (clang in Microsoft mode: tests/msvc/msvc_companion.cpp): every slot by its
// place in the virtual table, with Microsoft's varargs and va_list, reaches the
// member it names and writes its line with the Microsoft format rules.
#include "LineCapture.h"
#include "ZOVLogger.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

using namespace Marvane::NativeLogging;

TEST(LoggerMsvcCompanion, EverySlotWritesItsLine)
{
    const HMODULE hCompanion = ::LoadLibraryA("msvc_companion.dll");
    ASSERT_NE(nullptr, hCompanion);
    typedef int(__cdecl * PFN_CALL_EVERY_SLOT)(ILogger*);
    const auto pfnCallEverySlot = reinterpret_cast<PFN_CALL_EVERY_SLOT>(
        reinterpret_cast<void*>(::GetProcAddress(hCompanion, "CallEverySlot")));
    ASSERT_NE(nullptr, pfnCallEverySlot);

    ZOVLogger logger(&LineCapture::Sink);
    logger.EnableAll();
    EXPECT_EQ(0, pfnCallEverySlot(&logger)) << "IsEnabled answered wrongly";
    const std::vector<CapturedLine> expected = {
        {"tagged", 3},     {"write", 2},       {"tf=3", 2},           {"1/2", 3},
        {"list|5", 2},     {"n=77 4886718345", 3}, {"fatal", 3},      {"fatal 8", 3},
        {"error", 3},      {"error 10 11", 3}, {"warning", 2},        {"warning 12", 2},
        {"info", 2},       {"info 00001234567890AB", 2}, {"debug", 2}, {"debug 16", 2},
        {"trace", 2},      {"trace 180", 2},
    };
    EXPECT_EQ(expected, LineCapture::Take());
    ::FreeLibrary(hCompanion);
}
