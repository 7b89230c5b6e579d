// Reference counting, identity and aggregation for the module's COM classes.
//
// A class T derives from its interfaces and answers
//     void* GetInterface(REFIID iid);   // the interface pointer, no AddRef
// for every interface but IUnknown. CComObject<T> supplies IUnknown: it
// counts references, holds a module lock while it lives and deletes itself
// at the last Release. Created with an outer unknown, it is aggregated: its
// interfaces delegate IUnknown to the outer object, which holds the inner,
// non-delegating IUnknown that CreateInstance hands out.
#pragma once

#include "platform/ComModule.h"

#include <windows.h>

#include <unknwn.h>

#include <new>

template <class T>
class CComObject final : public T
{
public:
    // outer may be null; an aggregating caller must ask for IID_IUnknown.
    static HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object)
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer && iid != IID_IUnknown)
            return CLASS_E_NOAGGREGATION;
        CComObject* created = new (std::nothrow) CComObject(outer);
        if (!created)
            return E_OUTOFMEMORY;
        const HRESULT hr = created->m_Inner.QueryInterface(iid, object);
        created->m_Inner.Release();  // the creation reference
        return hr;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        return m_pOuter ? m_pOuter->QueryInterface(iid, object) : m_Inner.QueryInterface(iid, object);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_pOuter ? m_pOuter->AddRef() : m_Inner.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_pOuter ? m_pOuter->Release() : m_Inner.Release(); }

private:
    // The object's own IUnknown: its identity when it stands alone, the
    // inner unknown when aggregated.
    class CInner final : public IUnknown
    {
    public:
        explicit CInner(CComObject* owner) : m_pOwner(owner) {}

        STDMETHODIMP QueryInterface(REFIID iid, void** object) override
        {
            if (!object)
                return E_POINTER;
            *object = iid == IID_IUnknown ? static_cast<IUnknown*>(this) : m_pOwner->GetInterface(iid);
            if (!*object)
                return E_NOINTERFACE;
            static_cast<IUnknown*>(*object)->AddRef();
            return S_OK;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_RefCount)); }
        STDMETHODIMP_(ULONG) Release() override
        {
            const LONG count = ::InterlockedDecrement(&m_RefCount);
            if (count == 0)
                delete m_pOwner;
            return static_cast<ULONG>(count);
        }

    private:
        CComObject* m_pOwner;
        volatile LONG m_RefCount = 1;
    };

    explicit CComObject(IUnknown* outer) : m_pOuter(outer), m_Inner(this) { GetComModule().Lock(); }
    ~CComObject() { GetComModule().Unlock(); }

    IUnknown* const m_pOuter;  // not held: the outer object owns us
    CInner m_Inner;
};
