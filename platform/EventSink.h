// An event sink on one Outlook or Office event interface (a dispinterface),
// in place of ATL's simple sinks. The sink lives inside its owner, which
// must unadvise it before it goes; its reference count only tells whether a
// source still holds it, and never frees it.
//
// With an owner set (the COM object whose life holds the sink), each call
// holds a counted reference on the owner until the handler returns: a
// handler whose work lets go of the owner's last other reference (a modal
// box whose loop runs the user's release) returns into a live object, and
// the owner's last release comes after. A sink unadvised during its own
// call keeps that reference until the source lets go of the sink too,
// since a source may release the sink after the call.
//
//   CDispEventSink m_Sink{DIID_ExplorersEvents};
//   m_Sink.On(0xF001, [this](CEventArguments& a) { OnNewExplorer(a.Dispatch(0)); });
//   HRESULT hr = m_Sink.Advise(explorers);   // E_FAIL when already advised
//   ...
//   m_Sink.Unadvise(explorers);              // not advised afterwards, whatever it answers
//
// Invoke finds the handler by dispatch id; events without one are ignored
// (S_OK). Handlers get the arguments in natural order and must not throw:
// an exception that escapes one is answered DISP_E_EXCEPTION to the source.
#pragma once

#include "platform/ComPtr.h"

#include <functional>
#include <map>
#include <string>

// The arguments of one event as they came in DISPPARAMS (rgvarg reversed
// back to natural order). Values are read as Outlook passes them: by value
// or by reference, objects as VT_DISPATCH or VT_UNKNOWN.
class CEventArguments
{
public:
    explicit CEventArguments(const DISPPARAMS* parameters) : m_pParameters(parameters) {}

    UINT Count() const { return m_pParameters ? m_pParameters->cArgs : 0; }
    // The object argument (a new reference), empty when it is none.
    IDispatchPtr Dispatch(UINT index) const;
    long Long(UINT index) const;
    bool Bool(UINT index) const;
    // A text argument (BSTR by value or by reference); "" for anything else.
    std::wstring Text(UINT index) const;
    // Where a VARIANT_BOOL passed by reference can be written (Cancel); a
    // value passed by value gives a slot of this object, so writes to it
    // reach nobody.
    VARIANT_BOOL* BoolReference(UINT index);

private:
    const VARIANT* At(UINT index) const;

    const DISPPARAMS* m_pParameters;
    VARIANT_BOOL m_Discarded = VARIANT_FALSE;
};

class CDispEventSink : public IDispatch
{
public:
    static constexpr DWORD kNotAdvised = 0xFEFEFEFE;
    using Handler = std::function<void(CEventArguments& arguments)>;

    explicit CDispEventSink(const IID& eventInterface) : m_EventInterface(eventInterface) {}
    virtual ~CDispEventSink() = default;
    CDispEventSink(const CDispEventSink&) = delete;
    CDispEventSink& operator=(const CDispEventSink&) = delete;

    void On(DISPID id, Handler handler) { m_Handlers[id] = std::move(handler); }
    // Not held; null (the default) takes no reference for a call.
    void SetOwner(IUnknown* owner) { m_pOwner = owner; }
    // A call runs in the sink, or a source still holds it: freeing it now
    // would pull it from under either.
    bool IsInUse() const { return m_Calls > 0 || m_References > 0; }

    // Connects to the source's connection point for the event interface.
    // E_FAIL, before anything is connected, when the sink is advised already.
    HRESULT Advise(IUnknown* source);
    // Disconnects with the cookie; the sink is not advised afterwards,
    // whatever the source answered.
    HRESULT Unadvise(IUnknown* source);
    bool IsAdvised() const { return m_Cookie != kNotAdvised; }
    DWORD Cookie() const { return m_Cookie; }
    const IID& EventInterface() const { return m_EventInterface; }

    // IUnknown: the event interface, IUnknown and IDispatch; counted as said.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch: only Invoke is needed by a source.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

private:
    static HRESULT FindConnectionPoint(IUnknown* source, const IID& eventInterface, IConnectionPoint** point);
    // The end of a call's reference on the owner; may free this sink.
    void EndCall(IUnknown* owner);

    const IID m_EventInterface;
    std::map<DISPID, Handler> m_Handlers;
    DWORD m_Cookie = kNotAdvised;
    IUnknown* m_pOwner = nullptr;
    LONG m_References = 0;      // held by sources
    LONG m_Calls = 0;           // running in Invoke
    bool m_OwnerKept = false;   // a call's reference kept until the sources let go
};
