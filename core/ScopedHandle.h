// Move-only owners of Win32 handles. Each handle kind is described by a small
// traits struct: its type, its invalid value and how to close it.
//
//   CScopedKernelHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
//   if (!event) ...
//
// Closing never disturbs the GetLastError value that a caller may be about
// to read. put() frees the old handle before handing out the slot, for
// out-parameter APIs: ::RegOpenKeyExA(root, path, 0, access, key.put()).
#pragma once

#include <windows.h>

#include <cstdint>

#include <commctrl.h>

#include <utility>

template <typename Traits>
class CScopedHandle
{
public:
    using Handle = typename Traits::Handle;

    CScopedHandle() noexcept : m_Handle(Traits::Invalid()) {}
    explicit CScopedHandle(Handle handle) noexcept : m_Handle(handle) {}
    ~CScopedHandle() { reset(); }

    CScopedHandle(CScopedHandle&& other) noexcept : m_Handle(other.release()) {}
    CScopedHandle& operator=(CScopedHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;

    Handle get() const noexcept { return m_Handle; }
    explicit operator bool() const noexcept { return m_Handle != Traits::Invalid(); }

    // Closes the owned handle (if any) and takes the new one.
    void reset(Handle handle = Traits::Invalid()) noexcept
    {
        if (m_Handle != Traits::Invalid())
        {
            const DWORD lastError = ::GetLastError();
            Traits::Close(m_Handle);
            ::SetLastError(lastError);
        }
        m_Handle = handle;
    }

    // Gives up ownership without closing.
    Handle release() noexcept { return std::exchange(m_Handle, Traits::Invalid()); }

    Handle* put() noexcept
    {
        reset();
        return &m_Handle;
    }

private:
    Handle m_Handle;
};

// The usual handle kind: one handle type, one invalid value, one function
// that closes it.
template <typename H, auto CloseFunction, std::intptr_t InvalidValue = 0>
struct HandleTraits
{
    using Handle = H;
    static Handle Invalid() noexcept { return (Handle)(InvalidValue); }
    static void Close(Handle handle) noexcept { CloseFunction(handle); }
};

using KernelHandleTraits = HandleTraits<HANDLE, &::CloseHandle>;
// CreateFile and FindFirstFile report failure as INVALID_HANDLE_VALUE.
using FileHandleTraits = HandleTraits<HANDLE, &::CloseHandle, -1>;
using RegKeyTraits = HandleTraits<HKEY, &::RegCloseKey>;
// A hook installed by SetWindowsHookEx; removed on the thread that owns it.
using HookTraits = HandleTraits<HHOOK, &::UnhookWindowsHookEx>;
// A window the owner created (never one it was handed): destroyed on the
// creating thread, as DestroyWindow requires.
using WindowTraits = HandleTraits<HWND, &::DestroyWindow>;
// A pen, brush, bitmap, font or region the owner created.
template <typename GdiHandle>
using GdiObjectTraits = HandleTraits<GdiHandle, &::DeleteObject>;
// A memory device context from CreateCompatibleDC.
using MemoryDCTraits = HandleTraits<HDC, &::DeleteDC>;
// An image list the owner created or loaded (comctl32).
using ImageListTraits = HandleTraits<HIMAGELIST, &::ImageList_Destroy>;
// An icon the owner loaded or created (not a shared one).
using IconTraits = HandleTraits<HICON, &::DestroyIcon>;
// An activation context from CreateActCtx.
using ActCtxTraits = HandleTraits<HANDLE, &::ReleaseActCtx, -1>;
// A menu loaded or created by the owner and not attached to a window.
using MenuTraits = HandleTraits<HMENU, &::DestroyMenu>;

// The cookie of an activated context: deactivated on the activating thread,
// innermost first.
struct ActCtxCookieTraits
{
    using Handle = ULONG_PTR;
    static Handle Invalid() noexcept { return 0; }
    static void Close(Handle handle) noexcept { ::DeactivateActCtx(0, handle); }
};

// An object selected into a device context: the one it displaced goes back
// in, so that the owner of the selected object may delete it afterwards.
// Declare it after the owners of the context and of the object.
struct DCSelection
{
    HDC dc;
    HGDIOBJ previous;
    bool operator==(const DCSelection& other) const noexcept { return dc == other.dc && previous == other.previous; }
    bool operator!=(const DCSelection& other) const noexcept { return !(*this == other); }
};
struct DCSelectionTraits
{
    using Handle = DCSelection;
    static Handle Invalid() noexcept { return {nullptr, nullptr}; }
    static void Close(Handle handle) noexcept { ::SelectObject(handle.dc, handle.previous); }
};

// A window's device context from GetDC, released to that window.
struct WindowDC
{
    HWND window;
    HDC dc;
    bool operator==(const WindowDC& other) const noexcept { return dc == other.dc; }
    bool operator!=(const WindowDC& other) const noexcept { return dc != other.dc; }
};
struct WindowDCTraits
{
    using Handle = WindowDC;
    static Handle Invalid() noexcept { return {nullptr, nullptr}; }
    static void Close(Handle handle) noexcept { ::ReleaseDC(handle.window, handle.dc); }
};

using CScopedKernelHandle = CScopedHandle<KernelHandleTraits>;
using CScopedFileHandle = CScopedHandle<FileHandleTraits>;
using CScopedRegKey = CScopedHandle<RegKeyTraits>;
using CScopedHook = CScopedHandle<HookTraits>;
using CScopedWindow = CScopedHandle<WindowTraits>;
using CScopedBrush = CScopedHandle<GdiObjectTraits<HBRUSH>>;
using CScopedBitmap = CScopedHandle<GdiObjectTraits<HBITMAP>>;
using CScopedPen = CScopedHandle<GdiObjectTraits<HPEN>>;
using CScopedMemoryDC = CScopedHandle<MemoryDCTraits>;
using CScopedDCSelection = CScopedHandle<DCSelectionTraits>;
using CScopedWindowDC = CScopedHandle<WindowDCTraits>;
using CScopedImageList = CScopedHandle<ImageListTraits>;
using CScopedIcon = CScopedHandle<IconTraits>;
using CScopedActCtx = CScopedHandle<ActCtxTraits>;
using CScopedActCtxCookie = CScopedHandle<ActCtxCookieTraits>;
using CScopedMenu = CScopedHandle<MenuTraits>;
