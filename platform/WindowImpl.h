// Windows of a class registered by the product itself (a popup list, a
// custom control), driven by a message table as dialogs are:
//
//   class CMyPopup : public CWindowImpl<CMyPopup>
//   {
//   public:
//       static constexpr UINT kClassStyle = CS_HREDRAW | CS_VREDRAW;
//       static CMessageTable<CMyPopup> GetMessageTable();
//   };
//   popup.Create(parent, rect, "", WS_POPUP, 0, 0);
//
// The class is registered once per C++ class, from this module's instance
// handle (platform/ModuleInstance.h), under a generated name. The object is
// bound to its window at WM_NCCREATE (earlier messages get the default
// handling) and let go at WM_NCDESTROY, after which OnFinalMessage runs.
// What the table leaves unhandled goes to DefWindowProc.
//
// Lifetime: the object must outlive its window or destroy it; a window still
// open when the object goes is destroyed without running its handlers. A
// derived class that needs its handlers at the end destroys the window in
// its own destructor. One thread: the one that created the window.
#pragma once

#include <windows.h>

#include <string>

#include "platform/MessageMap.h"

class CWindowImplBase : public CMessageTarget
{
public:
    // The new window, or null when the class cannot be registered or the
    // window cannot be created (or this object already has one).
    HWND Create(HWND parent, const RECT& rect, const char* name, DWORD style, DWORD exStyle, UINT id) noexcept;
    bool DestroyWindow() noexcept;

protected:
    CWindowImplBase() = default;
    ~CWindowImplBase() override;

    // The class's name, registered on first use; empty when registration
    // failed.
    static std::string RegisterWindowClass(const void* classKey, UINT classStyle) noexcept;
    virtual std::string GetWindowClassName() noexcept = 0;

    // The window is gone and no longer bound to this object.
    virtual void OnFinalMessage(HWND window) noexcept { (void)window; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

template <typename T>
class CWindowImpl : public CWindowImplBase
{
protected:
    std::string GetWindowClassName() noexcept override
    {
        static const char key = 0;
        static const std::string name = RegisterWindowClass(&key, T::kClassStyle);
        return name;
    }

    bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept override
    {
        return DispatchMessageTable(static_cast<T&>(*this), message, wParam, lParam, result, m_Hook);
    }
};
