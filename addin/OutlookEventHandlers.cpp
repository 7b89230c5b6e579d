#include "addin/OutlookEventHandlers.h"

#include "platform/OfficeIds.h"

namespace
{
// ItemsEvents, MAPIFolderEvents_12 and InspectorEvents dispatch ids.
const DISPID kItemAdd = 0xF001;
const DISPID kItemChange = 0xF002;
const DISPID kItemRemove = 0xF003;
const DISPID kBeforeItemMove = 0xFBA9;
const DISPID kInspectorClose = 0xF008;
// ItemEvents_10.
const DISPID kItemWrite = 0xF002;
const DISPID kItemClose = 0xF004;
const DISPID kItemPropertyChange = 0xF009;
const DISPID kItemUnload = 0xFBAD;

IUnknownPtr Identity(IUnknown* object)
{
    IUnknownPtr identity;
    if (object)
        object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
    return identity;
}
} // namespace

int CompareCOMIdentity(IUnknown* first, IUnknown* second)
{
    if (first == second)
        return 0;
    const IUnknownPtr a = Identity(first);
    const IUnknownPtr b = Identity(second);
    IUnknown* const left = a;
    IUnknown* const right = b;
    if (left == right)
        return 0;
    return left < right ? -1 : 1;
}

HRESULT COutlookAddin_EventHandlerBase::Advise(IDispatch* source)
{
    const HRESULT hr = m_Sink.Advise(source);
    if (SUCCEEDED(hr))
        m_Source = source;
    return hr;
}

HRESULT COutlookAddin_EventHandlerBase::Unadvise()
{
    const HRESULT hr = m_Sink.Unadvise(m_Source);
    if (SUCCEEDED(hr))
        m_Source = nullptr;
    return hr;
}

bool COutlookAddin_EventHandlerBase::IsFor(IDispatch* object) const
{
    return m_Source && CompareCOMIdentity(m_Source, object) == 0;
}

COutlookAddin_ItemsEventHandlerT::COutlookAddin_ItemsEventHandlerT() : COutlookAddin_EventHandlerBase(DIID_ItemsEvents)
{
    m_Sink.On(kItemAdd, [this](CEventArguments& arguments) { OnItemAdd(arguments.Dispatch(0)); });
    m_Sink.On(kItemChange, [this](CEventArguments& arguments) { OnItemChange(arguments.Dispatch(0)); });
    m_Sink.On(kItemRemove, [this](CEventArguments&) { OnItemRemove(); });
}

void COutlookAddin_ItemsEventHandlerT::OnItemAdd(IDispatch* item)
{
    if (m_pTarget)
        m_pTarget->OnItemAdd(this, item);
}

void COutlookAddin_ItemsEventHandlerT::OnItemChange(IDispatch* item)
{
    if (m_pTarget)
        m_pTarget->OnItemChange(this, item);
}

void COutlookAddin_ItemsEventHandlerT::OnItemRemove()
{
    if (m_pTarget)
        m_pTarget->OnItemRemove(this);
}

COutlookAddin_MAPIFolderEventHandler::COutlookAddin_MAPIFolderEventHandler()
    : COutlookAddin_EventHandlerBase(DIID_MAPIFolderEvents_12)
{
    m_Sink.On(kBeforeItemMove, [this](CEventArguments& arguments) {
        if (m_pTarget)
            m_pTarget->OnMAPIFolderBeforeItemMove(this, arguments.Dispatch(0), arguments.Dispatch(1),
                                                  arguments.BoolReference(2));
    });
}

COutlookAddin_InspectorEventHandler::COutlookAddin_InspectorEventHandler()
    : COutlookAddin_EventHandlerBase(DIID_InspectorEvents)
{
    m_Sink.On(kInspectorClose, [this](CEventArguments&) { OnClose(); });
}

void COutlookAddin_InspectorEventHandler::OnClose()
{
    if (m_pTarget)
        m_pTarget->OnInspectorClose(this);
}

COutlookAddin_ItemEventHandler::COutlookAddin_ItemEventHandler() : COutlookAddin_EventHandlerBase(DIID_ItemEvents_10)
{
    m_Sink.On(kItemWrite, [this](CEventArguments& arguments) {
        if (m_pTarget)
            m_pTarget->OnItemEventWrite(this, arguments.BoolReference(0));
    });
    m_Sink.On(kItemClose, [this](CEventArguments&) {
        if (m_pTarget)
            m_pTarget->OnItemEventClose(this);
    });
    m_Sink.On(kItemUnload, [this](CEventArguments&) {
        if (m_pTarget)
            m_pTarget->OnItemEventUnload(this);
    });
    m_Sink.On(kItemPropertyChange, [this](CEventArguments& arguments) {
        if (m_pTarget)
            m_pTarget->OnItemEventPropertyChange(this, arguments.Text(0));
    });
}
