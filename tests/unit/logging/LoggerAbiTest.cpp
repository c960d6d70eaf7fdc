// Calls every ILogger slot the way a Microsoft-compiled companion library does:
// by position in the virtual table, non-variadic slots as thiscall (object in
// ECX, callee removes the arguments) and variadic ones as cdecl with the
// object first on the stack (caller removes them).
#include "LineCapture.h"
#include "RawCall.h"
#include "ZOVLogger.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace Marvane::NativeLogging;

namespace
{

std::uint32_t Word(const void* pointer)
{
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

std::uint32_t Word(std::int32_t value)
{
    return static_cast<std::uint32_t>(value);
}

const void* Slot(ILogger* logger, int index)
{
    const void* const* table = *reinterpret_cast<const void* const* const*>(logger);
    return table[index];
}

struct SlotCall
{
    int slot;
    bool variadic;
    std::vector<std::uint32_t> args; // without the object
    CapturedLine expected;
};

int __stdcall TwoArgumentsCalleeCleans(int a, int b)
{
    return a + b;
}

int __cdecl TwoArgumentsCallerCleans(int a, int b)
{
    return a - b;
}

} // namespace

TEST(LoggerAbi, RawCallHelperSeesAStackImbalance)
{
    const std::uint32_t args[] = {5, 3};
    std::uint32_t eax = 0;
    EXPECT_EQ(0, RawCallStackDelta(reinterpret_cast<const void*>(&TwoArgumentsCalleeCleans), nullptr, args, 2,
                                   0, &eax));
    EXPECT_EQ(8u, eax);
    EXPECT_EQ(8, RawCallStackDelta(reinterpret_cast<const void*>(&TwoArgumentsCalleeCleans), nullptr, args, 2,
                                   1, nullptr));
    EXPECT_EQ(0, RawCallStackDelta(reinterpret_cast<const void*>(&TwoArgumentsCallerCleans), nullptr, args, 2,
                                   1, &eax));
    EXPECT_EQ(2u, eax);
    EXPECT_EQ(-8, RawCallStackDelta(reinterpret_cast<const void*>(&TwoArgumentsCallerCleans), nullptr, args,
                                    2, 0, nullptr));
}

TEST(LoggerAbi, IsEnabledIsSlotZeroAndThiscall)
{
    ZOVLogger logger(&LineCapture::Sink);
    logger.SetLevel(Level::Info, true);
    ILogger* object = &logger;
    for (const std::int32_t level : {Level::Fatal, Level::Info, Level::Trace, 1, -6})
    {
        const std::uint32_t args[] = {Word(level)};
        std::uint32_t eax = 0xFFFFFFFF;
        EXPECT_EQ(0, RawCallStackDelta(Slot(object, 0), object, args, 1, 0, &eax)) << level;
        EXPECT_EQ(level == Level::Info ? 1u : 0u, eax & 0xFF) << level;
    }
    EXPECT_TRUE(LineCapture::Take().empty());
}

TEST(LoggerAbi, EverySlotKeepsTheStackBalancedAndWritesItsLine)
{
    ZOVLogger logger(&LineCapture::Sink);
    logger.EnableAll();
    ILogger* object = &logger;
    const int context = 0;

    const std::uint32_t listTagged[] = {Word(L"list"), 5};
    const std::uint32_t listPlain[] = {77};
    const std::vector<SlotCall> calls = {
        {1, false, {Word(&context), Word(Level::Error), Word(L"tagged")}, {"tagged", 3}},
        {2, false, {Word(Level::Warning), Word(L"write")}, {"write", 2}},
        {3, true, {Word(&context), Word(Level::Trace), Word(L"%s=%d"), Word(L"tf"), 3}, {"tf=3", 2}},
        {4, true, {Word(Level::Fatal), Word(L"%d/%d"), 1, 2}, {"1/2", 3}},
        {5, false, {Word(&context), Word(Level::Info), Word(L"%s|%d"), Word(listTagged)}, {"list|5", 2}},
        {6, false, {Word(Level::Error), Word(L"n=%d"), Word(listPlain)}, {"n=77", 3}},
        {7, false, {Word(L"fatal")}, {"fatal", 3}},
        {8, true, {Word(L"fatal %d"), 8}, {"fatal 8", 3}},
        {9, false, {Word(L"error")}, {"error", 3}},
        {10, true, {Word(L"error %d %d"), 10, 11}, {"error 10 11", 3}},
        {11, false, {Word(L"warning")}, {"warning", 2}},
        {12, true, {Word(L"warning %s"), Word(L"12")}, {"warning 12", 2}},
        {13, false, {Word(L"info")}, {"info", 2}},
        {14, true, {Word(L"info %d"), 14}, {"info 14", 2}},
        {15, false, {Word(L"debug")}, {"debug", 2}},
        {16, true, {Word(L"debug %d"), 16}, {"debug 16", 2}},
        {17, false, {Word(L"trace")}, {"trace", 2}},
        {18, true, {Word(L"trace %d%d%d"), 1, 8, 0}, {"trace 180", 2}},
    };
    ASSERT_EQ(static_cast<std::size_t>(kLoggerSlotCount - 1), calls.size());

    for (const SlotCall& call : calls)
    {
        std::vector<std::uint32_t> stack;
        void* ecx = nullptr;
        if (call.variadic)
            stack.push_back(Word(object)); // cdecl: the object is the first stack argument
        else
            ecx = object;
        stack.insert(stack.end(), call.args.begin(), call.args.end());

        const std::int32_t delta =
            RawCallStackDelta(Slot(object, call.slot), ecx, stack.data(),
                              static_cast<std::int32_t>(stack.size()), call.variadic, nullptr);
        EXPECT_EQ(0, delta) << "slot " << call.slot;
        EXPECT_EQ(std::vector<CapturedLine>{call.expected}, LineCapture::Take()) << "slot " << call.slot;
    }
}
