// A minimal PNG writer for test screenshots: 8-bit RGB, no compression (stored
// deflate blocks), so it needs nothing beyond the standard library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgb: nHeight rows of nWidth pixels, three bytes each, top row first.
bool WritePng(const std::string& path, int nWidth, int nHeight, const std::vector<std::uint8_t>& rgb);
