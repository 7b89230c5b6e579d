#include "contacts/MicrosoftOutlookObjectModelUtils.h"

#include "platform/Dispatch.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeComTest.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace
{
using Texts = std::vector<std::wstring>;
using Utils = CMicrosoftOutlookObjectModelUtils;

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

namespace
{
using Pairs = std::vector<std::pair<std::string, std::string>>;

const HRESULT kDisconnected = static_cast<HRESULT>(0x80010108); // RPC_E_DISCONNECTED

HRESULT FailureOf(const std::function<void()>& operation)
{
    try
    {
        operation();
    }
    catch (const _com_error& e)
    {
        return e.Error();
    }
    return S_OK;
}

class OutlookLookupsTest : public CFakeComTest
{
protected:
    CFakeObjectPtr AddSubFolder(const CFakeObjectPtr& parent, const std::wstring& name)
    {
        const CFakeObjectPtr folder = m_Outlook.NewFolder(name);
        FakeCollectionOf(parent->Value(L"Folders"))->Add(static_cast<IDispatch*>(folder));
        return folder;
    }

    // Contacts > (Clients > (Old, New), Family).
    CFakeObjectPtr MakeContactTree()
    {
        const CFakeObjectPtr contacts = m_Outlook.DefaultFolder(10);
        const CFakeObjectPtr clients = AddSubFolder(contacts, L"Clients");
        AddSubFolder(clients, L"Old");
        AddSubFolder(clients, L"New");
        AddSubFolder(contacts, L"Family");
        return contacts;
    }

    static Texts Names(const COutlookFolderVector& folders)
    {
        Texts names;
        for (const IDispatchPtr& folder : folders)
            names.push_back(Dispatch::ToText(FakeObjectOf(_variant_t(folder.GetInterfacePtr()))->Value(L"Name")));
        return names;
    }

    static Pairs Records(const CSMSContactVector& contacts)
    {
        Pairs records;
        for (const CSMSContact& contact : contacts)
            records.emplace_back(contact.m_Name, contact.m_Number);
        return records;
    }

    CFakeOutlook m_Outlook;
};

// One recipient each, in one Recipients collection.
enum class RecipientKind
{
    Contact,
    ExchangeUser,
    Smtp,
    DistributionList,
    NoContact,
    Unresolvable,
};

struct RecipientCase
{
    const char* m_Case;
    RecipientKind m_Kind;
    std::wstring m_Name;
    std::wstring m_Mobile;
    bool m_Resolved;
    const wchar_t* m_FailingMember; // on the address entry
};

const RecipientCase kRecipientCases[] = {
    {"contact", RecipientKind::Contact, L"Ann Lee", L"+447700900001", true, nullptr},
    {"Exchange user", RecipientKind::ExchangeUser, L"Bob Ray", L"+447700900002", true, nullptr},
    {"SMTP address", RecipientKind::Smtp, L"cy@example.com", L"", true, nullptr},
    {"distribution list", RecipientKind::DistributionList, L"Team", L"", true, nullptr},
    {"contact resolved on demand", RecipientKind::Contact, L"Di Fox", L"+447700900003", false, nullptr},
    {"recipient that does not resolve", RecipientKind::Unresolvable, L"Ed", L"", false, nullptr},
    {"GetContact fails", RecipientKind::Contact, L"Flo", L"+447700900004", true, L"GetContact"},
    {"GetExchangeUser fails", RecipientKind::ExchangeUser, L"Gus", L"+447700900005", true, L"GetExchangeUser"},
    {"contact entry without contact", RecipientKind::NoContact, L"Hal", L"", true, nullptr},
    {"contact without mobile", RecipientKind::Contact, L"Ivy", L"", true, nullptr},
    {"contact without name", RecipientKind::Contact, L"", L"+447700900006", true, nullptr},
    {"Exchange user without name", RecipientKind::ExchangeUser, L"", L"+447700900007", true, nullptr},
    {"second contact", RecipientKind::Contact, L"Jo Kim", L"+447700900008", true, nullptr},
};

TEST_F(OutlookLookupsTest, RecipientsBecomeContactsInOrder)
{
    const CFakeCollectionPtr recipients = m_Outlook.NewCollection(L"Recipients");
    for (const RecipientCase& row : kRecipientCases)
    {
        CFakeObjectPtr entry;
        switch (row.m_Kind)
        {
        case RecipientKind::Contact:
            entry = m_Outlook.NewAddressEntry(row.m_Name, L"x@example.com", L"SMTP", nullptr,
                                              m_Outlook.NewContactItem(row.m_Name, L"", L"", row.m_Mobile));
            break;
        case RecipientKind::ExchangeUser:
            entry = m_Outlook.NewAddressEntry(row.m_Name, L"/o=Org", L"EX",
                                              m_Outlook.NewExchangeUser(row.m_Name, L"/o=Org", L"", row.m_Mobile));
            break;
        case RecipientKind::Smtp:
            entry = m_Outlook.NewAddressEntry(row.m_Name, row.m_Name, L"SMTP", nullptr);
            break;
        case RecipientKind::DistributionList:
            entry = m_Outlook.NewAddressEntry(row.m_Name, L"", L"MAPIPDL", nullptr);
            entry->SetProperty(L"AddressEntryUserType", _variant_t(11L));
            break;
        case RecipientKind::NoContact:
            entry = m_Outlook.NewAddressEntry(row.m_Name, L"", L"SMTP", nullptr);
            entry->SetProperty(L"AddressEntryUserType", _variant_t(10L));
            break;
        case RecipientKind::Unresolvable:
            break;
        }
        if (row.m_FailingMember)
            entry->Fail(row.m_FailingMember, E_FAIL, L"The operation failed.");
        const CFakeObjectPtr recipient = m_Outlook.NewRecipient(row.m_Name, L"", entry);
        recipient->SetProperty(L"Resolved", _variant_t(row.m_Resolved));
        recipients->Add(static_cast<IDispatch*>(recipient));
    }

    CSMSContactVector contacts{CSMSContact("Kept", "1")};
    Utils::GetSMSContactsFromRecipients(recipients, contacts);
    EXPECT_EQ((Pairs{{"Kept", "1"},
                     {"Ann Lee", "+447700900001"},
                     {"Bob Ray", "+447700900002"},
                     {"Di Fox", "+447700900003"},
                     {"Jo Kim", "+447700900008"}}),
              Records(contacts));
    EXPECT_EQ(2u, m_Outlook.Log().CallsTo(L"Recipient.Resolve").size());
}

TEST_F(OutlookLookupsTest, RecipientCallsRunInOutlooksOrder)
{
    const CFakeCollectionPtr recipients = m_Outlook.NewCollection(L"Recipients");
    const CFakeObjectPtr contact = m_Outlook.NewContactItem(L"Ann Lee", L"Ann", L"Lee", L"+447700900001");
    recipients->Add(static_cast<IDispatch*>(
        m_Outlook.NewRecipient(L"Ann Lee", L"", m_Outlook.NewAddressEntry(L"Ann", L"", L"SMTP", nullptr, contact))));
    m_Outlook.Log().Clear();

    CSMSContactVector contacts;
    Utils::GetSMSContactsFromRecipients(recipients, contacts);
    EXPECT_EQ((Texts{L"Recipients.Count", L"Recipients.Item(1)", L"Recipient.Resolved", L"Recipient.AddressEntry",
                     L"AddressEntry.AddressEntryUserType", L"Recipient.AddressEntry", L"AddressEntry.GetContact()",
                     L"ContactItem.FullName", L"ContactItem.MobileTelephoneNumber"}),
              m_Outlook.Log().Texts());

    // Other failures are raised, the record filled so far stays out.
    contact->Fail(L"MobileTelephoneNumber", kDisconnected);
    EXPECT_EQ(kDisconnected, FailureOf([&] { Utils::GetSMSContactsFromRecipients(recipients, contacts); }));
    EXPECT_EQ(1u, contacts.size());
}

TEST_F(OutlookLookupsTest, FolderTreesComeInPreOrder)
{
    MakeContactTree();
    COutlookFolderVector folders{m_Outlook.NewFolder(L"Earlier")};
    m_Outlook.Log().Clear();
    Utils::GetAllContactFolders(m_Outlook.Application(), folders);
    EXPECT_EQ((Texts{L"Earlier", L"Contacts", L"Clients", L"Old", L"New", L"Family"}), Names(folders));
    const Texts calls = m_Outlook.Log().Texts();
    ASSERT_LE(2u, calls.size());
    EXPECT_EQ(L"Application.GetNamespace(\"MAPI\")", calls[0]);
    EXPECT_EQ(L"NameSpace.GetDefaultFolder(10)", calls[1]);
}

TEST_F(OutlookLookupsTest, CalendarFoldersOfTheNavigationPane)
{
    const CFakeObjectPtr calendar = m_Outlook.DefaultFolder(9);
    const CFakeCollectionPtr groups = FakeCollectionOf(m_Outlook.CalendarModule()->Value(L"NavigationGroups"));
    const std::vector<std::pair<std::wstring, std::vector<CFakeObjectPtr>>> layout = {
        {L"My Calendars", {calendar, m_Outlook.NewFolder(L"Work")}},
        {L"Empty", {}},
        {L"Shared Calendars", {m_Outlook.NewFolder(L"Ann's")}},
    };
    for (const auto& group : layout)
    {
        const CFakeObjectPtr navigationGroup = m_Outlook.NewNavigationGroup(group.first);
        for (const CFakeObjectPtr& folder : group.second)
            FakeCollectionOf(navigationGroup->Value(L"NavigationFolders"))
                ->Add(static_cast<IDispatch*>(m_Outlook.NewNavigationFolder(folder)));
        groups->Add(static_cast<IDispatch*>(navigationGroup));
    }

    COutlookFolderVector all{m_Outlook.NewFolder(L"Earlier")};
    Utils::GetNavigationPaneCalendarFolders(m_Outlook.Application(), all, false);
    EXPECT_EQ((Texts{L"Earlier", L"Calendar", L"Work", L"Ann's"}), Names(all));
    EXPECT_EQ(1u, m_Outlook.Log().CallsTo(L"NavigationModules.GetNavigationModule").size());

    // The same calendar reached through another object is known by EntryID.
    const CFakeObjectPtr sameCalendar = m_Outlook.NewFolder(L"Calendar (again)");
    sameCalendar->SetProperty(L"EntryID", calendar->Value(L"EntryID"));
    COutlookFolderVector skipping{sameCalendar};
    Utils::GetNavigationPaneCalendarFolders(m_Outlook.Application(), skipping, true);
    EXPECT_EQ((Texts{L"Calendar (again)", L"Work", L"Ann's"}), Names(skipping));
}

TEST_F(OutlookLookupsTest, AddressListsWithAndWithoutContactFolders)
{
    const CFakeObjectPtr contacts = MakeContactTree();
    const CFakeCollectionPtr lists = m_Outlook.AddressLists();
    const CFakeObjectPtr gal = m_Outlook.NewAddressList(L"Global Address List", L"00ab01", nullptr);
    gal->Fail(L"GetContactsFolder", static_cast<HRESULT>(0x8004010F), L"The object could not be found.");
    lists->Add(static_cast<IDispatch*>(gal));
    lists->Add(static_cast<IDispatch*>(m_Outlook.NewAddressList(L"Contacts", L"00ab02", contacts)));
    // Another object for the Clients folder: a list represents it.
    const CFakeObjectPtr clients = m_Outlook.NewFolder(L"Clients (list)");
    clients->SetProperty(L"EntryID", FakeElementOf(contacts, L"Folders", 0)->Value(L"EntryID"));
    lists->Add(static_cast<IDispatch*>(m_Outlook.NewAddressList(L"Clients", L"00ab03", clients)));

    const auto books = [](const COutlookAddressBookList& list) {
        std::vector<std::wstring> texts;
        for (const auto& book : list)
        {
            const CFakeObjectPtr folder = FakeObjectOf(_variant_t(book->m_Folder.GetInterfacePtr()));
            texts.push_back(WidenString(book->m_Name + "|" + book->m_Id + "|") +
                            (folder ? Dispatch::ToText(folder->Value(L"Name")) : L"-"));
        }
        return texts;
    };

    COutlookAddressBookList plain;
    EXPECT_TRUE(Utils::GetAddressLists(m_Outlook.Application(), false, plain));
    EXPECT_EQ((Texts{L"Global Address List|00ab01|-", L"Contacts|00ab02|-", L"Clients|00ab03|-"}), books(plain));
    EXPECT_TRUE(m_Outlook.Log().CallsTo(L"AddressList.GetContactsFolder").empty());

    COutlookAddressBookList withFolders;
    withFolders.push_back(std::make_unique<COutlookAddressBook>());
    withFolders.back()->m_Name = "Kept";
    EXPECT_TRUE(Utils::GetAddressLists(m_Outlook.Application(), true, withFolders));
    EXPECT_EQ((Texts{L"Kept||-", L"Global Address List|00ab01|-", L"Contacts|00ab02|Contacts",
                     L"Clients|00ab03|Clients (list)", L"Old||Old", L"New||New", L"Family||Family"}),
              books(withFolders));
}

TEST_F(OutlookLookupsTest, AFailingAddressListLeavesItsPartlyFilledRecord)
{
    const CFakeObjectPtr list = m_Outlook.NewAddressList(L"Contacts", L"00ab", nullptr);
    m_Outlook.AddressLists()->Add(static_cast<IDispatch*>(list));
    for (const wchar_t* member : {L"Name", L"ID"})
    {
        list->Fail(member, kDisconnected);
        COutlookAddressBookList books;
        EXPECT_EQ(kDisconnected, FailureOf([&] { Utils::GetAddressLists(m_Outlook.Application(), true, books); }));
        ASSERT_EQ(1u, books.size()) << member;
        EXPECT_EQ(std::wstring(member) == L"ID" ? "Contacts" : "", books[0]->m_Name);
        EXPECT_EQ("", books[0]->m_Id);
        list->ClearFailure(member);
    }
}

// A recipient "Annie Brown" <abrown@corp.example> and contacts that reach
// one score level each, lowest first.
struct Candidate
{
    const char* m_Level;
    std::wstring m_FullName;
    std::wstring m_FirstName;
    std::wstring m_LastName;
};

const Candidate kCandidates[] = {
    {"1: any contact", L"Zed Zulu", L"Zed", L"Zulu"},
    {"3: first name in the address", L"Corp Xu", L"corp", L"Xu"},
    {"4: last name in the address", L"Al Abrown", L"", L"ABrown"},
    {"7: first name in the name", L"Annie Nguyen", L"Annie", L"Nguyen"},
    {"8: last name in the name", L"Bob Brown", L"Bob", L"brown"},
    {"10: full name", L"ANNIE BROWN", L"", L""},
};

class ContactSearchTest : public OutlookLookupsTest
{
protected:
    ContactSearchTest()
        : m_Recipient(m_Outlook.NewRecipient(L"Annie Brown", L"abrown@corp.example", nullptr))
    {
    }

    CFakeObjectPtr Folder(const std::vector<CFakeObjectPtr>& items)
    {
        const CFakeObjectPtr folder = m_Outlook.NewFolder(L"Contacts");
        for (const CFakeObjectPtr& item : items)
            FakeCollectionOf(folder->Value(L"Items"))->Add(static_cast<IDispatch*>(item));
        return folder;
    }

    CFakeObjectPtr Contact(const Candidate& candidate)
    {
        return m_Outlook.NewContactItem(candidate.m_FullName, candidate.m_FirstName, candidate.m_LastName, L"1");
    }

    IDispatch* Find(const COutlookFolderVector& folders)
    {
        m_Found = Utils::FindContactByEmailAddress(m_Recipient, folders);
        return m_Found;
    }

    CFakeObjectPtr m_Recipient;
    IDispatchPtr m_Found;
};

TEST_F(ContactSearchTest, FilterMatchesTheFirstEmailAddressWithQuotesDoubled)
{
    m_Recipient->SetProperty(L"Address", L"o'neil@example.com");
    EXPECT_EQ(nullptr, Find({Folder({})}));
    const std::vector<CFakeCall> finds = m_Outlook.Log().CallsTo(L"Items.Find");
    ASSERT_EQ(1u, finds.size());
    EXPECT_EQ(L"@SQL=\"urn:schemas:contacts:email1\" LIKE '%o''neil@example.com%'",
              Dispatch::ToText(finds[0].m_Arguments.at(0)));
}

TEST_F(ContactSearchTest, EachLevelBeatsTheOneBelowAndTiesKeepTheEarlier)
{
    for (size_t i = 1; i < std::size(kCandidates); ++i)
    {
        const CFakeObjectPtr lower = Contact(kCandidates[i - 1]);
        const CFakeObjectPtr higher = Contact(kCandidates[i]);
        EXPECT_EQ(static_cast<IDispatch*>(higher), Find({Folder({lower, higher})})) << kCandidates[i].m_Level;
        EXPECT_EQ(static_cast<IDispatch*>(higher), Find({Folder({higher, lower})})) << kCandidates[i].m_Level;
        const CFakeObjectPtr tie = Contact(kCandidates[i - 1]);
        EXPECT_EQ(static_cast<IDispatch*>(lower), Find({Folder({lower}), Folder({tie})})) << kCandidates[i - 1].m_Level;
    }
}

TEST_F(ContactSearchTest, AFullNameMatchEndsTheSearch)
{
    const CFakeObjectPtr best = Contact(kCandidates[5]);
    const CFakeObjectPtr first = Folder({Contact(kCandidates[0]), best, Contact(kCandidates[4])});
    const CFakeObjectPtr second = Folder({Contact(kCandidates[5])});
    m_Outlook.Log().Clear();
    EXPECT_EQ(static_cast<IDispatch*>(best), Find({first, second}));
    EXPECT_EQ(1u, m_Outlook.Log().CallsTo(L"MAPIFolder.Items").size());
    EXPECT_EQ(1u, m_Outlook.Log().CallsTo(L"Items.FindNext").size());
}

TEST_F(ContactSearchTest, AnItemThatIsNoContactEndsItsFolder)
{
    const CFakeObjectPtr found = Contact(kCandidates[1]);
    const CFakeObjectPtr first = Folder({Contact(kCandidates[0]), m_Outlook.NewMailItem(), Contact(kCandidates[4])});
    EXPECT_EQ(static_cast<IDispatch*>(found), Find({first, Folder({found})}));

    // Only a query that fails otherwise is raised.
    const CFakeObjectPtr unreachable = m_Outlook.NewUnreachableItem(kDisconnected);
    EXPECT_EQ(kDisconnected, FailureOf([&] { Find({Folder({unreachable})}); }));
}

TEST_F(ContactSearchTest, ResolvingSearchesTheFoldersOfTheAddressBooks)
{
    const CFakeObjectPtr found = Contact(kCandidates[1]);
    COutlookAddressBookList books;
    for (const CFakeObjectPtr& folder : {CFakeObjectPtr(), Folder({Contact(kCandidates[0])}), Folder({found})})
    {
        books.push_back(std::make_unique<COutlookAddressBook>());
        books.back()->m_Folder = folder;
    }
    m_Outlook.Log().Clear();
    const IDispatchPtr resolved = Utils::ResolveRecipientToContactItem(m_Recipient, books);
    EXPECT_EQ(static_cast<IDispatch*>(found), resolved.GetInterfacePtr());
    EXPECT_EQ(2u, m_Outlook.Log().CallsTo(L"Items.Find").size());
}

void ReadContactFolders(CFakeOutlook& outlook)
{
    COutlookFolderVector folders;
    Utils::GetAllContactFolders(outlook.Application(), folders);
}

void ReadCalendars(CFakeOutlook& outlook)
{
    COutlookFolderVector folders;
    Utils::GetNavigationPaneCalendarFolders(outlook.Application(), folders, true);
}

void ReadAddressLists(CFakeOutlook& outlook)
{
    COutlookAddressBookList books;
    Utils::GetAddressLists(outlook.Application(), true, books);
}

void SearchContacts(CFakeOutlook& outlook)
{
    const CFakeObjectPtr recipient = outlook.NewRecipient(L"A", L"a@example.com", nullptr);
    Utils::FindContactByEmailAddress(recipient, {outlook.DefaultFolder(10)});
}

CFakeCollectionPtr CollectionOf(const CFakeObjectPtr& owner, const wchar_t* name)
{
    return FakeCollectionOf(owner->Value(name));
}

struct FailureCase
{
    const char* m_Case;
    std::function<void(CFakeOutlook&)> m_Break;
    std::function<void(CFakeOutlook&)> m_Run;
    HRESULT m_Expected;
};

const FailureCase kFailureCases[] = {
    {"no recipients", [](CFakeOutlook&) {},
     [](CFakeOutlook&) {
         CSMSContactVector contacts;
         Utils::GetSMSContactsFromRecipients(IDispatchPtr(), contacts);
     },
     E_POINTER},
    {"no namespace", [](CFakeOutlook& o) { o.Application()->Fail(L"GetNamespace", kDisconnected); },
     ReadContactFolders, kDisconnected},
    {"subfolders unreadable",
     [](CFakeOutlook& o) { CollectionOf(o.DefaultFolder(10), L"Folders")->Fail(L"Count", E_ACCESSDENIED); },
     ReadContactFolders, E_ACCESSDENIED},
    {"no explorer", [](CFakeOutlook& o) { o.SetActiveExplorer(nullptr); }, ReadCalendars, E_POINTER},
    {"calendar module without its interface",
     [](CFakeOutlook& o) {
         const CFakeCollectionPtr modules =
             CollectionOf(FakeObjectOf(o.ActiveExplorer()->Value(L"NavigationPane")), L"Modules");
         modules->Clear();
         modules->Add(static_cast<IDispatch*>(o.NewNavigationModule(1, L"Calendar")));
     },
     ReadCalendars, E_NOINTERFACE},
    {"navigation folder without folder",
     [](CFakeOutlook& o) {
         const CFakeObjectPtr group = o.NewNavigationGroup(L"Mine");
         CollectionOf(group, L"NavigationFolders")->Add(static_cast<IDispatch*>(o.NewNavigationFolder(nullptr)));
         CollectionOf(o.CalendarModule(), L"NavigationGroups")->Add(static_cast<IDispatch*>(group));
     },
     ReadCalendars, E_POINTER},
    {"no address lists", [](CFakeOutlook& o) { o.Session()->Fail(L"AddressLists", E_ACCESSDENIED); },
     ReadAddressLists, E_ACCESSDENIED},
    {"contact folder without entry id", [](CFakeOutlook& o) { o.DefaultFolder(10)->Fail(L"EntryID", kDisconnected); },
     ReadAddressLists, kDisconnected},
    {"folder without items", [](CFakeOutlook& o) { o.DefaultFolder(10)->SetProperty(L"Items", _variant_t()); },
     SearchContacts, E_POINTER},
    {"search failing", [](CFakeOutlook& o) { CollectionOf(o.DefaultFolder(10), L"Items")->Fail(L"Find", E_FAIL); },
     SearchContacts, E_FAIL},
};

class OutlookLookupsFailures : public CFakeComTest
{
};

TEST_F(OutlookLookupsFailures, RaiseTheirHResultAndMissingObjectsEPointer)
{
    for (const FailureCase& row : kFailureCases)
    {
        CFakeOutlook outlook;
        row.m_Break(outlook);
        EXPECT_EQ(row.m_Expected, FailureOf([&] { row.m_Run(outlook); })) << row.m_Case;
    }
}
} // namespace
