#include "RgbImage.h"

#include <cstdlib>

namespace Imaging
{

std::size_t CountPixelsNear(const RgbImage& image, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                            int nTolerance)
{
    std::size_t nCount = 0;
    for (std::size_t i = 0; i + 2 < image.rgb.size(); i += 3)
    {
        if (std::abs(image.rgb[i] - red) <= nTolerance && std::abs(image.rgb[i + 1] - green) <= nTolerance &&
            std::abs(image.rgb[i + 2] - blue) <= nTolerance)
            ++nCount;
    }
    return nCount;
}

} // namespace Imaging
