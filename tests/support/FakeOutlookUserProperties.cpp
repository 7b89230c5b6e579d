// User properties of an Outlook item in the test Outlook.
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeOutlookParts.h"

namespace
{
using Arguments = CFakeObject::Arguments;

const DISPID kValueId = 0;

// A UserProperty whose Value writes can be refused while reads answer: the
// one thing CFakeObject::Fail cannot express.
class CFakeUserProperty : public CFakeObject
{
public:
    static CFakeObjectPtr Create(const std::shared_ptr<CFakeCallLog>& log)
    {
        CFakeObjectPtr property;
        property.Attach(new CFakeUserProperty(log));
        return property;
    }

    void FailValueWrite(HRESULT hr) { m_ValueWriteFailure = hr; }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override
    {
        const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
        if (!put || id != kValueId || SUCCEEDED(m_ValueWriteFailure) || !parameters || parameters->cArgs != 1)
            return CFakeObject::Invoke(id, iid, locale, flags, parameters, result, exception, argumentError);
        if (const std::shared_ptr<CFakeCallLog> log = Log())
            log->Record(CFakeCall{ClassName(), L"Value", FakeCallKind::Put, {_variant_t(parameters->rgvarg[0])}});
        return m_ValueWriteFailure;
    }

private:
    explicit CFakeUserProperty(const std::shared_ptr<CFakeCallLog>& log) : CFakeObject(L"UserProperty", log) {}

    HRESULT m_ValueWriteFailure = S_OK;
};

std::wstring NameOf(const _variant_t& element)
{
    const CFakeObjectPtr property = FakeObjectOf(element);
    return property ? static_cast<const wchar_t*>(_bstr_t(property->Value(L"Name"))) : L"";
}
} // namespace

CFakeCollectionPtr CFakeOutlook::NewUserProperties() const
{
    return CFakeUserProperties::Create(m_Log);
}

CFakeUserProperties::CFakeUserProperties(std::shared_ptr<CFakeCallLog> log)
    : CFakeCollection(L"UserProperties", std::move(log))
{
    Declare(*this, L"Item", [this](const Arguments& arguments) { return AnswerItem(arguments); }, 81);
    Declare(*this, L"Add", [this](const Arguments& arguments) { return AnswerAdd(arguments); }, 102);
    Declare(
        *this, L"Remove",
        [this](const Arguments& arguments) {
            const long index = FakeArgumentLong(arguments, 0);
            if (index < 1 || static_cast<size_t>(index) > Size())
                FakeThrow(DISP_E_BADINDEX);
            CFakeCollection::Remove(static_cast<size_t>(index) - 1);
            return _variant_t();
        },
        82);
}

CFakeCollectionPtr CFakeUserProperties::Create(std::shared_ptr<CFakeCallLog> log)
{
    CFakeCollectionPtr properties;
    properties.Attach(new CFakeUserProperties(std::move(log)));
    return properties;
}

CFakeUserProperties* CFakeUserProperties::Of(const CFakeCollectionPtr& collection)
{
    return dynamic_cast<CFakeUserProperties*>(collection.GetInterfacePtr());
}

CFakeObjectPtr CFakeUserProperties::NewProperty(const std::wstring& name, const _variant_t& value, long type)
{
    const CFakeObjectPtr property = CFakeUserProperty::Create(Log());
    Declare(*property, L"Name", FakeText(name), 112);
    property->SetReadOnly(L"Name");
    Declare(*property, L"Type", _variant_t(type), 109);
    property->SetReadOnly(L"Type");
    Declare(*property, L"Value", value, kValueId);
    const auto failure = m_ValueWriteFailures.find(name);
    if (failure != m_ValueWriteFailures.end())
        static_cast<CFakeUserProperty*>(property.GetInterfacePtr())->FailValueWrite(failure->second);
    CFakeCollection::Add(static_cast<IDispatch*>(property));
    return property;
}

CFakeObjectPtr CFakeUserProperties::Preset(const std::wstring& name, const _variant_t& value, long type)
{
    return NewProperty(name, value, type);
}

CFakeObjectPtr CFakeUserProperties::Property(const std::wstring& name) const
{
    for (size_t i = 0; i < Size(); ++i)
    {
        if (_wcsicmp(NameOf(At(i)).c_str(), name.c_str()) == 0)
            return FakeObjectOf(At(i));
    }
    return nullptr;
}

void CFakeUserProperties::FailAdd(const std::wstring& name, HRESULT hr)
{
    m_AddFailures[name] = hr;
}

void CFakeUserProperties::FailValueWrite(const std::wstring& name, HRESULT hr)
{
    m_ValueWriteFailures[name] = hr;
    if (const CFakeObjectPtr property = Property(name))
        static_cast<CFakeUserProperty*>(property.GetInterfacePtr())->FailValueWrite(hr);
}

void CFakeUserProperties::Commit()
{
    m_Stored.clear();
    for (size_t i = 0; i < Size(); ++i)
    {
        const CFakeObjectPtr property = FakeObjectOf(At(i));
        m_Stored.push_back({NameOf(At(i)), property->Value(L"Value"), static_cast<long>(property->Value(L"Type"))});
    }
}

void CFakeUserProperties::Revert()
{
    Clear();
    for (const Stored& stored : m_Stored)
        NewProperty(stored.name, stored.value, stored.type);
}

_variant_t CFakeUserProperties::AnswerItem(const Arguments& arguments) const
{
    if (arguments.size() != 1)
        FakeThrow(DISP_E_BADPARAMCOUNT);
    if (V_VT(&arguments[0]) == VT_BSTR)
        return _variant_t(static_cast<IDispatch*>(Property(FakeArgumentText(arguments, 0))));
    const long index = FakeArgumentLong(arguments, 0);
    if (index < 1 || static_cast<size_t>(index) > Size())
        FakeThrow(DISP_E_BADINDEX);
    return At(static_cast<size_t>(index) - 1);
}

_variant_t CFakeUserProperties::AnswerAdd(const Arguments& arguments)
{
    const std::wstring name = FakeArgumentText(arguments, 0);
    const auto failure = m_AddFailures.find(name);
    if (failure != m_AddFailures.end())
    {
        const HRESULT hr = failure->second;
        m_AddFailures.erase(failure);
        FakeThrow(hr);
    }
    return _variant_t(static_cast<IDispatch*>(NewProperty(name, FakeText(L""), FakeArgumentLong(arguments, 1))));
}
