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

struct KernelHandleTraits
{
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { ::CloseHandle(handle); }
};

// CreateFile and FindFirstFile report failure as INVALID_HANDLE_VALUE.
struct FileHandleTraits
{
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) noexcept { ::CloseHandle(handle); }
};

struct RegKeyTraits
{
    using Handle = HKEY;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { ::RegCloseKey(handle); }
};

// A hook installed by SetWindowsHookEx; removed on the thread that owns it.
struct HookTraits
{
    using Handle = HHOOK;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { ::UnhookWindowsHookEx(handle); }
};

// A window the owner created (never one it was handed): destroyed on the
// creating thread, as DestroyWindow requires.
struct WindowTraits
{
    using Handle = HWND;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { ::DestroyWindow(handle); }
};

// A pen, brush, bitmap, font or region the owner created.
template <typename GdiHandle>
struct GdiObjectTraits
{
    using Handle = GdiHandle;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { ::DeleteObject(handle); }
};

// A memory device context from CreateCompatibleDC.
struct MemoryDCTraits
{
    using Handle = HDC;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { ::DeleteDC(handle); }
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

// An image list the owner created or loaded (comctl32).
struct ImageListTraits
{
    using Handle = HIMAGELIST;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { ::ImageList_Destroy(handle); }
};

// An icon the owner loaded or created (not a shared one).
struct IconTraits
{
    using Handle = HICON;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { ::DestroyIcon(handle); }
};

// An activation context from CreateActCtx.
struct ActCtxTraits
{
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) noexcept { ::ReleaseActCtx(handle); }
};

// The cookie of an activated context: deactivated on the activating thread,
// innermost first.
struct ActCtxCookieTraits
{
    using Handle = ULONG_PTR;
    static Handle Invalid() noexcept { return 0; }
    static void Close(Handle handle) noexcept { ::DeactivateActCtx(0, handle); }
};

// A menu loaded or created by the owner and not attached to a window.
struct MenuTraits
{
    using Handle = HMENU;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { ::DestroyMenu(handle); }
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
