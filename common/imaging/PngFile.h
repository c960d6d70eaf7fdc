// Writes a screenshot as a PNG file through the platform's imaging component
// (Windows Imaging Component), so the project carries no image encoder of its own.
#pragma once

#include "RgbImage.h"

#include <string>

namespace Imaging
{

// False when the image is empty or inconsistent, or the file cannot be written
// completely (a partly written file is removed). COM is initialised for the call
// if the thread has not done so.
bool WritePng(const std::string& path, const RgbImage& image);

} // namespace Imaging
