#include "contacts/MicrosoftOutlookObjectModelUtils.h"

#include "platform/Dispatch.h"

namespace
{
IDispatchPtr Required(IDispatchPtr object)
{
    if (!object)
        throw _com_error(E_POINTER);
    return object;
}
} // namespace

void CMicrosoftOutlookObjectModelUtils::GetCurrentUserDetails(const IDispatchPtr& application, std::wstring& name,
                                                              std::wstring& address)
{
    name.clear();
    address.clear();

    const IDispatchPtr session = Required(Dispatch::GetPtr(Required(application), L"Session"));
    const IDispatchPtr currentUser = Required(Dispatch::GetPtr(session, L"CurrentUser"));
    const IDispatchPtr addressEntry = Required(Dispatch::GetPtr(currentUser, L"AddressEntry"));

    std::wstring userName;
    std::wstring userAddress;
    if (Dispatch::GetText(addressEntry, L"Type") == L"EX")
    {
        const IDispatchPtr exchangeUser = Dispatch::CallPtr(addressEntry, L"GetExchangeUser");
        if (exchangeUser)
        {
            userName = Dispatch::GetText(exchangeUser, L"Name");
            userAddress = Dispatch::GetText(exchangeUser, L"PrimarySmtpAddress");
        }
    }
    if (userAddress.empty())
    {
        userName = Dispatch::GetText(currentUser, L"Name");
        userAddress = Dispatch::GetText(currentUser, L"Address");
    }

    // An Exchange distinguished name is no e-mail address: report none.
    if (userAddress.find(L'@') == std::wstring::npos)
        return;
    name = userName;
    address = userAddress;
}
