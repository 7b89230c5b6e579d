#include "platform/DialogImpl.h"

#include "platform/ActivationContext.h"

namespace
{
// The object whose window this thread is creating, until its dialog
// procedure sees the first message.
thread_local CDialogBase* t_pCreating = nullptr;

// Messages whose dialog-procedure result is the message's own result.
bool ReturnsResultDirectly(UINT message) noexcept
{
    switch (message)
    {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}
}

CDialogBase::~CDialogBase()
{
    if (m_hWnd && !m_WindowGone)
    {
        // Going before the window: unbind so that its last messages find no
        // object, then close it.
        ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
        if (!m_Modal)
            ::DestroyWindow(m_hWnd);
    }
}

INT_PTR CDialogBase::RunModal(LPCSTR templateName, const DLGTEMPLATE* inMemory, HWND parent) noexcept
{
    m_Modal = true;
    const CModuleActivationScope activation(m_ResourceInstance);
    t_pCreating = this;
    const LPARAM self = reinterpret_cast<LPARAM>(this);
    const INT_PTR result =
        inMemory ? ::DialogBoxIndirectParamA(m_ResourceInstance, inMemory, parent, DialogProc, self)
                 : ::DialogBoxParamA(m_ResourceInstance, templateName, parent, DialogProc, self);
    t_pCreating = nullptr;
    return result;
}

HWND CDialogBase::CreateModeless(LPCSTR templateName, const DLGTEMPLATE* inMemory, HWND parent) noexcept
{
    m_Modal = false;
    const CModuleActivationScope activation(m_ResourceInstance);
    t_pCreating = this;
    const LPARAM self = reinterpret_cast<LPARAM>(this);
    // A self-deleting object may be gone when this returns: touch no member.
    const HWND window =
        inMemory ? ::CreateDialogIndirectParamA(m_ResourceInstance, inMemory, parent, DialogProc, self)
                 : ::CreateDialogParamA(m_ResourceInstance, templateName, parent, DialogProc, self);
    t_pCreating = nullptr;
    return window;
}

CDialogBase* CDialogBase::Bind(HWND window, UINT message, LPARAM lParam) noexcept
{
    CDialogBase* self = t_pCreating;
    if (!self && message == WM_INITDIALOG)
        self = reinterpret_cast<CDialogBase*>(lParam);
    if (!self)
        return nullptr;
    t_pCreating = nullptr;
    self->m_hWnd = window;
    self->m_Depth = 0;
    self->m_WindowGone = false;
    ::SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->OnWindowOpened(!self->m_Modal);
    return self;
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CDialogBase*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (!self)
        self = Bind(window, message, lParam);
    if (!self)
        return FALSE;

    ++self->m_Depth;
    LRESULT result = 0;
    const bool handled = self->ProcessWindowMessage(message, wParam, lParam, result);
    INT_PTR answer = FALSE;
    if (handled && ReturnsResultDirectly(message))
    {
        answer = static_cast<INT_PTR>(result);
    }
    else if (handled)
    {
        ::SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
        answer = TRUE;
    }

    if (message == WM_NCDESTROY)
    {
        ::SetWindowLongPtrA(window, DWLP_USER, 0);
        self->m_WindowGone = true;
    }
    if (--self->m_Depth == 0 && self->m_WindowGone)
    {
        self->m_hWnd = nullptr;
        self->OnFinalMessage(window);
    }
    return answer;
}
