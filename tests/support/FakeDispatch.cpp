#include "tests/support/FakeDispatch.h"
#include "tests/support/FakeEventSources.h"

#include <ole2.h>

#include <atomic>
#include <cwchar>
#include <mutex>
#include <stdexcept>

// {6B1C2E10-3F4A-4C8B-9E57-2A61D0C4B7F1}
const IID IID_CFakeObject = {0x6b1c2e10, 0x3f4a, 0x4c8b, {0x9e, 0x57, 0x2a, 0x61, 0xd0, 0xc4, 0xb7, 0xf1}};
// {6B1C2E11-3F4A-4C8B-9E57-2A61D0C4B7F1}
const IID IID_CFakeCollection = {0x6b1c2e11, 0x3f4a, 0x4c8b, {0x9e, 0x57, 0x2a, 0x61, 0xd0, 0xc4, 0xb7, 0xf1}};

namespace
{
std::atomic<long> g_LiveObjects(0);

LONGLONG CounterNow()
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// The fakes' working time: finished calls, plus the running ones up to now.
class CBusyClock
{
public:
    LONGLONG Enter()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        const LONGLONG now = CounterNow();
        ++m_Running;
        m_RunningStarts += now;
        return now;
    }
    void Leave(LONGLONG start)
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Finished += CounterNow() - start;
        --m_Running;
        m_RunningStarts -= start;
    }
    LONGLONG Ticks()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Finished + m_Running * CounterNow() - m_RunningStarts;
    }

private:
    std::mutex m_Mutex;
    LONGLONG m_Finished = 0;
    LONGLONG m_Running = 0;
    LONGLONG m_RunningStarts = 0;
};

CBusyClock& BusyClock()
{
    static CBusyClock clock;
    return clock;
}

// Times the outermost fake call of the thread.
class CBusyScope
{
public:
    CBusyScope()
    {
        if (s_Depth++ == 0)
            m_Start = BusyClock().Enter();
    }
    ~CBusyScope()
    {
        if (--s_Depth == 0)
            BusyClock().Leave(m_Start);
    }
    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;

private:
    static thread_local int s_Depth;
    LONGLONG m_Start = 0;
};

thread_local int CBusyScope::s_Depth = 0;

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

// A copy that no longer points at the caller's storage.
_variant_t Dereferenced(const VARIANT& value)
{
    _variant_t copy;
    const HRESULT hr = ::VariantCopyInd(&copy, const_cast<VARIANT*>(&value));
    if (FAILED(hr))
        throw _com_error(hr);
    return copy;
}

std::wstring HexCode(HRESULT hr)
{
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// The reference count of the small COM objects the fakes hand out.
template <typename Interface>
class CFakeCounted : public Interface
{
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_References; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --m_References;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~CFakeCounted() = default;

private:
    ULONG m_References = 1;
};

// Enumerates a snapshot of a collection's elements.
class CFakeEnumVariant final : public CFakeCounted<IEnumVARIANT>
{
public:
    CFakeEnumVariant(std::vector<_variant_t> elements, size_t position)
        : m_Elements(std::move(elements)), m_Position(position)
    {
        ++g_LiveObjects;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IEnumVARIANT)
        {
            *object = static_cast<IEnumVARIANT*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* elements, ULONG* fetched) override
    {
        if (!elements || (count > 1 && !fetched))
            return E_POINTER;
        ULONG done = 0;
        for (; done < count && m_Position < m_Elements.size(); ++done, ++m_Position)
        {
            ::VariantInit(&elements[done]);
            ::VariantCopy(&elements[done], &m_Elements[m_Position]);
        }
        if (fetched)
            *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        const size_t left = m_Elements.size() - m_Position;
        m_Position += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        m_Position = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override
    {
        if (!copy)
            return E_POINTER;
        *copy = new CFakeEnumVariant(m_Elements, m_Position);
        return S_OK;
    }

private:
    ~CFakeEnumVariant() override { --g_LiveObjects; }

    std::vector<_variant_t> m_Elements;
    size_t m_Position;
};
} // namespace

std::wstring FakeVariantText(const VARIANT& value)
{
    if (V_VT(&value) & VT_BYREF)
        return L"&" + FakeVariantText(Dereferenced(value));
    switch (V_VT(&value))
    {
    case VT_EMPTY:
        return L"<empty>";
    case VT_NULL:
        return L"Null";
    case VT_BSTR:
        return L"\"" + std::wstring(V_BSTR(&value) ? V_BSTR(&value) : L"") + L"\"";
    case VT_BOOL:
        return V_BOOL(&value) ? L"True" : L"False";
    case VT_ERROR:
        return V_ERROR(&value) == DISP_E_PARAMNOTFOUND ? L"<missing>" : L"<error " + HexCode(V_ERROR(&value)) + L">";
    case VT_DISPATCH:
    case VT_UNKNOWN:
    {
        IUnknown* object = V_UNKNOWN(&value);
        if (!object)
            return L"Nothing";
        CFakeObjectPtr fake;
        if (SUCCEEDED(object->QueryInterface(IID_CFakeObject, reinterpret_cast<void**>(&fake))))
            return L"<" + fake->ClassName() + L">";
        return L"<object>";
    }
    default:
    {
        _variant_t text;
        if (SUCCEEDED(::VariantChangeType(&text, const_cast<VARIANT*>(&value), 0, VT_BSTR)))
            return V_BSTR(&text) ? V_BSTR(&text) : L"";
        return L"<vt " + std::to_wstring(V_VT(&value)) + L">";
    }
    }
}

std::wstring CFakeCall::ToText() const
{
    std::wstring text = m_Object + L"." + m_Member;
    switch (m_Kind)
    {
    case FakeCallKind::Get:
        break;
    case FakeCallKind::Put:
        text += L"=" + (m_Arguments.empty() ? std::wstring() : FakeVariantText(m_Arguments[0]));
        break;
    case FakeCallKind::Method:
        text += L"(";
        for (size_t i = 0; i < m_Arguments.size(); ++i)
            text += (i ? L", " : L"") + FakeVariantText(m_Arguments[i]);
        text += L")";
        break;
    }
    return text;
}

std::vector<std::wstring> CFakeCallLog::Texts() const
{
    std::vector<std::wstring> texts;
    for (const CFakeCall& call : m_Calls)
        texts.push_back(call.ToText());
    return texts;
}

std::vector<CFakeCall> CFakeCallLog::CallsTo(const std::wstring& objectAndMember) const
{
    std::vector<CFakeCall> calls;
    for (const CFakeCall& call : m_Calls)
    {
        if (call.m_Object + L"." + call.m_Member == objectAndMember)
            calls.push_back(call);
    }
    return calls;
}

CFakeObject::CFakeObject(std::wstring className, std::shared_ptr<CFakeCallLog> log)
    : m_ClassName(std::move(className)), m_Log(log)
{
    ++g_LiveObjects;
}

CFakeObject::~CFakeObject()
{
    if (m_Window)
        ::DestroyWindow(m_Window);
    --g_LiveObjects;
}

CFakeObjectPtr CFakeObject::Create(std::wstring className, std::shared_ptr<CFakeCallLog> log)
{
    CFakeObjectPtr object;
    object.Attach(new CFakeObject(std::move(className), std::move(log)));
    return object;
}

long CFakeObject::LiveObjects()
{
    return g_LiveObjects;
}

CFakeObject::Member* CFakeObject::Find(const std::wstring& name)
{
    for (Member& member : m_Members)
    {
        if (SameName(member.m_Name, name))
            return &member;
    }
    return nullptr;
}

const CFakeObject::Member* CFakeObject::Find(const std::wstring& name) const
{
    return const_cast<CFakeObject*>(this)->Find(name);
}

CFakeObject::Member* CFakeObject::Find(DISPID id)
{
    for (Member& member : m_Members)
    {
        if (member.m_Id == id)
            return &member;
    }
    return nullptr;
}

CFakeObject::Member& CFakeObject::FindOrAdd(const std::wstring& name, MemberKind kind)
{
    Member* member = Find(name);
    if (!member)
    {
        while (Find(m_NextId))
            ++m_NextId;
        m_Members.push_back(Member{name, m_NextId++, kind, false, _variant_t(), nullptr, nullptr, false, S_OK, L""});
        member = &m_Members.back();
    }
    member->m_Kind = kind;
    return *member;
}

void CFakeObject::SetProperty(const std::wstring& name, const _variant_t& value)
{
    Member& member = FindOrAdd(name, MemberKind::Property);
    member.m_Value = Dereferenced(value);
    member.m_Getter = nullptr;
    member.m_Method = nullptr;
}

void CFakeObject::SetProperty(const std::wstring& name, IDispatch* value)
{
    SetProperty(name, _variant_t(value));
}

void CFakeObject::SetGetter(const std::wstring& name, Getter getter)
{
    Member& member = FindOrAdd(name, MemberKind::Property);
    member.m_Value.Clear();
    member.m_Getter = std::move(getter);
    member.m_Method = nullptr;
    member.m_ReadOnly = true;
}

void CFakeObject::SetReadOnly(const std::wstring& name, bool readOnly)
{
    FindOrAdd(name, MemberKind::Property).m_ReadOnly = readOnly;
}

void CFakeObject::SetMethod(const std::wstring& name, Method method)
{
    Member& member = FindOrAdd(name, MemberKind::Method);
    member.m_Value.Clear();
    member.m_Getter = nullptr;
    member.m_Method = std::move(method);
}

CFakeObject::Method CFakeObject::MethodOf(const std::wstring& name) const
{
    const Member* member = Find(name);
    return member && member->m_Kind == MemberKind::Method ? member->m_Method : nullptr;
}

void CFakeObject::SetDispId(const std::wstring& name, DISPID id)
{
    Member* member = Find(name);
    if (!member)
        throw std::invalid_argument("SetDispId before the member exists");
    const Member* holder = Find(id);
    if (holder && holder != member)
        throw std::invalid_argument("SetDispId with an id another member has");
    member->m_Id = id;
}

void CFakeObject::RemoveMember(const std::wstring& name)
{
    for (auto it = m_Members.begin(); it != m_Members.end(); ++it)
    {
        if (SameName(it->m_Name, name))
        {
            m_Members.erase(it);
            return;
        }
    }
}

bool CFakeObject::HasMember(const std::wstring& name) const
{
    return Find(name) != nullptr;
}

void CFakeObject::Fail(const std::wstring& name, HRESULT hr, const std::wstring& description)
{
    Member* member = Find(name);
    if (!member)
        throw std::invalid_argument("Fail on a member that does not exist");
    member->m_Fails = true;
    member->m_FailureCode = hr;
    member->m_FailureDescription = description;
}

void CFakeObject::ClearFailure(const std::wstring& name)
{
    if (Member* member = Find(name))
        member->m_Fails = false;
}

_variant_t CFakeObject::Value(const std::wstring& name) const
{
    const Member* member = Find(name);
    if (!member || member->m_Kind != MemberKind::Property)
        return _variant_t();
    return member->m_Getter ? member->m_Getter() : member->m_Value;
}

void CFakeObject::AddInterface(const IID& iid)
{
    m_Interfaces.push_back(iid);
}

namespace
{
// The IOleWindow of a fake object with a window: a tear-off that holds the
// object.
class CFakeOleWindow final : public CFakeCounted<IOleWindow>
{
public:
    CFakeOleWindow(IDispatch* object, HWND window) : m_Object(object), m_Window(window) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == IID_IOleWindow)
        {
            *object = static_cast<IOleWindow*>(this);
            AddRef();
            return S_OK;
        }
        return m_Object->QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        if (!window)
            return E_POINTER;
        *window = m_Window;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    IDispatchPtr m_Object;
    HWND m_Window;
};
} // namespace

void CFakeObject::SetWindow(HWND window)
{
    m_Window = window;
}

HRESULT CFakeObject::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    bool answered = iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_CFakeObject;
    for (const IID& known : m_Interfaces)
        answered = answered || iid == known;
    if (!answered && iid == IID_IConnectionPointContainer && m_EventSources)
        return QueryEventSources(object);
    if (!answered && iid == IID_IOleWindow && m_Window)
    {
        *object = static_cast<IOleWindow*>(new CFakeOleWindow(this, m_Window));
        return S_OK;
    }
    if (!answered)
        return QueryOtherInterface(iid, object);
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

HRESULT CFakeObject::QueryOtherInterface(REFIID, void**)
{
    return E_NOINTERFACE;
}

ULONG CFakeObject::AddRef()
{
    return ++m_References;
}

ULONG CFakeObject::Release()
{
    const ULONG left = --m_References;
    if (left == 0)
    {
        CBusyScope busy;
        delete this;
    }
    return left;
}

HRESULT CFakeObject::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CFakeObject::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT CFakeObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    CBusyScope busy;
    if (!names || !ids)
        return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i)
    {
        // Only member names are known; named parameters are not.
        const Member* member = (i == 0 && names[i]) ? Find(std::wstring(names[i])) : nullptr;
        ids[i] = member ? member->m_Id : DISPID_UNKNOWN;
        if (!member)
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT CFakeObject::Fail(HRESULT hr, const std::wstring& description, EXCEPINFO* exception) const
{
    if (description.empty() || !exception)
        return hr;
    *exception = EXCEPINFO();
    exception->scode = hr;
    exception->bstrSource = ::SysAllocString(m_ClassName.c_str());
    exception->bstrDescription = ::SysAllocString(description.c_str());
    return DISP_E_EXCEPTION;
}

HRESULT CFakeObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                            EXCEPINFO* exception, UINT*)
{
    CBusyScope busy;
    if (result)
        ::VariantInit(result);
    Member* member = Find(id);
    if (!member)
        return DISP_E_MEMBERNOTFOUND;
    if (!parameters)
        return E_POINTER;

    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (put)
    {
        if (parameters->cNamedArgs != 1 || parameters->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTOPTIONAL;
    }
    else if (parameters->cNamedArgs != 0)
    {
        return DISP_E_NONAMEDARGS;
    }

    FakeCallKind kind;
    if (put && member->m_Kind == MemberKind::Property && !member->m_ReadOnly)
        kind = FakeCallKind::Put;
    else if (!put && member->m_Kind == MemberKind::Property && (flags & DISPATCH_PROPERTYGET))
        kind = FakeCallKind::Get;
    else if (!put && member->m_Kind == MemberKind::Method && (flags & DISPATCH_METHOD))
        kind = FakeCallKind::Method;
    else
        return DISP_E_MEMBERNOTFOUND;
    if ((kind == FakeCallKind::Put && parameters->cArgs != 1) || (kind == FakeCallKind::Get && parameters->cArgs != 0))
        return DISP_E_BADPARAMCOUNT;

    try
    {
        // Natural order; rgvarg holds the last argument first.
        Arguments arguments;
        for (UINT i = parameters->cArgs; i-- > 0;)
            arguments.emplace_back(parameters->rgvarg[i]);

        if (std::shared_ptr<CFakeCallLog> log = m_Log.lock())
        {
            Arguments recorded;
            for (const _variant_t& argument : arguments)
                recorded.push_back(Dereferenced(argument));
            log->Record(CFakeCall{m_ClassName, member->m_Name, kind, std::move(recorded)});
        }
        if (member->m_Fails)
            return Fail(member->m_FailureCode, member->m_FailureDescription, exception);

        // Handlers may add or remove members: work on copies.
        _variant_t value;
        if (kind == FakeCallKind::Put)
        {
            member->m_Value = Dereferenced(arguments[0]);
        }
        else if (kind == FakeCallKind::Get)
        {
            const Getter getter = member->m_Getter;
            value = getter ? getter() : member->m_Value;
        }
        else
        {
            const Method method = member->m_Method;
            if (method)
                value = method(arguments);
        }
        if (result)
            *result = value.Detach();
        return S_OK;
    }
    catch (const _com_error& e)
    {
        const _bstr_t description = e.Description();
        return Fail(e.Error(), description.length() ? static_cast<const wchar_t*>(description) : L"", exception);
    }
    catch (const std::exception& e)
    {
        return Fail(E_FAIL, static_cast<const wchar_t*>(_bstr_t(e.what())), exception);
    }
}

CFakeCollection::CFakeCollection(std::wstring className, std::shared_ptr<CFakeCallLog> log)
    : CFakeObject(std::move(className), std::move(log))
{
    SetGetter(L"Count", [this] { return _variant_t(static_cast<long>(m_Elements.size())); });
    SetDispId(L"Count", 80);
    SetMethod(L"Item", [this](const Arguments& arguments) { return Item(arguments); });
    SetDispId(L"Item", 81);
    SetGetter(L"_NewEnum", [this] {
        IUnknown* enumerator = new CFakeEnumVariant(m_Elements, 0);
        return _variant_t(enumerator, false);
    });
    SetDispId(L"_NewEnum", DISPID_NEWENUM);
}

CFakeCollectionPtr CFakeCollection::Create(std::wstring className, std::shared_ptr<CFakeCallLog> log)
{
    CFakeCollectionPtr collection;
    collection.Attach(new CFakeCollection(std::move(className), std::move(log)));
    return collection;
}

HRESULT CFakeCollection::QueryOtherInterface(REFIID iid, void** object)
{
    if (iid != IID_CFakeCollection)
        return CFakeObject::QueryOtherInterface(iid, object);
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

void CFakeCollection::Add(const _variant_t& element)
{
    m_Elements.push_back(Dereferenced(element));
}

void CFakeCollection::Add(IDispatch* element)
{
    Add(_variant_t(element));
}

void CFakeCollection::Remove(size_t index)
{
    m_Elements.erase(m_Elements.begin() + static_cast<std::ptrdiff_t>(index));
}

void CFakeCollection::Clear()
{
    m_Elements.clear();
}

_variant_t CFakeCollection::Item(const Arguments& arguments) const
{
    if (arguments.size() != 1)
        throw _com_error(DISP_E_BADPARAMCOUNT);
    const _variant_t key = Dereferenced(arguments[0]);
    if (V_VT(&key) == VT_BSTR)
    {
        const std::wstring name = V_BSTR(&key) ? V_BSTR(&key) : L"";
        for (const _variant_t& element : m_Elements)
        {
            CFakeObjectPtr fake;
            if ((V_VT(&element) == VT_DISPATCH || V_VT(&element) == VT_UNKNOWN) && V_UNKNOWN(&element) &&
                SUCCEEDED(V_UNKNOWN(&element)->QueryInterface(IID_CFakeObject, reinterpret_cast<void**>(&fake))))
            {
                const _variant_t elementName = fake->Value(L"Name");
                if (V_VT(&elementName) == VT_BSTR && V_BSTR(&elementName) && SameName(V_BSTR(&elementName), name))
                    return element;
            }
        }
        // MAPI_E_NOT_FOUND, as Outlook answers an unknown name.
        throw _com_error(static_cast<HRESULT>(0x8004010F));
    }
    const long index = FakeArgumentLong(arguments, 0);
    if (index < 1 || static_cast<size_t>(index) > m_Elements.size())
        throw _com_error(DISP_E_BADINDEX);
    return m_Elements[static_cast<size_t>(index) - 1];
}

LONGLONG FakeBusyTicks()
{
    return BusyClock().Ticks();
}

long FakeArgumentLong(const CFakeObject::Arguments& arguments, size_t index)
{
    if (index >= arguments.size())
        throw _com_error(DISP_E_PARAMNOTFOUND);
    const _variant_t value = Dereferenced(arguments[index]);
    if (V_VT(&value) == VT_ERROR && V_ERROR(&value) == DISP_E_PARAMNOTFOUND)
        throw _com_error(DISP_E_PARAMNOTFOUND);
    _variant_t number;
    if (FAILED(::VariantChangeType(&number, const_cast<VARIANT*>(static_cast<const VARIANT*>(&value)), 0, VT_I4)))
        throw _com_error(DISP_E_TYPEMISMATCH);
    return V_I4(&number);
}

std::wstring FakeArgumentText(const CFakeObject::Arguments& arguments, size_t index)
{
    if (index >= arguments.size())
        throw _com_error(DISP_E_PARAMNOTFOUND);
    const _variant_t value = Dereferenced(arguments[index]);
    if (V_VT(&value) == VT_ERROR && V_ERROR(&value) == DISP_E_PARAMNOTFOUND)
        throw _com_error(DISP_E_PARAMNOTFOUND);
    _variant_t text;
    if (FAILED(::VariantChangeType(&text, const_cast<VARIANT*>(static_cast<const VARIANT*>(&value)), 0, VT_BSTR)))
        throw _com_error(DISP_E_TYPEMISMATCH);
    return V_BSTR(&text) ? std::wstring(V_BSTR(&text), ::SysStringLen(V_BSTR(&text))) : std::wstring();
}

void FakeThrow(HRESULT hr, const std::wstring& description)
{
    ICreateErrorInfoPtr create;
    IErrorInfo* info = nullptr;
    if (!description.empty() && SUCCEEDED(::CreateErrorInfo(&create)))
    {
        create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
        create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
    }
    throw _com_error(hr, info);
}
