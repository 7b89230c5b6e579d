#include "addin/OutlookBoxOwner.h"

#include "core/ErrorReports.h"
#include "platform/Dispatch.h"
#include "platform/OfficeIds.h"

#include <ole2.h>

namespace
{
COutlookBoxOwner::CScope* s_pInnermost = nullptr;
IDispatchPtr s_Application;

HWND WindowOf(IDispatch* object)
{
    if (!object)
        return nullptr;
    IOleWindow* window = nullptr;
    if (FAILED(object->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window))) || !window)
        return nullptr;
    HWND handle = nullptr;
    if (FAILED(window->GetWindow(&handle)))
        handle = nullptr;
    window->Release();
    return handle;
}

bool IsRibbonControl(IDispatch* object)
{
    IUnknown* control = nullptr;
    if (FAILED(object->QueryInterface(IID_IRibbonControl, reinterpret_cast<void**>(&control))) || !control)
        return false;
    control->Release();
    return true;
}

// A ribbon control acts for its Context, the inspector or explorer that shows it.
HWND WindowActedFor(IDispatch* object)
{
    if (!object)
        return nullptr;
    if (const HWND window = WindowOf(object))
        return window;
    return IsRibbonControl(object) ? WindowOf(Dispatch::GetPtr(object, L"Context")) : nullptr;
}
} // namespace

void COutlookBoxOwner::SetApplication(IDispatch* application)
{
    s_Application = application;
    SetBoxOwnerSource(application ? &COutlookBoxOwner::Window : nullptr);
}

void COutlookBoxOwner::ForgetApplication(IDispatch* application)
{
    if (application && s_Application.GetInterfacePtr() == application)
        SetApplication(nullptr);
}

COutlookBoxOwner::CScope::CScope(IDispatch* actsFor) : m_ActsFor(actsFor), m_pOuter(s_pInnermost)
{
    s_pInnermost = this;
}

COutlookBoxOwner::CScope::~CScope()
{
    s_pInnermost = m_pOuter;
}

// An inspector closed since the call began has no window: its box goes to
// the explorer.
HWND COutlookBoxOwner::Window() noexcept
{
    if (!s_pInnermost)
        return nullptr;
    try
    {
        if (const HWND window = WindowActedFor(s_pInnermost->m_ActsFor))
            return window;
        return s_Application ? WindowOf(Dispatch::CallPtr(s_Application, L"ActiveExplorer")) : nullptr;
    }
    catch (...)
    {
        return nullptr;
    }
}
