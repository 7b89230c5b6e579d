// ANSI dialogs driven by a message table: modal runs, modeless and child
// dialogs, from the templates of the module handle given at construction
// (the DLL's own in the product, the test executable's in tests) or from an
// in-memory template. Windows are created inside the activation context of
// that module's manifest, when it has one (platform/ActivationContext.h).
//
//   class CMyDlg : public CDialogImpl<CMyDlg>
//   {
//   public:
//       enum { IDD = 100 };
//       static CMessageTable<CMyDlg> GetMessageTable();
//       ...
//   };
//
// The object is bound to its window on the first message the dialog
// procedure sees (WM_SETFONT comes before WM_INITDIALOG for DS_SETFONT
// templates), so every handler runs on the object. Handler results follow
// Windows' rules for dialog procedures: returned directly for WM_INITDIALOG,
// WM_CTLCOLOR*, WM_COMPAREITEM, WM_VKEYTOITEM, WM_CHARTOITEM and
// WM_QUERYDRAGICON, through DWLP_MSGRESULT for the rest; an unhandled message
// gets the default dialog handling.
//
// Lifetime: OnFinalMessage runs once after the window's last message
// (WM_NCDESTROY), when the outermost handler on the object's stack has
// returned, so a modeless dialog may `delete this` there even when a nested
// handler destroyed it. The object must outlive its window otherwise; one
// that goes first destroys a modeless window without running its handlers.
// One thread: the one that created the window.
#pragma once

#include <windows.h>

#include "platform/MessageMap.h"

class CDialogBase : public CMessageTarget
{
public:
    // Ends a modal run with the result DoModal returns.
    bool EndDialog(INT_PTR result) noexcept { return ::EndDialog(m_hWnd, result) != FALSE; }
    bool DestroyWindow() noexcept { return ::DestroyWindow(m_hWnd) != FALSE; }

    HINSTANCE GetResourceInstance() const noexcept { return m_ResourceInstance; }

protected:
    explicit CDialogBase(HINSTANCE resourceInstance) noexcept : m_ResourceInstance(resourceInstance) {}
    ~CDialogBase() override;

    // EndDialog's result, or -1 when the dialog cannot be created.
    INT_PTR RunModal(LPCSTR templateName, const DLGTEMPLATE* inMemory, HWND parent) noexcept;
    // The new window, or null when it cannot be created or was destroyed
    // while it initialised (after which a self-deleting object is gone).
    HWND CreateModeless(LPCSTR templateName, const DLGTEMPLATE* inMemory, HWND parent) noexcept;

    // The object has just been bound to its window, before any handler runs.
    virtual void OnWindowOpened(bool modeless) noexcept { (void)modeless; }
    // The window is gone and no handler of this object is running.
    virtual void OnFinalMessage(HWND window) noexcept { (void)window; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static CDialogBase* Bind(HWND window, UINT message, LPARAM lParam) noexcept;

    HINSTANCE m_ResourceInstance;
    bool m_Modal = false;
    // Handlers of this object on the stack, and whether WM_NCDESTROY came.
    int m_Depth = 0;
    bool m_WindowGone = false;
};

template <typename T>
class CDialogImpl : public CDialogBase
{
public:
    // From the template T::IDD of the resource module.
    INT_PTR DoModal(HWND parent = nullptr) noexcept { return RunModal(MAKEINTRESOURCEA(T::IDD), nullptr, parent); }
    HWND Create(HWND parent = nullptr) noexcept { return CreateModeless(MAKEINTRESOURCEA(T::IDD), nullptr, parent); }

    // From a template in memory, which needs to live only for the call.
    INT_PTR DoModalIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent = nullptr) noexcept
    {
        return RunModal(nullptr, dialogTemplate, parent);
    }
    HWND CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent = nullptr) noexcept
    {
        return CreateModeless(nullptr, dialogTemplate, parent);
    }

protected:
    using CDialogBase::CDialogBase;

    bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept override
    {
        return DispatchMessageTable(static_cast<T&>(*this), message, wParam, lParam, result, m_Hook);
    }
};
