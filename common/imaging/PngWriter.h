// A minimal PNG encoder for screenshots: 8-bit RGB, stored (uncompressed)
// deflate blocks, so it needs nothing beyond the standard library and any PNG
// reader opens the result. Free of platform headers.
#pragma once

#include "RgbImage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Imaging
{

// The whole PNG file; empty when the image's size and pixel data do not agree.
std::vector<std::uint8_t> EncodePng(const RgbImage& image);

// Writes EncodePng's bytes to path; false when there is nothing to write or the
// file cannot be written completely.
bool WritePng(const std::string& path, const RgbImage& image);

// CRC-32 as PNG chunks use it (ISO 3309), continuing from crc.
std::uint32_t PngCrc32(const std::uint8_t* pData, std::size_t cb, std::uint32_t crc = 0);

} // namespace Imaging
