#include "contacts/MicrosoftOutlookObjectModelUtils.h"

#include "tests/support/FakeOutlook.h"

#include <gtest/gtest.h>

namespace
{
using Texts = std::vector<std::wstring>;

class GetCurrentUserDetailsTest : public CFakeComTest
{
protected:
    // Runs the lookup with outputs that hold stale text.
    void Read()
    {
        m_Name = L"stale name";
        m_Address = L"stale@example.com";
        CMicrosoftOutlookObjectModelUtils::GetCurrentUserDetails(m_Outlook.Application(), m_Name, m_Address);
    }

    HRESULT ReadFails(std::wstring* description = nullptr)
    {
        try
        {
            Read();
        }
        catch (const _com_error& e)
        {
            EXPECT_EQ(L"", m_Name);
            EXPECT_EQ(L"", m_Address);
            if (description)
            {
                const _bstr_t text = e.Description();
                *description = text.length() ? static_cast<const wchar_t*>(text) : L"";
            }
            return e.Error();
        }
        ADD_FAILURE() << "no exception";
        return S_OK;
    }

    CFakeOutlook m_Outlook;
    std::wstring m_Name;
    std::wstring m_Address;
};

TEST_F(GetCurrentUserDetailsTest, PlainUserGivesTheRecipientsNameAndAddress)
{
    m_Outlook.SetCurrentUser(L"Ann Lee", L"ann.lee@example.com");
    m_Outlook.Log().Clear();
    Read();
    EXPECT_EQ(L"Ann Lee", m_Name);
    EXPECT_EQ(L"ann.lee@example.com", m_Address);
    EXPECT_EQ((Texts{L"Application.Session", L"NameSpace.CurrentUser", L"Recipient.AddressEntry",
                     L"AddressEntry.Type", L"Recipient.Name", L"Recipient.Address"}),
              m_Outlook.Log().Texts());
}

TEST_F(GetCurrentUserDetailsTest, ExchangeUserGivesItsNameAndPrimarySmtpAddress)
{
    m_Outlook.SetExchangeCurrentUser(L"Lee, Ann", L"/o=ExchangeLabs/ou=Exchange Administrative Group/cn=Recipients/cn=ann",
                                     L"Ann Lee", L"ann.lee@example.com");
    m_Outlook.Log().Clear();
    Read();
    EXPECT_EQ(L"Ann Lee", m_Name);
    EXPECT_EQ(L"ann.lee@example.com", m_Address);
    EXPECT_EQ((Texts{L"Application.Session", L"NameSpace.CurrentUser", L"Recipient.AddressEntry",
                     L"AddressEntry.Type", L"AddressEntry.GetExchangeUser()", L"ExchangeUser.Name",
                     L"ExchangeUser.PrimarySmtpAddress"}),
              m_Outlook.Log().Texts());
}

TEST_F(GetCurrentUserDetailsTest, ExchangeUserWithoutSmtpAddressFallsBackToTheRecipient)
{
    // The recipient's address is what Outlook shows for an Exchange account
    // known by SMTP address alone.
    const CFakeObjectPtr user = m_Outlook.SetExchangeCurrentUser(L"Ann", L"/o=Org/cn=ann", L"Ann Lee", L"");
    user->SetProperty(L"Address", L"ann@example.com");
    Read();
    EXPECT_EQ(L"Ann", m_Name);
    EXPECT_EQ(L"ann@example.com", m_Address);
}

TEST_F(GetCurrentUserDetailsTest, AddressWithoutAtSignGivesNothing)
{
    // An Exchange distinguished name and no Exchange user object.
    m_Outlook.SetExchangeCurrentUser(L"Lee, Ann", L"/o=Org/ou=First Administrative Group/cn=Recipients/cn=ann", L"",
                                     L"");
    Read();
    EXPECT_EQ(L"", m_Name);
    EXPECT_EQ(L"", m_Address);

    // The type test is exact: "ex" is not Exchange.
    const CFakeObjectPtr entry =
        m_Outlook.NewAddressEntry(L"Ann", L"/o=Org/cn=ann", L"ex", m_Outlook.NewExchangeUser(L"Ann", L"", L"a@b.c"));
    m_Outlook.CurrentUser()->SetProperty(L"AddressEntry", static_cast<IDispatch*>(entry));
    Read();
    EXPECT_EQ(L"", m_Address);

    m_Outlook.SetCurrentUser(L"Ann", L"");
    Read();
    EXPECT_EQ(L"", m_Name);
    EXPECT_EQ(L"", m_Address);
}

TEST_F(GetCurrentUserDetailsTest, MissingObjectsRaiseEPointer)
{
    m_Name = L"stale";
    m_Address = L"stale@example.com";
    try
    {
        CMicrosoftOutlookObjectModelUtils::GetCurrentUserDetails(IDispatchPtr(), m_Name, m_Address);
        ADD_FAILURE() << "no application accepted";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(E_POINTER, e.Error());
        EXPECT_EQ(L"", m_Name);
        EXPECT_EQ(L"", m_Address);
    }

    m_Outlook.CurrentUser()->SetProperty(L"AddressEntry", static_cast<IDispatch*>(nullptr));
    EXPECT_EQ(E_POINTER, ReadFails());
    m_Outlook.Session()->SetProperty(L"CurrentUser", static_cast<IDispatch*>(nullptr));
    EXPECT_EQ(E_POINTER, ReadFails());
    m_Outlook.Application()->SetProperty(L"Session", static_cast<IDispatch*>(nullptr));
    EXPECT_EQ(E_POINTER, ReadFails());
}

TEST_F(GetCurrentUserDetailsTest, FailingCallsRaiseTheirHResult)
{
    std::wstring description;
    m_Outlook.Session()->Fail(L"CurrentUser", static_cast<HRESULT>(0x80040111), L"The client operation failed.");
    EXPECT_EQ(static_cast<HRESULT>(0x80040111), ReadFails(&description));
    EXPECT_EQ(L"The client operation failed.", description);
    m_Outlook.Session()->ClearFailure(L"CurrentUser");

    // Failures after part of the answer was read leave the outputs empty.
    const CFakeObjectPtr exchangeUser = m_Outlook.NewExchangeUser(L"Ann Lee", L"/o=Org/cn=ann", L"ann@example.com");
    const CFakeObjectPtr entry = m_Outlook.NewAddressEntry(L"Ann", L"/o=Org/cn=ann", L"EX", exchangeUser);
    const CFakeObjectPtr user = m_Outlook.NewRecipient(L"Ann", L"/o=Org/cn=ann", entry);
    m_Outlook.Session()->SetProperty(L"CurrentUser", static_cast<IDispatch*>(user));
    exchangeUser->Fail(L"PrimarySmtpAddress", E_FAIL);
    EXPECT_EQ(E_FAIL, ReadFails());
    entry->Fail(L"GetExchangeUser", static_cast<HRESULT>(0x80040115));
    EXPECT_EQ(static_cast<HRESULT>(0x80040115), ReadFails());
    entry->Fail(L"Type", E_ACCESSDENIED);
    EXPECT_EQ(E_ACCESSDENIED, ReadFails());
    entry->ClearFailure(L"Type");
    entry->ClearFailure(L"GetExchangeUser");
    exchangeUser->ClearFailure(L"PrimarySmtpAddress");
    Read();
    EXPECT_EQ(L"ann@example.com", m_Address);
}
} // namespace
