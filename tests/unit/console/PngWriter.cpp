#include "PngWriter.h"

#include <cstdio>

namespace
{

std::uint32_t Crc32(const std::uint8_t* pData, std::size_t cb, std::uint32_t crc = 0)
{
    static std::uint32_t table[256];
    static bool bTable = false;
    if (!bTable)
    {
        for (std::uint32_t n = 0; n < 256; ++n)
        {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        bTable = true;
    }
    crc = ~crc;
    for (std::size_t i = 0; i < cb; ++i)
        crc = table[(crc ^ pData[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* pszType, const std::vector<std::uint8_t>& data)
{
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> typed(pszType, pszType + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBigEndian(out, Crc32(typed.data(), typed.size()));
}

} // namespace

bool WritePng(const std::string& path, int nWidth, int nHeight, const std::vector<std::uint8_t>& rgb)
{
    if (nWidth <= 0 || nHeight <= 0 || rgb.size() != static_cast<std::size_t>(nWidth) * nHeight * 3)
        return false;
    // Raw data: each row behind a filter byte of 0 (none).
    std::vector<std::uint8_t> raw;
    const std::size_t cbRow = static_cast<std::size_t>(nWidth) * 3;
    for (int y = 0; y < nHeight; ++y)
    {
        raw.push_back(0);
        raw.insert(raw.end(), rgb.begin() + static_cast<std::ptrdiff_t>(y * cbRow),
                   rgb.begin() + static_cast<std::ptrdiff_t>((y + 1) * cbRow));
    }
    // zlib stream of stored blocks, then the Adler-32 of the raw data.
    std::vector<std::uint8_t> zlib = {0x78, 0x01};
    for (std::size_t nPos = 0; nPos < raw.size() || raw.empty();)
    {
        const std::size_t cb = raw.size() - nPos < 65535 ? raw.size() - nPos : 65535;
        const bool bLast = nPos + cb == raw.size();
        zlib.push_back(bLast ? 1 : 0);
        zlib.push_back(static_cast<std::uint8_t>(cb & 0xFF));
        zlib.push_back(static_cast<std::uint8_t>(cb >> 8));
        zlib.push_back(static_cast<std::uint8_t>(~cb & 0xFF));
        zlib.push_back(static_cast<std::uint8_t>((~cb >> 8) & 0xFF));
        zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(nPos),
                    raw.begin() + static_cast<std::ptrdiff_t>(nPos + cb));
        nPos += cb;
        if (bLast)
            break;
    }
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (std::uint8_t byte : raw)
    {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(zlib, (b << 16) | a);

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    PutBigEndian(header, static_cast<std::uint32_t>(nWidth));
    PutBigEndian(header, static_cast<std::uint32_t>(nHeight));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter method, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});

    FILE* pFile = std::fopen(path.c_str(), "wb");
    if (!pFile)
        return false;
    const bool bWritten = std::fwrite(png.data(), 1, png.size(), pFile) == png.size();
    return std::fclose(pFile) == 0 && bWritten;
}
