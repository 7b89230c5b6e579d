#include "tests/support/FakeOutlook.h"

#include "tests/support/FakeOutlookMail.h"

namespace
{
// OlAddressEntryUserType values.
const long kExchangeUserAddressEntry = 0;
const long kSmtpAddressEntry = 30;
const long kOtherAddressEntry = 40;

// Members with Outlook's own dispatch ids where they are known.
void Declare(CFakeObject& object, const wchar_t* name, const _variant_t& value, DISPID id = DISPID_UNKNOWN)
{
    object.SetProperty(name, value);
    if (id != DISPID_UNKNOWN)
        object.SetDispId(name, id);
}

void Declare(CFakeObject& object, const wchar_t* name, CFakeObject::Method method, DISPID id = DISPID_UNKNOWN)
{
    object.SetMethod(name, std::move(method));
    if (id != DISPID_UNKNOWN)
        object.SetDispId(name, id);
}

_variant_t Text(const std::wstring& text)
{
    return _variant_t(text.c_str());
}
} // namespace

CFakeOutlook::CFakeOutlook() : m_Log(std::make_shared<CFakeCallLog>())
{
    m_NameSpace = NewObject(L"NameSpace");
    Declare(*m_NameSpace, L"Type", L"MAPI");
    Declare(*m_NameSpace, L"CurrentUser", _variant_t(), 8449);
    Declare(*m_NameSpace, L"Logoff", [](const CFakeObject::Arguments&) { return _variant_t(); });
    m_DefaultFolders = DeclareDefaultFolders(*m_NameSpace, m_Log);

    m_Application = NewObject(L"Application");
    Declare(*m_Application, L"Name", L"Outlook");
    Declare(*m_Application, L"Version", L"16.0.0.17928", 278);
    Declare(*m_Application, L"Session", _variant_t(static_cast<IDispatch*>(m_NameSpace)), 61451);
    IDispatchPtr nameSpace(m_NameSpace);
    Declare(
        *m_Application, L"GetNamespace",
        [nameSpace](const CFakeObject::Arguments& arguments) {
            if (_wcsicmp(FakeArgumentText(arguments, 0).c_str(), L"MAPI") != 0)
                FakeThrow(E_INVALIDARG, L"The operation failed.");
            return _variant_t(nameSpace.GetInterfacePtr());
        },
        272);

    SetCurrentUser(L"Test User", L"test.user@example.com");
}

CFakeObjectPtr CFakeOutlook::CurrentUser() const
{
    const _variant_t user = m_NameSpace->Value(L"CurrentUser");
    CFakeObjectPtr fake;
    if (V_VT(&user) == VT_DISPATCH && V_DISPATCH(&user))
        V_DISPATCH(&user)->QueryInterface(IID_CFakeObject, reinterpret_cast<void**>(&fake));
    return fake;
}

CFakeObjectPtr CFakeOutlook::SetCurrentUser(const std::wstring& name, const std::wstring& address)
{
    const CFakeObjectPtr entry = NewAddressEntry(name, address, L"SMTP", nullptr);
    const CFakeObjectPtr user = NewRecipient(name, address, entry);
    m_NameSpace->SetProperty(L"CurrentUser", static_cast<IDispatch*>(user));
    return user;
}

CFakeObjectPtr CFakeOutlook::SetExchangeCurrentUser(const std::wstring& name, const std::wstring& distinguishedName,
                                                    const std::wstring& exchangeName,
                                                    const std::wstring& primarySmtp)
{
    CFakeObjectPtr exchangeUser;
    if (!exchangeName.empty() || !primarySmtp.empty())
        exchangeUser = NewExchangeUser(exchangeName, distinguishedName, primarySmtp);
    const CFakeObjectPtr entry = NewAddressEntry(name, distinguishedName, L"EX", exchangeUser);
    const CFakeObjectPtr user = NewRecipient(name, distinguishedName, entry);
    m_NameSpace->SetProperty(L"CurrentUser", static_cast<IDispatch*>(user));
    return user;
}

CFakeObjectPtr CFakeOutlook::NewObject(const std::wstring& className) const
{
    return CFakeObject::Create(className, m_Log);
}

CFakeCollectionPtr CFakeOutlook::NewCollection(const std::wstring& className) const
{
    return CFakeCollection::Create(className, m_Log);
}

CFakeObjectPtr CFakeOutlook::NewRecipient(const std::wstring& name, const std::wstring& address,
                                          IDispatch* addressEntry) const
{
    const CFakeObjectPtr recipient = NewObject(L"Recipient");
    Declare(*recipient, L"Name", Text(name), 12289);
    Declare(*recipient, L"Address", Text(address), 12291);
    Declare(*recipient, L"AddressEntry", _variant_t(addressEntry), 121);
    Declare(*recipient, L"Resolved", _variant_t(true), 100);
    return recipient;
}

CFakeObjectPtr CFakeOutlook::NewAddressEntry(const std::wstring& name, const std::wstring& address,
                                             const std::wstring& type, IDispatch* exchangeUser) const
{
    long userType = kOtherAddressEntry;
    if (exchangeUser)
        userType = kExchangeUserAddressEntry;
    else if (type == L"SMTP")
        userType = kSmtpAddressEntry;

    const CFakeObjectPtr entry = NewObject(L"AddressEntry");
    Declare(*entry, L"Name", Text(name), 12289);
    Declare(*entry, L"Address", Text(address), 12291);
    Declare(*entry, L"Type", Text(type), 12290);
    Declare(*entry, L"AddressEntryUserType", _variant_t(userType), 64242);
    const IDispatchPtr user(exchangeUser);
    Declare(
        *entry, L"GetExchangeUser",
        [user](const CFakeObject::Arguments&) { return _variant_t(user.GetInterfacePtr()); }, 64241);
    return entry;
}

CFakeObjectPtr CFakeOutlook::NewExchangeUser(const std::wstring& name, const std::wstring& distinguishedName,
                                             const std::wstring& primarySmtp) const
{
    const CFakeObjectPtr user = NewObject(L"ExchangeUser");
    Declare(*user, L"Name", Text(name), 12289);
    Declare(*user, L"Address", Text(distinguishedName), 12291);
    Declare(*user, L"Type", L"EX", 12290);
    Declare(*user, L"AddressEntryUserType", _variant_t(kExchangeUserAddressEntry), 64242);
    Declare(*user, L"PrimarySmtpAddress", Text(primarySmtp), 64245);
    return user;
}
