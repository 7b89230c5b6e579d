#include "addin/OutlookBoxOwner.h"

#include "core/ErrorReports.h"
#include "platform/Dispatch.h"
#include "platform/OfficeIds.h"

#include <ole2.h>

namespace
{
COutlookBoxOwner::CScope* s_pInnermost = nullptr;
IDispatchPtr s_Application;
const void* s_pConnection = nullptr;  // what set it

// Only a live window: an inspector closed by a program may still answer
// the window it had.
HWND WindowOf(IDispatch* object)
{
    IOleWindowPtr window;
    HWND handle = nullptr;
    if (object && SUCCEEDED(object->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window))) && window &&
        FAILED(window->GetWindow(&handle)))
        return nullptr;
    return handle && ::IsWindow(handle) ? handle : nullptr;
}

bool IsRibbonControl(IDispatch* object)
{
    IUnknownPtr control;
    return SUCCEEDED(object->QueryInterface(IID_IRibbonControl, reinterpret_cast<void**>(&control))) && control;
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

void COutlookBoxOwner::SetApplication(const void* connection, IDispatch* application)
{
    s_pConnection = application ? connection : nullptr;
    s_Application = application;
    SetBoxOwnerSource(application ? &COutlookBoxOwner::Window : nullptr);
}

void COutlookBoxOwner::ForgetApplication(const void* connection)
{
    if (connection && s_pConnection == connection)
        SetApplication(nullptr, nullptr);
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
// the explorer, or, without a live one, to none.
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
