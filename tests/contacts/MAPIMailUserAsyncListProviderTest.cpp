// The address-book list provider against the test Outlook (contact folders
// and their tables) and the test MAPI (containers), with a message-window
// requester that keeps the batches of its latest lookup.
#include <gtest/gtest.h>

#include <mapicode.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "contacts/MAPIMailUser_AsyncListProvider.h"
#include "core/DateTimeUtils.h"
#include "core/WorkerThread.h"
#include "platform/Dispatch.h"
#include "tests/contacts/TestMAPI.h"
#include "tests/contacts/TraceCapture.h"
#include "tests/support/EventCapture.h"
#include "tests/support/FakeComTest.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/TestMessageWindow.h"

namespace
{
const char kGAL[] = "aa01";
const char kSecondContainer[] = "aa02";
const DWORD kGenerousMs = 20000;
const UINT kRunOnPump = WM_USER + 77;

using Params = CMAPIMailUser_AsyncListProviderFetchParameters;

std::unique_ptr<Params> Lookup(const std::string& text, const COutlookAddressBook* list = nullptr,
                               std::uint32_t resultType = Params::kResultTypeStrings)
{
    auto params = std::make_unique<Params>();
    params->m_SearchText = text;
    params->m_AddressList = list;
    params->m_ResultType = resultType;
    params->m_RequestId = CAsyncListProviderFetchParameters::TakeNextRequestId();
    return params;
}

CFakeContactRow Contact(const std::wstring& given, const std::wstring& surname, const std::wstring& mobile)
{
    CFakeContactRow row;
    row.m_FullName = given + L" " + surname;
    row.m_GivenName = given;
    row.m_Surname = surname;
    row.m_Mobile = mobile;
    row.m_EntryId = L"0f" + std::to_wstring(mobile.size()) + L"0";
    return row;
}

// Keeps the items of its latest lookup's batches; counts the others.
class CRequester : public IAsyncListProviderCallback
{
public:
    CRequester()
    {
        m_Window.SetHandler([this](UINT message, WPARAM, LPARAM lParam) {
            if (message == WM_AC_LISTITEMBATCH)
                Merge(std::unique_ptr<CAsyncListProviderListItemBatch>(
                    reinterpret_cast<CAsyncListProviderListItemBatch*>(lParam)));
            else if (message == kRunOnPump && m_OnPump)
                std::exchange(m_OnPump, nullptr)();
        });
    }

    void PostListItemBatch(CAsyncListProviderListItemBatch* batch) override
    {
        PostListItemBatchToWindow(m_Window.Handle(), WM_AC_LISTITEMBATCH, batch);
    }
    HWND BoxOwner() const override { return m_Window.Handle(); }

    CAsyncListProviderFetchResult Start(IAsyncListProvider& provider, std::unique_ptr<Params> params)
    {
        m_RequestId = params->m_RequestId;
        m_Items.clear();
        m_Details.clear();
        m_BatchSizes.clear();
        CAsyncListProviderFetchResult result;
        provider.StartListFetch(std::move(params), result, this);
        if (result.m_ImmediateBatch && !result.m_Deferred)
            Merge(std::move(result.m_ImmediateBatch), false);
        return result;
    }

    // Runs the action when the next pump dispatches this window's messages.
    void OnNextPump(std::function<void()> action)
    {
        m_OnPump = std::move(action);
        ::PostMessageA(m_Window.Handle(), kRunOnPump, 0, 0);
    }

    // Dispatches until the latest lookup has had the posted batches.
    bool WaitForPostedBatches(size_t count)
    {
        const DWORD start = ::GetTickCount();
        while (m_BatchSizes.size() < count && ::GetTickCount() - start < kGenerousMs)
        {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            Pump();
        }
        return m_BatchSizes.size() >= count;
    }

    void Pump()
    {
        MSG message;
        while (::PeekMessageA(&message, m_Window.Handle(), 0, 0, PM_REMOVE))
            ::DispatchMessageA(&message);
    }

    std::vector<std::string> m_Items;
    std::vector<CAsyncListProviderContactDetailsItem> m_Details;
    std::vector<size_t> m_BatchSizes; // posted batches of the latest lookup
    std::vector<std::string> m_Errors; // of every lookup's batches
    int m_Stale = 0;

private:
    void Merge(std::unique_ptr<CAsyncListProviderListItemBatch> batch, bool posted = true)
    {
        if (batch->m_RequestId != m_RequestId)
        {
            ++m_Stale;
            return;
        }
        size_t size = 0;
        if (auto* strings = dynamic_cast<CAsyncListProviderListItemBatch_StringArray*>(batch.get()))
        {
            m_Items.insert(m_Items.end(), strings->m_Items.begin(), strings->m_Items.end());
            size = strings->m_Items.size();
        }
        if (auto* details = dynamic_cast<CAsyncListProviderListItemBatch_ContactDetails*>(batch.get()))
        {
            for (const auto& item : details->m_Items)
                m_Details.push_back(*item);
            size = details->m_Items.size();
        }
        if (posted)
            m_BatchSizes.push_back(size);
        if (!batch->m_Error.empty())
            m_Errors.push_back(batch->m_Error);
    }

    CTestMessageWindow m_Window;
    std::uint32_t m_RequestId = 0;
    std::function<void()> m_OnPump;
};

class AddressBookProvider : public CFakeComTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_TestMAPI.IsOurs()) << "the test MAPI is not the loaded mapi32.dll";
        m_TestMAPI.Reset();
        m_TestMAPI.AddContainer(kGAL, "Global Address List", true);
        m_Rows->push_back(Contact(L"Ann", L"Lee", L"111"));
        m_Rows->push_back(Contact(L"Joanne", L"Smith", L"222"));
        m_Rows->push_back(Contact(L"Bob", L"Stone", L"333"));
        m_Folder = m_Outlook.NewContactFolder(L"Contacts", L"00ee", m_Rows);
        // The default contacts folder is the one the list stands for.
        m_Outlook.DefaultFolder(10)->SetProperty(L"EntryID", m_Folder->Value(L"EntryID"));
        m_Outlook.AddressLists()->Add(m_Outlook.NewAddressList(L"Contacts", L"", m_Folder));
        m_Outlook.AddressLists()->Add(m_Outlook.NewAddressList(L"Global Address List", L"aa01", nullptr));
    }

    void TearDown() override
    {
        m_Provider.reset();
        EXPECT_EQ(0, m_TestMAPI.LiveObjects());
    }

    CMAPIMailUser_AsyncListProvider& Provider()
    {
        if (!m_Provider)
        {
            m_Provider = std::make_unique<CMAPIMailUser_AsyncListProvider>();
            m_Provider->SetAddressBookExclusionList(m_Excluded);
            m_Provider->Initialise(m_Outlook.Application(), 16);
        }
        return *m_Provider;
    }

    const COutlookAddressBook* List(const std::string& name)
    {
        for (const auto& list : Provider().GetAddressLists())
            if (list->m_Name == name)
                return list.get();
        return nullptr;
    }

    CAsyncListProviderFetchResult Start(std::unique_ptr<Params> params)
    {
        return m_Requester.Start(Provider(), std::move(params));
    }

    std::vector<std::wstring> Filters()
    {
        std::vector<std::wstring> filters;
        for (const CFakeCall& call : m_Outlook.Log().CallsTo(L"MAPIFolder.GetTable"))
            filters.push_back(Dispatch::ToText(call.m_Arguments.at(0)));
        return filters;
    }

    void AddEntries(const char* container, int count, const char* prefix = "e")
    {
        for (int index = 0; index < count; ++index)
        {
            char id[32];
            char name[32];
            std::snprintf(id, sizeof(id), "%s%06x", container, m_NextEntry++);
            std::snprintf(name, sizeof(name), "%s%05d", prefix, index);
            m_TestMAPI.AddEntry({container, id, name, CMAPIMailUser::kMailUser, "07700", name, nullptr, nullptr,
                                 nullptr, 0});
        }
    }

    // Lines of the worker's waits: one per lookup it has finished.
    size_t WorkerWaits()
    {
        const auto lines = m_Trace.Lines();
        return std::count_if(lines.begin(), lines.end(), [](const std::wstring& line) {
            return line.find(L"Thread is waiting for a new async search request") != std::wstring::npos;
        });
    }

    bool TraceHas(const std::wstring& text)
    {
        const auto lines = m_Trace.Lines();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::wstring& line) { return line.find(text) != std::wstring::npos; });
    }

    // Contacts cannot be read (its store offline) beside a Work folder that
    // holds the rows.
    void OfflineContactsBesideWork(std::vector<CFakeContactRow> rows)
    {
        const CFakeObjectPtr work = m_Outlook.NewContactFolder(
            L"Work", L"00ef", std::make_shared<std::vector<CFakeContactRow>>(std::move(rows)));
        m_Outlook.AddressLists()->Add(m_Outlook.NewAddressList(L"Work", L"", work));
        m_Folder->Fail(L"GetTable", E_ACCESSDENIED, L"The store is offline.");
    }

    bool WaitForWorkerWaits(size_t count)
    {
        const DWORD start = ::GetTickCount();
        while (WorkerWaits() < count && ::GetTickCount() - start < kGenerousMs)
            ::Sleep(5);
        m_Requester.Pump();
        return WorkerWaits() >= count;
    }

    CTestMAPI m_TestMAPI;
    CTraceCapture m_Trace;
    CFakeOutlook m_Outlook;
    std::shared_ptr<std::vector<CFakeContactRow>> m_Rows = std::make_shared<std::vector<CFakeContactRow>>();
    CFakeObjectPtr m_Folder;
    std::vector<std::string> m_Excluded;
    int m_NextEntry = 0;
    CRequester m_Requester;
    std::unique_ptr<CMAPIMailUser_AsyncListProvider> m_Provider;
};

struct FolderLookupCase
{
    const char* name;
    std::vector<std::string> texts; // typed one after the other
    std::vector<std::string> items; // of the last
    size_t outlookQueries;
};

class AddressBookProviderFolderLookups : public AddressBookProvider,
                                         public ::testing::WithParamInterface<FolderLookupCase>
{
};

TEST_P(AddressBookProviderFolderLookups, ListsMatchesQueryingOutlookOncePerInitial)
{
    for (const std::string& text : GetParam().texts)
        Start(Lookup(text));
    EXPECT_EQ(GetParam().items, m_Requester.m_Items);
    EXPECT_EQ(GetParam().outlookQueries, Filters().size());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddressBookProviderFolderLookups,
    ::testing::Values(
        FolderLookupCase{"OneLetter", {"a"}, {"Ann Lee [111]", "Joanne Smith [222]"}, 1},
        FolderLookupCase{"LongerFromCache", {"a", "ann"}, {"Ann Lee [111]", "Joanne Smith [222]"}, 1},
        FolderLookupCase{"OtherInitialQueriesAgain", {"a", "jo"}, {"Joanne Smith [222]"}, 2},
        FolderLookupCase{"NarrowedByFirstLetter", {"Smi"}, {"Joanne Smith [222]"}, 1},
        FolderLookupCase{"LeadingBlanksAndBreaks", {" \r\nbo"}, {"Bob Stone [333]"}, 1},
        FolderLookupCase{"Digits", {"0123"}, {}, 0}, FolderLookupCase{"Plus", {"+44 77"}, {}, 0}),
    [](const ::testing::TestParamInfo<FolderLookupCase>& info) { return std::string(info.param.name); });

TEST_F(AddressBookProvider, NumberWithoutAddressListSearchesNothing)
{
    const CAsyncListProviderFetchResult result = Start(Lookup("+4477"));
    EXPECT_FALSE(result.m_Pending);
    EXPECT_FALSE(Provider().IsFetchInProgress());
    EXPECT_EQ("", m_TestMAPI.Journal()); // no worker, no logon
}

TEST_F(AddressBookProvider, FilterBytesDoubleTheQuote)
{
    m_Rows->push_back(Contact(L"Pat", L"O'Brien", L"444"));
    CMessageBoxCapture boxes;
    Start(Lookup("a"));
    Start(Lookup("'b"));
    const std::vector<std::wstring> expected = {
        L"@SQL=\"urn:schemas:contacts:givenName\" LIKE '%a%' OR \"urn:schemas:contacts:sn\" LIKE '%a%'",
        L"@SQL=\"urn:schemas:contacts:givenName\" LIKE '%''%' OR \"urn:schemas:contacts:sn\" LIKE '%''%'"};
    EXPECT_EQ(expected, Filters());
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(std::vector<std::string>{"Pat O'Brien [444]"}, m_Requester.m_Items);
}

TEST_F(AddressBookProvider, AddressListThatIsAFolderListsTheWholeFolderAtOnce)
{
    CFakeContactRow team;
    team.m_FullName = L"Team [A]";
    team.m_EntryId = L"0a0b";
    team.m_MessageClass = L"IPM.DistList";
    m_Rows->push_back(team);
    CFakeContactRow company;
    company.m_Company = L"Acme; Ltd";
    company.m_Mobile = L"555";
    company.m_EntryId = L"0c";
    m_Rows->push_back(company);

    const CAsyncListProviderFetchResult result = Start(Lookup("", List("Contacts")));

    EXPECT_FALSE(result.m_Pending);
    EXPECT_EQ((std::vector<std::string>{"Ann Lee [111]", "Joanne Smith [222]", "Bob Stone [333]", "Team (A) []",
                                        "Acme, Ltd [555]"}),
              m_Requester.m_Items);
    EXPECT_EQ(std::vector<std::wstring>{L""}, Filters());
    EXPECT_EQ("", m_TestMAPI.Journal());
    // A restricted search fills no cache.
    Start(Lookup("a"));
    EXPECT_EQ(2u, Filters().size());
}

TEST_F(AddressBookProvider, DistributionListFromAFolderCarriesTheStoreId)
{
    CFakeContactRow team;
    team.m_FullName = L"Team";
    team.m_Surname = L"Team";
    team.m_EntryId = L"0A0B";
    team.m_MessageClass = L"IPM.DistList";
    m_Rows->push_back(team);

    Start(Lookup("te", List("Contacts"), Params::kResultTypeContactDetails));

    ASSERT_EQ(1u, m_Requester.m_Details.size());
    const CAsyncListProviderContactDetailsItem& item = m_Requester.m_Details[0];
    EXPECT_EQ("Team", item.m_Name);
    EXPECT_EQ("", item.m_Number);
    EXPECT_TRUE(item.m_IsDistributionList);
    EXPECT_FALSE(item.m_IsMobile);
    EXPECT_EQ("0a0b", CMAPIUtils::EntryIdToString(item.m_EntryId));
    EXPECT_EQ("00ee", CMAPIUtils::EntryIdToString(item.m_OutlookEntryId));
    EXPECT_EQ(2u, item.m_Source);
}

struct BlockCase
{
    const char* name;
    int entries;
    std::vector<size_t> batches;
};

class AddressBookProviderBlocks : public AddressBookProvider, public ::testing::WithParamInterface<BlockCase>
{
};

TEST_P(AddressBookProviderBlocks, WholeContainerInBlocksOfAHundred)
{
    AddEntries(kGAL, GetParam().entries);
    const CAsyncListProviderFetchResult result = Start(Lookup("", List("Global Address List")));
    EXPECT_TRUE(result.m_Pending);
    ASSERT_TRUE(WaitForWorkerWaits(1));
    EXPECT_EQ(GetParam().batches, m_Requester.m_BatchSizes);
    EXPECT_EQ(static_cast<size_t>(GetParam().entries), m_Requester.m_Items.size());
    EXPECT_TRUE(Filters().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, AddressBookProviderBlocks,
                         ::testing::Values(BlockCase{"Empty", 0, {0}}, BlockCase{"Short", 50, {50}},
                                           BlockCase{"ExactlyOneBlock", 100, {100, 0}},
                                           BlockCase{"TwoAndAHalf", 250, {100, 100, 50}}),
                         [](const ::testing::TestParamInfo<BlockCase>& info) { return std::string(info.param.name); });

TEST_F(AddressBookProvider, BlocksThinnedByDuplicatesDoNotEndTheContainer)
{
    // The first 100 rows are 50 people listed twice each.
    for (int index = 0; index < 100; ++index)
    {
        const std::string name = "dup" + std::to_string(index / 2);
        const std::string id = "dd" + std::to_string(1000 + index);
        m_TestMAPI.AddEntry({kGAL, id.c_str(), name.c_str(), CMAPIMailUser::kMailUser, "07700", name.c_str(), "S",
                             nullptr, nullptr, 0});
    }
    AddEntries(kGAL, 30);
    Start(Lookup("", List("Global Address List")));
    ASSERT_TRUE(WaitForWorkerWaits(1));
    EXPECT_EQ((std::vector<size_t>{50, 30}), m_Requester.m_BatchSizes);
}

TEST_F(AddressBookProvider, PlainLookupSearchesFoldersAtOnceAndContainersByName)
{
    AddEntries(kGAL, 3, "zed");
    AddEntries(kGAL, 2, "amy");
    const CAsyncListProviderFetchResult result = Start(Lookup("am"));
    EXPECT_TRUE(result.m_Pending);
    EXPECT_EQ(std::vector<std::string>{}, m_Requester.m_Items); // "a" matched, "am" in no name
    ASSERT_TRUE(WaitForWorkerWaits(1));
    EXPECT_EQ(std::vector<size_t>{2}, m_Requester.m_BatchSizes);
    EXPECT_EQ((std::vector<std::string>{"amy00000 [07700]", "amy00001 [07700]"}), m_Requester.m_Items);
    EXPECT_NE(std::string::npos, m_TestMAPI.Journal().find(":\"am\", 0x0)\nQueryRows(100, 0x0)"));
}

TEST_F(AddressBookProvider, ExcludedAddressListIsNeitherListedNorSearched)
{
    m_Excluded = {"Global Address List"};
    AddEntries(kGAL, 2, "amy");
    ASSERT_EQ(1u, Provider().GetAddressLists().size());
    EXPECT_EQ("Contacts", Provider().GetAddressLists()[0]->m_Name);
    Start(Lookup("a"));
    ASSERT_TRUE(WaitForWorkerWaits(1));
    EXPECT_EQ(std::string::npos, m_TestMAPI.Journal().find("OpenEntry"));
    EXPECT_TRUE(m_Requester.m_BatchSizes.empty());
}

struct NumbersCase
{
    const char* name;
    bool businessAndHome;
    bool withoutMobile;
    const char* mobile;
    std::vector<std::string> items;
};

class AddressBookProviderNumbers : public AddressBookProvider, public ::testing::WithParamInterface<NumbersCase>
{
};

TEST_P(AddressBookProviderNumbers, ItemsPerNumberAskedFor)
{
    m_TestMAPI.AddEntry({kGAL, "c001", "Lee, Ann", CMAPIMailUser::kMailUser, GetParam().mobile, "Ann", "Lee",
                         "0201", "0301", 0});
    m_TestMAPI.AddEntry({kGAL, "c002", "Staff", CMAPIMailUser::kDistributionList, nullptr, nullptr, nullptr, nullptr,
                         nullptr, 0});
    auto params = Lookup("", List("Global Address List"));
    params->m_IncludeBusinessAndHomeNumbers = GetParam().businessAndHome;
    params->m_IncludeEntriesWithoutMobile = GetParam().withoutMobile;
    Start(std::move(params));
    ASSERT_TRUE(WaitForWorkerWaits(1));
    EXPECT_EQ(GetParam().items, m_Requester.m_Items);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddressBookProviderNumbers,
    ::testing::Values(NumbersCase{"MobileOnly", false, false, "0701", {"Ann Lee [0701]"}},
                      NumbersCase{"AllThree", true, false, "0701", {"Ann Lee [0201]", "Ann Lee [0301]", "Ann Lee [0701]"}},
                      NumbersCase{"NoMobileNoEntry", false, false, nullptr, {}},
                      NumbersCase{"NoMobileAskedFor", false, true, nullptr, {"Ann Lee []"}},
                      NumbersCase{"BusinessAndHomeWithoutMobile", true, false, nullptr, {"Ann Lee [0201]", "Ann Lee [0301]"}}),
    [](const ::testing::TestParamInfo<NumbersCase>& info) { return std::string(info.param.name); });

TEST_F(AddressBookProvider, DistributionListsFromContainersOnlyWhenAskedFor)
{
    m_TestMAPI.AddEntry({kGAL, "c002", "Staff", CMAPIMailUser::kDistributionList, nullptr, nullptr, nullptr, nullptr,
                         nullptr, 0});
    auto params = Lookup("", List("Global Address List"), Params::kResultTypeContactDetails);
    params->m_IncludeDistributionLists = true;
    Start(std::move(params));
    ASSERT_TRUE(WaitForWorkerWaits(1));
    ASSERT_EQ(1u, m_Requester.m_Details.size());
    EXPECT_TRUE(m_Requester.m_Details[0].m_IsDistributionList);
    EXPECT_EQ("Staff", m_Requester.m_Details[0].m_Name);
    EXPECT_EQ(1u, m_Requester.m_Details[0].m_Source);
    EXPECT_TRUE(m_Requester.m_Details[0].m_OutlookEntryId.IsEmpty());
}

TEST_F(AddressBookProvider, FailingFolderIsListedInTheBoxAndTheOthersKeepTheirResults)
{
    OfflineContactsBesideWork({Contact(L"Alan", L"Work", L"999")});
    CMessageBoxCapture boxes;

    Start(Lookup("a"));

    EXPECT_EQ(std::vector<std::string>{"Alan Work [999]"}, m_Requester.m_Items);
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("An error has occured (Ctrl-C to copy)\n\nError occurred accessing these address book(s):\n\n"
              "Contacts (The store is offline., -2147024891)\n\n\n"
              "Function: CMAPIMailUser_AsyncListProvider::DoSynchronousListFetch",
              boxes.Boxes()[0].text);
    EXPECT_TRUE(TraceHas(L"DoSynchronousListFetch (try-catch-1) COM Exception raised"));
}

// Contacts fails at its table every time beside the readable Work folder.
// A name typed letter by letter (each text running on from the one before
// or back into it) tells it once, in a box of the requester's window, and is
// answered from what Work gave; the next name (another initial, or the same
// after the requester ended the name by a cancel) reads Contacts again and,
// once it reads, finds it and caches the letter whole.
TEST_F(AddressBookProvider, AnUnreadableFolderIsToldOncePerName)
{
    OfflineContactsBesideWork({Contact(L"Alan", L"Work", L"999"), Contact(L"Bea", L"Work", L"998")});
    CMessageBoxCapture boxes;

    struct Step
    {
        const char* text;
        bool ended; // the requester ends the name before the step
        bool recovered; // Contacts reads again from this step on
        size_t boxes;
        size_t tables;
        std::vector<std::string> items;
    };
    const Step steps[] = {
        {"a", false, false, 1, 2, {"Alan Work [999]", "Bea Work [998]"}},
        {"al", false, false, 1, 2, {"Alan Work [999]"}},
        {"ala", false, false, 1, 2, {"Alan Work [999]"}},
        {"al", false, false, 1, 2, {"Alan Work [999]"}},
        {"al", true, false, 2, 4, {"Alan Work [999]"}},
        {"b", false, false, 3, 6, {"Bea Work [998]"}},
        {"be", false, false, 3, 6, {"Bea Work [998]"}},
        {"a", false, false, 4, 8, {"Alan Work [999]", "Bea Work [998]"}},
        {"an", false, true, 4, 8, {"Alan Work [999]"}},
        {"an", true, true, 4, 10, {"Ann Lee [111]", "Joanne Smith [222]", "Alan Work [999]"}},
        {"a", false, true, 4, 10, {"Ann Lee [111]", "Joanne Smith [222]", "Alan Work [999]", "Bea Work [998]"}},
        {"a", true, true, 4, 10, {"Ann Lee [111]", "Joanne Smith [222]", "Alan Work [999]", "Bea Work [998]"}},
    };
    for (const Step& step : steps)
    {
        SCOPED_TRACE(std::string(step.text) + (step.ended ? " after the end" : ""));
        if (step.recovered)
            m_Folder->ClearFailure(L"GetTable");
        if (step.ended)
            Provider().CancelAsyncFetch(nullptr);
        Start(Lookup(step.text));
        EXPECT_EQ(step.items, m_Requester.m_Items);
        EXPECT_EQ(step.boxes, boxes.Boxes().size());
        EXPECT_EQ(step.tables, Filters().size());
    }
    for (const CapturedMessageBox& box : boxes.Boxes())
    {
        EXPECT_EQ(m_Requester.BoxOwner(), box.owner);
        EXPECT_NE(std::string::npos, box.text.find("Contacts (The store is offline., -2147024891)")) << box.text;
    }
}

// The nearest lookups that are not the same name: another requester (the
// Send SMS window beside the selector) typing a text that runs on, the
// first requester again after it, and the same requester's text limited to
// one book. Each starts a name of its own and is told of the unreadable
// folder, in its own window.
TEST_F(AddressBookProvider, AnotherRequesterOrBookStartsANameOfItsOwn)
{
    OfflineContactsBesideWork({Contact(L"Alan", L"Work", L"999")});
    CMessageBoxCapture boxes;
    CRequester other;
    struct Step
    {
        const char* text;
        CRequester* by;
        const char* book;  // chosen; null: every book
    };
    const Step steps[] = {
        {"a", &m_Requester, nullptr},
        {"al", &other, nullptr},
        {"ala", &m_Requester, nullptr},
        {"alan", &m_Requester, "Contacts"},
    };
    size_t told = 0;
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.text);
        step.by->Start(Provider(), Lookup(step.text, step.book ? List(step.book) : nullptr));
        ASSERT_EQ(++told, boxes.Boxes().size());
        EXPECT_EQ(step.by->BoxOwner(), boxes.Boxes().back().owner);
    }
}

class AddressBookProviderChosenBook : public AddressBookProvider, public ::testing::WithParamInterface<bool>
{
};

// One book chosen, which cannot be read: a name typed letter by letter
// there tells it once, whether the folders' search (Contacts, in a box) or
// the worker (the Global Address List, in an error batch) reads it; the same
// book after the requester ended the name, or another book, tells again.
TEST_P(AddressBookProviderChosenBook, AnUnreadableChosenBookIsToldOncePerName)
{
    const bool byTheWorker = GetParam();
    if (byTheWorker)
        m_TestMAPI.FailCall("GetContentsTable", 0, MAPI_E_CALL_FAILED);
    else
        m_Folder->Fail(L"GetTable", E_ACCESSDENIED, L"The store is offline.");
    const char* const book = byTheWorker ? "Global Address List" : "Contacts";
    CMessageBoxCapture boxes;
    struct Step
    {
        const char* text;
        bool ended; // the requester ends the name before the step
        size_t told;
    };
    const Step steps[] = {{"j", false, 1}, {"jo", false, 1}, {"joa", false, 1}, {"jo", false, 1},
                          {"jo", true, 2}, {"b", false, 3}};
    size_t lookups = 0;
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.text);
        if (step.ended)
            Provider().CancelAsyncFetch(nullptr);
        Start(Lookup(step.text, List(book), Params::kResultTypeContactDetails));
        if (byTheWorker)
        {
            ASSERT_TRUE(WaitForWorkerWaits(++lookups));
        }
        EXPECT_EQ(step.told, byTheWorker ? m_Requester.m_Errors.size() : boxes.Boxes().size());
    }
    EXPECT_EQ(byTheWorker ? 0u : 3u, boxes.Boxes().size());
}

INSTANTIATE_TEST_SUITE_P(Cases, AddressBookProviderChosenBook, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "ReadByTheWorker" : "AFolder");
                         });

struct FailingFolderCase
{
    const char* name;
    bool atItsTable; // else after its first block, the rows one by one refused too
    size_t itemsOfA;
};

class AddressBookProviderFailingFolder : public AddressBookProvider,
                                         public ::testing::WithParamInterface<FailingFolderCase>
{
};

// The folder fails while "a" is looked up and answers again when "al"
// follows as the next name: "al" asks Outlook again and finds the contact
// that "a" did not reach; once read whole, the letter is cached as before.
TEST_P(AddressBookProviderFailingFolder, ASearchThatMetAFailureIsNotCached)
{
    m_Rows->clear();
    for (int index = 0; index < 300; ++index)
        m_Rows->push_back(Contact(L"Aaron", L"Nash", std::to_wstring(1000 + index)));
    m_Rows->push_back(Contact(L"Alice", L"Smith", L"999"));
    bool failing = true;
    if (GetParam().atItsTable)
        m_Folder->Fail(L"GetTable", MAPI_E_NETWORK_ERROR, L"The server is not available.");
    else
        ChangeEachTable(*m_Folder, [&failing](CFakeObject& table) {
            if (!failing)
                return;
            table.Fail(L"GetNextRow", MAPI_E_NETWORK_ERROR, L"The server is not available.");
            const CFakeObject::Method getArray = table.MethodOf(L"GetArray");
            auto blocks = std::make_shared<int>(0);
            table.SetMethod(L"GetArray", [getArray, blocks](const CFakeObject::Arguments& arguments) {
                if (++*blocks > 1)
                    FakeThrow(MAPI_E_NETWORK_ERROR, L"The server is not available.");
                return getArray(arguments);
            });
        });
    CMessageBoxCapture boxes;

    Start(Lookup("a"));
    EXPECT_EQ(GetParam().itemsOfA, m_Requester.m_Items.size());
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_NE(std::string::npos, boxes.Boxes()[0].text.find("Contacts (The server is not available., -2147221227)"))
        << boxes.Boxes()[0].text;

    failing = false;
    m_Folder->ClearFailure(L"GetTable");
    Provider().CancelAsyncFetch(nullptr);
    Start(Lookup("al"));
    EXPECT_EQ(std::vector<std::string>{"Alice Smith [999]"}, m_Requester.m_Items);
    EXPECT_EQ(2u, Filters().size());

    Start(Lookup("ali"));
    EXPECT_EQ(std::vector<std::string>{"Alice Smith [999]"}, m_Requester.m_Items);
    EXPECT_EQ(2u, Filters().size()) << "the whole read is cached";
    EXPECT_EQ(1u, boxes.Boxes().size());
}

INSTANTIATE_TEST_SUITE_P(Cases, AddressBookProviderFailingFolder,
                         ::testing::Values(FailingFolderCase{"AtItsTable", true, 0},
                                           FailingFolderCase{"HalfWay", false, 250}),
                         [](const ::testing::TestParamInfo<FailingFolderCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(AddressBookProvider, FailingContainerIsLeftAndTheWorkerGoesOn)
{
    m_TestMAPI.AddContainer(kSecondContainer, "Second", true);
    m_Outlook.AddressLists()->Add(m_Outlook.NewAddressList(L"Second", L"aa02", nullptr));
    AddEntries(kGAL, 2, "amy");
    AddEntries(kSecondContainer, 3, "abe");
    m_TestMAPI.FailCall("GetContentsTable", 1, MAPI_E_CALL_FAILED);

    Start(Lookup("a"));

    ASSERT_TRUE(WaitForWorkerWaits(1));
    EXPECT_EQ(std::vector<size_t>{3}, m_Requester.m_BatchSizes);
    EXPECT_TRUE(TraceHas(L"WorkerThread COM Exception raised"));
    EXPECT_TRUE(TraceHas(L"Finish processing current address book"));
}

TEST_F(AddressBookProvider, WorkerWhoseLogonFailedLeavesTheFoldersServing)
{
    m_TestMAPI.FailCall("MAPILogonEx", 0, MAPI_E_LOGON_FAILED);
    AddEntries(kGAL, 2, "amy");
    CEventLogCapture events;
    Start(Lookup("a"));
    Start(Lookup("b"));
    EXPECT_EQ(std::vector<std::string>{"Bob Stone [333]"}, m_Requester.m_Items);
    Provider().Stop();
    m_Requester.Pump();
    EXPECT_TRUE(m_Requester.m_BatchSizes.empty());
    EXPECT_EQ(std::string::npos, m_TestMAPI.Journal().find("OpenAddressBook"));
}

// The worker ends MAPI only when its own start succeeded: inside Outlook the
// count MAPIUninitialize lowers is shared with Outlook's session. While it
// lives it is one of the module's own threads (the module stays loaded).
TEST_F(AddressBookProvider, WorkerEndsOnlyTheMAPIItStarted)
{
    size_t lookups = 0;
    for (const bool refused : {false, true})
    {
        SCOPED_TRACE(refused ? "start refused" : "started");
        m_Provider.reset();
        std::optional<CScopedMAPIFailure> refusal;
        if (refused)
            refusal.emplace(m_TestMAPI, "MAPIInitialize", MAPI_E_NOT_INITIALIZED);
        const size_t journalStart = m_TestMAPI.Journal().size();
        const LONG threads = ModuleThreadCount();
        Start(Lookup("a"));
        ASSERT_TRUE(WaitForWorkerWaits(++lookups));
        EXPECT_EQ(threads + 1, ModuleThreadCount());
        Provider().Stop();
        EXPECT_EQ(threads, ModuleThreadCount());
        const std::string journal = m_TestMAPI.Journal().substr(journalStart);
        EXPECT_NE(std::string::npos, journal.find("MAPIInitialize(")) << journal;
        EXPECT_EQ(!refused, journal.find("MAPIUninitialize(") != std::string::npos) << journal;
    }
}

class AddressBookProviderStops : public AddressBookProvider, public ::testing::WithParamInterface<bool>
{
};

// Also when the provider is initialised again in the same pump.
TEST_P(AddressBookProviderStops, StopDuringTheSearchDropsItsResults)
{
    // The folder answers slowly, so that the search pumps after it.
    const CFakeObjectPtr inner = m_Outlook.NewContactFolder(L"Contacts", L"00ee", m_Rows);
    m_Folder->SetMethod(L"GetTable", [inner](const CFakeObject::Arguments& arguments) {
        ::Sleep(120);
        return Dispatch::Call(inner, L"GetTable", arguments.at(0), arguments.at(1));
    });
    const bool initialiseAgain = GetParam();
    m_Requester.OnNextPump([this, initialiseAgain] {
        Provider().Stop();
        if (initialiseAgain)
            Provider().Initialise(m_Outlook.Application(), 16);
    });

    CAsyncListProviderFetchResult result;
    Provider().StartListFetch(Lookup("a"), result, &m_Requester);

    EXPECT_EQ(nullptr, result.m_ImmediateBatch);
    EXPECT_TRUE(m_Requester.m_Items.empty());
    EXPECT_FALSE(TraceHas(L"Matching contacts have been transfered"));
    EXPECT_EQ(0u, m_Outlook.Log().CallsTo(L"Table.GetNextRow").size());
}

// The folder's error box dispatches as any loop does: a Stop there (and an
// Initialise) leaves nothing of the search behind, neither its matches nor
// what it read for the name it was typing.
TEST_P(AddressBookProviderStops, StopInsideTheFolderBoxDropsWhatTheSearchRead)
{
    OfflineContactsBesideWork({Contact(L"Alan", L"Work", L"999")});
    const bool initialiseAgain = GetParam();
    CMessageBoxCapture boxes;
    boxes.WhileUp([&](const CapturedMessageBox&) {
        Provider().Stop();
        if (initialiseAgain)
            Provider().Initialise(m_Outlook.Application(), 16);
    });

    const CAsyncListProviderFetchResult result = Start(Lookup("a"));

    EXPECT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(nullptr, result.m_ImmediateBatch);
    EXPECT_TRUE(m_Requester.m_Items.empty());
    if (!initialiseAgain)
        return;
    m_Folder->ClearFailure(L"GetTable");
    Start(Lookup("an"));
    EXPECT_EQ((std::vector<std::string>{"Ann Lee [111]", "Joanne Smith [222]", "Alan Work [999]"}), m_Requester.m_Items);
    EXPECT_EQ(4u, Filters().size());
}

INSTANTIATE_TEST_SUITE_P(Cases, AddressBookProviderStops, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "InitialisedAgain" : "Stopped");
                         });

TEST_F(AddressBookProvider, LookupStartedDuringThePumpIsServedByTheOuterSearch)
{
    const CFakeObjectPtr inner = m_Outlook.NewContactFolder(L"Contacts", L"00ee", m_Rows);
    m_Folder->SetMethod(L"GetTable", [inner](const CFakeObject::Arguments& arguments) {
        ::Sleep(120);
        return Dispatch::Call(inner, L"GetTable", arguments.at(0), arguments.at(1));
    });
    AddEntries(kGAL, 2, "bea");
    CAsyncListProviderFetchResult innerResult;
    m_Requester.OnNextPump([&] { innerResult = Start(Lookup("b")); });

    // The outer lookup is the folder's alone: nothing of it is pending.
    Start(Lookup("a", List("Contacts")));

    EXPECT_TRUE(innerResult.m_Deferred);
    EXPECT_TRUE(Provider().IsFetchInProgress());
    ASSERT_TRUE(m_Requester.WaitForPostedBatches(1));
    // The worker's batch may come in while the outer search pumps.
    std::sort(m_Requester.m_Items.begin(), m_Requester.m_Items.end());
    EXPECT_EQ((std::vector<std::string>{"Bob Stone [333]", "bea00000 [07700]", "bea00001 [07700]"}),
              m_Requester.m_Items);
    // "a" and "b", each through the slow folder and the one behind it.
    EXPECT_EQ(4u, Filters().size());
}

TEST_F(AddressBookProvider, LookupSupersededBetweenBlocksIsCancelled)
{
    AddEntries(kGAL, 20000); // 200 blocks: the worker is still reading when "bo" comes
    Start(Lookup("", List("Global Address List")));
    ASSERT_TRUE(m_Requester.WaitForPostedBatches(1));

    Start(Lookup("bo"));

    ASSERT_TRUE(m_Requester.WaitForPostedBatches(1));
    EXPECT_TRUE(TraceHas(L"Current search is being cancelled as search criterior has changed"));
    EXPECT_EQ(std::vector<std::string>{"Bob Stone [333]"}, m_Requester.m_Items);
    EXPECT_EQ(std::vector<size_t>{0}, m_Requester.m_BatchSizes);
}

// How the table answers GetArray.
enum class ArrayAnswer
{
    kAsOutlookGivesIt, // rows by columns
    kRefused,
    kTransposed,       // columns by rows
    kOtherShape,       // a column more than the table was given
};

// GetArray's answer changed to the given form.
_variant_t Reshaped(const _variant_t& answer, ArrayAnswer shape)
{
    SAFEARRAY* const array = V_ARRAY(&answer);
    LONG upper[2] = {-1, -1};
    ::SafeArrayGetUBound(array, 1, &upper[0]);
    ::SafeArrayGetUBound(array, 2, &upper[1]);
    const ULONG rows = static_cast<ULONG>(upper[0] + 1);
    const ULONG columns = static_cast<ULONG>(upper[1] + 1);
    const bool transposed = shape == ArrayAnswer::kTransposed;
    SAFEARRAYBOUND bounds[2] = {{transposed ? columns : rows, 0}, {transposed ? rows : columns + 1, 0}};
    SAFEARRAY* const reshaped = ::SafeArrayCreate(VT_VARIANT, 2, bounds);
    for (LONG row = 0; row < static_cast<LONG>(rows); ++row)
    {
        for (LONG column = 0; column < static_cast<LONG>(columns); ++column)
        {
            _variant_t value;
            LONG from[2] = {row, column};
            ::SafeArrayGetElement(array, from, &value);
            LONG to[2] = {transposed ? column : row, transposed ? row : column};
            ::SafeArrayPutElement(reshaped, to, &value);
        }
        if (!transposed)
        {
            _variant_t extra(L"extra");
            LONG to[2] = {row, static_cast<LONG>(columns)};
            ::SafeArrayPutElement(reshaped, to, &extra);
        }
    }
    _variant_t result;
    V_VT(&result) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&result) = reshaped;
    return result;
}

struct TableReadCase
{
    const char* name;
    ArrayAnswer answer;
    size_t getArrayCalls;
    size_t nextRowCalls;
};

class AddressBookProviderTableReads : public AddressBookProvider, public ::testing::WithParamInterface<TableReadCase>
{
};

// 600 rows pass Outlook's filter ("a" is in Nash), every third matches "an":
// the table is read in blocks whose boundaries fall among the matches. The
// blocks are read as Outlook gives them, the first dimension the rows; one
// whose first dimension holds the seven columns is read the other way round,
// and one of another shape makes the table be read again row by row.
TEST_P(AddressBookProviderTableReads, MatchesInTheTablesOrderWhateverTheBlocks)
{
    m_Rows->clear();
    std::vector<std::string> expected;
    for (int index = 0; index < 600; ++index)
    {
        const bool match = index % 3 == 0;
        m_Rows->push_back(Contact(match ? L"Ann" : L"Bob", L"Nash", std::to_wstring(1000 + index)));
        if (match)
            expected.push_back("Ann Nash [" + std::to_string(1000 + index) + "]");
    }
    const ArrayAnswer answer = GetParam().answer;
    ChangeEachTable(*m_Folder, [answer](CFakeObject& table) {
        if (answer == ArrayAnswer::kRefused)
            table.Fail(L"GetArray", E_INVALIDARG, L"One or more parameter values are not valid.");
        if (answer != ArrayAnswer::kTransposed && answer != ArrayAnswer::kOtherShape)
            return;
        const CFakeObject::Method getArray = table.MethodOf(L"GetArray");
        table.SetMethod(L"GetArray", [getArray, answer](const CFakeObject::Arguments& arguments) {
            return Reshaped(getArray(arguments), answer);
        });
    });
    CMessageBoxCapture boxes;

    Start(Lookup("an"));

    EXPECT_EQ(expected, m_Requester.m_Items);
    EXPECT_EQ(GetParam().getArrayCalls, m_Outlook.Log().CallsTo(L"Table.GetArray").size());
    EXPECT_EQ(GetParam().nextRowCalls, m_Outlook.Log().CallsTo(L"Table.GetNextRow").size());
    EXPECT_TRUE(boxes.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, AddressBookProviderTableReads,
                         ::testing::Values(TableReadCase{"InBlocks", ArrayAnswer::kAsOutlookGivesIt, 3, 0},
                                           TableReadCase{"RowByRowWhereGetArrayIsRefused", ArrayAnswer::kRefused, 1, 600},
                                           TableReadCase{"InTransposedBlocks", ArrayAnswer::kTransposed, 3, 0},
                                           TableReadCase{"RowByRowAfterABlockOfAnotherShape", ArrayAnswer::kOtherShape,
                                                         1, 600}),
                         [](const ::testing::TestParamInfo<TableReadCase>& info) { return std::string(info.param.name); });

TEST_F(AddressBookProvider, LookupSupersededBetweenTwoBlocksOfTheFolderIsHandedNothingMore)
{
    m_Rows->clear();
    std::vector<std::string> bobs;
    for (int index = 0; index < 600; ++index)
    {
        m_Rows->push_back(Contact(index % 2 ? L"Ann" : L"Bob", L"Nash", std::to_wstring(1000 + index)));
        if (index % 2 == 0)
            bobs.push_back("Bob Nash [" + std::to_string(1000 + index) + "]");
    }
    // Each block outlasts the pump's rhythm, so that a pump follows it; "bo"
    // is typed in the pump after the second block of "a".
    int blocks = 0;
    size_t itemsOfA = 0;
    ChangeEachTable(*m_Folder, [&](CFakeObject& table) {
        const CFakeObject::Method getArray = table.MethodOf(L"GetArray");
        table.SetMethod(L"GetArray", [&, getArray](const CFakeObject::Arguments& arguments) {
            if (++blocks == 2)
                m_Requester.OnNextPump([&] {
                    itemsOfA = m_Requester.m_Items.size();
                    Start(Lookup("bo"));
                });
            ::Sleep(80);
            return getArray(arguments);
        });
    });

    Start(Lookup("a"));
    m_Requester.Pump();

    EXPECT_EQ(250u, itemsOfA) << "the first block of \"a\" was handed over at once";
    EXPECT_EQ(bobs, m_Requester.m_Items);
    EXPECT_EQ(1, m_Requester.m_Stale) << "only the block handed over before \"bo\" started";
}

// Stopped and initialised again, the provider finds what a new one finds:
// each folder and container once, and Outlook asked again for what its
// cache held before (the folder has changed since).
TEST_F(AddressBookProvider, StoppedAndInitialisedAgainFindsWhatANewOneFinds)
{
    AddEntries(kGAL, 2, "amy");
    AddEntries(kGAL, 1, "bo");
    const auto lookUp = [this](IAsyncListProvider& provider, const std::string& text) {
        const size_t waits = WorkerWaits();
        m_Requester.Start(provider, Lookup(text));
        EXPECT_TRUE(WaitForWorkerWaits(waits + 1)) << text;
        std::vector<std::string> items = m_Requester.m_Items;
        std::sort(items.begin(), items.end());
        return items;
    };
    lookUp(Provider(), "a");
    Provider().Stop();
    m_Requester.Pump();
    m_Rows->push_back(Contact(L"Alma", L"Reed", L"444"));
    Provider().Initialise(m_Outlook.Application(), 16);

    for (const std::string text : {"a", "bo"})
    {
        const std::vector<std::string> again = lookUp(Provider(), text);
        CMAPIMailUser_AsyncListProvider fresh;
        fresh.Initialise(m_Outlook.Application(), 16);
        const std::vector<std::string> expected = lookUp(fresh, text);
        EXPECT_FALSE(expected.empty()) << text;
        EXPECT_EQ(expected, again) << text;
    }
}

// A window that posts itself a message whenever it gets one keeps the
// thread's queue from ever being empty: the search still ends, soon, and the
// window's messages keep flowing while it reads.
TEST_F(AddressBookProvider, MessagesThatKeepComingDoNotHoldTheSearch)
{
    const UINT kChatter = WM_USER + 78;
    const DWORD kStreamMs = 10000;
    const DWORD streamStart = ::GetTickCount();
    bool streaming = true;
    CTestMessageWindow chatty;
    chatty.SetHandler([&](UINT message, WPARAM, LPARAM) {
        if (message == kChatter && streaming && ::GetTickCount() - streamStart < kStreamMs)
            ::PostMessageA(chatty.Handle(), kChatter, 0, 0);
    });
    ::PostMessageA(chatty.Handle(), kChatter, 0, 0);

    const DWORD start = ::GetTickCount();
    Start(Lookup("a"));
    const DWORD elapsed = ::GetTickCount() - start;

    streaming = false;
    MSG message;
    while (::PeekMessageA(&message, chatty.Handle(), 0, 0, PM_REMOVE))
        ::DispatchMessageA(&message);
    EXPECT_LT(elapsed, kStreamMs / 2);
    EXPECT_EQ((std::vector<std::string>{"Ann Lee [111]", "Joanne Smith [222]"}), m_Requester.m_Items);
    EXPECT_GT(chatty.Count(kChatter), 10);
}

TEST_F(AddressBookProvider, LookupBeforeInitialiseIsRefused)
{
    CMAPIMailUser_AsyncListProvider provider;
    CAsyncListProviderFetchResult result;
    try
    {
        provider.StartListFetch(Lookup("a"), result, &m_Requester);
        ADD_FAILURE() << "accepted";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_STREQ("CMAPIMailUser_AsyncListProvider::DoStartListFetch - Not Initialsed", e.what());
        EXPECT_EQ(E_FAIL, e.GetHResult());
    }
    EXPECT_FALSE(provider.IsFetchInProgress());
}
} // namespace
