#include "PngWriter.h"

#include <array>
#include <cstdio>

namespace Imaging
{

namespace
{

constexpr std::size_t kMaxStoredBlock = 65535;

std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n)
    {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* pszType, const std::vector<std::uint8_t>& data)
{
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t nTypeAt = out.size();
    out.insert(out.end(), pszType, pszType + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, PngCrc32(out.data() + nTypeAt, out.size() - nTypeAt));
}

std::uint32_t Adler32(const std::vector<std::uint8_t>& data)
{
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (std::uint8_t byte : data)
    {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

// A zlib stream of stored blocks holding data.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> zlib = {0x78, 0x01};
    std::size_t nPos = 0;
    do
    {
        const std::size_t cb = data.size() - nPos < kMaxStoredBlock ? data.size() - nPos : kMaxStoredBlock;
        const bool bLast = nPos + cb == data.size();
        zlib.push_back(bLast ? 1 : 0);
        zlib.push_back(static_cast<std::uint8_t>(cb & 0xFF));
        zlib.push_back(static_cast<std::uint8_t>(cb >> 8));
        zlib.push_back(static_cast<std::uint8_t>(~cb & 0xFF));
        zlib.push_back(static_cast<std::uint8_t>((~cb >> 8) & 0xFF));
        zlib.insert(zlib.end(), data.begin() + static_cast<std::ptrdiff_t>(nPos),
                    data.begin() + static_cast<std::ptrdiff_t>(nPos + cb));
        nPos += cb;
    } while (nPos < data.size());
    PutBigEndian(zlib, Adler32(data));
    return zlib;
}

} // namespace

std::uint32_t PngCrc32(const std::uint8_t* pData, std::size_t cb, std::uint32_t crc)
{
    static const std::array<std::uint32_t, 256> table = MakeCrcTable();
    crc = ~crc;
    for (std::size_t i = 0; i < cb; ++i)
        crc = table[(crc ^ pData[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::vector<std::uint8_t> EncodePng(const RgbImage& image)
{
    if (image.nWidth <= 0 || image.nHeight <= 0 ||
        image.rgb.size() !=
            static_cast<std::size_t>(image.nWidth) * static_cast<std::size_t>(image.nHeight) * 3)
        return {};
    // Raw data: each row behind a filter byte of 0 (none).
    const std::size_t cbRow = static_cast<std::size_t>(image.nWidth) * 3;
    std::vector<std::uint8_t> raw;
    raw.reserve((cbRow + 1) * static_cast<std::size_t>(image.nHeight));
    for (std::size_t y = 0; y < static_cast<std::size_t>(image.nHeight); ++y)
    {
        raw.push_back(0);
        raw.insert(raw.end(), image.rgb.begin() + static_cast<std::ptrdiff_t>(y * cbRow),
                   image.rgb.begin() + static_cast<std::ptrdiff_t>((y + 1) * cbRow));
    }

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    PutBigEndian(header, static_cast<std::uint32_t>(image.nWidth));
    PutBigEndian(header, static_cast<std::uint32_t>(image.nHeight));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter method, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", {});
    return png;
}

bool WritePng(const std::string& path, const RgbImage& image)
{
    const std::vector<std::uint8_t> png = EncodePng(image);
    if (png.empty())
        return false;
    FILE* pFile = std::fopen(path.c_str(), "wb");
    if (!pFile)
        return false;
    const bool bWritten = std::fwrite(png.data(), 1, png.size(), pFile) == png.size();
    return std::fclose(pFile) == 0 && bWritten;
}

} // namespace Imaging
