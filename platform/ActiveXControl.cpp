#include "platform/ActiveXControl.h"

#include <olectl.h>

namespace
{
bool IsKeyMessage(UINT message) noexcept
{
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

// Keys a dialog would take as OK or Cancel: the container's Options dialog
// has its own buttons for them.
bool IsContainersKey(const MSG& message) noexcept
{
    if (message.message != WM_KEYDOWN && message.message != WM_KEYUP)
        return false;
    switch (message.wParam)
    {
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_CANCEL:
    case VK_EXECUTE:
        return true;
    default:
        return false;
    }
}
} // namespace

CActiveXControl::CActiveXControl(const CLSID& classId) noexcept : m_ClassId(classId)
{
}

CActiveXControl::~CActiveXControl()
{
    DestroyControlWindow();
}

void* CActiveXControl::GetControlInterface(REFIID iid) noexcept
{
    if (iid == IID_IOleObject)
        return static_cast<IOleObject*>(this);
    if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject)
        return static_cast<IOleInPlaceObject*>(this);
    if (iid == IID_IOleInPlaceActiveObject)
        return static_cast<IOleInPlaceActiveObject*>(this);
    if (iid == IID_IOleControl)
        return static_cast<IOleControl*>(this);
    if (iid == IID_IViewObject || iid == IID_IViewObject2)
        return static_cast<IViewObject2*>(this);
    if (iid == IID_IPersist || iid == IID_IPersistStreamInit)
        return static_cast<IPersistStreamInit*>(this);
    if (iid == IID_IPersistStorage)
        return static_cast<IPersistStorage*>(this);
    if (iid == IID_IPersistPropertyBag)
        return static_cast<IPersistPropertyBag*>(this);
    if (iid == IID_IQuickActivate)
        return static_cast<IQuickActivate*>(this);
    return nullptr;
}

STDMETHODIMP CActiveXControl::SetClientSite(IOleClientSite* site)
{
    m_ClientSite = site;
    return S_OK;
}

STDMETHODIMP CActiveXControl::GetClientSite(IOleClientSite** site)
{
    if (!site)
        return E_POINTER;
    *site = m_ClientSite;
    if (*site)
        (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP CActiveXControl::Close(DWORD)
{
    InPlaceDeactivate();
    if (m_OleAdvise)
        m_OleAdvise->SendOnClose();
    m_OleAdvise = nullptr;
    m_ViewAdvise = nullptr;
    return S_OK;
}

STDMETHODIMP CActiveXControl::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT position)
{
    switch (verb)
    {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(verb, position);
    case OLEIVERB_HIDE:
        UIDeactivate();
        if (m_Window)
            ::ShowWindow(m_Window, SW_HIDE);
        return S_OK;
    default:
        return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
    }
}

HRESULT CActiveXControl::InPlaceActivate(LONG verb, LPCRECT position)
{
    if (!m_ClientSite)
        return E_UNEXPECTED;
    if (!m_InPlaceActive)
    {
        IOleInPlaceSitePtr site;
        HRESULT hr = m_ClientSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site));
        if (FAILED(hr))
            return hr;
        if (site->CanInPlaceActivate() != S_OK)
            return E_FAIL;
        hr = site->OnInPlaceActivate();
        if (FAILED(hr))
            return hr;
        m_InPlaceSite = site;
        m_InPlaceActive = true;

        HWND parent = nullptr;
        RECT place = {};
        RECT clip = {};
        OLEINPLACEFRAMEINFO frameInfo = {};
        frameInfo.cb = sizeof(frameInfo);
        hr = site->GetWindow(&parent);
        if (SUCCEEDED(hr))
            hr = site->GetWindowContext(&m_Frame, &m_DocumentWindow, &place, &clip, &frameInfo);
        if (SUCCEEDED(hr) && !m_Window)
            m_Window = CreateControlWindow(parent);
        if (FAILED(hr) || !m_Window)
        {
            InPlaceDeactivate();
            return FAILED(hr) ? hr : E_FAIL;
        }
        SetObjectRects(position ? position : &place, &clip);
    }
    ::ShowWindow(m_Window, SW_SHOW);
    if (verb == OLEIVERB_PRIMARY || verb == OLEIVERB_UIACTIVATE)
        return UIActivate();
    return S_OK;
}

HRESULT CActiveXControl::UIActivate()
{
    if (!m_UIActive)
    {
        m_UIActive = true;
        m_InPlaceSite->OnUIActivate();
        IOleInPlaceActiveObject* self = this;
        if (m_Frame)
            m_Frame->SetActiveObject(self, nullptr);
        if (m_DocumentWindow)
            m_DocumentWindow->SetActiveObject(self, nullptr);
    }
    if (!::IsChild(m_Window, ::GetFocus()))
        ::SetFocus(m_Window);
    return S_OK;
}

STDMETHODIMP CActiveXControl::UIDeactivate()
{
    if (!m_UIActive)
        return S_OK;
    m_UIActive = false;
    if (m_DocumentWindow)
        m_DocumentWindow->SetActiveObject(nullptr, nullptr);
    if (m_Frame)
        m_Frame->SetActiveObject(nullptr, nullptr);
    if (m_InPlaceSite)
        m_InPlaceSite->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP CActiveXControl::InPlaceDeactivate()
{
    if (!m_InPlaceActive)
        return S_OK;
    UIDeactivate();
    m_InPlaceActive = false;
    DestroyControlWindow();
    // Taken out first: the site may call back while it hears of it.
    const IOleInPlaceSitePtr site = m_InPlaceSite;
    m_InPlaceSite = nullptr;
    m_Frame = nullptr;
    m_DocumentWindow = nullptr;
    if (site)
        site->OnInPlaceDeactivate();
    return S_OK;
}

void CActiveXControl::DestroyControlWindow() noexcept
{
    const HWND window = m_Window;
    m_Window = nullptr;
    if (window && ::IsWindow(window))
        ::DestroyWindow(window);
}

STDMETHODIMP CActiveXControl::SetObjectRects(LPCRECT position, LPCRECT)
{
    if (!position)
        return E_POINTER;
    if (m_Window)
        ::MoveWindow(m_Window, position->left, position->top, position->right - position->left,
                     position->bottom - position->top, TRUE);
    return S_OK;
}

STDMETHODIMP CActiveXControl::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = m_Window;
    return m_Window ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXControl::TranslateAccelerator(LPMSG message)
{
    if (!message)
        return E_POINTER;
    if (!m_Window || !IsKeyMessage(message->message) || IsContainersKey(*message))
        return S_FALSE;
    if (message->hwnd != m_Window && !::IsChild(m_Window, message->hwnd))
        return S_FALSE;
    return ::IsDialogMessageA(m_Window, message) ? S_OK : S_FALSE;
}

STDMETHODIMP CActiveXControl::GetUserClassID(CLSID* classId)
{
    return GetClassID(classId);
}

STDMETHODIMP CActiveXControl::GetClassID(CLSID* classId)
{
    if (!classId)
        return E_POINTER;
    *classId = m_ClassId;
    return S_OK;
}

STDMETHODIMP CActiveXControl::SetExtent(DWORD aspect, SIZEL* size)
{
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    m_Extent = *size;
    return S_OK;
}

STDMETHODIMP CActiveXControl::GetExtent(DWORD aspect, SIZEL* size)
{
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    *size = m_Extent;
    return S_OK;
}

STDMETHODIMP CActiveXControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size)
{
    return GetExtent(aspect, size);
}

STDMETHODIMP CActiveXControl::SetContentExtent(LPSIZEL size)
{
    return SetExtent(DVASPECT_CONTENT, size);
}

STDMETHODIMP CActiveXControl::GetContentExtent(LPSIZEL size)
{
    return GetExtent(DVASPECT_CONTENT, size);
}

STDMETHODIMP CActiveXControl::Advise(IAdviseSink* sink, DWORD* connection)
{
    if (!connection)
        return E_POINTER;
    *connection = 0;
    if (!m_OleAdvise)
    {
        const HRESULT hr = ::CreateOleAdviseHolder(&m_OleAdvise);
        if (FAILED(hr))
            return hr;
    }
    return m_OleAdvise->Advise(sink, connection);
}

STDMETHODIMP CActiveXControl::Unadvise(DWORD connection)
{
    return m_OleAdvise ? m_OleAdvise->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP CActiveXControl::EnumAdvise(IEnumSTATDATA** advises)
{
    if (!advises)
        return E_POINTER;
    *advises = nullptr;
    return m_OleAdvise ? m_OleAdvise->EnumAdvise(advises) : S_OK;
}

STDMETHODIMP CActiveXControl::GetMiscStatus(DWORD aspect, DWORD* status)
{
    if (!status)
        return E_POINTER;
    return ::OleRegGetMiscStatus(m_ClassId, aspect, status);
}

STDMETHODIMP CActiveXControl::GetControlInfo(CONTROLINFO* info)
{
    if (!info)
        return E_POINTER;
    info->cb = sizeof(CONTROLINFO);
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP CActiveXControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC draw, LPCRECTL bounds,
                                   LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
{
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!draw || !bounds)
        return E_INVALIDARG;
    // An active control's window has painted itself already.
    if (m_Window)
        return S_OK;
    RECT rect = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    ::FillRect(draw, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
    return S_OK;
}

STDMETHODIMP CActiveXControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink)
{
    m_ViewAdvise = sink;
    m_ViewAdviseAspects = aspects;
    m_ViewAdviseFlags = flags;
    return S_OK;
}

STDMETHODIMP CActiveXControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink)
{
    if (aspects)
        *aspects = m_ViewAdviseAspects;
    if (flags)
        *flags = m_ViewAdviseFlags;
    if (sink)
    {
        *sink = m_ViewAdvise;
        if (*sink)
            (*sink)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP CActiveXControl::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size)
        return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
}

STDMETHODIMP CActiveXControl::QuickActivate(QACONTAINER* container, QACONTROL* control)
{
    if (!container || !control)
        return E_POINTER;
    if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL))
        return E_INVALIDARG;
    const HRESULT hr = SetClientSite(container->pClientSite);
    if (FAILED(hr))
        return hr;
    if (container->pAdviseSink)
        SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
    const ULONG size = control->cbSize;
    *control = QACONTROL();
    control->cbSize = size;
    GetMiscStatus(DVASPECT_CONTENT, &control->dwMiscStatus);
    return S_OK;
}
