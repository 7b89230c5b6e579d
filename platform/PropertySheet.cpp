#include "platform/PropertySheet.h"

#include "platform/ActivationContext.h"

#include <commctrl.h>

#include <utility>

namespace
{
// Dialog-procedure results that are the message's own answer rather than a
// DWLP_MSGRESULT value; the only ones a page's table gives.
bool IsDirectResult(UINT message) noexcept
{
    return message == WM_INITDIALOG || (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}
} // namespace

PROPSHEETPAGEA CPropertyPageBase::Describe() noexcept
{
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof(page);
    page.hInstance = m_ResourceInstance;
    page.pszTemplate = m_TemplateName;
    page.pfnDlgProc = &CPropertyPageBase::PageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

INT_PTR CALLBACK CPropertyPageBase::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CPropertyPageBase*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (!self && message == WM_INITDIALOG)
    {
        // The sheet hands the page its own copy of the description.
        self = reinterpret_cast<CPropertyPageBase*>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
        self->m_hWnd = window;
        ::SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self)
        return FALSE;

    LRESULT result = 0;
    INT_PTR answer = FALSE;
    if (self->ProcessWindowMessage(message, wParam, lParam, result))
    {
        if (IsDirectResult(message))
            return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
        answer = TRUE;
    }
    if (message == WM_NCDESTROY)
    {
        ::SetWindowLongPtrA(window, DWLP_USER, 0);
        self->m_hWnd = nullptr;
    }
    return answer;
}

CPropertySheet::CPropertySheet(HINSTANCE resourceInstance, std::string title, DWORD flags) noexcept
    : m_ResourceInstance(resourceInstance), m_Title(std::move(title)), m_Flags(flags)
{
}

INT_PTR CPropertySheet::DoModal(HWND owner) noexcept
{
    std::vector<PROPSHEETPAGEA> pages;
    try
    {
        for (CPropertyPageBase* page : m_Pages)
            pages.push_back(page->Describe());
    }
    catch (...)
    {
        return -1;
    }

    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = m_Flags | PSH_PROPSHEETPAGE;
    header.hwndParent = owner;
    header.hInstance = m_ResourceInstance;
    header.pszCaption = m_Title.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.ppsp = pages.data();

    const CModuleActivationScope activation(m_ResourceInstance);
    return ::PropertySheetA(&header);
}
