#include "platform/Dispatch.h"

#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeComTest.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
using Texts = std::vector<std::wstring>;

std::wstring DescriptionOf(const _com_error& e)
{
    const _bstr_t description = e.Description();
    return description.length() ? static_cast<const wchar_t*>(description) : L"";
}

class DispatchTest : public CFakeComTest
{
protected:
    DispatchTest()
    {
        m_Mail = m_Outlook.NewObject(L"MailItem");
        m_Mail->SetProperty(L"Subject", L"");
        m_Mail->SetMethod(L"Send", [](const CFakeObject::Arguments&) { return _variant_t(); });
        m_Outlook.Log().Clear();
    }

    CFakeOutlook m_Outlook;
    CFakeObjectPtr m_Mail;
};

TEST_F(DispatchTest, PutGetAndCallReachTheMembersInOrder)
{
    IDispatchPtr mail(m_Mail);
    Dispatch::Put(mail, L"Subject", std::wstring(L"SMS Message Sent"));
    EXPECT_EQ(L"SMS Message Sent", Dispatch::GetText(mail, L"subject")); // names ignore case
    Dispatch::Call(mail, L"Send");

    EXPECT_EQ((Texts{L"MailItem.Subject=\"SMS Message Sent\"", L"MailItem.Subject", L"MailItem.Send()"}),
              m_Outlook.Log().Texts());
}

TEST_F(DispatchTest, ArgumentsArriveInNaturalOrderWithTheirTypes)
{
    CFakeObject::Arguments seen;
    m_Mail->SetMethod(L"Add", [&seen](const CFakeObject::Arguments& arguments) {
        seen = arguments;
        return _variant_t(L"added");
    });
    const CFakeObjectPtr folder = m_Outlook.NewObject(L"Folder");

    const _variant_t result =
        Dispatch::Call(m_Mail, L"Add", L"c:\\temp\\list.txt", 1, Dispatch::Missing(), std::string("List"), true,
                       IDispatchPtr(folder), static_cast<IDispatch*>(nullptr));

    EXPECT_EQ(L"added", Dispatch::ToText(result));
    ASSERT_EQ(7u, seen.size());
    EXPECT_EQ(VT_BSTR, V_VT(&seen[0]));
    EXPECT_EQ(VT_I4, V_VT(&seen[1]));
    EXPECT_EQ(VT_BOOL, V_VT(&seen[4]));
    EXPECT_EQ(VT_DISPATCH, V_VT(&seen[5]));
    EXPECT_EQ(static_cast<IDispatch*>(folder), V_DISPATCH(&seen[5]));
    EXPECT_EQ((Texts{L"MailItem.Add(\"c:\\temp\\list.txt\", 1, <missing>, \"List\", True, <Folder>, Nothing)"}),
              m_Outlook.Log().Texts());
}

TEST_F(DispatchTest, ByReferenceArgumentsCanBeWrittenByTheCallee)
{
    m_Mail->SetMethod(L"Check", [](const CFakeObject::Arguments& arguments) {
        *V_BOOLREF(&arguments.at(0)) = VARIANT_TRUE;
        return _variant_t();
    });
    VARIANT_BOOL cancel = VARIANT_FALSE;
    _variant_t byReference;
    V_VT(&byReference) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&byReference) = &cancel;

    Dispatch::Call(m_Mail, L"Check", byReference);

    EXPECT_EQ(VARIANT_TRUE, cancel);
    EXPECT_EQ((Texts{L"MailItem.Check(False)"}), m_Outlook.Log().Texts()); // the value as passed
}

TEST_F(DispatchTest, FailuresBecomeComErrorsWithHResultAndDescription)
{
    try
    {
        Dispatch::Get(m_Mail, L"Sender");
        FAIL() << "unknown member read";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(DISP_E_UNKNOWNNAME, e.Error());
        EXPECT_NE(std::wstring::npos, DescriptionOf(e).find(L"\"Sender\""));
    }

    m_Mail->Fail(L"Send", E_ACCESSDENIED);
    try
    {
        Dispatch::Call(m_Mail, L"Send");
        FAIL() << "injected failure without description";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(E_ACCESSDENIED, e.Error());
        EXPECT_EQ(L"", DescriptionOf(e));
    }

    m_Mail->Fail(L"Send", static_cast<HRESULT>(0x80040109), L"The item has been moved or deleted.");
    try
    {
        Dispatch::Call(m_Mail, L"Send");
        FAIL() << "injected failure with description";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(static_cast<HRESULT>(0x80040109), e.Error());
        EXPECT_EQ(L"The item has been moved or deleted.", DescriptionOf(e));
        EXPECT_STREQ(L"MailItem", static_cast<const wchar_t*>(e.Source()));
    }

    m_Mail->ClearFailure(L"Send");
    m_Mail->SetMethod(L"Send", [](const CFakeObject::Arguments&) -> _variant_t {
        FakeThrow(E_INVALIDARG, L"Outlook does not recognize one or more names.");
    });
    try
    {
        Dispatch::Call(m_Mail, L"Send");
        FAIL() << "handler failure";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(E_INVALIDARG, e.Error());
        EXPECT_EQ(L"Outlook does not recognize one or more names.", DescriptionOf(e));
    }
    // Every attempt was made and recorded, the failing ones included.
    EXPECT_EQ(3u, m_Outlook.Log().CallsTo(L"MailItem.Send").size());
}

TEST_F(DispatchTest, MembersAnswerOnlyTheirOwnKindOfCall)
{
    // Get is a strict property read, as a type-library Invoke answers it;
    // Call also reads properties.
    EXPECT_THROW(Dispatch::Get(m_Mail, L"Send"), _com_error);
    EXPECT_EQ(L"", Dispatch::ToText(Dispatch::Call(m_Mail, L"Subject")));

    m_Mail->SetReadOnly(L"Subject");
    try
    {
        Dispatch::Put(m_Mail, L"Subject", L"x");
        FAIL() << "read-only property written";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(DISP_E_MEMBERNOTFOUND, e.Error());
    }
    try
    {
        Dispatch::Get(m_Mail, L"Subject", 1);
        FAIL() << "property read with an argument";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(DISP_E_BADPARAMCOUNT, e.Error());
    }
}

TEST_F(DispatchTest, NullObjectsRaiseEPointer)
{
    try
    {
        Dispatch::Call(IDispatchPtr(), L"Send");
        FAIL() << "call on nothing";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(E_POINTER, e.Error());
    }
    EXPECT_THROW(Dispatch::Put(nullptr, L"Subject", L"x"), _com_error);
    EXPECT_THROW(Dispatch::GetDispId(nullptr, L"Subject"), _com_error);
}

TEST_F(DispatchTest, ObjectResultsHoldTheirOwnReference)
{
    const CFakeObjectPtr folder = m_Outlook.NewObject(L"Folder");
    // Callers cannot add members; the test Outlook declares them.
    EXPECT_THROW(Dispatch::Put(m_Mail, L"Parent", _variant_t(static_cast<IDispatch*>(folder))), _com_error);
    m_Mail->SetProperty(L"Parent", L"");

    Dispatch::Put(m_Mail, L"Parent", folder);
    EXPECT_EQ((Texts{L"MailItem.Parent=<Folder>"}), m_Outlook.Log().Texts());
    m_Outlook.Log().Clear();
    EXPECT_EQ(2u, folder->RefCount()); // ours and the property's
    {
        const IDispatchPtr parent = Dispatch::GetPtr(m_Mail, L"Parent");
        EXPECT_EQ(static_cast<IDispatch*>(folder), parent.GetInterfacePtr());
        EXPECT_EQ(3u, folder->RefCount());
    }
    EXPECT_EQ(2u, folder->RefCount());

    m_Mail->SetProperty(L"Parent", static_cast<IDispatch*>(nullptr));
    EXPECT_FALSE(Dispatch::GetPtr(m_Mail, L"Parent"));
    EXPECT_EQ(1u, folder->RefCount());

    try
    {
        Dispatch::GetPtr(m_Mail, L"Subject");
        FAIL() << "text taken as an object";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(DISP_E_TYPEMISMATCH, e.Error());
    }
}

TEST(DispatchConversions, TextAndObjectsFromVariants)
{
    EXPECT_EQ(L"", Dispatch::ToText(_variant_t()));
    _variant_t null;
    V_VT(&null) = VT_NULL;
    EXPECT_EQ(L"", Dispatch::ToText(null));
    EXPECT_FALSE(Dispatch::ToPtr(null));
    _variant_t nullText;
    V_VT(&nullText) = VT_BSTR;
    V_BSTR(&nullText) = nullptr;
    EXPECT_EQ(L"", Dispatch::ToText(nullText));
    EXPECT_EQ(L"42", Dispatch::ToText(_variant_t(42L)));
    EXPECT_EQ(std::wstring(L"a\0b", 3), Dispatch::ToText(_variant_t(_bstr_t(::SysAllocStringLen(L"a\0b", 3), false))));
    EXPECT_THROW(Dispatch::ToPtr(_variant_t(42L)), _com_error);

    const _variant_t missing = Dispatch::Missing();
    EXPECT_EQ(VT_ERROR, V_VT(&missing));
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, V_ERROR(&missing));
    EXPECT_EQ(VT_ERROR, V_VT(&vtMissing));
}

// A bare IDispatch whose Invoke a test scripts, for answers the test Outlook
// does not give: 16-bit exception codes, deferred fill-in, flag checks.
class ScriptedObject : public IDispatch
{
public:
    using Answer = std::function<HRESULT(WORD flags, DISPPARAMS* parameters, EXCEPINFO* exception)>;
    explicit ScriptedObject(Answer answer) : m_Answer(std::move(answer)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = (iid == IID_IUnknown || iid == IID_IDispatch) ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    // Lives on the test's stack.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* ids) override
    {
        ids[0] = 7;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT*,
                                     EXCEPINFO* exception, UINT*) override
    {
        m_Flags.push_back(flags);
        return m_Answer(flags, parameters, exception);
    }

    std::vector<WORD> m_Flags;

private:
    Answer m_Answer;
};

TEST(DispatchExceptions, WCodeAndDeferredFillIn)
{
    ScriptedObject object([](WORD, DISPPARAMS*, EXCEPINFO* exception) {
        *exception = EXCEPINFO();
        exception->wCode = 0x0F;
        exception->pfnDeferredFillIn = [](EXCEPINFO* info) -> HRESULT {
            info->bstrDescription = ::SysAllocString(L"filled in later");
            return S_OK;
        };
        return DISP_E_EXCEPTION;
    });
    try
    {
        Dispatch::Call(&object, L"Anything");
        FAIL() << "no exception";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(static_cast<HRESULT>(0x80040200 + 0x0F), e.Error());
        EXPECT_EQ(L"filled in later", DescriptionOf(e));
    }
}

TEST(DispatchPut, ObjectsGoByReferenceThenByValue)
{
    // A VARIANT-typed property: no put-by-reference form.
    ScriptedObject variantProperty([](WORD flags, DISPPARAMS* parameters, EXCEPINFO*) {
        EXPECT_EQ(1u, parameters->cNamedArgs);
        EXPECT_EQ(DISPID_PROPERTYPUT, parameters->rgdispidNamedArgs[0]);
        return flags == DISPATCH_PROPERTYPUT ? S_OK : DISP_E_MEMBERNOTFOUND;
    });
    ScriptedObject folder([](WORD, DISPPARAMS*, EXCEPINFO*) { return S_OK; });
    Dispatch::Put(&variantProperty, L"CurrentView", static_cast<IDispatch*>(&folder));
    EXPECT_EQ((std::vector<WORD>{DISPATCH_PROPERTYPUTREF, DISPATCH_PROPERTYPUT}), variantProperty.m_Flags);

    variantProperty.m_Flags.clear();
    Dispatch::Put(&variantProperty, L"Subject", L"text");
    EXPECT_EQ((std::vector<WORD>{DISPATCH_PROPERTYPUT}), variantProperty.m_Flags);

    // Other failures are not retried.
    ScriptedObject denied([](WORD, DISPPARAMS*, EXCEPINFO*) { return E_ACCESSDENIED; });
    EXPECT_THROW(Dispatch::Put(&denied, L"CurrentFolder", static_cast<IDispatch*>(&folder)), _com_error);
    EXPECT_EQ(1u, denied.m_Flags.size());
}
} // namespace
