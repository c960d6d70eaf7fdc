// An image in memory as screenshots hold it, and a pixel count by colour (used to
// tell a real capture of coloured text from a blank or black one).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Imaging
{

// nHeight rows of nWidth pixels, three bytes each (red, green, blue), top row first.
struct RgbImage
{
    int nWidth = 0;
    int nHeight = 0;
    std::vector<std::uint8_t> rgb;
};

// Pixels whose every channel lies within nTolerance of the colour given.
std::size_t CountPixelsNear(const RgbImage& image, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                            int nTolerance);

} // namespace Imaging
