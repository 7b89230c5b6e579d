#include "tests/support/FakeEventSources.h"

#include <atomic>

namespace
{
std::atomic<long> g_LiveConnections(0);
} // namespace

class CFakeObject::CEventSources::CPoint : public IConnectionPoint
{
public:
    CPoint(CEventSources& container, const IID& eventInterface) : m_Container(container), m_Interface(eventInterface) {}
    ~CPoint()
    {
        for (auto& sink : m_Sinks)
        {
            (void)sink;
            --g_LiveConnections;
        }
    }

    const IID& Interface() const { return m_Interface; }
    size_t Connections() const { return m_Sinks.size(); }
    void FailAdvise(HRESULT hr) { m_AdviseFailure = hr; }
    void FailUnadvise(HRESULT hr) { m_UnadviseFailure = hr; }

    void Fire(DISPID id, const CFakeObject::Arguments& arguments)
    {
        // Reversed, as DISPPARAMS carries them; copies, so by-reference
        // arguments still point at the caller's storage.
        std::vector<VARIANT> reversed(arguments.size());
        for (size_t i = 0; i < arguments.size(); ++i)
            reversed[arguments.size() - 1 - i] = arguments[i];
        DISPPARAMS parameters = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                                 static_cast<UINT>(reversed.size()), 0};
        // A sink may unadvise itself while it handles the event.
        std::map<DWORD, IDispatchPtr> sinks = m_Sinks;
        for (auto& sink : sinks)
        {
            _variant_t result;
            sink.second->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, &result, nullptr,
                                nullptr);
        }
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IConnectionPoint)
        {
            *object = static_cast<IConnectionPoint*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_Container.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_Container.Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override
    {
        if (!iid)
            return E_POINTER;
        *iid = m_Interface;
        return S_OK;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override
    {
        if (!container)
            return E_POINTER;
        *container = &m_Container;
        m_Container.AddRef();
        return S_OK;
    }
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override
    {
        if (!sink || !cookie)
            return E_POINTER;
        if (FAILED(m_AdviseFailure))
            return m_AdviseFailure;
        IDispatchPtr dispatch;
        if (FAILED(sink->QueryInterface(m_Interface, reinterpret_cast<void**>(&dispatch))) || !dispatch)
            return CONNECT_E_CANNOTCONNECT;
        *cookie = ++m_LastCookie;
        m_Sinks[*cookie] = dispatch;
        ++g_LiveConnections;
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override
    {
        if (m_Sinks.erase(cookie) == 0)
            return CONNECT_E_NOCONNECTION;
        --g_LiveConnections;
        return m_UnadviseFailure;
    }
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override
    {
        if (connections)
            *connections = nullptr;
        return E_NOTIMPL;
    }

private:
    CEventSources& m_Container;
    const IID m_Interface;
    std::map<DWORD, IDispatchPtr> m_Sinks;
    DWORD m_LastCookie = 0;
    HRESULT m_AdviseFailure = S_OK;
    HRESULT m_UnadviseFailure = S_OK;
};

CFakeObject::CEventSources::CEventSources(CFakeObject& owner) : m_Owner(owner) {}

CFakeObject::CEventSources::~CEventSources() = default;

void CFakeObject::CEventSources::Add(const IID& eventInterface)
{
    if (!Find(eventInterface))
        m_Points.push_back(std::make_unique<CPoint>(*this, eventInterface));
}

CFakeObject::CEventSources::CPoint* CFakeObject::CEventSources::Find(const IID& eventInterface) const
{
    for (const auto& point : m_Points)
        if (point->Interface() == eventInterface)
            return point.get();
    return nullptr;
}

size_t CFakeObject::CEventSources::Connections(const IID& eventInterface) const
{
    const CPoint* point = Find(eventInterface);
    return point ? point->Connections() : 0;
}

void CFakeObject::CEventSources::FailAdvise(const IID& eventInterface, HRESULT hr)
{
    if (CPoint* point = Find(eventInterface))
        point->FailAdvise(hr);
}

void CFakeObject::CEventSources::FailUnadvise(const IID& eventInterface, HRESULT hr)
{
    if (CPoint* point = Find(eventInterface))
        point->FailUnadvise(hr);
}

void CFakeObject::CEventSources::Fire(const IID& eventInterface, DISPID id, const CFakeObject::Arguments& arguments)
{
    if (CPoint* point = Find(eventInterface))
        point->Fire(id, arguments);
}

STDMETHODIMP CFakeObject::CEventSources::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IConnectionPointContainer)
    {
        *object = static_cast<IConnectionPointContainer*>(this);
        AddRef();
        return S_OK;
    }
    return m_Owner.QueryInterface(iid, object);
}

STDMETHODIMP CFakeObject::CEventSources::EnumConnectionPoints(IEnumConnectionPoints** points)
{
    if (points)
        *points = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CFakeObject::CEventSources::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    if (!point)
        return E_POINTER;
    CPoint* found = Find(iid);
    *point = found;
    if (!found)
        return CONNECT_E_NOCONNECTION;
    found->AddRef();
    return S_OK;
}

void CFakeObject::AddEventSource(const IID& eventInterface)
{
    if (!m_EventSources)
        m_EventSources = std::make_unique<CEventSources>(*this);
    m_EventSources->Add(eventInterface);
}

size_t CFakeObject::Connections(const IID& eventInterface) const
{
    return m_EventSources ? m_EventSources->Connections(eventInterface) : 0;
}

void CFakeObject::FailAdvise(const IID& eventInterface, HRESULT hr)
{
    if (m_EventSources)
        m_EventSources->FailAdvise(eventInterface, hr);
}

void CFakeObject::FailUnadvise(const IID& eventInterface, HRESULT hr)
{
    if (m_EventSources)
        m_EventSources->FailUnadvise(eventInterface, hr);
}

void CFakeObject::Fire(const IID& eventInterface, DISPID id, const Arguments& arguments)
{
    if (m_EventSources)
        m_EventSources->Fire(eventInterface, id, arguments);
}

long CFakeObject::LiveConnections()
{
    return g_LiveConnections;
}

HRESULT CFakeObject::QueryEventSources(void** object)
{
    *object = static_cast<IConnectionPointContainer*>(m_EventSources.get());
    AddRef();
    return S_OK;
}
