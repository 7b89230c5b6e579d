// The connection points of a fake event source (CFakeObject::AddEventSource).
// Internal to the test Outlook: the container and its points live inside
// their CFakeObject and count references on it.
#pragma once

#include "tests/support/FakeDispatch.h"

#include <map>
#include <memory>
#include <vector>

class CFakeObject::CEventSources : public IConnectionPointContainer
{
public:
    explicit CEventSources(CFakeObject& owner);
    ~CEventSources();

    void Add(const IID& eventInterface);
    size_t Connections(const IID& eventInterface) const;
    void FailAdvise(const IID& eventInterface, HRESULT hr);
    void FailUnadvise(const IID& eventInterface, HRESULT hr);
    void Fire(const IID& eventInterface, DISPID id, const CFakeObject::Arguments& arguments);

    // IUnknown, counted on the owner.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return m_Owner.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_Owner.Release(); }
    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

private:
    class CPoint;
    CPoint* Find(const IID& eventInterface) const;

    CFakeObject& m_Owner;
    std::vector<std::unique_ptr<CPoint>> m_Points;
};
