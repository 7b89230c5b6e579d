// Modal property sheets over PropertySheetA, with pages whose templates come
// from the resource module given at construction (the DLL's own in the
// product, the test executable's in tests).
//
//   class CMyPage : public CPropertyPageImpl<CMyPage>
//   {
//   public:
//       enum { IDD = 215 };
//       static CMessageTable<CMyPage> GetMessageTable();  // PSN_APPLY as a Notify line
//   };
//
//   CPropertySheet sheet(module, "Title", PSH_NOAPPLYNOW);
//   sheet.AddPage(page);
//   INT_PTR result = sheet.DoModal(owner);
//
// A page is bound to its object at its WM_INITDIALOG (messages before it get
// the default handling) and unbound at WM_NCDESTROY; only pages the user
// opened get windows. Results follow the dialog procedure's rules: returned
// directly for WM_INITDIALOG and WM_CTLCOLOR*, through DWLP_MSGRESULT for the
// rest, so a PSN_APPLY handler answers PSNRET_NOERROR or PSNRET_INVALID by
// returning it. Notifications without a line keep the sheet's defaults.
//
// Lifetime: the sheet borrows its pages, which must outlive DoModal; the
// pages' windows are gone when DoModal returns. One thread: the caller's.
#pragma once

#include <windows.h>

#include <prsht.h>

#include <string>
#include <vector>

#include "platform/MessageMap.h"

class CPropertyPageBase : public CMessageTarget
{
public:
    HINSTANCE GetResourceInstance() const noexcept { return m_ResourceInstance; }
    // The page's description for a sheet header; lParam names this object.
    PROPSHEETPAGEA Describe() noexcept;

protected:
    CPropertyPageBase(HINSTANCE resourceInstance, LPCSTR templateName) noexcept
        : m_ResourceInstance(resourceInstance), m_TemplateName(templateName)
    {
    }
    ~CPropertyPageBase() override = default;

private:
    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE m_ResourceInstance;
    LPCSTR m_TemplateName;
};

template <typename T>
class CPropertyPageImpl : public CPropertyPageBase
{
protected:
    explicit CPropertyPageImpl(HINSTANCE resourceInstance) noexcept
        : CPropertyPageBase(resourceInstance, MAKEINTRESOURCEA(T::IDD))
    {
    }

    bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept override
    {
        return DispatchMessageTable(static_cast<T&>(*this), message, wParam, lParam, result, m_Hook);
    }
};

class CPropertySheet
{
public:
    // flags: PSH_* besides PSH_PROPSHEETPAGE, which the sheet always sets.
    CPropertySheet(HINSTANCE resourceInstance, std::string title, DWORD flags) noexcept;
    virtual ~CPropertySheet() = default;
    CPropertySheet(const CPropertySheet&) = delete;
    CPropertySheet& operator=(const CPropertySheet&) = delete;

    // In tab order; the first page added opens first.
    void AddPage(CPropertyPageBase& page) { m_Pages.push_back(&page); }

    // PropertySheetA's answer: positive after OK, 0 after Cancel, -1 when
    // the sheet cannot be created.
    INT_PTR DoModal(HWND owner) noexcept;

private:
    HINSTANCE m_ResourceInstance;
    std::string m_Title;
    DWORD m_Flags;
    std::vector<CPropertyPageBase*> m_Pages;  // borrowed
};
