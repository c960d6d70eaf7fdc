// The screenshot encoder: a reader written here from the PNG and zlib formats
// takes the files apart again (chunk CRCs, stored deflate blocks, Adler-32) and
// must get back exactly the pixels that went in.
#include "PngWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace
{

std::uint32_t BigEndianAt(const std::vector<std::uint8_t>& bytes, std::size_t nPos)
{
    return (std::uint32_t{bytes[nPos]} << 24) | (std::uint32_t{bytes[nPos + 1]} << 16) |
           (std::uint32_t{bytes[nPos + 2]} << 8) | bytes[nPos + 3];
}

struct DecodedPng
{
    std::string error; // empty when the file was read completely
    std::vector<std::string> chunkTypes;
    Imaging::RgbImage image;
    std::size_t nStoredBlocks = 0;
};

// Reads what EncodePng writes: 8-bit RGB, no interlace, filter 0, stored blocks.
DecodedPng Decode(const std::vector<std::uint8_t>& png)
{
    DecodedPng out;
    const std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || !std::equal(signature, signature + 8, png.begin()))
        return out.error = "signature", out;
    std::vector<std::uint8_t> zlib;
    std::size_t nPos = 8;
    while (nPos + 12 <= png.size())
    {
        const std::uint32_t cb = BigEndianAt(png, nPos);
        if (nPos + 12 + cb > png.size())
            return out.error = "chunk runs past the end", out;
        const std::string type(png.begin() + static_cast<std::ptrdiff_t>(nPos + 4),
                               png.begin() + static_cast<std::ptrdiff_t>(nPos + 8));
        if (Imaging::PngCrc32(&png[nPos + 4], cb + 4) != BigEndianAt(png, nPos + 8 + cb))
            return out.error = "CRC of " + type, out;
        out.chunkTypes.push_back(type);
        const std::size_t nData = nPos + 8;
        if (type == "IHDR")
        {
            out.image.nWidth = static_cast<int>(BigEndianAt(png, nData));
            out.image.nHeight = static_cast<int>(BigEndianAt(png, nData + 4));
            if (cb != 13 || png[nData + 8] != 8 || png[nData + 9] != 2 || png[nData + 12] != 0)
                return out.error = "IHDR fields", out;
        }
        else if (type == "IDAT")
            zlib.insert(zlib.end(), png.begin() + static_cast<std::ptrdiff_t>(nData),
                        png.begin() + static_cast<std::ptrdiff_t>(nData + cb));
        nPos += 12 + cb;
    }
    if (nPos != png.size())
        return out.error = "bytes after the last chunk", out;

    if (zlib.size() < 6 || ((zlib[0] << 8) | zlib[1]) % 31 != 0 || (zlib[0] & 0x0F) != 8)
        return out.error = "zlib header", out;
    std::vector<std::uint8_t> raw;
    std::size_t nAt = 2;
    for (bool bLast = false; !bLast;)
    {
        if (nAt + 5 > zlib.size() || (zlib[nAt] & 0x06) != 0)
            return out.error = "not a stored block", out;
        bLast = (zlib[nAt] & 1) != 0;
        const std::size_t cb = zlib[nAt + 1] | (zlib[nAt + 2] << 8);
        const std::size_t cbComplement = zlib[nAt + 3] | (zlib[nAt + 4] << 8);
        if ((cb ^ 0xFFFF) != cbComplement || nAt + 5 + cb > zlib.size())
            return out.error = "stored block length", out;
        raw.insert(raw.end(), zlib.begin() + static_cast<std::ptrdiff_t>(nAt + 5),
                   zlib.begin() + static_cast<std::ptrdiff_t>(nAt + 5 + cb));
        nAt += 5 + cb;
        ++out.nStoredBlocks;
    }
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw)
    {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    if (nAt + 4 != zlib.size() || BigEndianAt(zlib, nAt) != ((b << 16) | a))
        return out.error = "Adler-32", out;

    const std::size_t cbRow = static_cast<std::size_t>(out.image.nWidth) * 3;
    if (raw.size() != (cbRow + 1) * static_cast<std::size_t>(out.image.nHeight))
        return out.error = "raw size", out;
    for (std::size_t y = 0; y < static_cast<std::size_t>(out.image.nHeight); ++y)
    {
        const std::size_t nRow = y * (cbRow + 1);
        if (raw[nRow] != 0)
            return out.error = "row filter", out;
        out.image.rgb.insert(out.image.rgb.end(), raw.begin() + static_cast<std::ptrdiff_t>(nRow + 1),
                             raw.begin() + static_cast<std::ptrdiff_t>(nRow + 1 + cbRow));
    }
    return out;
}

Imaging::RgbImage Pattern(int nWidth, int nHeight)
{
    Imaging::RgbImage image;
    image.nWidth = nWidth;
    image.nHeight = nHeight;
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            image.rgb.insert(image.rgb.end(),
                             {static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 13),
                              static_cast<std::uint8_t>((x ^ y) & 0xFF)});
    return image;
}

} // namespace

TEST(PngWriter, TheChecksumsAreTheStandardOnes)
{
    const std::string iend = "IEND";
    EXPECT_EQ(0xAE426082u,
              Imaging::PngCrc32(reinterpret_cast<const std::uint8_t*>(iend.data()), iend.size()));
    const std::string check = "123456789";
    EXPECT_EQ(0xCBF43926u,
              Imaging::PngCrc32(reinterpret_cast<const std::uint8_t*>(check.data()), check.size()));
}

TEST(PngWriter, PixelsComeBackExactlyFromSmallAndMultiBlockImages)
{
    // 1x1; a row count that is not a power of two; and a window-sized image whose
    // raw data needs several stored blocks, the last one partly filled.
    const int sizes[][2] = {{1, 1}, {3, 5}, {720, 420}};
    for (const auto& size : sizes)
    {
        const Imaging::RgbImage image = Pattern(size[0], size[1]);
        const DecodedPng decoded = Decode(Imaging::EncodePng(image));
        ASSERT_EQ("", decoded.error) << size[0] << "x" << size[1];
        EXPECT_EQ((std::vector<std::string>{"IHDR", "IDAT", "IEND"}), decoded.chunkTypes);
        EXPECT_EQ(image.nWidth, decoded.image.nWidth);
        EXPECT_EQ(image.nHeight, decoded.image.nHeight);
        EXPECT_TRUE(image.rgb == decoded.image.rgb) << size[0] << "x" << size[1];
        const std::size_t cbRaw = (static_cast<std::size_t>(size[0]) * 3 + 1) * size[1];
        EXPECT_EQ((cbRaw + 65534) / 65535, decoded.nStoredBlocks);
    }
}

TEST(PngWriter, InconsistentImagesGiveNoFile)
{
    Imaging::RgbImage image = Pattern(4, 4);
    image.rgb.pop_back();
    EXPECT_TRUE(Imaging::EncodePng(image).empty());
    EXPECT_TRUE(Imaging::EncodePng(Imaging::RgbImage()).empty());
    Imaging::RgbImage negative;
    negative.nWidth = -1;
    negative.nHeight = -3;
    negative.rgb.resize(9);
    EXPECT_TRUE(Imaging::EncodePng(negative).empty());
    EXPECT_FALSE(Imaging::WritePng("never-written.png", image));
}

TEST(PngWriter, CountsPixelsByColourWithinTheTolerance)
{
    Imaging::RgbImage image;
    image.nWidth = 4;
    image.nHeight = 1;
    image.rgb = {0, 128, 128, 10, 118, 138, 11, 128, 128, 255, 64, 0};
    EXPECT_EQ(2u, Imaging::CountPixelsNear(image, 0, 128, 128, 10));
    EXPECT_EQ(3u, Imaging::CountPixelsNear(image, 0, 128, 128, 11));
    EXPECT_EQ(1u, Imaging::CountPixelsNear(image, 255, 64, 0, 0));
}
