// The test Outlook itself, seen as product code sees it: through IDispatch.
#include "platform/Dispatch.h"
#include "platform/EventSink.h"
#include "platform/OfficeIds.h"

#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeComTest.h"

#include <gtest/gtest.h>

namespace
{
using Texts = std::vector<std::wstring>;

class FakeOutlookTest : public CFakeComTest
{
protected:
    CFakeCollectionPtr MakeFolders()
    {
        const CFakeCollectionPtr folders = m_Outlook.NewCollection(L"Folders");
        for (const wchar_t* name : {L"Inbox", L"Sent Items", L"Contacts"})
        {
            const CFakeObjectPtr folder = m_Outlook.NewObject(L"Folder");
            folder->SetProperty(L"Name", name);
            folders->Add(static_cast<IDispatch*>(folder));
        }
        m_Outlook.Log().Clear();
        return folders;
    }

    CFakeOutlook m_Outlook;
};

TEST_F(FakeOutlookTest, CollectionsCountAndFindItemsByIndexAndName)
{
    const CFakeCollectionPtr folders = MakeFolders();
    EXPECT_EQ(3L, static_cast<long>(Dispatch::Get(folders, L"Count")));
    EXPECT_EQ(L"Inbox", Dispatch::GetText(Dispatch::CallPtr(folders, L"Item", 1), L"Name"));
    EXPECT_EQ(L"Contacts", Dispatch::GetText(Dispatch::CallPtr(folders, L"Item", 3), L"Name"));
    const IDispatchPtr sent = Dispatch::CallPtr(folders, L"Item", L"sent items");
    EXPECT_EQ(V_DISPATCH(&folders->At(1)), sent.GetInterfacePtr());

    for (const _variant_t& bad : {_variant_t(0L), _variant_t(4L)})
    {
        try
        {
            Dispatch::Call(folders, L"Item", bad);
            FAIL() << "index out of range";
        }
        catch (const _com_error& e)
        {
            EXPECT_EQ(DISP_E_BADINDEX, e.Error());
        }
    }
    try
    {
        Dispatch::Call(folders, L"Item", L"Drafts");
        FAIL() << "unknown name";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(static_cast<HRESULT>(0x8004010F), e.Error());
    }
    EXPECT_EQ((Texts{L"Folders.Count", L"Folders.Item(1)", L"Folder.Name", L"Folders.Item(3)", L"Folder.Name",
                     L"Folders.Item(\"sent items\")", L"Folders.Item(0)", L"Folders.Item(4)",
                     L"Folders.Item(\"Drafts\")"}),
              m_Outlook.Log().Texts());
    // Outlook's own dispatch ids.
    EXPECT_EQ(80, Dispatch::GetDispId(folders, L"Count"));
    EXPECT_EQ(81, Dispatch::GetDispId(folders, L"Item"));
    EXPECT_EQ(DISPID_NEWENUM, Dispatch::GetDispId(folders, L"_NewEnum"));
}

TEST_F(FakeOutlookTest, CollectionsEnumerateASnapshot)
{
    const CFakeCollectionPtr folders = MakeFolders();
    const _variant_t enumerator = Dispatch::Get(folders, L"_NewEnum");
    ASSERT_EQ(VT_UNKNOWN, V_VT(&enumerator));
    IEnumVARIANTPtr items(V_UNKNOWN(&enumerator));
    ASSERT_TRUE(items);
    folders->Remove(0); // the enumeration keeps what it started with

    VARIANT batch[2];
    ULONG fetched = 0;
    ASSERT_EQ(S_OK, items->Next(2, batch, &fetched));
    ASSERT_EQ(2u, fetched);
    const _variant_t first(batch[0], false);
    const _variant_t second(batch[1], false);
    EXPECT_EQ(L"Inbox", Dispatch::GetText(Dispatch::ToPtr(first), L"Name"));
    EXPECT_EQ(L"Sent Items", Dispatch::GetText(Dispatch::ToPtr(second), L"Name"));

    IEnumVARIANTPtr copy;
    ASSERT_EQ(S_OK, items->Clone(&copy));
    ASSERT_EQ(S_FALSE, items->Next(2, batch, &fetched));
    ASSERT_EQ(1u, fetched);
    ::VariantClear(&batch[0]);
    EXPECT_EQ(S_FALSE, items->Next(1, batch, nullptr));
    EXPECT_EQ(S_FALSE, items->Skip(1));

    ASSERT_EQ(S_OK, items->Reset());
    EXPECT_EQ(S_OK, items->Skip(3));
    ASSERT_EQ(S_OK, copy->Next(1, batch, nullptr)); // the clone kept its place
    const _variant_t third(batch[0], false);
    EXPECT_EQ(L"Contacts", Dispatch::GetText(Dispatch::ToPtr(third), L"Name"));
}

TEST_F(FakeOutlookTest, ObjectsAreFreedWhenTheLastReferenceGoes)
{
    const long before = CFakeObject::LiveObjects();
    {
        CFakeObjectPtr item = m_Outlook.NewObject(L"MailItem");
        EXPECT_EQ(before + 1, CFakeObject::LiveObjects());
        EXPECT_EQ(1u, item->RefCount());
        IDispatchPtr asDispatch(item);
        IUnknownPtr asUnknown(item);
        EXPECT_EQ(3u, item->RefCount());
        // Every interface of the object is the same object.
        CFakeObjectPtr back(asUnknown);
        EXPECT_EQ(item.GetInterfacePtr(), back.GetInterfacePtr());
        EXPECT_FALSE(IEnumVARIANTPtr(asUnknown));
        EXPECT_EQ(4u, item->RefCount());
    }
    EXPECT_EQ(before, CFakeObject::LiveObjects());

    // A collection holds its elements; an enumerator holds the collection's
    // elements, not the collection.
    IEnumVARIANTPtr items;
    {
        const CFakeCollectionPtr folders = MakeFolders();
        EXPECT_EQ(before + 4, CFakeObject::LiveObjects());
        const _variant_t enumerator = Dispatch::Get(folders, L"_NewEnum");
        items = V_UNKNOWN(&enumerator);
    }
    EXPECT_EQ(before + 4, CFakeObject::LiveObjects()); // three folders and the enumerator
    items = nullptr;
    EXPECT_EQ(before, CFakeObject::LiveObjects());
}

TEST_F(FakeOutlookTest, OutlookInterfacesAnswerWithTheSameObject)
{
    // {00063034-0000-0000-C000-000000000046} _MailItem
    const IID mailItem = {0x00063034, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    const CFakeObjectPtr item = m_Outlook.NewObject(L"MailItem");
    IUnknownPtr unknown(item);
    IDispatch* asMail = nullptr;
    EXPECT_EQ(E_NOINTERFACE, unknown->QueryInterface(mailItem, reinterpret_cast<void**>(&asMail)));
    item->AddInterface(mailItem);
    ASSERT_EQ(S_OK, unknown->QueryInterface(mailItem, reinterpret_cast<void**>(&asMail)));
    EXPECT_EQ(static_cast<IDispatch*>(item), asMail);
    asMail->Release();
}

TEST_F(FakeOutlookTest, ApplicationGivesTheMapiNamespaceAndItsCurrentUser)
{
    const IDispatchPtr app = m_Outlook.Application();
    const IDispatchPtr session = Dispatch::GetPtr(app, L"Session");
    EXPECT_EQ(session.GetInterfacePtr(), Dispatch::CallPtr(app, L"GetNamespace", L"MAPI").GetInterfacePtr());
    EXPECT_THROW(Dispatch::Call(app, L"GetNamespace", L"LDAP"), _com_error);
    EXPECT_EQ(L"MAPI", Dispatch::GetText(session, L"Type"));

    const IDispatchPtr user = Dispatch::GetPtr(session, L"CurrentUser");
    EXPECT_EQ(L"Test User", Dispatch::GetText(user, L"Name"));
    const IDispatchPtr entry = Dispatch::GetPtr(user, L"AddressEntry");
    EXPECT_EQ(L"SMTP", Dispatch::GetText(entry, L"Type"));
    EXPECT_EQ(30L, static_cast<long>(Dispatch::Get(entry, L"AddressEntryUserType")));
    EXPECT_FALSE(Dispatch::CallPtr(entry, L"GetExchangeUser"));

    m_Outlook.SetExchangeCurrentUser(L"Lee, Ann", L"/o=Org/cn=ann", L"Ann Lee", L"ann@example.com");
    const IDispatchPtr exchangeEntry =
        Dispatch::GetPtr(Dispatch::GetPtr(session, L"CurrentUser"), L"AddressEntry");
    EXPECT_EQ(0L, static_cast<long>(Dispatch::Get(exchangeEntry, L"AddressEntryUserType")));
    const IDispatchPtr exchangeUser = Dispatch::CallPtr(exchangeEntry, L"GetExchangeUser");
    EXPECT_EQ(L"ann@example.com", Dispatch::GetText(exchangeUser, L"PrimarySmtpAddress"));
    EXPECT_EQ(64245, Dispatch::GetDispId(exchangeUser, L"PrimarySmtpAddress"));
}
// An appointment's Move as an Exchange mailbox makes it: the events in
// Outlook's order, the moved item a new one with an EntryID of its own, the
// old one gone from the store by the time its folder says it was removed.
TEST_F(FakeOutlookTest, AnAppointmentMovesAsACopyAndADelete)
{
    const CFakeObjectPtr from = m_Outlook.NewFolder(L"Calendar");
    const CFakeObjectPtr to = m_Outlook.NewFolder(L"Work");
    const CFakeObjectPtr item = m_Outlook.NewAppointmentItem(L"Dentist", 47644.5, 47644.6);
    item->SetProperty(L"Parent", static_cast<IDispatch*>(from));
    m_Outlook.StoreItem(item);
    const std::wstring oldId = Dispatch::GetText(item, L"EntryID");
    const IDispatchPtr session = m_Outlook.Session();

    Texts events;
    bool oldStoredAtAdd = false;
    CDispEventSink moves(DIID_MAPIFolderEvents_12);
    moves.On(0xFBA9, [&](CEventArguments& arguments) {
        events.push_back(L"BeforeItemMove to " + Dispatch::GetText(arguments.Dispatch(1), L"Name"));
    });
    CDispEventSink added(DIID_ItemsEvents);
    added.On(0xF001, [&](CEventArguments& arguments) {
        events.push_back(L"ItemAdd " + Dispatch::GetText(arguments.Dispatch(0), L"Subject"));
        oldStoredAtAdd = m_Outlook.IsStored(item);
    });
    CDispEventSink removed(DIID_ItemsEvents);
    removed.On(0xF003, [&](CEventArguments&) { events.push_back(L"ItemRemove"); });
    const IDispatchPtr fromItems = Dispatch::GetPtr(from, L"Items");
    const IDispatchPtr toItems = Dispatch::GetPtr(to, L"Items");
    ASSERT_EQ(S_OK, moves.Advise(from));
    ASSERT_EQ(S_OK, added.Advise(toItems));
    ASSERT_EQ(S_OK, removed.Advise(fromItems));

    const IDispatchPtr moved = Dispatch::CallPtr(item, L"Move", static_cast<IDispatch*>(to));
    EXPECT_EQ((Texts{L"BeforeItemMove to Work", L"ItemAdd Dentist", L"ItemRemove"}), events);
    EXPECT_TRUE(oldStoredAtAdd) << "copied first, then deleted";
    EXPECT_FALSE(m_Outlook.IsStored(item));
    EXPECT_NE(oldId, Dispatch::GetText(moved, L"EntryID"));
    EXPECT_EQ(to.GetInterfacePtr(), Dispatch::GetPtr(moved, L"Parent").GetInterfacePtr());
    EXPECT_THROW(Dispatch::Call(session, L"GetItemFromID", oldId.c_str()), _com_error);
    const std::wstring newId = Dispatch::GetText(moved, L"EntryID");
    EXPECT_EQ(moved.GetInterfacePtr(), Dispatch::CallPtr(session, L"GetItemFromID", newId.c_str()).GetInterfacePtr());

    // A Cancel set before the move leaves the item where it is.
    moves.Unadvise(from);
    moves.On(0xFBA9, [](CEventArguments& arguments) { *arguments.BoolReference(2) = VARIANT_TRUE; });
    ASSERT_EQ(S_OK, moves.Advise(to));
    EXPECT_FALSE(Dispatch::CallPtr(moved, L"Move", static_cast<IDispatch*>(from)));
    EXPECT_EQ(to.GetInterfacePtr(), Dispatch::GetPtr(moved, L"Parent").GetInterfacePtr());
    EXPECT_TRUE(m_Outlook.IsStored(FakeObjectOf(_variant_t(moved.GetInterfacePtr()))));
    moves.Unadvise(to);
    added.Unadvise(toItems);
    removed.Unadvise(fromItems);
}

// Restrict finds the folder's stored items whose text user property equals
// the text, by the DASL form Outlook takes for a property the folder does
// not define, and refuses any other filter.
TEST_F(FakeOutlookTest, RestrictFindsTheFoldersItemsByAUserProperty)
{
    const CFakeObjectPtr calendar = m_Outlook.NewFolder(L"Calendar");
    const CFakeObjectPtr other = m_Outlook.NewFolder(L"Work");
    struct Item
    {
        IDispatch* folder;
        const wchar_t* job;
        bool stored;
    };
    const Item items[] = {
        {calendar, L"J'1", true}, {calendar, L"J2", true}, {other, L"J'1", true}, {calendar, L"J'1", false}};
    std::vector<CFakeObjectPtr> made;
    for (const Item& row : items)
    {
        const CFakeObjectPtr item = m_Outlook.NewAppointmentItem(L"Dentist", 47644.5, 47644.6);
        item->SetProperty(L"Parent", row.folder);
        CFakeUserProperties::Of(FakeCollectionOf(item->Value(L"UserProperties")))
            ->Preset(L"JobId", _variant_t(row.job));
        if (row.stored)
            m_Outlook.StoreItem(item);
        made.push_back(item);
    }
    const IDispatchPtr calendarItems = Dispatch::GetPtr(calendar, L"Items");
    const std::wstring property =
        L"\"http://schemas.microsoft.com/mapi/string/{00020329-0000-0000-C000-000000000046}/JobId/0000001f\"";
    const auto matching = [&calendarItems, &property](const wchar_t* value) {
        return Dispatch::CallPtr(calendarItems, L"Restrict", (L"@SQL=" + property + L" = " + value).c_str());
    };
    const IDispatchPtr found = matching(L"'J''1'");
    ASSERT_EQ(1L, static_cast<long>(Dispatch::Get(found, L"Count")));
    EXPECT_EQ(made[0].GetInterfacePtr(), Dispatch::CallPtr(found, L"Item", 1L).GetInterfacePtr());
    EXPECT_EQ(0L, static_cast<long>(Dispatch::Get(matching(L"'J3'"), L"Count")));
    for (const std::wstring& filter :
         {std::wstring(L"[JobId] = 'J2'"), std::wstring(L"@SQL=\"http://schemas.microsoft.com/mapi/string/"
                                           L"{00020329-0000-0000-C000-000000000046}/JobId\" = 'J2'")})
    {
        SCOPED_TRACE(filter);
        EXPECT_THROW(Dispatch::Call(calendarItems, L"Restrict", filter.c_str()), _com_error);
    }
}
} // namespace
