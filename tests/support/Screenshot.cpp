#include "tests/support/Screenshot.h"

#include "platform/ComPtr.h"

#include <wincodec.h>

_COM_SMARTPTR_TYPEDEF(IWICImagingFactory, __uuidof(IWICImagingFactory));
_COM_SMARTPTR_TYPEDEF(IWICBitmap, __uuidof(IWICBitmap));
_COM_SMARTPTR_TYPEDEF(IWICStream, __uuidof(IWICStream));
_COM_SMARTPTR_TYPEDEF(IWICBitmapEncoder, __uuidof(IWICBitmapEncoder));
_COM_SMARTPTR_TYPEDEF(IWICBitmapFrameEncode, __uuidof(IWICBitmapFrameEncode));

namespace
{
struct CScreenDC
{
    HDC dc = ::GetDC(nullptr);
    ~CScreenDC() { ::ReleaseDC(nullptr, dc); }
};

struct CMemoryBitmap
{
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    CMemoryBitmap(HDC screen, int width, int height)
        : dc(::CreateCompatibleDC(screen)), bitmap(::CreateCompatibleBitmap(screen, width, height))
    {
        if (dc && bitmap)
            old = ::SelectObject(dc, bitmap);
    }
    ~CMemoryBitmap()
    {
        if (old)
            ::SelectObject(dc, old);
        if (bitmap)
            ::DeleteObject(bitmap);
        if (dc)
            ::DeleteDC(dc);
    }
};
} // namespace

bool SaveWindowScreenshot(HWND window, const std::wstring& pngPath)
{
    RECT rect = {};
    if (!::GetWindowRect(window, &rect))
        return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;
    CScreenDC screen;
    CMemoryBitmap memory(screen.dc, width, height);
    if (!memory.old)
        return false;
    // Wine's PrintWindow leaves child controls out; copying what the window
    // shows on the screen works wherever the window is visible and on top.
    HDC windowDC = ::GetWindowDC(window);
    const BOOL copied = windowDC && ::BitBlt(memory.dc, 0, 0, width, height, windowDC, 0, 0, SRCCOPY);
    if (windowDC)
        ::ReleaseDC(window, windowDC);
    if (!copied && !::PrintWindow(window, memory.dc, 0))
        return false;
    ::SelectObject(memory.dc, memory.old);
    memory.old = nullptr;

    IWICImagingFactoryPtr factory;
    IWICBitmapPtr bitmap;
    IWICStreamPtr stream;
    IWICBitmapEncoderPtr encoder;
    IWICBitmapFrameEncodePtr frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    return SUCCEEDED(factory.CreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER)) &&
           SUCCEEDED(factory->CreateBitmapFromHBITMAP(memory.bitmap, nullptr, WICBitmapIgnoreAlpha, &bitmap)) &&
           SUCCEEDED(factory->CreateStream(&stream)) &&
           SUCCEEDED(stream->InitializeFromFilename(pngPath.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
           SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
           SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) &&
           SUCCEEDED(frame->SetPixelFormat(&format)) && SUCCEEDED(frame->WriteSource(bitmap, nullptr)) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}
