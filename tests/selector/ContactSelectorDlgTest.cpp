// The recipient selector run for real over the test Outlook and the test
// MAPI, worked by the window driver as a user would.
#include "tests/selector/SelectorFixture.h"

#include "contacts/AsyncListProvider.h"
#include "platform/OfficeIds.h"
#include "resources/resource.h"
#include "tests/selector/AllocationCount.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"
#include "ui/ContactSelectorDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>

namespace
{
constexpr int kAvailable = IDC_SELECTOR_AVAILABLE;
constexpr int kRecipients = IDC_SELECTOR_RECIPIENTS;
using Rows = std::vector<std::string>;

class ContactSelectorLists : public ContactSelector
{
protected:
    // Once the rows are listed, moves the named one across and presses OK;
    // the image its row showed.
    int MoveAndAccept(const CSMSContactVector& recipients, size_t rows, const std::string& name)
    {
        int image = -2;
        Run(recipients, [&](CSelectorWindow& w) {
            w.WaitForRows(kAvailable, rows);
            const Rows listed = w.Rows(kAvailable);
            const auto row = std::find(listed.begin(), listed.end(), RowText(name, ""));
            image = w.RowImage(kAvailable, static_cast<int>(row - listed.begin()));
            w.SelectNamed(kAvailable, {name});
            w.Click(IDC_SELECTOR_ADD);
            w.Press(IDOK);
        });
        return image;
    }

    void SetUp() override
    {
        ContactSelector::SetUp();
        AddContact(L"Ann Lee", L"+447700900001", L"0a01");
        AddContact(L"Bob Stone", L"+447700900002", L"0a02", L"+441632960002");
        AddContact(L"Joanne Smith", L"", L"0a03");
        AddGALEntry("b001", "Carl Dean", "+447700900101");
        AddGALEntry("b002", "Dora Finch", "+447700900102");
    }
};

TEST_F(ContactSelectorLists, TheFirstBookIsThePreferredOneOrContacts)
{
    // Sorted: rows of one name keep no particular order.
    const Rows contacts = {"Ann Lee [+447700900001]", "Bob Stone [+441632960002]", "Bob Stone [+447700900002]"};
    const Rows gal = {"Carl Dean [+447700900101]", "Dora Finch [+447700900102]"};
    struct Case
    {
        const char* preference;
        const char* book;
        const Rows& available;
    };
    const Case cases[] = {
        {"", "Contacts", contacts},
        {"Global Address List", "Global Address List", gal},
        {"Gone Away", "Contacts", contacts},
        {"global address list", "Contacts", contacts},
    };
    for (const Case& c : cases)
    {
        LoadSettings({{"DefaultAddressBook", c.preference}});
        std::string book;
        Rows available;
        Run({}, [&](CSelectorWindow& w) {
            w.WaitForRows(kAvailable, c.available.size());
            book = w.SelectedBook();
            available = w.Rows(kAvailable);
            w.Press(IDCANCEL);
        });
        EXPECT_EQ(c.book, book) << c.preference;
        std::sort(available.begin(), available.end());
        EXPECT_EQ(c.available, available) << c.preference;
    }
}

TEST_F(ContactSelectorLists, WithoutContactsOrPreferenceNoBookIsChosen)
{
    LoadSettings({{"ZentavoSMSAddressBookExclusionList", "Contacts,Suggested Contacts"}});
    std::string book;
    Rows available{"x"};
    Run({}, [&](CSelectorWindow& w) {
        CSelectorWindow::Pump(200);
        book = w.SelectedBook();
        w.Type("ca");
        w.WaitForRows(kAvailable, 1);
        w.Type("  ");
        available = w.Rows(kAvailable);
        w.Press(IDCANCEL);
    });
    EXPECT_EQ("<none>", book);
    EXPECT_TRUE(available.empty()) << "no book and no text: nothing listed";
}

TEST_F(ContactSelectorLists, SearchResultsComeAndGoRestoringTheBookChosenBefore)
{
    // Sorts after "Search Results", so its place moves while the entry is there.
    AddContainerList("aa02", "Suggested Contacts");
    AddGALEntry("c001", "Joan Suggested", "+447700900201", "aa02");
    for (const char* chosen : {"Contacts", "Suggested Contacts"})
    {
        Rows booksWhileSearching, found, booksAfter;
        std::string whileSearching, after;
        Run({}, [&](CSelectorWindow& w) {
            w.Choose(chosen);
            w.Type("jo");
            whileSearching = w.SelectedBook();
            booksWhileSearching = w.Books();
            w.WaitUntil([&] { return w.Rows(kAvailable) == Rows{"Joan Suggested [+447700900201]"}; });
            CSelectorWindow::Pump(100);
            found = w.Rows(kAvailable);
            w.Click(IDC_SELECTOR_CLEAR);
            after = w.SelectedBook();
            booksAfter = w.Books();
            w.Press(IDCANCEL);
        });
        EXPECT_EQ("Search Results", whileSearching);
        EXPECT_EQ((Rows{"Contacts", "Global Address List", "Search Results", "Suggested Contacts"}), booksWhileSearching);
        EXPECT_EQ((Rows{"Joan Suggested [+447700900201]"}), found) << "every book is searched; Joanne has no mobile";
        EXPECT_EQ(chosen, after);
        EXPECT_EQ((Rows{"Contacts", "Global Address List", "Suggested Contacts"}), booksAfter);
    }
}

// The Contacts folder cannot be read: choosing it tells so once, and so does
// a name typed letter by letter into the search box, each time in a box the
// selector owns; the search lists what the other books have.
TEST_F(ContactSelectorLists, AnUnreadableFolderIsToldOncePerSearchTyped)
{
    m_ContactsFolder->Fail(L"GetTable", E_ACCESSDENIED, L"The store is offline.");
    AddGALEntry("c001", "Joan Dean", "+447700900201");
    HWND dialog = nullptr;
    Rows found;
    Run({}, [&](CSelectorWindow& w) {
        dialog = w.Handle();
        w.WaitUntil([&] { return !m_Boxes.Boxes().empty(); });
        for (const char* typed : {"j", "jo", "joa", "jo"})
            w.Type(typed);
        w.WaitUntil([&] { return w.Rows(kAvailable) == Rows{"Joan Dean [+447700900201]"}; });
        found = w.Rows(kAvailable);
        w.Press(IDCANCEL);
    });
    EXPECT_EQ(Rows{"Joan Dean [+447700900201]"}, found);
    ASSERT_EQ(2u, m_Boxes.Boxes().size());
    for (const CapturedMessageBox& box : m_Boxes.Boxes())
    {
        EXPECT_EQ(dialog, box.owner);
        EXPECT_NE(std::string::npos, box.text.find("Contacts (The store is offline., -2147024891)")) << box.text;
    }
}

struct ChosenUnreadableBookCase
{
    const char* name;
    const char* book;
    bool aFolder; // else a container, read by the worker
    size_t boxesOnOpening;
    size_t boxesOfTheSearch; // "j" over every book
};

class ContactSelectorChosenUnreadableBook : public ContactSelectorLists,
                                            public ::testing::WithParamInterface<ChosenUnreadableBookCase>
{
};

// The user searches for "j", chooses a book that cannot be read to look
// there, and types on: choosing it tells so once, and the letters typed
// after it in that book tell nothing more, whether the folders' search
// (Contacts) or the worker (the Global Address List) reads it.
TEST_P(ContactSelectorChosenUnreadableBook, TellsTheChosenBookOncePerNameTypedThere)
{
    const ChosenUnreadableBookCase& c = GetParam();
    if (c.aFolder)
        m_ContactsFolder->Fail(L"GetTable", E_ACCESSDENIED, L"The store is offline.");
    else
        m_TestMAPI.FailCall("GetContentsTable", 0, E_FAIL);
    size_t opened = 0, searched = 0, chosen = 0;
    Run({}, [&](CSelectorWindow& w) {
        CSelectorWindow::Pump(200);
        opened = m_Boxes.Boxes().size();
        w.Type("j");
        CSelectorWindow::Pump(200);
        searched = m_Boxes.Boxes().size();
        w.Choose(c.book);
        w.WaitUntil([&] { return m_Boxes.Boxes().size() > searched; });
        chosen = m_Boxes.Boxes().size();
        for (const char* typed : {"jo", "joa", "joan"})
        {
            w.Type(typed);
            CSelectorWindow::Pump(200);
        }
        w.Press(IDCANCEL);
    });
    EXPECT_EQ(c.boxesOnOpening, opened);
    EXPECT_EQ(c.boxesOnOpening + c.boxesOfTheSearch, searched);
    EXPECT_EQ(searched + 1, chosen);
    EXPECT_EQ(chosen, m_Boxes.Boxes().size());
    for (const CapturedMessageBox& box : m_Boxes.Boxes())
        EXPECT_NE(std::string::npos, box.text.find(std::string(c.book) + " (")) << box.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ContactSelectorChosenUnreadableBook,
    ::testing::Values(ChosenUnreadableBookCase{"AFolder", "Contacts", true, 1, 1},
                      ChosenUnreadableBookCase{"AContainer", "Global Address List", false, 0, 0}),
    [](const ::testing::TestParamInfo<ChosenUnreadableBookCase>& info) { return std::string(info.param.name); });

// Batches the test posts itself, as the provider's worker would.
std::atomic<int> g_LiveBatches{0};
class CCountedBatch : public CAsyncListProviderListItemBatch_ContactDetails
{
public:
    CCountedBatch(std::uint32_t requestId, std::vector<std::pair<std::string, std::string>> entries)
        : CAsyncListProviderListItemBatch_ContactDetails(requestId)
    {
        ++g_LiveBatches;
        for (const auto& [name, number] : entries)
        {
            auto item = std::make_unique<CAsyncListProviderContactDetailsItem>();
            item->m_Name = name;
            item->m_Number = number;
            item->m_IsMobile = true;
            item->m_EntryId = CMAPIEntryId(reinterpret_cast<const BYTE*>("\x01\x02"), 2);
            m_Items.push_back(std::move(item));
        }
    }
    ~CCountedBatch() override { --g_LiveBatches; }
};

void PostBatch(HWND dialog, std::uint32_t requestId, std::vector<std::pair<std::string, std::string>> entries)
{
    ::PostMessageA(dialog, CContactSelectorDlg::WM_USER_LISTITEMBATCH, 0,
                   reinterpret_cast<LPARAM>(new CCountedBatch(requestId, std::move(entries))));
}

// The id of the newest lookup: request ids are taken from one counter.
std::uint32_t LatestRequestId()
{
    return CAsyncListProviderFetchParameters::TakeNextRequestId() - 1;
}

TEST_F(ContactSelectorLists, OnlyTheLatestLookupsBatchesCountAndTheFirstReplacesTheList)
{
    Rows afterContacts, afterBatches;
    LRESULT defaultId = 0;
    Run({}, [&](CSelectorWindow& w) {
        w.WaitForRows(kAvailable, 3);
        afterContacts = w.Rows(kAvailable);
        w.Choose("Global Address List");
        w.WaitForRows(kAvailable, 2);
        w.WaitUntil([&] { return w.Rows(kAvailable) != afterContacts; });
        const std::uint32_t latest = LatestRequestId();
        PostBatch(w.Handle(), latest - 1, {{"Stale Entry", "1"}});
        PostBatch(w.Handle(), latest, {{"Later Entry", "2"}, {"carl dean", "+447700900101"}, {"Carl Dean", "3"}});
        CSelectorWindow::Pump(200);
        afterBatches = w.Rows(kAvailable);
        std::sort(afterBatches.begin(), afterBatches.end());
        // No batch: the message goes on to the dialog's own handling.
        ::SendMessageA(w.Handle(), CContactSelectorDlg::WM_USER_LISTITEMBATCH, IDCANCEL, 0);
        defaultId = ::SendMessageA(w.Handle(), DM_GETDEFID, 0, 0);
        w.Press(IDCANCEL);
    });
    EXPECT_EQ(3u, afterContacts.size());
    EXPECT_EQ((Rows{"Carl Dean [+447700900101]", "Carl Dean [3]", "Dora Finch [+447700900102]", "Later Entry [2]"}),
              afterBatches)
        << "the stale batch and the same name and number in another case are left out";
    EXPECT_EQ(MAKELONG(IDCANCEL, DC_HASDEFID), defaultId);
    EXPECT_EQ(0, g_LiveBatches.load());
}

// And the window's picture, with a book listed and a recipient.
TEST_F(ContactSelectorLists, RowsMoveAcrossAndBack)
{
    Rows recipients, afterRemove;
    int firstImage = -2;
    Run({{"Ann", "+447700900001"}}, [&](CSelectorWindow& w) {
        w.WaitForRows(kAvailable, 3);
        ::SetWindowPos(w.Handle(), HWND_TOPMOST, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        ::RedrawWindow(w.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        CSelectorWindow::Pump(200);
        const std::string path = ProgramBesideTest("ContactSelectorDlg.png");
        SaveWindowScreenshot(w.Handle(), std::wstring(path.begin(), path.end()));
        const Rows available = w.Rows(kAvailable);
        const auto business = std::find(available.begin(), available.end(), "Bob Stone [+441632960002]");
        firstImage = w.RowImage(kAvailable, static_cast<int>(business - available.begin()));
        w.Select(kAvailable, {0, 1, 2});
        w.Click(IDC_SELECTOR_ADD);
        w.Select(kAvailable, {2});
        w.DoubleClick(kAvailable);
        recipients = w.Rows(kRecipients);
        std::sort(recipients.begin(), recipients.end());
        w.Select(kRecipients, {0, 2});
        w.Click(IDC_SELECTOR_REMOVE);
        w.Select(kRecipients, {0});
        w.DoubleClick(kRecipients);
        afterRemove = w.Rows(kRecipients);
        w.Press(IDOK);
    });
    EXPECT_EQ(CContactSelectorDlg::kImageOtherNumber, firstImage) << "the business number";
    EXPECT_EQ((Rows{"Ann [+447700900001]", "Bob Stone [+441632960002]", "Bob Stone [+447700900002]"}), recipients)
        << "Ann Lee's number was a recipient already";
    EXPECT_TRUE(afterRemove.empty());
    EXPECT_TRUE(m_Result.empty());
}

TEST_F(ContactSelectorLists, AContainersDistributionListBringsItsMembersWithMobiles)
{
    AddGALEntry("d001", "Team", nullptr, "aa01", 8);
    AddGALEntry("e001", "Ignored Display", "+447700900301", "d001", 6, "Eve", "Hart");
    AddGALEntry("e002", "Only Surname", "+447700900302", "d001", 6, nullptr, "Ives");
    AddGALEntry("e003", "No Mobile", nullptr, "d001");
    AddGALEntry("e004", "Already There", "+447700900101", "d001");
    AddGALEntry("e005", "Plain Display", "+447700900303", "d001");
    LoadSettings({{"DefaultAddressBook", "Global Address List"}});
    EXPECT_EQ(CContactSelectorDlg::kImageDistributionList, MoveAndAccept({{"Carl", "+447700900101"}}, 3, "Team"));
    EXPECT_EQ((Rows{"Carl [+447700900101]", "Eve Hart [+447700900301]", " Ives [+447700900302]",
                    "Plain Display [+447700900303]"}),
              ContactTexts(m_Result));
}

// An Outlook distribution list in the contact folder, with a member for each
// way of finding a number.
class ContactSelectorOutlookList : public ContactSelectorLists
{
protected:
    void SetUp() override
    {
        ContactSelectorLists::SetUp();
        AddContactFolderList(L"Friends", L"0d01");
        const CFakeObjectPtr contact = m_Outlook.NewContactItem(L"Gail Contact", L"Gail", L"Contact", L"+447700900401");
        contact->SetProperty(L"Email1Address", _variant_t(L"gail@example.com"));
        // Items.Find answers the contacts whose address the filter names.
        const CFakeCollectionPtr items = FakeCollectionOf(m_ContactsFolder->Value(L"Items"));
        items->SetMethod(L"Find", [contact](const CFakeObject::Arguments& arguments) {
            const bool named = FakeArgumentText(arguments, 0).find(L"gail@example.com") != std::wstring::npos;
            return _variant_t(named ? static_cast<IDispatch*>(contact) : nullptr);
        });
        items->SetMethod(L"FindNext", [](const CFakeObject::Arguments&) { return _variant_t(static_cast<IDispatch*>(nullptr)); });

        const CFakeObjectPtr list = m_Outlook.NewObject(L"DistListItem");
        list->AddInterface(IID__DistListItem);
        const std::vector<CFakeObjectPtr> members = {
            m_Outlook.NewRecipient(L"Gail C", L"gail@example.com", nullptr),
            m_Outlook.NewRecipient(L"Hank Exchange", L"/o=Org/cn=hank", nullptr),
            m_Outlook.NewRecipient(L"", L"nobody@example.com", nullptr),
        };
        list->SetProperty(L"MemberCount", _variant_t(static_cast<long>(members.size())));
        list->SetMethod(L"GetMember", [members](const CFakeObject::Arguments& arguments) {
            return _variant_t(static_cast<IDispatch*>(members.at(FakeArgumentLong(arguments, 0) - 1)));
        });
        m_Outlook.Session()->SetMethod(L"GetItemFromID", [list](const CFakeObject::Arguments&) {
            return _variant_t(static_cast<IDispatch*>(list));
        });
        // The lookups: Hank's resolves to an Exchange user, the bare address to nothing.
        const CFakeObjectPtr exchangeUser =
            m_Outlook.NewExchangeUser(L"", L"/o=Org/cn=hank", L"hank@example.com", L"+447700900402");
        exchangeUser->SetProperty(L"FirstName", _variant_t(L"Hank"));
        exchangeUser->SetProperty(L"LastName", _variant_t(L"Exchange"));
        const CFakeObjectPtr hank = m_Outlook.NewRecipient(
            L"Hank Exchange", L"/o=Org/cn=hank",
            m_Outlook.NewAddressEntry(L"Hank Exchange", L"/o=Org/cn=hank", L"EX", exchangeUser));
        hank->SetProperty(L"Resolved", _variant_t(false));
        const CFakeObjectPtr nobody = m_Outlook.NewRecipient(L"nobody@example.com", L"nobody@example.com", nullptr);
        nobody->SetProperty(L"Resolved", _variant_t(false));
        m_Outlook.Session()->SetMethod(L"CreateRecipient", [hank, nobody](const CFakeObject::Arguments& arguments) {
            const bool isHank = FakeArgumentText(arguments, 0).find(L"hank") != std::wstring::npos;
            return _variant_t(static_cast<IDispatch*>(isHank ? hank : nobody));
        });
    }
};

TEST_F(ContactSelectorOutlookList, AContactFoldersListResolvesMembersToContactsAndExchangeUsers)
{
    EXPECT_EQ(CContactSelectorDlg::kImageDistributionList, MoveAndAccept({}, 4, "Friends"));
    EXPECT_EQ((Rows{"Gail Contact [+447700900401]", "Hank Exchange [+447700900402]"}), ContactTexts(m_Result));
    const std::vector<CFakeCall> lookups = m_Outlook.Log().CallsTo(L"NameSpace.GetItemFromID");
    ASSERT_EQ(1u, lookups.size());
    EXPECT_EQ(L"NameSpace.GetItemFromID(\"0d01\", \"00ee\")", lookups[0].ToText());
    const std::vector<CFakeCall> created = m_Outlook.Log().CallsTo(L"NameSpace.CreateRecipient");
    ASSERT_EQ(2u, created.size());
    EXPECT_EQ(L"NameSpace.CreateRecipient(\"\"Hank Exchange\" </o=Org/cn=hank>\")", created[0].ToText());
    EXPECT_EQ(L"NameSpace.CreateRecipient(\"nobody@example.com\")", created[1].ToText());
    EXPECT_TRUE(EventTexts().empty());
}

TEST_F(ContactSelectorOutlookList, AFailedExpansionIsLoggedAndTheOtherRowsAreTaken)
{
    AddGALEntry("d001", "Team", nullptr, "aa01", 8);
    AddGALEntry("e001", "Eve Hart", "+447700900301", "d001");
    struct Case
    {
        const char* book;
        const char* list;
        std::function<void()> fail;
        const char* function;
        const char* step;
    };
    const Case cases[] = {
        {"Contacts", "Friends", [&] { m_Outlook.Session()->Fail(L"GetItemFromID", E_ACCESSDENIED, L"Store offline"); },
         "CContactSelectorDlg::GetContactsFromListView - Getting Contacts for group (OOM)",
         "CContactSelectorDlg::GetContactsFromListView - NameSpace.GetItemFromID"},
        {"Global Address List", "Team", [&] { m_TestMAPI.FailCall("HrQueryAllRows", 0, MAPI_E_NO_ACCESS); },
         "CContactSelectorDlg::GetContactsFromListView - Getting Contacts for group (MAPI)",
         "CContactSelectorDlg::GetContactsFromListView - CMAPIUtils::ReadAddressBook"},
    };
    for (const Case& c : cases)
    {
        Events().clear();
        LoadSettings({{"DefaultAddressBook", c.book}});
        Run({}, [&](CSelectorWindow& w) {
            w.WaitForRows(kAvailable, 3);
            c.fail();
            w.Select(kAvailable, {-1});
            w.Click(IDC_SELECTOR_ADD);
            w.Press(IDOK);
        });
        EXPECT_GE(m_Result.size(), 2u) << c.book << ": the other rows are taken";
        const std::vector<std::string> events = EventTexts();
        ASSERT_EQ(1u, events.size()) << c.book;
        EXPECT_NE(std::string::npos, events[0].find(c.function)) << events[0];
        EXPECT_NE(std::string::npos, events[0].find(c.step)) << events[0];
        EXPECT_TRUE(m_Boxes.Boxes().empty());
    }
}

// The recipients open without empty numbers (numbers only meet rows listed
// before); OK gives back the listed ones and stores the chosen book, but not
// Search Results; Cancel gives nothing back and stores nothing.
TEST_F(ContactSelectorLists, OpensWithTheRecipientsAndOKStoresTheChosenBook)
{
    struct Case
    {
        CSMSContactVector recipients;
        std::function<void(CSelectorWindow&)> act;
        int button;
        Rows shown;
        const char* stored;
    };
    const auto chooseGAL = [](CSelectorWindow& w) { w.Choose("Global Address List"); };
    const Case cases[] = {
        {{{"Ann", "111"}, {"Nobody", ""}, {"Ann again", "111"}, {"222", "222"}}, chooseGAL, IDOK,
         {"Ann [111]", "Ann again [111]", "222 [222]"}, "Global Address List"},
        {{{"Ann", "111"}}, [](CSelectorWindow& w) { w.Type("Bo"); }, IDOK, {"Ann [111]"}, "Earlier Choice"},
        {{{"Ann", "111"}}, chooseGAL, IDCANCEL, {"Ann [111]"}, "Earlier Choice"},
    };
    for (const Case& c : cases)
    {
        LoadSettings({{"DefaultAddressBook", "Earlier Choice"}});
        Rows shown;
        EXPECT_EQ(c.button, Run(c.recipients, [&](CSelectorWindow& w) {
                      shown = w.Rows(kRecipients);
                      c.act(w);
                      w.Press(c.button);
                  }));
        EXPECT_EQ(c.shown, shown);
        EXPECT_EQ(c.button == IDOK ? c.shown : Rows{}, ContactTexts(m_Result));
        EXPECT_EQ(c.stored, Plugin().m_UserPreferences.GetDefaultAddressBook());
        EXPECT_EQ(std::optional<std::string>(c.stored), ReadText(kSettings, "DefaultAddressBook"));
        EXPECT_EQ("", m_DriverProblems);
    }
}

TEST_F(ContactSelectorLists, ClosingWithRowsListedAndBatchesQueuedLeavesNothingBehind)
{
    const int entries = 300;
    for (int entry = 0; entry < entries; ++entry)
    {
        char id[8];
        std::snprintf(id, sizeof(id), "f%03x", entry);
        AddGALEntry(id, (std::string("Entry ") + id).c_str(), (std::string("+4477009") + id).c_str());
    }
    LoadSettings({{"DefaultAddressBook", "Global Address List"}});
    const std::function<void(CSelectorWindow&)> endings[] = {
        [](CSelectorWindow& w) { ::SendMessageA(w.Handle(), WM_CLOSE, 0, 0); },
        [](CSelectorWindow& w) { w.Press(IDCANCEL); },
        [](CSelectorWindow& w) { w.Press(IDOK); },
    };
    const size_t rowDataSize = sizeof(CContactSelectorListItemData);
    for (const auto& end : endings)
    {
        const long rowDataBefore = LiveAllocationsOfSize(rowDataSize);
        Run({}, [&](CSelectorWindow& w) {
            w.WaitForRows(kAvailable, entries + 2);
            EXPECT_EQ(static_cast<size_t>(entries + 2), w.Rows(kAvailable).size());
            const std::uint32_t latest = LatestRequestId();
            for (int batch = 0; batch < 5; ++batch)
                PostBatch(w.Handle(), latest, {{"Queued", std::to_string(batch)}});
            end(w);
        });
        EXPECT_EQ(0, g_LiveBatches.load()) << "queued batches are freed";
        EXPECT_LT(LiveAllocationsOfSize(rowDataSize) - rowDataBefore, 20) << "the rows' data is freed";
        EXPECT_EQ(0, m_TestMAPI.LiveObjects());
    }
}

struct BookSwitchCase
{
    const char* name;
    const char* second;
    Rows secondRows;
};

// A contact folder of 1,000 entries, and two smaller books to switch to:
// another folder and the container.
class ContactSelectorBookSwitch : public ContactSelector, public ::testing::WithParamInterface<BookSwitchCase>
{
protected:
    void SetUp() override
    {
        ContactSelector::SetUp();
        for (int index = 0; index < 1000; ++index)
        {
            const std::wstring number = std::to_wstring(1000 + index);
            AddContact(L"Aaron Nash", L"+44770090" + number, number);
        }
        AddGALEntry("b001", "Carl Dean", "+447700900101");
        CFakeContactRow wendy;
        wendy.m_FullName = L"Wendy Work";
        wendy.m_Mobile = L"+447700900201";
        wendy.m_EntryId = L"0c01";
        m_WorkRows->push_back(wendy);
        m_Work = m_Outlook.NewContactFolder(L"Work", L"00ef", m_WorkRows);
        m_Outlook.AddressLists()->Add(m_Outlook.NewAddressList(L"Work", L"", m_Work));
    }

    std::shared_ptr<std::vector<CFakeContactRow>> m_WorkRows = std::make_shared<std::vector<CFakeContactRow>>();
    CFakeObjectPtr m_Work;
};

// The user chooses another book while the large one's table is read (its
// second block): the large book is read no further, and none of its entries
// is listed under the other one.
TEST_P(ContactSelectorBookSwitch, ASwitchDuringTheReadStopsItAtItsNextBlock)
{
    LoadSettings({{"DefaultAddressBook", "Global Address List"}});
    const CSelectorWindow* window = nullptr;
    bool switched = false;
    int readsAfterSwitch = 0;
    size_t listedUnderTheSecond = 0;
    OnEachTableRead(*m_ContactsFolder, [&](int read) {
        if (switched)
        {
            ++readsAfterSwitch;
            const Rows rows = window->Rows(kAvailable);
            listedUnderTheSecond += static_cast<size_t>(std::count_if(
                rows.begin(), rows.end(), [](const std::string& row) { return row.find("Aaron Nash") == 0; }));
        }
        // Past the search's 50 ms pump deadline: the pump after the first
        // block lists it.
        if (read == 1)
            ::Sleep(80);
        if (read == 2 && !switched)
        {
            switched = true;
            window->Choose(GetParam().second);
        }
    });
    Rows listed;
    std::string book;
    Run({}, [&](CSelectorWindow& w) {
        w.WaitForRows(kAvailable, 1);
        window = &w;
        w.Choose("Contacts");
        w.WaitUntil([&] { return w.Rows(kAvailable) == GetParam().secondRows; });
        CSelectorWindow::Pump(100);
        listed = w.Rows(kAvailable);
        book = w.SelectedBook();
        w.Press(IDCANCEL);
    });
    EXPECT_TRUE(switched);
    EXPECT_EQ(0, readsAfterSwitch) << "blocks of the large book read after the switch";
    EXPECT_EQ(0u, listedUnderTheSecond) << "rows of the large book listed under the other";
    EXPECT_EQ(GetParam().secondRows, listed);
    EXPECT_EQ(GetParam().second, book);
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ContactSelectorBookSwitch,
    ::testing::Values(BookSwitchCase{"ToAnotherFolder", "Work", {"Wendy Work [+447700900201]"}},
                      BookSwitchCase{"ToTheContainer", "Global Address List", {"Carl Dean [+447700900101]"}}),
    [](const ::testing::TestParamInfo<BookSwitchCase>& info) { return std::string(info.param.name); });

struct UnreadableBookCase
{
    const char* name;
    std::function<void(const CTestMAPI&)> fail;
    const char* line; // of the error box
};

class ContactSelectorUnreadableBook : public ContactSelectorLists,
                                      public ::testing::WithParamInterface<UnreadableBookCase>
{
};

// The user chooses "Global Address List" after Contacts was listed, and its
// container cannot be read: no row of Contacts stays under it, and one box
// says which book failed.
TEST_P(ContactSelectorUnreadableBook, ShowsNoRowOfTheBookBeforeAndSaysSoOnce)
{
    GetParam().fail(m_TestMAPI);
    Rows before, listed;
    std::string book;
    Run({}, [&](CSelectorWindow& w) {
        w.WaitForRows(kAvailable, 3);
        before = w.Rows(kAvailable);
        w.Choose("Global Address List");
        w.WaitUntil([&] { return !m_Boxes.Boxes().empty(); });
        CSelectorWindow::Pump(200);
        listed = w.Rows(kAvailable);
        book = w.SelectedBook();
        w.Press(IDCANCEL);
    });
    EXPECT_EQ(3u, before.size());
    EXPECT_EQ(Rows{}, listed);
    EXPECT_EQ("Global Address List", book);
    ASSERT_EQ(1u, m_Boxes.Boxes().size());
    EXPECT_EQ(std::string("An error has occured (Ctrl-C to copy)\n\nError occurred accessing these address "
                          "book(s):\n\n") +
                  GetParam().line + "\n\n\nFunction: CContactSelectorDlg::OnAsyncListItemBatch",
              m_Boxes.Boxes()[0].text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ContactSelectorUnreadableBook,
    ::testing::Values(
        UnreadableBookCase{"ItsTableFails",
                           [](const CTestMAPI& mapi) { mapi.FailCall("GetContentsTable", 0, E_FAIL); },
                           "Global Address List (COM exception thrown (Context:CMAPIUtils::OpenAddressBook - "
                           "Calling lpGAL->GetContentsTable) - CMAPIUtils::OpenAddressBook - lpGAL->"
                           "GetContentsTable failed, -2147467259)"},
        UnreadableBookCase{"ItCannotBeOpened",
                           [](const CTestMAPI& mapi) {
                               mapi.Reset();
                               mapi.AddContainer("aa01", "Global Address List", false);
                           },
                           "Global Address List"},
        // The dialog's own logon is the first.
        UnreadableBookCase{"TheWorkersLogonFailed",
                           [](const CTestMAPI& mapi) { mapi.FailCall("MAPILogonEx", 2, 0x80040111); },
                           "Global Address List (CMAPIUtils::LoginToCurrentSession - ::MAPILogonEx failed, "
                           "-2147221231)"}),
    [](const ::testing::TestParamInfo<UnreadableBookCase>& info) { return std::string(info.param.name); });

TEST(ContactSelectorBatches, ABatchForADialogWithoutWindowIsDeleted)
{
    CContactSelectorDlg selector;
    selector.PostListItemBatch(new CCountedBatch(1, {{"Nobody", "1"}}));
    EXPECT_EQ(0, g_LiveBatches.load());
    MSG message;
    EXPECT_FALSE(::PeekMessageA(&message, nullptr, CContactSelectorDlg::WM_USER_LISTITEMBATCH,
                                CContactSelectorDlg::WM_USER_LISTITEMBATCH, PM_REMOVE))
        << "nothing went to the thread's own queue";
}

} // namespace
