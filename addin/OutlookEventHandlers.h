// Sinks that each watch one Outlook object: a folder (items about to move),
// a folder's Items (added, changed, removed) and an inspector (closed). Each
// forwards its events to a target, passing itself first, so that one target
// serves many handlers; without a target the events do nothing.
//
// A handler holds the object it is advised on (a counted reference) until it
// is unadvised; whoever owns a handler unadvises it before deleting it.
#pragma once

#include "platform/ComPtr.h"
#include "platform/EventSink.h"

#include <windows.h>

#include <string>

// Orders two COM pointers by the identity of their IUnknown: -1, 0 or 1.
// Equal pointers are the same object without a query; a null pointer comes
// before any object.
int CompareCOMIdentity(IUnknown* first, IUnknown* second);

class COutlookAddin_ItemsEventHandlerT;
class COutlookAddin_MAPIFolderEventHandler;
class COutlookAddin_InspectorEventHandler;
class COutlookAddin_ItemEventHandler;

class IOutlookAddin_ItemsEventHandlerTargetT
{
public:
    virtual void OnItemAdd(COutlookAddin_ItemsEventHandlerT* handler, IDispatch* item) = 0;
    virtual void OnItemChange(COutlookAddin_ItemsEventHandlerT* handler, IDispatch* item) = 0;
    virtual void OnItemRemove(COutlookAddin_ItemsEventHandlerT* handler) = 0;

protected:
    ~IOutlookAddin_ItemsEventHandlerTargetT() = default;
};

class IOutlookAddin_MAPIFolderEventHandlerTarget
{
public:
    // Setting *cancel to VARIANT_TRUE stops the move.
    virtual void OnMAPIFolderBeforeItemMove(COutlookAddin_MAPIFolderEventHandler* handler, IDispatch* item,
                                            IDispatch* moveTo, VARIANT_BOOL* cancel) = 0;

protected:
    ~IOutlookAddin_MAPIFolderEventHandlerTarget() = default;
};

class IOutlookAddin_InspectorEventHandlerTarget
{
public:
    virtual void OnInspectorClose(COutlookAddin_InspectorEventHandler* handler) = 0;

protected:
    ~IOutlookAddin_InspectorEventHandlerTarget() = default;
};

// An open item's own events (ItemEvents_10).
class IOutlookAddin_ItemEventHandlerTarget
{
public:
    // Setting *cancel to VARIANT_TRUE stops the save.
    virtual void OnItemEventWrite(COutlookAddin_ItemEventHandler* handler, VARIANT_BOOL* cancel) = 0;
    virtual void OnItemEventClose(COutlookAddin_ItemEventHandler* handler) = 0;
    virtual void OnItemEventUnload(COutlookAddin_ItemEventHandler* handler) = 0;
    virtual void OnItemEventPropertyChange(COutlookAddin_ItemEventHandler* handler, const std::wstring& name) = 0;

protected:
    ~IOutlookAddin_ItemEventHandlerTarget() = default;
};

// What the handlers share: the sink, the watched object and the
// advise rules (E_FAIL when advised already; not advised after Unadvise,
// whatever it answered; the object released only when Unadvise succeeded).
class COutlookAddin_EventHandlerBase
{
public:
    virtual ~COutlookAddin_EventHandlerBase() = default;
    COutlookAddin_EventHandlerBase(const COutlookAddin_EventHandlerBase&) = delete;
    COutlookAddin_EventHandlerBase& operator=(const COutlookAddin_EventHandlerBase&) = delete;

    HRESULT Advise(IDispatch* source);
    virtual HRESULT Unadvise();
    bool IsAdvised() const { return m_Sink.IsAdvised(); }
    // The COM object whose life holds the handler: each event holds it until
    // the handler returns (CDispEventSink::SetOwner). Not held.
    void SetOwner(IUnknown* owner) { m_Sink.SetOwner(owner); }
    // An event runs in the handler or a source still holds its sink; an
    // unadvised handler in use is kept, not deleted, until it is not.
    bool IsInUse() const { return m_Sink.IsInUse(); }
    // True when the held object is the same COM object as the given one.
    bool IsFor(IDispatch* object) const;

protected:
    explicit COutlookAddin_EventHandlerBase(const IID& eventInterface) : m_Sink(eventInterface) {}

    CDispEventSink m_Sink;
    IDispatchPtr m_Source;
};

class COutlookAddin_ItemsEventHandlerT : public COutlookAddin_EventHandlerBase
{
public:
    COutlookAddin_ItemsEventHandlerT();
    void SetTarget(IOutlookAddin_ItemsEventHandlerTargetT* target) { m_pTarget = target; }

    virtual void OnItemAdd(IDispatch* item);
    virtual void OnItemChange(IDispatch* item);
    virtual void OnItemRemove();

private:
    IOutlookAddin_ItemsEventHandlerTargetT* m_pTarget = nullptr;  // not owned
};

class COutlookAddin_MAPIFolderEventHandler : public COutlookAddin_EventHandlerBase
{
public:
    COutlookAddin_MAPIFolderEventHandler();
    void SetTarget(IOutlookAddin_MAPIFolderEventHandlerTarget* target) { m_pTarget = target; }
    // The folder (a new reference), empty when none is held.
    IDispatchPtr GetFolder() const { return m_Source; }

private:
    IOutlookAddin_MAPIFolderEventHandlerTarget* m_pTarget = nullptr;  // not owned
};

class COutlookAddin_InspectorEventHandler : public COutlookAddin_EventHandlerBase
{
public:
    COutlookAddin_InspectorEventHandler();
    void SetTarget(IOutlookAddin_InspectorEventHandlerTarget* target) { m_pTarget = target; }
    IDispatchPtr GetInspector() const { return m_Source; }

    virtual void OnClose();

private:
    IOutlookAddin_InspectorEventHandlerTarget* m_pTarget = nullptr;  // not owned
};

class COutlookAddin_ItemEventHandler : public COutlookAddin_EventHandlerBase
{
public:
    COutlookAddin_ItemEventHandler();
    void SetTarget(IOutlookAddin_ItemEventHandlerTarget* target) { m_pTarget = target; }
    IDispatchPtr GetItem() const { return m_Source; }

private:
    IOutlookAddin_ItemEventHandlerTarget* m_pTarget = nullptr;  // not owned
};
