// A window as a PNG file, for people to look at (never an assertion): what
// the window shows is copied into a bitmap (PrintWindow where that fails)
// and WIC encodes it. The window should be visible, painted and on top. The
// calling thread must have COM initialised.
#pragma once

#include <windows.h>

#include <string>

// True when the file was written.
bool SaveWindowScreenshot(HWND window, const std::wstring& pngPath);
