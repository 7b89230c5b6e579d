#include "tests/support/FakeOutlook.h"

#include "tests/support/FakeOutlookParts.h"

#include "platform/OfficeIds.h"

namespace
{
// OlAddressEntryUserType values.
const long kExchangeUserAddressEntry = 0;
const long kOutlookContactAddressEntry = 10;
const long kSmtpAddressEntry = 30;
const long kOtherAddressEntry = 40;
// OlNavigationModuleType.olModuleCalendar
const long kCalendarModule = 1;
} // namespace

void Declare(CFakeObject& object, const wchar_t* name, const _variant_t& value, DISPID id)
{
    object.SetProperty(name, value);
    if (id != DISPID_UNKNOWN)
        object.SetDispId(name, id);
}

void Declare(CFakeObject& object, const wchar_t* name, IDispatch* value, DISPID id)
{
    Declare(object, name, _variant_t(value), id);
}

void Declare(CFakeObject& object, const wchar_t* name, CFakeObject::Method method, DISPID id)
{
    object.SetMethod(name, std::move(method));
    if (id != DISPID_UNKNOWN)
        object.SetDispId(name, id);
}

CFakeCollectionPtr DeclareCollection(CFakeObject& object, const wchar_t* name, const std::wstring& className,
                                     const FakeWeakLog& log, DISPID id)
{
    const CFakeCollectionPtr collection = CFakeCollection::Create(className, log.lock());
    Declare(object, name, static_cast<IDispatch*>(collection), id);
    object.SetReadOnly(name);
    return collection;
}

_variant_t FakeText(const std::wstring& text)
{
    return _variant_t(text.c_str());
}

CFakeObject::Method FakeAnswer(IDispatch* object)
{
    const IDispatchPtr held(object);
    return [held](const CFakeObject::Arguments&) { return _variant_t(held.GetInterfacePtr()); };
}

bool FakeArgumentMissing(const CFakeObject::Arguments& arguments, size_t index)
{
    if (index >= arguments.size())
        return true;
    const VARIANT& value = arguments[index];
    return V_VT(&value) == VT_ERROR && V_ERROR(&value) == DISP_E_PARAMNOTFOUND;
}

CFakeOutlook::CFakeOutlook() : m_Log(std::make_shared<CFakeCallLog>()), m_Store(std::make_shared<FakeStore>())
{
    m_NameSpace = NewObject(L"NameSpace");
    Declare(*m_NameSpace, L"Type", L"MAPI");
    Declare(*m_NameSpace, L"CurrentUser", _variant_t(), 8449);
    Declare(*m_NameSpace, L"Logoff", [](const CFakeObject::Arguments&) { return _variant_t(); });
    m_DefaultFolders = DeclareDefaultFolders(*m_NameSpace, m_Log, m_Store);
    DeclareItemLookup(*m_NameSpace, m_Store);

    m_Application = NewObject(L"Application");
    m_Application->AddInterface(IID__Application);
    m_Application->AddEventSource(DIID_ApplicationEvents);
    m_Application->AddEventSource(DIID_ApplicationEvents_11);
    m_Explorers = DeclareCollection(*m_Application, L"Explorers", L"Explorers", m_Log, 8449);
    m_Explorers->AddEventSource(DIID_ExplorersEvents);
    m_Inspectors = DeclareCollection(*m_Application, L"Inspectors", L"Inspectors", m_Log, 8450);
    m_Inspectors->AddEventSource(DIID_InspectorsEvents);
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
    m_AddressLists = DeclareCollection(*m_NameSpace, L"AddressLists", L"AddressLists", m_Log);

    // Application.ActiveExplorer() reads the holder, which tests may change.
    const CFakeObjectPtr explorer = NewExplorer();
    m_ActiveExplorer = std::make_shared<CFakeObjectPtr>(explorer);
    const std::shared_ptr<CFakeObjectPtr> activeExplorer = m_ActiveExplorer;
    Declare(
        *m_Application, L"ActiveExplorer",
        [activeExplorer](const CFakeObject::Arguments&) {
            return _variant_t(static_cast<IDispatch*>(activeExplorer->GetInterfacePtr()));
        },
        273);
    const CFakeCollectionPtr modules =
        FakeCollectionOf(FakeObjectOf(explorer->Value(L"NavigationPane"))->Value(L"Modules"));
    for (size_t i = 0; i < modules->Size() && !m_CalendarModule; ++i)
    {
        const CFakeObjectPtr module = FakeObjectOf(modules->At(i));
        if (static_cast<long>(module->Value(L"NavigationModuleType")) == kCalendarModule)
            m_CalendarModule = module;
    }

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
    Declare(*recipient, L"Name", FakeText(name), 12289);
    Declare(*recipient, L"Address", FakeText(address), 12291);
    Declare(*recipient, L"AddressEntry", _variant_t(addressEntry), 121);
    Declare(*recipient, L"Resolved", _variant_t(true), 100);
    CFakeObject* self = recipient;
    Declare(*recipient, L"Resolve", [self](const CFakeObject::Arguments&) {
        const bool resolves = FakeObjectOf(self->Value(L"AddressEntry")) != nullptr;
        if (resolves)
            self->SetProperty(L"Resolved", _variant_t(true));
        return _variant_t(resolves);
    });
    return recipient;
}

CFakeObjectPtr CFakeOutlook::NewAddressEntry(const std::wstring& name, const std::wstring& address,
                                             const std::wstring& type, IDispatch* exchangeUser,
                                             IDispatch* contact) const
{
    long userType = kOtherAddressEntry;
    if (contact)
        userType = kOutlookContactAddressEntry;
    else if (exchangeUser)
        userType = kExchangeUserAddressEntry;
    else if (type == L"SMTP")
        userType = kSmtpAddressEntry;

    const CFakeObjectPtr entry = NewObject(L"AddressEntry");
    Declare(*entry, L"Name", FakeText(name), 12289);
    Declare(*entry, L"Address", FakeText(address), 12291);
    Declare(*entry, L"Type", FakeText(type), 12290);
    Declare(*entry, L"AddressEntryUserType", _variant_t(userType), 64242);
    Declare(*entry, L"GetExchangeUser", FakeAnswer(exchangeUser), 64241);
    Declare(*entry, L"GetContact", FakeAnswer(contact));
    return entry;
}

CFakeObjectPtr CFakeOutlook::NewExchangeUser(const std::wstring& name, const std::wstring& distinguishedName,
                                             const std::wstring& primarySmtp, const std::wstring& mobile) const
{
    const CFakeObjectPtr user = NewObject(L"ExchangeUser");
    Declare(*user, L"Name", FakeText(name), 12289);
    Declare(*user, L"Address", FakeText(distinguishedName), 12291);
    Declare(*user, L"Type", L"EX", 12290);
    Declare(*user, L"AddressEntryUserType", _variant_t(kExchangeUserAddressEntry), 64242);
    Declare(*user, L"PrimarySmtpAddress", FakeText(primarySmtp), 64245);
    Declare(*user, L"MobileTelephoneNumber", FakeText(mobile));
    return user;
}
