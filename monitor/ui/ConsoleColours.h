// The console's colour classes: the first parameter of the console message picks
// one, and each has one text colour. Values are COLORREFs (0x00BBGGRR); kept free
// of windows.h so that the table can be read and checked anywhere.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Console
{

constexpr std::uint32_t kColourInfo = 0x000000;   // 0: black: client INFO, the monitor's own log lines
constexpr std::uint32_t kColourNote = 0x000088;   // 1: dark red (136, 0, 0): the monitor's notes
constexpr std::uint32_t kColourError = 0x0000FF;  // 2: red: client ERROR
constexpr std::uint32_t kColourSInfo = 0x808000;  // 3: teal (0, 128, 128): client SINFO
constexpr std::uint32_t kColourSError = 0x0040FF; // 4: orange-red (255, 64, 0): client SERROR

// The banner shows in the notes' colour.
constexpr std::uint32_t kColourBanner = kColourNote;

constexpr std::uint32_t kClassColours[] = {kColourInfo, kColourNote, kColourError, kColourSInfo,
                                           kColourSError};
constexpr std::size_t kClassCount = sizeof(kClassColours) / sizeof(kClassColours[0]);

// The colour of a class. No sender uses a class above 4; such a line still shows,
// in the plain INFO colour, so that nothing is hidden and nothing looks like an
// error that was never reported as one.
constexpr std::uint32_t ColourOfClass(std::uintptr_t nClass)
{
    return nClass < kClassCount ? kClassColours[nClass] : kColourInfo;
}

} // namespace Console
