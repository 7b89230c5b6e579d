// Loads a Windows bitmap file (the optional logo beside the module) into a
// device-dependent bitmap for a device context.
#pragma once

#include <windows.h>

#include <string>

class CBitmapFile
{
public:
    CBitmapFile() = default;
    virtual ~CBitmapFile() = default;

    // The caller owns the bitmap; null when the file is missing, unreadable
    // or not a bitmap this loader takes: an uncompressed (BI_RGB) bitmap
    // with a 40-byte information header, 1, 4, 8, 16, 24 or 32 bits per
    // pixel, at most 256 colour-table entries, sides of at most 16384
    // pixels, and a colour table and pixel rows that lie inside the file.
    HBITMAP LoadBitmapFile(const std::string& path, HDC dc);
};
