// CMAPIUtils against the test MAPI of tests/support/mapi32, which this
// executable loads instead of Wine's (WINEDLLOVERRIDES=mapi32=n).
#include <gtest/gtest.h>

#include <mapicode.h>

#include <stdexcept>

#include "contacts/MAPIUtils.h"
#include "core/ErrorReports.h"
#include "tests/contacts/TestMAPI.h"
#include "tests/contacts/TraceCapture.h"

namespace
{
const char kGAL[] = "aa01";
const HRESULT kFailure = static_cast<HRESULT>(0x80040305); // WCode 0x105

const char kOpenJournal[] = "OpenAddressBook(0, null, 0x1)\n"
                            "OpenEntry(aa01, null, 0x10)\n"
                            "GetContentsTable(0x0)\n";
const char kSetColumns[] = "SetColumns(0x0fff0102 0x3001001e 0x0ffe0003, 0x0)\n";
const char kGetProps[] = "GetProps(0x3a1c001e 0x3a06001e 0x3a11001e 0x3a08001e 0x3a09001e, 0x0)\n";

TestMAPIEntry MailUser(const char* entryId, const char* name, const char* mobile, const char* given = "G",
                       const char* surname = "S")
{
    return {kGAL, entryId, name, CMAPIMailUser::kMailUser, mobile, given, surname, "B", "H", 0};
}

TestMAPIEntry DistList(const char* entryId, const char* name)
{
    return {kGAL, entryId, name, CMAPIMailUser::kDistributionList, nullptr, nullptr, nullptr, nullptr, nullptr, 0};
}

CMAPIEntryId Id(const char* text)
{
    CMAPIEntryId id;
    CMAPIUtils::StringToEntryId(text, id);
    return id;
}

std::vector<std::string> Names(const CMAPIMailUserList& users)
{
    std::vector<std::string> names;
    for (const CMAPIMailUser& user : users)
        names.push_back(user.m_DisplayName);
    return names;
}

template <typename Call>
_com_error Raised(Call call)
{
    try
    {
        call();
    }
    catch (const _com_error& e)
    {
        return e;
    }
    ADD_FAILURE() << "no _com_error";
    return _com_error(S_OK);
}

class MAPIUtils : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_TestMAPI.IsOurs()) << "the test MAPI is not the loaded mapi32.dll";
        m_TestMAPI.Reset();
        m_TestMAPI.AddContainer(kGAL, "Global Address List", true);
        CMAPIUtils::InitialiseMAPI();
        m_MAPI = std::make_unique<CMAPIUtils>();
    }

    void TearDown() override
    {
        m_MAPI.reset();
        CMAPIUtils::UninitialiseMAPI();
        if (m_TestMAPI.IsOurs())
        {
            EXPECT_EQ(0, m_TestMAPI.OutstandingAllocations());
            EXPECT_EQ(0, m_TestMAPI.LiveObjects());
        }
    }

    void Add(std::initializer_list<TestMAPIEntry> entries)
    {
        for (const TestMAPIEntry& entry : entries)
            m_TestMAPI.AddEntry(entry);
    }

    // Logs on and forgets the calls so far.
    void LogOn()
    {
        m_MAPI->LoginToCurrentSession();
        m_TestMAPI.Reset();
        m_TestMAPI.AddContainer(kGAL, "Global Address List", true);
    }

    CMAPIMailUserList ReadWhole(bool skipDuplicates = true)
    {
        CMAPIMailUserList users;
        m_MAPI->ReadAddressBook(Id(kGAL), users, skipDuplicates);
        return users;
    }

    CTestMAPI m_TestMAPI;
    std::unique_ptr<CMAPIUtils> m_MAPI;
};

TEST(MAPIEntryIdText, BytesAndTextBothWays)
{
    const BYTE bytes[] = {0x00, 0xAB, 0x10};
    EXPECT_EQ("00ab10", CMAPIUtils::EntryIdToString(CMAPIEntryId(bytes, 3)));
    EXPECT_EQ("", CMAPIUtils::EntryIdToString(CMAPIEntryId()));
    EXPECT_EQ(CMAPIEntryId(bytes, 3), Id("00AB10"));

    const BYTE loose[] = {0x00, 0x01};
    EXPECT_EQ(CMAPIEntryId(loose, 2), Id("zz1z")) << "pairs go through strtoul as they are";
}

TEST(MAPIEntryIdText, OddLengthIsRefusedAndLeavesTheIdentifier)
{
    CMAPIEntryId id = Id("0102");
    try
    {
        CMAPIUtils::StringToEntryId("00ab1", id);
        FAIL() << "no exception";
    }
    catch (const std::exception& e)
    {
        EXPECT_STREQ("CMAPIUtils::StringToEntryId is not even length", e.what());
    }
    EXPECT_EQ(Id("0102"), id);
}

TEST_F(MAPIUtils, LogonSharesTheRunningSessionAndLogsOffAtTheEnd)
{
    m_MAPI->LoginToCurrentSession();
    m_MAPI.reset();
    EXPECT_EQ("MAPIInitialize(0, 0x1)\n"
              "MAPILogonEx(0, \"\", \"\", 0x8028)\n"
              "Logoff(0, 0x0, 0)\n",
              m_TestMAPI.Journal());
}

TEST_F(MAPIUtils, FailedLogonRaisesItsHResultAndHoldsNoSession)
{
    m_TestMAPI.FailCall("MAPILogonEx", 1, MAPI_E_LOGON_FAILED);
    const _com_error logon = Raised([&] { m_MAPI->LoginToCurrentSession(); });
    EXPECT_EQ(MAPI_E_LOGON_FAILED, logon.Error());
    EXPECT_EQ("CMAPIUtils::LoginToCurrentSession - ::MAPILogonEx failed", GetCOMErrorDescription(logon));

    CMAPIAddressBookSession session;
    const _com_error open = Raised([&] { m_MAPI->OpenAddressBook(Id(kGAL), session); });
    EXPECT_EQ(MAPI_E_NOT_INITIALIZED, open.Error());
    EXPECT_EQ(std::string::npos, m_TestMAPI.Journal().find("Logoff"));
}

TEST_F(MAPIUtils, OpenAddressBookShowsThreeColumnsAndTracesItsSteps)
{
    LogOn();
    CTraceCapture trace;
    CMAPIAddressBookSession session;
    EXPECT_TRUE(m_MAPI->OpenAddressBook(Id(kGAL), session));
    EXPECT_TRUE(session.m_AddrBook && session.m_Container && session.m_ContentsTable);
    EXPECT_EQ(std::string(kOpenJournal) + kSetColumns, m_TestMAPI.Journal());

    const std::wstring prefix = L"1 CMAPIUtils OpenAddressBook ";
    const std::vector<std::wstring> expected = {prefix + L"Entry",
                                                prefix + L"Calling m_pMAPISession->OpenAddressBook",
                                                prefix + L"Calling m_pAddrBook->OpenEntry",
                                                prefix + L"Calling m_lpGAL->GetContentsTable",
                                                prefix + L"Calling m_lpContentsTable->SetColumns",
                                                prefix + L"m_lpContentsTable->SetColumns returned without error",
                                                prefix + L"Exit"};
    EXPECT_EQ(expected, trace.Lines());
}

TEST_F(MAPIUtils, ContainerWithoutContentsTableIsNoError)
{
    m_TestMAPI.AddContainer("bb02", "Offline", false);
    LogOn();
    m_TestMAPI.AddContainer("bb02", "Offline", false);
    CTraceCapture trace;
    CMAPIAddressBookSession session;
    EXPECT_FALSE(m_MAPI->OpenAddressBook(Id("bb02"), session));
    EXPECT_TRUE(session.m_AddrBook && session.m_Container);
    EXPECT_FALSE(session.m_ContentsTable);
    EXPECT_EQ(L"1 CMAPIUtils OpenAddressBook m_lpGAL->GetContentsTable return MAPI_E_NO_SUPPORT", trace.Lines().at(4));

    CMAPIMailUserList users;
    EXPECT_EQ(MAPI_E_NOT_INITIALIZED,
              Raised([&] { m_MAPI->ReadBlockFromAddressBook(session, 100, users, true); }).Error());
    EXPECT_TRUE(users.empty());
}

TEST_F(MAPIUtils, BlocksRunAcrossTheContainersEndByRowsReturned)
{
    LogOn();
    // Two adjacent duplicates: the first block keeps one record of two rows.
    Add({MailUser("01", "Ann", "+1", "Ann", "Smith"), MailUser("02", "Ann again", "+1", "Ann", "Smith"),
         MailUser("03", "Bob", "+2"), MailUser("04", "Cy", "+3"), MailUser("05", "Di", "+4")});
    CMAPIAddressBookSession session;
    ASSERT_TRUE(m_MAPI->OpenAddressBook(Id(kGAL), session));

    CMAPIMailUserList users;
    std::vector<ULONG> returned;
    for (int block = 0; block < 4; ++block)
        returned.push_back(m_MAPI->ReadBlockFromAddressBook(session, 2, users, true));
    session.Cleanup();

    EXPECT_EQ((std::vector<ULONG>{2, 2, 1, 0}), returned);
    EXPECT_EQ((std::vector<std::string>{"Ann", "Bob", "Cy", "Di"}), Names(users));
    EXPECT_NE(std::string::npos, m_TestMAPI.Journal().find(std::string(kSetColumns) + "QueryRows(2, 0x0)\n"));
}

TEST_F(MAPIUtils, NameRestrictionGoesToAmbiguousNameResolution)
{
    LogOn();
    Add({MailUser("01", "Ann Smith", "+1"), MailUser("02", "Bob Jones", "+2"), MailUser("03", "Al Smithers", "+3")});
    CMAPIAddressBookSession session;
    ASSERT_TRUE(m_MAPI->OpenAddressBook(Id(kGAL), session));
    m_MAPI->SetNameRestriction(session, "smi");
    CMAPIMailUserList users;
    EXPECT_EQ(2u, m_MAPI->ReadBlockFromAddressBook(session, 100, users, true));

    EXPECT_EQ((std::vector<std::string>{"Ann Smith", "Al Smithers"}), Names(users));
    EXPECT_NE(std::string::npos,
              m_TestMAPI.Journal().find("Restrict(rt=4 relop=4 tag=0x360c001e value=0x360c001e:\"smi\", 0x0)\n"
                                        "QueryRows(100, 0x0)\n"));

    m_TestMAPI.FailCall("Restrict", 0, kFailure);
    EXPECT_EQ(kFailure, Raised([&] { m_MAPI->SetNameRestriction(session, "x"); }).Error());
}

TEST_F(MAPIUtils, WholeReadTakesEveryRowAndEachMailUsersProperties)
{
    LogOn();
    Add({{kGAL, "01", "Ann", CMAPIMailUser::kMailUser, "+44 1", "Ann", "Smith", "020 1", "020 2", 0}});
    const CMAPIMailUserList users = ReadWhole();

    ASSERT_EQ(1u, users.size());
    const CMAPIMailUser& ann = users[0];
    EXPECT_EQ(Id("01"), ann.m_EntryId);
    EXPECT_EQ(CMAPIMailUser::kMailUser, ann.m_ObjectType);
    EXPECT_EQ("+44 1", ann.m_MobilePhone);
    EXPECT_EQ("Ann", ann.m_GivenName);
    EXPECT_EQ("Smith", ann.m_Surname);
    EXPECT_EQ("020 1", ann.m_BusinessPhone);
    EXPECT_EQ("020 2", ann.m_HomePhone);
    EXPECT_EQ(std::string(kOpenJournal) + "HrQueryAllRows(0x0fff0102 0x3001001e 0x0ffe0003, null, null, 0)\n" +
                  "OpenAddressBook(0, null, 0x1)\nOpenEntry(01, null, 0x10)\n" + kGetProps,
              m_TestMAPI.Journal());
}

TEST_F(MAPIUtils, AdjacentDuplicatesAreIdentifiedMailUsersOnly)
{
    struct Case
    {
        const char* name;
        std::vector<TestMAPIEntry> entries;
        bool skipDuplicates;
        std::vector<std::string> kept;
    };
    const TestMAPIEntry anonymous = {kGAL, "07", "Anon", CMAPIMailUser::kMailUser, nullptr, nullptr, nullptr,
                                     nullptr, nullptr, 0};
    TestMAPIEntry anonymous2 = anonymous;
    anonymous2.entryId = "08";
    anonymous2.displayName = "Anon 2";
    const Case cases[] = {
        {"adjacent", {MailUser("01", "A", "+1"), MailUser("02", "A2", "+1")}, true, {"A"}},
        {"not skipping", {MailUser("01", "A", "+1"), MailUser("02", "A2", "+1")}, false, {"A", "A2"}},
        {"separated",
         {MailUser("01", "A", "+1"), MailUser("03", "B", "+2"), MailUser("02", "A2", "+1")},
         true,
         {"A", "B", "A2"}},
        {"other mobile", {MailUser("01", "A", "+1"), MailUser("02", "A2", "+9")}, true, {"A", "A2"}},
        {"distribution lists", {DistList("05", "Team"), DistList("06", "Board")}, true, {"Team", "Board"}},
        {"no name or mobile", {anonymous, anonymous2}, true, {"Anon", "Anon 2"}},
    };
    LogOn();
    for (const Case& scenario : cases)
    {
        m_TestMAPI.Reset();
        m_TestMAPI.AddContainer(kGAL, "Global Address List", true);
        for (const TestMAPIEntry& entry : scenario.entries)
            m_TestMAPI.AddEntry(entry);
        EXPECT_EQ(scenario.kept, Names(ReadWhole(scenario.skipDuplicates))) << scenario.name;
    }
}

TEST_F(MAPIUtils, DistributionListKeepsItsRowOnly)
{
    LogOn();
    Add({DistList("05", "Team")});
    const CMAPIMailUserList users = ReadWhole();
    ASSERT_EQ(1u, users.size());
    EXPECT_EQ(CMAPIMailUser::kDistributionList, users[0].m_ObjectType);
    EXPECT_EQ(Id("05"), users[0].m_EntryId);
    EXPECT_EQ("", users[0].m_MobilePhone + users[0].m_BusinessPhone + users[0].m_GivenName);
    EXPECT_EQ(std::string::npos, m_TestMAPI.Journal().find("GetProps"));
}

TEST_F(MAPIUtils, DistributionListIsReadAsAContainer)
{
    LogOn();
    Add({DistList("05", "Team"), {"05", "51", "Member", CMAPIMailUser::kMailUser, "+5", "M", "E", "", "", 0}});
    CMAPIMailUserList users;
    m_MAPI->ReadAddressBook(Id("05"), users, true);
    EXPECT_EQ((std::vector<std::string>{"Member"}), Names(users));
}

TEST_F(MAPIUtils, RowsWithErrorValuesAreSkipped)
{
    LogOn();
    for (ULONG column : {1u, 2u, 4u})
    {
        TestMAPIEntry broken = MailUser("09", "Broken", "+9");
        broken.errorColumns = column;
        m_TestMAPI.AddEntry(broken);
    }
    Add({MailUser("01", "Whole", "+1")});
    EXPECT_EQ((std::vector<std::string>{"Whole"}), Names(ReadWhole()));
}

TEST_F(MAPIUtils, MailUserWithoutMobileStillYieldsARecord)
{
    LogOn();
    Add({MailUser("01", "No Mobile", nullptr, "No", "Mobile")});
    const CMAPIMailUserList users = ReadWhole();
    ASSERT_EQ(1u, users.size());
    EXPECT_EQ("", users[0].m_MobilePhone);
    EXPECT_EQ("Mobile", users[0].m_Surname);
    EXPECT_EQ("B", users[0].m_BusinessPhone);
}

struct FailingStep
{
    const char* method;
    const char* description;
    const wchar_t* trace; // the worker family's line, when the open writes one
};

TEST_F(MAPIUtils, OpenAddressBookFailuresNameTheirStepAndLeaveNothingOpen)
{
    const FailingStep steps[] = {
        {"OpenAddressBook",
         "COM exception thrown (Context:CMAPIUtils::OpenAddressBook - Calling OpenAddressBook) - "
         "CMAPIUtils::OpenAddressBook - m_pMAPISession->OpenAddressBook failed",
         L"COM Exception raised\nDescription: CMAPIUtils::OpenAddressBook - m_pMAPISession->OpenAddressBook failed "
         L"(0x105)"},
        {"OpenEntry",
         "COM exception thrown (Context:CMAPIUtils::OpenAddressBook - Calling m_pAddrBook->OpenEntry) - "
         "CMAPIUtils::OpenAddressBook - m_pAddrBook->OpenEntry failed",
         L"COM Exception raised\nDescription: CMAPIUtils::OpenAddressBook - m_pAddrBook->OpenEntry failed (0x105)"},
        {"GetContentsTable",
         "COM exception thrown (Context:CMAPIUtils::OpenAddressBook - Calling lpGAL->GetContentsTable) - "
         "CMAPIUtils::OpenAddressBook - lpGAL->GetContentsTable failed",
         L"COM Exception raised\nDescription: CMAPIUtils::OpenAddressBook - lpGAL->GetContentsTable failed (0x105)"},
        {"SetColumns",
         "COM exception thrown (Context:CMAPIUtils::OpenAddressBook - Calling SetColumns) - "
         "Error description was not available",
         L"COM Exception raised\nDescription:  (0x105)"},
    };
    LogOn();
    for (const FailingStep& step : steps)
    {
        m_TestMAPI.Reset();
        m_TestMAPI.AddContainer(kGAL, "Global Address List", true);
        m_TestMAPI.FailCall(step.method, 1, kFailure);
        CTraceCapture trace;
        CMAPIAddressBookSession session;
        const _com_error error = Raised([&] { m_MAPI->OpenAddressBook(Id(kGAL), session); });

        EXPECT_EQ(kFailure, error.Error()) << step.method;
        EXPECT_EQ(step.description, GetCOMErrorDescription(error));
        EXPECT_FALSE(session.m_AddrBook || session.m_Container || session.m_ContentsTable) << step.method;
        const std::vector<std::wstring> lines = trace.Lines();
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(std::wstring(L"3 CMAPIUtils OpenAddressBook ") + step.trace, lines[lines.size() - 3]);
        EXPECT_EQ(L"1 CMAPIUtils OpenAddressBook Exception handling - AddressBookSession.Cleanup returned",
                  lines.back());
        EXPECT_EQ(1, m_TestMAPI.LiveObjects()) << step.method; // the session
    }
}

TEST_F(MAPIUtils, ReaderFailuresNameTheirStep)
{
    const FailingStep steps[] = {
        {"OpenAddressBook",
         "COM exception thrown (Context:CMAPIUtils::ReadAddressBook - Calling OpenAddressBook) - "
         "CMAPIUtils::ReadAddressBook - m_pMAPISession->OpenAddressBook failed",
         nullptr},
        {"OpenEntry",
         "COM exception thrown (Context:CMAPIUtils::ReadAddressBook - Calling m_pAddrBook->OpenEntry) - "
         "CMAPIUtils::ReadAddressBook - m_pAddrBook->OpenEntry failed",
         nullptr},
        {"GetContentsTable",
         "COM exception thrown (Context:CMAPIUtils::ReadAddressBook - Calling lpGAL->GetContentsTable) - "
         "CMAPIUtils::ReadAddressBook - lpGAL->GetContentsTable failed",
         nullptr},
        {"HrQueryAllRows",
         "COM exception thrown (Context:CMAPIUtils::ReadAddressBook - Calling HrQueryAllRows) - "
         "CMAPIUtils::ReadAddressBook - HrQueryAllRows failed",
         nullptr},
        {"QueryRows",
         "COM exception thrown (Context:CMAPIUtils::ReadBlockFromAddressBook - Calling QueryRows) - "
         "CMAPIUtils::ReadBlockFromAddressBook - QueryRows failed",
         nullptr},
    };
    LogOn();
    Add({MailUser("01", "Ann", "+1")});
    for (const FailingStep& step : steps)
    {
        m_TestMAPI.FailCall(step.method, 0, kFailure);
        CMAPIMailUserList users;
        const _com_error error = Raised([&] {
            if (std::string(step.method) != "QueryRows")
                return m_MAPI->ReadAddressBook(Id(kGAL), users, true);
            CMAPIAddressBookSession session;
            m_MAPI->OpenAddressBook(Id(kGAL), session);
            m_MAPI->ReadBlockFromAddressBook(session, 100, users, true);
        });
        EXPECT_EQ(kFailure, error.Error()) << step.method;
        EXPECT_EQ(step.description, GetCOMErrorDescription(error));
        EXPECT_TRUE(users.empty());
        EXPECT_EQ(1, m_TestMAPI.LiveObjects()) << step.method; // the session
        m_TestMAPI.Reset();
        m_TestMAPI.AddContainer(kGAL, "Global Address List", true);
        Add({MailUser("01", "Ann", "+1")});
    }
}

TEST_F(MAPIUtils, MailUserPropertiesFailQuietlyAtEachStep)
{
    LogOn();
    Add({MailUser("01", "Ann", "+1", "Ann", "Smith")});
    for (const char* method : {"OpenAddressBook", "OpenEntry", "GetProps"})
    {
        m_TestMAPI.FailCall(method, 0, kFailure);
        CMAPIMailUser user;
        user.m_MobilePhone = "kept";
        EXPECT_NO_THROW(m_MAPI->GetMailUserProperties(Id("01"), user)) << method;
        EXPECT_EQ("kept", user.m_MobilePhone) << method;
        EXPECT_EQ("", user.m_GivenName) << method;
        EXPECT_EQ(1, m_TestMAPI.LiveObjects()) << method; // the session
        m_TestMAPI.Reset();
        m_TestMAPI.AddContainer(kGAL, "Global Address List", true);
        Add({MailUser("01", "Ann", "+1", "Ann", "Smith")});
    }

    // Inside a read the record stays, without its properties.
    m_TestMAPI.FailCall("GetProps", 0, kFailure);
    const CMAPIMailUserList users = ReadWhole();
    ASSERT_EQ(1u, users.size());
    EXPECT_EQ("", users[0].m_MobilePhone);

    CMAPIMailUser unknown;
    EXPECT_NO_THROW(m_MAPI->GetMailUserProperties(Id("77"), unknown));
}
} // namespace

// Run only against Wine's own mapi32 (the contacts_wine_mapi32 entry).
TEST(WineBuiltinMAPI, DISABLED_LogonFailsWithItsText)
{
    ASSERT_FALSE(CTestMAPI().IsOurs());
    CMAPIUtils::InitialiseMAPI();
    {
        CMAPIUtils mapi;
        const _com_error error = Raised([&] { mapi.LoginToCurrentSession(); });
        EXPECT_TRUE(FAILED(error.Error()));
        EXPECT_EQ("CMAPIUtils::LoginToCurrentSession - ::MAPILogonEx failed", GetCOMErrorDescription(error));
    }
    CMAPIUtils::UninitialiseMAPI();
}
