// The SMS reminder's submission lifecycle as Outlook drives it: the add-in
// connected to the test Outlook, appointments opened in inspectors and
// edited on their tab, then saved (the item's Write event), changed in a
// calendar (ItemChange), moved, deleted and restored (BeforeItemMove), all
// through real connection points, against the simulator's bulk-job service.
// Boxes are answered by the capture; the zone is pinned by the CTest entry
// (Europe/London), and dates in status texts are formed as OLE Automation
// forms them in the prefix's locale.
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "platform/Dispatch.h"
#include "platform/OfficeIds.h"
#include "platform/OleDateTime.h"
#include "tests/support/AddinUnderTest.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/GatewayTest.h"
#include "tests/support/SMSReminderItem.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
using namespace GatewaySimulatorSeed;

const DISPID kItemWrite = 0xF002;
const DISPID kItemChange = 0xF002;
const DISPID kBeforeItemMove = 0xFBA9;
const long kCalendar = 9;
const long kDeletedItems = 3;

using namespace SMSReminderItem;
const DATE kOneDay = 1.0;

const char kAnn[] = "Ann Lee [447700900001]; ";
const char kNotUpToDate[] = "The ZentavoSoftware SMS Service is not upto date with changes to this appiointment\n\n"
                            "Do you want to update the ZentavoSoftware SMS Service now?";
const char kRetry[] = "Unable to save SMS Reminder settings\n\nWould you like to retry to save SMS Reminder settings?";
const char kUpdateFailed[] =
    "It was not possible to update the SMS Reminder on the ZentavoSoftware SMS Service\n\nOnce issue has been resolved "
    "please re-open this Appointment and re-attept to Save changes";
const char kDeleteFailed[] =
    "It was not possible to delete the SMS Reminder on the ZentavoSoftware SMS Service\n\nYour message(s) will still be "
    "sent\n\nPlease login onto the ZentavoSoftware portal and delete the message(s) from the Outbox";
const char kGatewayHeading[] = "Could not save SMS Reminder schedule!";

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

_variant_t Object(IDispatch* object)
{
    return _variant_t(object);
}

// A date as the status text holds it.
std::string StatusDate(DATE date)
{
    return COleDateTime(date).Format(LOCALE_NOUSEROVERRIDE, LANG_USER_DEFAULT);
}

std::string Status(int status, DATE start = kStart, DATE end = kEnd)
{
    return "A~" + std::to_string(status) + "~" + StatusDate(start) + "~" + StatusDate(end);
}

// The local time now plus some minutes, as a DATE.
DATE MinutesFromNow(int minutes)
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    DATE date = 0;
    ::SystemTimeToVariantTime(&now, &date);
    return date + minutes / (24.0 * 60);
}

class SMSReminderSubmission : public CGatewayTest
{
protected:
    void SetUp() override
    {
        CGatewayTest::SetUp();
        StoreSeededLogin();
        m_Primary.SetBalance(kUsername, 100000);
        m_LiveConnectionsAtStart = CFakeObject::LiveConnections();
        m_Addin = std::make_unique<CAddinUnderTest>(m_Outlook);
        m_Calendar = m_Outlook.DefaultFolder(kCalendar);
        m_DeletedItems = m_Outlook.DefaultFolder(kDeletedItems);
    }
    void TearDown() override
    {
        if (m_Inspector)
            CloseInspector();
        m_Addin.reset();
        EXPECT_EQ(m_LiveConnectionsAtStart, CFakeObject::LiveConnections()) << "a sink is still connected";
        CGatewayTest::TearDown();
    }

    // An appointment in the calendar, as Outlook hands one out: with an
    // EntryID, its folder as Parent and a Save that the log records.
    CFakeObjectPtr NewAppointment(DATE start = kStart, DATE end = kEnd)
    {
        static long nextId = 1;
        const CFakeObjectPtr item = m_Outlook.NewAppointmentItem(L"Dentist", start, end);
        item->SetProperty(L"Body", _variant_t(L"Bring the form"));
        item->SetProperty(L"Location", _variant_t(L"High Street"));
        item->SetProperty(L"EntryID", _variant_t(("00000000APPT" + std::to_string(nextId++)).c_str()));
        item->SetProperty(L"Parent", static_cast<IDispatch*>(m_Calendar));
        item->SetMethod(L"Save", [](const CFakeObject::Arguments&) { return _variant_t(); });
        return item;
    }

    // Opens the appointment (a new one by default) in an inspector.
    void Open(CFakeObjectPtr item = nullptr)
    {
        if (m_Inspector)
            CloseInspector();
        m_Item = item ? item : NewAppointment();
        m_Inspector = m_Addin->OpenInInspector(m_Item);
    }
    void CloseInspector()
    {
        CAddinUnderTest::CloseInspector(m_Inspector);
        m_Inspector = nullptr;
    }

    // Types a text into one of the tab's combo boxes.
    void Edit(const char* property, const std::string& text)
    {
        m_Addin->Call(L"Ribbon_OnChange",
                      {Object(m_Addin->RibbonControl(property, m_Inspector)), _variant_t(text.c_str())});
    }
    // A reminder to Ann from "Zentavo", fifteen minutes before the start.
    void OpenReminder(CFakeObjectPtr item = nullptr)
    {
        Open(item);
        Edit(kTo, kAnn);
        Edit(kFrom, "Zentavo");
    }
    // Outlook saving the open item: its Write event; true when cancelled.
    bool Save()
    {
        VARIANT_BOOL cancel = VARIANT_FALSE;
        m_Item->Fire(DIID_ItemEvents_10, kItemWrite, {CancelReference(cancel)});
        return cancel == VARIANT_TRUE;
    }
    // Outlook moving the item out of its folder (Nothing for a hard delete);
    // true when cancelled.
    bool Move(const CFakeObjectPtr& from, IDispatch* to)
    {
        VARIANT_BOOL cancel = VARIANT_FALSE;
        from->Fire(DIID_MAPIFolderEvents_12, kBeforeItemMove, {Object(m_Item), Object(to), CancelReference(cancel)});
        if (cancel != VARIANT_TRUE && to)
            m_Item->SetProperty(L"Parent", to);
        return cancel == VARIANT_TRUE;
    }
    void ChangedInCalendar()
    {
        FakeObjectOf(m_Calendar->Value(L"Items"))->Fire(DIID_ItemsEvents, kItemChange, {Object(m_Item)});
    }
    static _variant_t CancelReference(VARIANT_BOOL& cancel)
    {
        _variant_t reference;
        reference.vt = VT_BYREF | VT_BOOL;
        reference.pboolVal = &cancel;
        return reference;
    }

    CFakeUserProperties& Properties()
    {
        return *CFakeUserProperties::Of(FakeCollectionOf(m_Item->Value(L"UserProperties")));
    }
    std::string Stored(const char* name)
    {
        const CFakeObjectPtr property = Properties().Property(Wide(name));
        return property ? static_cast<const char*>(_bstr_t(property->Value(L"Value"))) : "<absent>";
    }
    size_t Saves() { return m_Outlook.Log().CallsTo(L"AppointmentItem.Save").size(); }

    size_t ServiceCalls() const { return m_Primary.Requests("api/webservices/bulkjob.asmx").size(); }
    std::vector<CJsonValue> Jobs() const { return m_Primary.State()["jobs"].AsArray(); }
    CJsonValue Job(const std::string& id) const
    {
        for (const CJsonValue& job : Jobs())
            if (job["job_id"].AsString() == id)
                return job;
        ADD_FAILURE() << "no job " << id;
        return CJsonValue();
    }
    std::string JobStatus(const std::string& id) const { return Job(id)["status"].AsString(); }
    void SetJobStatus(const std::string& id, const std::string& status) const
    {
        m_Primary.Control("POST", "job", "{\"job_id\": " + JsonQuote(id) + ", \"status\": " + JsonQuote(status) + "}");
    }
    void Script(const std::string& operation, const std::string& replies) const
    {
        m_Primary.Control("POST", "script",
                          "{\"page\": \"bulkjob.asmx/" + operation + "\", \"replies\": " + replies + "}");
    }

    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> texts;
        for (const CapturedMessageBox& box : m_Boxes.Boxes())
            texts.push_back(box.text);
        return texts;
    }
    std::vector<CapturedMessageBox> BoxesSince(size_t mark) const
    {
        const std::vector<CapturedMessageBox> boxes = m_Boxes.Boxes();
        return std::vector<CapturedMessageBox>(boxes.begin() + static_cast<std::ptrdiff_t>(mark), boxes.end());
    }
    // The boxes from the mark on, each cut to its first line.
    std::vector<std::string> BoxHeadings(size_t mark = 0) const
    {
        std::vector<std::string> headings;
        for (const CapturedMessageBox& box : BoxesSince(mark))
            headings.push_back(box.text.substr(0, box.text.find('\n')));
        return headings;
    }

    CFakeOutlook m_Outlook;
    std::unique_ptr<CAddinUnderTest> m_Addin;
    CFakeObjectPtr m_Calendar;
    CFakeObjectPtr m_DeletedItems;
    CFakeObjectPtr m_Item;
    CFakeObjectPtr m_Inspector;
    long m_LiveConnectionsAtStart = 0;
};

// Schedules, updates and cancels one reminder; the gateway's jobs follow.
TEST_F(SMSReminderSubmission, EndToEndScheduleUpdateAndCancel)
{
    OpenReminder();
    EXPECT_FALSE(Save());
    const std::string first = Stored(kJobId);
    ASSERT_EQ(1u, Jobs().size());
    EXPECT_EQ("Pending", JobStatus(first));
    EXPECT_EQ(Status(1), Stored(kStatus));

    // A new start moves the job: the old one is aborted, a new one waits.
    m_Item->SetProperty(L"Start", _variant_t(kStart + kOneDay, VT_DATE));
    m_Item->SetProperty(L"End", _variant_t(kEnd + kOneDay, VT_DATE));
    EXPECT_FALSE(Save());
    const std::string second = Stored(kJobId);
    EXPECT_NE(first, second);
    EXPECT_EQ("Aborted", JobStatus(first));
    EXPECT_EQ("Pending", JobStatus(second));
    EXPECT_EQ("2030-06-11T14:15:00+01:00", Job(second)["scheduled_date"].AsString());
    EXPECT_EQ(Status(1, kStart + kOneDay, kEnd + kOneDay), Stored(kStatus));

    // No recipients: the reminder is off and its job cancelled.
    Edit(kTo, "");
    EXPECT_FALSE(Save());
    EXPECT_EQ("Aborted", JobStatus(second));
    EXPECT_EQ("", Stored(kJobId));
    EXPECT_EQ("", Stored(kStatus));
    EXPECT_EQ(2u, Jobs().size());
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
}

TEST_F(SMSReminderSubmission, TheRequestCarriesTheReminder)
{
    struct Row
    {
        const char* from;
        const char* oaType;
        const char* storedFrom;
    };
    const Row rows[] = {
        {"Zentavo", "UserDefined", "Zentavo"},
        {"<Use Replyable Id>", "DynamicRouting", ""},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.from);
        Open();
        Edit(kTo, kAnn);
        Edit(kFrom, row.from);
        EXPECT_FALSE(Save());
        const CJsonValue job = Job(Stored(kJobId));
        EXPECT_EQ(row.oaType, job["oa_type"].AsString());
        EXPECT_EQ(row.storedFrom, job["from"].IsNull() ? "" : job["from"].AsString());
        EXPECT_EQ(2, job["max_concat"].AsInteger());
        EXPECT_TRUE(job["report_settings"].IsNull());  // delivery reports as the account says
        EXPECT_EQ("2030-06-10T14:15:00+01:00", job["scheduled_date"].AsString());
        EXPECT_EQ("Appointment:\nDentist\nStart: 10/06 14:30\nLoc: High Street\n\nNotes:\nBring the form",
                  job["text"].AsString());
        ASSERT_EQ(1u, job["numbers"].AsArray().size());
        EXPECT_EQ("447700900001", job["numbers"].AsArray()[0].AsString());
        EXPECT_EQ("test.user@example.com", job["message_source"]["id"].AsString());
        EXPECT_EQ("SMS Appointment Reminder", job["name"].AsString());
    }
    // The last reminder's choices become the user's defaults.
    CConfigZentavoSMSOutlookAddin_UserPreferences& preferences =
        CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_UserPreferences;
    EXPECT_TRUE(preferences.GetDefaultSendersIdUseReplyable());
    EXPECT_EQ("Zentavo", preferences.GetDefaultSendersId());
    EXPECT_EQ("15 minutes before", preferences.GetDefaultAppointmentScheduleDescription());
    EXPECT_EQ("S_DefaultTemplate", preferences.GetDefaultAppointmentTemplateId());
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
}

TEST_F(SMSReminderSubmission, DeletingCancelsAndRestoringSubmitsAgain)
{
    OpenReminder();
    Save();
    const std::string first = Stored(kJobId);

    EXPECT_FALSE(Move(m_Calendar, m_DeletedItems));
    EXPECT_EQ("Aborted", JobStatus(first));
    EXPECT_EQ("", Stored(kJobId));
    EXPECT_EQ(0u, Saves());  // Outlook moves it as it is

    // A Write while it lies in Deleted Items sends nothing.
    const size_t calls = ServiceCalls();
    EXPECT_FALSE(Save());
    EXPECT_EQ(calls, ServiceCalls());

    EXPECT_FALSE(Move(m_DeletedItems, m_Calendar));
    const std::string restored = Stored(kJobId);
    EXPECT_NE(first, restored);
    EXPECT_EQ("Pending", JobStatus(restored));
    EXPECT_EQ(1u, Saves());

    // Deleted for good (no target folder): cancelled as well.
    EXPECT_FALSE(Move(m_Calendar, nullptr));
    EXPECT_EQ("Aborted", JobStatus(restored));
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
}

TEST_F(SMSReminderSubmission, AMoveBetweenCalendarsChangesNothing)
{
    OpenReminder();
    Save();
    const std::string job = Stored(kJobId);
    const size_t calls = ServiceCalls();
    const CFakeObjectPtr work = m_Outlook.NewFolder(L"Work");
    EXPECT_FALSE(Move(m_Calendar, work));
    EXPECT_EQ(calls, ServiceCalls());
    EXPECT_EQ(job, Stored(kJobId));
    EXPECT_EQ(0u, Saves());
    // Nor does deleting an appointment that has no job call the gateway.
    Open();
    EXPECT_FALSE(Move(m_Calendar, m_DeletedItems));
    EXPECT_EQ(calls, ServiceCalls());
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
}

// A job that has started or ended sending cannot change: an update becomes
// a new job; switching off or deleting only forgets it, without a box, and
// never submits it again.
TEST_F(SMSReminderSubmission, AJobThatHasGoneOutIsReplacedWhenUpdatedAndForgottenWhenCancelled)
{
    enum Step
    {
        kUpdate,
        kSwitchOff,
        kDelete
    };
    for (const char* status : {"Processing", "Completed", "Aborted"})
    {
        for (Step step : {kUpdate, kSwitchOff, kDelete})
        {
            SCOPED_TRACE(testing::Message() << status << ", step " << step);
            OpenReminder();
            Save();
            const std::string sent = Stored(kJobId);
            SetJobStatus(sent, status);
            const size_t jobs = Jobs().size();
            if (step == kUpdate)
            {
                m_Item->SetProperty(L"Start", _variant_t(kStart + kOneDay, VT_DATE));
                EXPECT_FALSE(Save());
                EXPECT_NE(sent, Stored(kJobId));
                EXPECT_EQ("Pending", JobStatus(Stored(kJobId)));
                EXPECT_EQ(jobs + 1, Jobs().size());
            }
            else
            {
                if (step == kSwitchOff)
                {
                    Edit(kTo, "");
                    EXPECT_FALSE(Save());
                }
                else
                    EXPECT_FALSE(Move(m_Calendar, m_DeletedItems));
                EXPECT_EQ("", Stored(kJobId));
                EXPECT_EQ(jobs, Jobs().size());
            }
            EXPECT_EQ(status, JobStatus(sent));
        }
    }
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
}

TEST_F(SMSReminderSubmission, ACancelTheGatewayRefusesKeepsTheJobAndItsId)
{
    OpenReminder();
    Save();
    const std::string job = Stored(kJobId);
    Script("GetBulkJobStatus", R"([{"error": "INTERNAL_ERROR"}])");
    m_Boxes.QueueAnswers({IDOK, IDCONTINUE, IDOK});
    EXPECT_FALSE(Move(m_Calendar, m_DeletedItems));
    EXPECT_EQ((std::vector<std::string>{kGatewayHeading, "Unable to save SMS Reminder settings",
                                        "It was not possible to delete the SMS Reminder on the ZentavoSoftware SMS "
                                        "Service"}),
              BoxHeadings());
    EXPECT_EQ(kDeleteFailed, BoxTexts().back());
    EXPECT_NE(std::string::npos, BoxTexts().front().find("saCancelSendMessageSubmission - GetBulkJobStatus"));
    EXPECT_EQ(job, Stored(kJobId));
    EXPECT_EQ("Pending", JobStatus(job));
    EXPECT_EQ(Status(2), Stored(kStatus));
}

TEST_F(SMSReminderSubmission, TheRetryPromptTriesAgainContinuesOrCancels)
{
    struct Row
    {
        const char* name;
        int answer;
        bool cancelled;
        bool scheduled;
        std::vector<std::string> headings;
    };
    const Row rows[] = {
        {"Try Again", IDTRYAGAIN, false, true, {kGatewayHeading, "Unable to save SMS Reminder settings"}},
        {"Continue",
         IDCONTINUE,
         false,
         false,
         {kGatewayHeading, "Unable to save SMS Reminder settings",
          "It was not possible to update the SMS Reminder on the ZentavoSoftware SMS Service"}},
        {"Cancel", IDCANCEL, true, false, {kGatewayHeading, "Unable to save SMS Reminder settings"}},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        m_Primary.Reset();
        m_Primary.SetBalance(kUsername, 100000);
        const size_t mark = m_Boxes.Boxes().size();
        m_Boxes.QueueAnswers({IDOK, row.answer});
        Script("CreateSMSTextBulkJob", R"([{"error": "INTERNAL_ERROR"}])");
        OpenReminder();
        EXPECT_EQ(row.cancelled, Save());
        EXPECT_EQ(row.headings, BoxHeadings(mark));
        const std::vector<CapturedMessageBox> boxes = BoxesSince(mark);
        ASSERT_LE(2u, boxes.size());
        EXPECT_EQ(static_cast<UINT>(MB_CANCELTRYCONTINUE), boxes[1].style);
        EXPECT_EQ(kRetry, boxes[1].text);
        EXPECT_EQ(row.scheduled ? 1u : 0u, Jobs().size());
        EXPECT_EQ(row.scheduled ? Status(1) : Status(2), Stored(kStatus));
        EXPECT_EQ(row.scheduled, !Stored(kJobId).empty() && Stored(kJobId) != "<absent>");
    }
}

TEST_F(SMSReminderSubmission, WithoutAnAccountNothingIsSentAndTheFailureIsRecorded)
{
    // Logged out, as after a logout in the settings.
    CZentavoSMSGatewayAuthenticationManager::StoreLoginDetails(Config(), CZentavoSMSGatewayLoginDetails());
    Config().Save();
    OpenReminder();
    bool cancelled = true;
    {
        // The account set-up offered first is closed without a login.
        CWindowDriver driver;
        cancelled = Save();
    }
    EXPECT_FALSE(cancelled);
    EXPECT_EQ((std::vector<std::string>{"Could not schedule SMS reminder as account details are not set", kUpdateFailed}),
              BoxTexts());
    EXPECT_EQ(0u, ServiceCalls());
    EXPECT_EQ(Status(2), Stored(kStatus));
    // The next opening offers the update.
    CloseInspector();
    m_Boxes.QueueAnswers({IDCANCEL});
    Open(m_Item);
    EXPECT_EQ(kNotUpToDate, BoxTexts().back());
}

TEST_F(SMSReminderSubmission, ASendTimeInThePastSendsNothing)
{
    OpenReminder(NewAppointment(MinutesFromNow(10), MinutesFromNow(40)));
    EXPECT_FALSE(Save());
    EXPECT_EQ((std::vector<std::string>{
                  "The SMS Reminder message is scheduled to be sent in the past\r\n\r\nSMS Reminder will not be sent"}),
              BoxTexts());
    EXPECT_EQ(0u, ServiceCalls());
    EXPECT_EQ("<absent>", Stored(kJobId));
    EXPECT_EQ(0u, Stored(kStatus).rfind("A~1~", 0));
}

TEST_F(SMSReminderSubmission, ValidationErrorsCancelTheWrite)
{
    struct Row
    {
        const char* schedule;
        const char* error;
    };
    const Row rows[] = {
        {"whenever", "The Reminder Schedule entered is not valid"},
        {"", "Please enter Reminder Schedule"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.schedule);
        OpenReminder();
        Edit(kSchedule, row.schedule);
        const size_t mark = m_Boxes.Boxes().size();
        EXPECT_TRUE(Save());
        const std::vector<CapturedMessageBox> boxes = BoxesSince(mark);
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(std::string("There were errors found on the SMS Reminder ribbon\n\n  - ") + row.error + "\n",
                  boxes[0].text);
        EXPECT_EQ(0u, ServiceCalls());
        EXPECT_EQ(Status(2), Stored(kStatus));
        EXPECT_EQ(row.schedule, Stored(kSchedule));
    }
}

// Whether opening an appointment offers the update, by its stored status.
TEST_F(SMSReminderSubmission, TheOpeningCheckReadsTheStatusText)
{
    struct Row
    {
        const char* name;
        bool on;
        std::string status;
        bool offered;
    };
    const Row rows[] = {
        {"off, nothing stored", false, "", false},
        {"on, nothing stored", true, "", true},
        {"off, failed", false, "A~2", true},
        {"not an A", true, "B~1", true},
        {"one part", true, "A~", true},
        {"status only", true, "A~1", false},
        {"failed, no times", true, "A~2", true},
        {"three parts", true, "A~1~x", false},
        {"same times", true, Status(1), false},
        {"same times, failed", true, Status(2), true},
        {"empty pieces dropped", true, "A~~1~" + StatusDate(kStart) + "~~" + StatusDate(kEnd), false},
        {"start moved a second", true, Status(1, kStart + 1.0 / 86400), true},
        {"end moved", true, Status(1, kStart, kEnd + kOneDay), true},
        {"start unreadable", true, "A~1~someday~" + StatusDate(kEnd), true},
        {"end unreadable", true, "A~1~" + StatusDate(kStart) + "~someday", true},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        const CFakeObjectPtr item = NewAppointment();
        CFakeUserProperties* properties = CFakeUserProperties::Of(FakeCollectionOf(item->Value(L"UserProperties")));
        if (row.on)
            properties->Preset(Wide(kTo), _variant_t(kAnn));
        if (!row.status.empty())
            properties->Preset(Wide(kStatus), _variant_t(row.status.c_str()));
        const size_t mark = m_Boxes.Boxes().size();
        m_Boxes.QueueAnswers({IDCANCEL});
        Open(item);
        EXPECT_EQ(row.offered ? 1u : 0u, BoxesSince(mark).size());
        EXPECT_EQ(row.offered ? "1" : "<absent>", Stored(kUpdateCount));
    }
    EXPECT_EQ(0u, ServiceCalls());
}

TEST_F(SMSReminderSubmission, TheOpeningCheckAnsweredOKUpdatesTheGateway)
{
    struct Row
    {
        int answer;
        size_t jobs;
        std::string status;
        const char* updateCount;
    };
    const Row rows[] = {
        {IDOK, 1, Status(1), "<absent>"},
        {IDCANCEL, 0, Status(2), "1"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.answer);
        m_Primary.Reset();
        m_Primary.SetBalance(kUsername, 100000);
        const CFakeObjectPtr item = NewAppointment();
        CFakeUserProperties* properties = CFakeUserProperties::Of(FakeCollectionOf(item->Value(L"UserProperties")));
        properties->Preset(Wide(kTo), _variant_t(kAnn));
        properties->Preset(Wide(kFrom), _variant_t("Zentavo"));
        properties->Preset(Wide(kStatus), _variant_t(Status(2).c_str()));
        const size_t mark = m_Boxes.Boxes().size();
        m_Boxes.QueueAnswers({row.answer});
        Open(item);
        const std::vector<CapturedMessageBox> boxes = BoxesSince(mark);
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(kNotUpToDate, boxes[0].text);
        EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL), boxes[0].style);
        EXPECT_EQ(row.jobs, Jobs().size());
        EXPECT_EQ(row.status, Stored(kStatus));
        EXPECT_EQ(row.updateCount, Stored(kUpdateCount));
    }
}

TEST_F(SMSReminderSubmission, AChangeInTheCalendarUpdatesTheGateway)
{
    OpenReminder();
    Save();
    const std::string first = Stored(kJobId);
    CloseInspector();

    // An unchanged item, and one whose times are as stored, need nothing.
    const size_t calls = ServiceCalls();
    ChangedInCalendar();
    EXPECT_EQ(calls, ServiceCalls());

    // Moved elsewhere (another device, a drag in the calendar).
    m_Item->SetProperty(L"Start", _variant_t(kStart + kOneDay, VT_DATE));
    ChangedInCalendar();
    const std::string second = Stored(kJobId);
    EXPECT_NE(first, second);
    EXPECT_EQ("Pending", JobStatus(second));
    EXPECT_EQ(Status(1, kStart + kOneDay), Stored(kStatus));
    EXPECT_EQ(1u, Saves());
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
}

// The job belongs to the item: one replaced by a change made elsewhere while
// the appointment is open is the one the next save from the inspector moves.
TEST_F(SMSReminderSubmission, ASaveAfterAChangeElsewhereMovesTheJobTheChangeMade)
{
    OpenReminder();
    Save();
    const std::string first = Stored(kJobId);

    m_Item->SetProperty(L"Start", _variant_t(kStart + kOneDay, VT_DATE));
    m_Item->SetProperty(L"End", _variant_t(kEnd + kOneDay, VT_DATE));
    ChangedInCalendar();
    const std::string second = Stored(kJobId);
    ASSERT_NE(first, second);

    m_Item->SetProperty(L"Start", _variant_t(kStart + 2 * kOneDay, VT_DATE));
    m_Item->SetProperty(L"End", _variant_t(kEnd + 2 * kOneDay, VT_DATE));
    EXPECT_FALSE(Save());
    const std::string third = Stored(kJobId);
    // One job waits, at the last time; none is left behind to send as well.
    size_t pending = 0;
    for (const CJsonValue& job : Jobs())
        pending += job["status"].AsString() == "Pending" ? 1 : 0;
    EXPECT_EQ(1u, pending);
    EXPECT_EQ("Pending", JobStatus(third));
    EXPECT_EQ("Aborted", JobStatus(second));
    EXPECT_EQ("2030-06-12T14:15:00+01:00", Job(third)["scheduled_date"].AsString());
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
}

// Saving an item from its own change event raises that event again: when
// the saved status cannot be written, each save finds the times changed
// once more, and the fifth round within 500 ms of the last is stopped.
TEST_F(SMSReminderSubmission, ASaveChangeSaveBurstEndsInTheLoopBox)
{
    Open();
    CloseInspector();
    Properties().Preset(Wide(kStatus), _variant_t(Status(1, kStart - kOneDay).c_str()));
    Properties().FailValueWrite(Wide(kStatus), E_ACCESSDENIED);
    CFakeObject* item = m_Item;
    CFakeObject* items = FakeObjectOf(m_Calendar->Value(L"Items"));
    m_Item->SetMethod(L"Save", [item, items](const CFakeObject::Arguments&) {
        items->Fire(DIID_ItemsEvents, kItemChange, {Object(item)});
        return _variant_t();
    });

    ChangedInCalendar();
    const std::vector<std::string> texts = BoxTexts();
    ASSERT_EQ(5u, texts.size());
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ("Insufficient Permission to save SMS Reminder", texts[i]);
    EXPECT_NE(std::string::npos, texts[4].find("COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnItemChange - "
                                               "Breaking out of suspected infinite loop"))
        << texts[4];
    EXPECT_NE(std::string::npos, texts[4].find("CAddin::OnItemChange")) << texts[4];
    EXPECT_EQ(0u, ServiceCalls());
}
} // namespace
