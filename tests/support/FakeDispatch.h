// The core of the test Outlook: IDispatch objects made of named members, as
// Outlook's objects look to a late-bound client.
//
// CFakeObject is a property bag with methods. Members are found by name,
// case-insensitively, through GetIDsOfNames; dispatch ids are given out from
// 1000 on unless a test sets Outlook's own (SetDispId). A property answers
// DISPATCH_PROPERTYGET and, unless read-only, DISPATCH_PROPERTYPUT and
// DISPATCH_PROPERTYPUTREF; a method answers DISPATCH_METHOD only, as a
// type-library Invoke does. Method handlers get the arguments in natural
// order (copies; a by-reference argument still points at the caller's
// storage) and return the result; a handler fails by throwing _com_error,
// which the caller sees with the same HRESULT and, when the error carries a
// description, through EXCEPINFO.
//
// CFakeCollection adds Count, Item (1-based index or name, the name matched
// against each element's Name property) and _NewEnum (IEnumVARIANT).
//
// Every invocation is written to a CFakeCallLog, in order, before any
// injected failure: "NameSpace.CurrentUser", "MailItem.Subject=\"x\"",
// "Items.Add()". Objects hold their log weakly; the log holds the arguments
// (objects included) until it is cleared or destroyed, so whoever owns the
// log owns that state.
//
// Reference counts are real: an object lives while a pointer holds it.
// CFakeObject::LiveObjects() counts every fake COM object of the process
// (enumerators too); CFakeComTest checks that a test leaves none behind.
//
// FakeBusyTicks() tells how long the fakes have worked (their Invoke and
// GetIDsOfNames, and freeing them), so that a benchmark can set the stand-in's
// share of a figure apart from the product's.
#pragma once

#include "platform/ComPtr.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The fake object's own interface id: QueryInterface with it gives the
// CFakeObject behind any of its interfaces.
extern const IID IID_CFakeObject;
extern const IID IID_CFakeCollection;

class CFakeObject;
class CFakeCollection;
_COM_SMARTPTR_TYPEDEF(CFakeObject, IID_CFakeObject);
_COM_SMARTPTR_TYPEDEF(CFakeCollection, IID_CFakeCollection);

enum class FakeCallKind
{
    Get,
    Put,
    Method
};

struct CFakeCall
{
    std::wstring m_Object; // the object's class name
    std::wstring m_Member; // as the member was declared
    FakeCallKind m_Kind;
    std::vector<_variant_t> m_Arguments; // natural order; the put value for Put

    std::wstring ToText() const;
};

class CFakeCallLog
{
public:
    void Record(CFakeCall call) { m_Calls.push_back(std::move(call)); }
    void Clear() { m_Calls.clear(); }
    const std::vector<CFakeCall>& Calls() const { return m_Calls; }
    // Every call as text, in order.
    std::vector<std::wstring> Texts() const;
    // The calls of one member ("Recipients.Add"), in order.
    std::vector<CFakeCall> CallsTo(const std::wstring& objectAndMember) const;

private:
    std::vector<CFakeCall> m_Calls;
};

// A variant as the call log writes it: "text", 5, True, Nothing, <missing>,
// <Folder> for an object, &value for a by-reference argument.
std::wstring FakeVariantText(const VARIANT& value);

class CFakeObject : public IDispatch
{
public:
    using Arguments = std::vector<_variant_t>;
    using Method = std::function<_variant_t(const Arguments& arguments)>;
    using Getter = std::function<_variant_t()>;

    // A new object with one reference, owned by the returned pointer.
    static CFakeObjectPtr Create(std::wstring className, std::shared_ptr<CFakeCallLog> log = nullptr);

    // Adds a writable property or changes its value. An object value is held
    // (a counted reference) until the property changes or the object dies.
    void SetProperty(const std::wstring& name, const _variant_t& value);
    void SetProperty(const std::wstring& name, IDispatch* value);
    // A read-only property whose value is computed at each read.
    void SetGetter(const std::wstring& name, Getter getter);
    void SetReadOnly(const std::wstring& name, bool readOnly = true);
    void SetMethod(const std::wstring& name, Method method);
    // The handler of a method, or null; a test wraps it to change what the
    // method does.
    Method MethodOf(const std::wstring& name) const;
    void SetDispId(const std::wstring& name, DISPID id);
    void RemoveMember(const std::wstring& name);
    bool HasMember(const std::wstring& name) const;

    // Every later call of the member fails with the HRESULT; with a
    // description the caller gets DISP_E_EXCEPTION and an EXCEPINFO.
    void Fail(const std::wstring& name, HRESULT hr, const std::wstring& description = std::wstring());
    void ClearFailure(const std::wstring& name);

    // The property's current value, read without recording a call.
    _variant_t Value(const std::wstring& name) const;
    // Answer QueryInterface for an Outlook interface id (_MailItem, ...) with
    // this object's IDispatch.
    void AddInterface(const IID& iid);
    // Answers IOleWindow, whose GetWindow gives the window, as Outlook's
    // Inspector and Explorer do; the object destroys the window when it
    // goes (on the thread that frees it).
    void SetWindow(HWND window);
    HWND Window() const { return m_Window; }

    // Makes the object an event source for the (dis)interface: it answers
    // IConnectionPointContainer, whose FindConnectionPoint gives a point
    // that holds each advised sink until it is unadvised.
    void AddEventSource(const IID& eventInterface);
    // Sinks advised now on the interface.
    size_t Connections(const IID& eventInterface) const;
    // Every later Advise on the interface fails with the HRESULT.
    void FailAdvise(const IID& eventInterface, HRESULT hr);
    // Every later Unadvise on the interface drops the connection but answers
    // the HRESULT, as an object that is going away can.
    void FailUnadvise(const IID& eventInterface, HRESULT hr);
    // Raises the event on every advised sink, as Outlook does: a real
    // DISPPARAMS with the arguments (natural order here) reversed. A
    // by-reference argument shows what the sinks wrote to it.
    void Fire(const IID& eventInterface, DISPID id, const Arguments& arguments = Arguments());
    // Connections held by every fake event source of the process.
    static long LiveConnections();

    const std::wstring& ClassName() const { return m_ClassName; }
    std::shared_ptr<CFakeCallLog> Log() const { return m_Log.lock(); }
    ULONG RefCount() const { return m_References; }
    static long LiveObjects();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

protected:
    CFakeObject(std::wstring className, std::shared_ptr<CFakeCallLog> log);
    virtual ~CFakeObject();
    CFakeObject(const CFakeObject&) = delete;
    CFakeObject& operator=(const CFakeObject&) = delete;

    // For subclasses that answer more interfaces (connection points, ...).
    virtual HRESULT QueryOtherInterface(REFIID iid, void** object);

private:
    enum class MemberKind
    {
        Property,
        Method
    };
    struct Member
    {
        std::wstring m_Name;
        DISPID m_Id;
        MemberKind m_Kind;
        bool m_ReadOnly;
        _variant_t m_Value;
        Getter m_Getter;
        Method m_Method;
        bool m_Fails;
        HRESULT m_FailureCode;
        std::wstring m_FailureDescription;
    };

    Member* Find(const std::wstring& name);
    const Member* Find(const std::wstring& name) const;
    Member* Find(DISPID id);
    Member& FindOrAdd(const std::wstring& name, MemberKind kind);
    HRESULT Fail(HRESULT hr, const std::wstring& description, EXCEPINFO* exception) const;
    HRESULT QueryEventSources(void** object);

    std::wstring m_ClassName;
    std::weak_ptr<CFakeCallLog> m_Log;
    std::vector<Member> m_Members;
    std::vector<IID> m_Interfaces;
    class CEventSources;
    std::unique_ptr<CEventSources> m_EventSources;
    DISPID m_NextId = 1000;
    ULONG m_References = 1;
    HWND m_Window = nullptr;
};

class CFakeCollection : public CFakeObject
{
public:
    static CFakeCollectionPtr Create(std::wstring className, std::shared_ptr<CFakeCallLog> log = nullptr);

    void Add(const _variant_t& element);
    void Add(IDispatch* element);
    void Remove(size_t index); // 0-based
    void Clear();
    size_t Size() const { return m_Elements.size(); }
    const _variant_t& At(size_t index) const { return m_Elements.at(index); }

protected:
    CFakeCollection(std::wstring className, std::shared_ptr<CFakeCallLog> log);
    HRESULT QueryOtherInterface(REFIID iid, void** object) override;

private:
    _variant_t Item(const Arguments& arguments) const;

    std::vector<_variant_t> m_Elements;
};

// QueryPerformanceCounter ticks that every fake of the process has spent
// answering calls so far, a call still running included; a call made from
// inside another one counts once. Any thread.
LONGLONG FakeBusyTicks();

// Reads an argument of a method handler; raises DISP_E_PARAMNOTFOUND when it
// is missing and DISP_E_TYPEMISMATCH when it cannot be converted.
long FakeArgumentLong(const CFakeObject::Arguments& arguments, size_t index);
std::wstring FakeArgumentText(const CFakeObject::Arguments& arguments, size_t index);
// Fails a method handler: the caller sees the HRESULT, and the description
// through EXCEPINFO when there is one.
[[noreturn]] void FakeThrow(HRESULT hr, const std::wstring& description = std::wstring());
