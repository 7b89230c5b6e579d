// The logo loader on files written to disk: the depths it takes, and
// malformed and mutated files, which give no bitmap and never a crash.
#include "ui/BitmapFile.h"

#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

void Put16(Bytes& bytes, size_t at, std::uint16_t value) { std::memcpy(&bytes[at], &value, 2); }
void Put32(Bytes& bytes, size_t at, std::uint32_t value) { std::memcpy(&bytes[at], &value, 4); }

// Field offsets in the file.
constexpr size_t kOffBits = 10;
constexpr size_t kHeaderSize = 14;
constexpr size_t kWidth = 18;
constexpr size_t kHeight = 22;
constexpr size_t kBitCount = 28;
constexpr size_t kCompression = 30;
constexpr size_t kSizeImage = 34;
constexpr size_t kClrUsed = 46;

// A valid bottom-up bitmap whose first pixel (bottom left) is colour index 1
// (or blue for the direct-colour depths), colour 1 of the table being red.
Bytes MakeBitmap(std::uint16_t bits, std::int32_t width, std::int32_t height, std::uint32_t clrUsed = 0)
{
    const std::uint32_t colours = clrUsed ? clrUsed : (bits <= 8 ? 1u << bits : 0u);
    const std::uint32_t stride = (bits * static_cast<std::uint32_t>(width) + 31) / 32 * 4;
    const std::uint32_t image = stride * static_cast<std::uint32_t>(height < 0 ? -height : height);
    const std::uint32_t offBits = 54 + colours * 4;
    Bytes bytes(offBits + image, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    Put32(bytes, kOffBits, offBits);
    Put32(bytes, kHeaderSize, 40);
    Put32(bytes, kWidth, static_cast<std::uint32_t>(width));
    Put32(bytes, kHeight, static_cast<std::uint32_t>(height));
    Put16(bytes, 26, 1);
    Put16(bytes, kBitCount, bits);
    Put32(bytes, kClrUsed, clrUsed);
    if (colours > 1)
        Put32(bytes, 54 + 4, 0x00FF0000);  // entry 1: red (RGBQUAD is blue, green, red)
    unsigned char& first = bytes[offBits];
    first = bits == 1 ? 0x80 : bits == 4 ? 0x10 : bits == 8 ? 1 : 0xFF;  // blue's byte for 24 bits
    return bytes;
}

class BitmapFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Path = TempFilePath("zentavo_bitmap_test.bmp");
        m_Screen = ::GetDC(nullptr);
    }
    void TearDown() override
    {
        ::ReleaseDC(nullptr, m_Screen);
        ::DeleteFileA(m_Path.c_str());
    }

    HBITMAP Load(const Bytes& bytes)
    {
        FILE* file = std::fopen(m_Path.c_str(), "wb");
        if (!file)
            return nullptr;
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        return CBitmapFile().LoadBitmapFile(m_Path, m_Screen);
    }

    std::string m_Path;
    HDC m_Screen = nullptr;
};

COLORREF FirstPixel(HBITMAP bitmap, int height)
{
    const HDC memory = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    const COLORREF pixel = ::GetPixel(memory, 0, height - 1);
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
    return pixel;
}
} // namespace

TEST_F(BitmapFile, LoadsEachSupportedDepth)
{
    struct Case
    {
        std::uint16_t bits;
        std::uint32_t clrUsed;
        COLORREF firstPixel;
    };
    const Case cases[] = {
        {1, 0, RGB(255, 0, 0)}, {4, 0, RGB(255, 0, 0)}, {8, 0, RGB(255, 0, 0)},
        {8, 2, RGB(255, 0, 0)}, {24, 0, RGB(0, 0, 255)},
    };
    for (const Case& c : cases)
    {
        const HBITMAP bitmap = Load(MakeBitmap(c.bits, 7, 5, c.clrUsed));
        ASSERT_NE(nullptr, bitmap) << c.bits << " bits";
        BITMAP description = {};
        ::GetObjectA(bitmap, sizeof(description), &description);
        EXPECT_EQ(7, description.bmWidth);
        EXPECT_EQ(5, description.bmHeight);
        SIZE dimension = {};
        ::GetBitmapDimensionEx(bitmap, &dimension);
        EXPECT_EQ(7, dimension.cx);
        EXPECT_EQ(5, dimension.cy);
        EXPECT_EQ(c.firstPixel, FirstPixel(bitmap, 5)) << c.bits << " bits";
        ::DeleteObject(bitmap);
    }
}

TEST_F(BitmapFile, RejectsMalformedFiles)
{
    struct Case
    {
        const char* name;
        std::function<void(Bytes&)> spoil;
    };
    const Case cases[] = {
        {"magic", [](Bytes& b) { b[0] = 'X'; }},
        {"core header", [](Bytes& b) { Put32(b, kHeaderSize, 12); }},
        {"version 5 header", [](Bytes& b) { Put32(b, kHeaderSize, 124); }},
        {"truncated pixels", [](Bytes& b) { b.pop_back(); }},
        {"truncated header", [](Bytes& b) { b.resize(40); }},
        {"empty", [](Bytes& b) { b.clear(); }},
        {"pixels beyond the end", [](Bytes& b) { Put32(b, kOffBits, 0xFFFFFFF0u); }},
        {"pixels inside the table", [](Bytes& b) { Put32(b, kOffBits, 60); }},
        {"small size field", [](Bytes& b) { Put32(b, kSizeImage, 4); b.resize(b.size() - 8); }},
        {"huge colour count", [](Bytes& b) { Put32(b, kClrUsed, 0x40000000u); }},
        {"more colours than the depth", [](Bytes& b) { Put32(b, kClrUsed, 257); }},
        {"huge width", [](Bytes& b) { Put32(b, kWidth, 0x7FFFFFFFu); }},
        {"negative width", [](Bytes& b) { Put32(b, kWidth, static_cast<std::uint32_t>(-7)); }},
        {"huge top-down height", [](Bytes& b) { Put32(b, kHeight, 0x80000000u); }},
        {"zero height", [](Bytes& b) { Put32(b, kHeight, 0); }},
        {"odd depth", [](Bytes& b) { Put16(b, kBitCount, 3); }},
        {"run-length compression", [](Bytes& b) { Put32(b, kCompression, BI_RLE8); }},
    };
    for (const Case& c : cases)
    {
        Bytes bytes = MakeBitmap(8, 7, 5);
        c.spoil(bytes);
        const HBITMAP bitmap = Load(bytes);
        EXPECT_EQ(nullptr, bitmap) << c.name;
        if (bitmap)
            ::DeleteObject(bitmap);
    }
}

TEST_F(BitmapFile, AMissingFileGivesNoBitmap)
{
    EXPECT_EQ(nullptr, CBitmapFile().LoadBitmapFile(m_Path + ".missing", m_Screen));
}

TEST_F(BitmapFile, SurvivesRandomMutations)
{
    std::mt19937 random(20261209);
    const Bytes originals[] = {MakeBitmap(1, 9, 3), MakeBitmap(4, 5, 4), MakeBitmap(8, 3, 3, 4),
                               MakeBitmap(24, 4, -3)};
    int loaded = 0;
    for (int round = 0; round < 800; ++round)
    {
        Bytes bytes = originals[round % 4];
        const int changes = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < changes; ++i)
            bytes[random() % std::min<size_t>(bytes.size(), 70)] = static_cast<unsigned char>(random());
        if (random() % 4 == 0)
            bytes.resize(random() % bytes.size());
        if (const HBITMAP bitmap = Load(bytes))
        {
            ++loaded;
            ::DeleteObject(bitmap);
        }
    }
    EXPECT_LT(0, loaded);
}
