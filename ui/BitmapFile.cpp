#include "ui/BitmapFile.h"

#include "core/ScopedHandle.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
constexpr WORD kBitmapMagic = 0x4D42;  // "BM"
constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr LONG kMaxSide = 16384;
constexpr std::uint64_t kMaxImageBytes = 64ull << 20;
constexpr std::uint64_t kMaxFileBytes = kMaxImageBytes + (1 << 20);

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& content)
{
    CScopedFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > kMaxFileBytes)
        return false;
    content.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return content.empty() || (::ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &read,
                                          nullptr) &&
                               read == content.size());
}

bool SupportedBitCount(WORD bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Rows padded to 4 bytes; sides already bounded, so this cannot overflow.
std::uint64_t ImageBytes(const BITMAPINFOHEADER& header)
{
    const std::uint64_t stride = (static_cast<std::uint64_t>(header.biBitCount) * header.biWidth + 31) / 32 * 4;
    return stride * static_cast<std::uint64_t>(std::llabs(header.biHeight));
}
} // namespace

HBITMAP CBitmapFile::LoadBitmapFile(const std::string& path, HDC dc)
{
    std::vector<unsigned char> content;
    if (!ReadWholeFile(path, content) || content.size() < kFileHeaderSize + kInfoHeaderSize)
        return nullptr;

    BITMAPFILEHEADER fileHeader = {};
    std::memcpy(&fileHeader.bfType, &content[0], 2);
    std::memcpy(&fileHeader.bfOffBits, &content[10], 4);
    BITMAPINFOHEADER header = {};
    std::memcpy(&header, &content[kFileHeaderSize], sizeof(header));
    if (fileHeader.bfType != kBitmapMagic || header.biSize != kInfoHeaderSize || header.biCompression != BI_RGB ||
        !SupportedBitCount(header.biBitCount) || header.biWidth <= 0 || header.biWidth > kMaxSide ||
        header.biHeight == 0 || header.biHeight > kMaxSide || header.biHeight < -kMaxSide)
        return nullptr;

    std::uint32_t colours = header.biClrUsed;
    if (colours == 0 && header.biBitCount <= 8)
        colours = 1u << header.biBitCount;
    if (colours > 256 || (header.biBitCount <= 8 && colours > (1u << header.biBitCount)))
        return nullptr;

    // The pixel rows the dimensions call for, whatever the size field says:
    // GDI reads that many bytes.
    const std::uint64_t imageBytes = ImageBytes(header);
    const std::uint64_t tableEnd = kFileHeaderSize + kInfoHeaderSize + std::uint64_t{colours} * 4;
    if (imageBytes > kMaxImageBytes || tableEnd > content.size() || fileHeader.bfOffBits < tableEnd ||
        fileHeader.bfOffBits + imageBytes > content.size())
        return nullptr;

    header.biClrUsed = colours;
    header.biSizeImage = static_cast<DWORD>(imageBytes);
    std::vector<unsigned char> info(sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD) + sizeof(RGBQUAD));
    std::memcpy(info.data(), &header, sizeof(header));
    std::memcpy(info.data() + sizeof(header), &content[kFileHeaderSize + kInfoHeaderSize], colours * sizeof(RGBQUAD));

    const void* bits = &content[fileHeader.bfOffBits];
    const HBITMAP bitmap = ::CreateDIBitmap(dc, &header, CBM_INIT, bits,
                                            reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
    if (bitmap)
        ::SetBitmapDimensionEx(bitmap, header.biWidth, header.biHeight, nullptr);
    return bitmap;
}
