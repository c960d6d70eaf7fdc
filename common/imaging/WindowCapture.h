// Captures a window as it is on screen (frame, bars and children included) into
// an RGB image, through a 32-bit top-down DIB section.
#pragma once

#include "RgbImage.h"

#include <windows.h>

namespace Imaging
{

// False when the window has no area or the bitmap cannot be made; image is then
// left empty.
bool CaptureWindow(HWND hWnd, RgbImage& image);

} // namespace Imaging
