// The SMS reminder's submission lifecycle as Outlook drives it: the add-in
// connected to the test Outlook, appointments opened in inspectors and
// edited on their tab, then saved (the item's Write event), added to a
// calendar (ItemAdd), copied, changed in a calendar (ItemChange), moved,
// deleted and restored (BeforeItemMove), all through real connection points,
// against the simulator's bulk-job service.
// Boxes are answered by the capture; the zone is pinned by the CTest entry
// (Europe/London), and dates in status texts are formed as OLE Automation
// forms them in the prefix's locale.
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "platform/Dispatch.h"
#include "platform/OleDateTime.h"
#include "tests/support/AddinUnderTest.h"
#include "tests/support/GatewayTest.h"
#include "tests/support/SMSReminderItem.h"
#include "tests/support/UserLocation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{
using namespace GatewaySimulatorSeed;
using namespace SMSReminderItem;

const DISPID kItemWrite = 0xF002;
const DISPID kNewInspector = 0xF001;
const DISPID kItemAdd = 0xF001;
const DISPID kItemChange = 0xF002;
const DISPID kBeforeItemMove = 0xFBA9;
const long kCalendar = 9;
const long kDeletedItems = 3;
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
const char kNoPhone[] = "No recipient of the SMS Reminder has a mobile number\n\nSMS Reminder will not be sent";
const char kGatewayHeading[] = "Could not save SMS Reminder schedule!";
const char kRetryHeading[] = "Unable to save SMS Reminder settings";

CConfigZentavoSMSOutlookAddin_UserPreferences& Preferences()
{
    return CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_UserPreferences;
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

std::string Heading(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

// The first line of each box.
std::vector<std::string> Headings(const std::vector<CapturedMessageBox>& boxes)
{
    std::vector<std::string> headings;
    for (const CapturedMessageBox& box : boxes)
        headings.push_back(Heading(box.text));
    return headings;
}

class SMSReminderSubmission : public CGatewayTest
{
protected:
    void SetUp() override
    {
        CGatewayTest::SetUp();
        StoreSeededLogin();
        m_Primary.SetBalance(kUsername, 100000);
        Preferences().SetUsersMobilePhoneNumber("");
        m_LiveConnectionsAtStart = CFakeObject::LiveConnections();
        m_Calendar = m_Outlook.DefaultFolder(kCalendar);
        m_DeletedItems = m_Outlook.DefaultFolder(kDeletedItems);
        // A calendar of the mailbox beside the default one, watched as its
        // subfolder, and a calendar of another store, not watched.
        m_Work = m_Outlook.NewFolder(L"Work");
        FakeCollectionOf(m_Calendar->Value(L"Folders"))->Add(static_cast<IDispatch*>(m_Work));
        m_OtherStore = m_Outlook.NewFolder(L"Calendar");
        // A second account's calendar in the navigation pane, watched, and
        // that store's own Deleted Items, not watched.
        m_SecondStore = m_Outlook.NewStore(L"Second account");
        m_SecondCalendar = FakeObjectOf(Dispatch::Call(m_SecondStore, L"GetDefaultFolder", kCalendar));
        m_SecondDeletedItems = FakeObjectOf(Dispatch::Call(m_SecondStore, L"GetDefaultFolder", kDeletedItems));
        const CFakeObjectPtr group = m_Outlook.NewNavigationGroup(L"Other Calendars");
        FakeCollectionOf(group->Value(L"NavigationFolders"))
            ->Add(static_cast<IDispatch*>(m_Outlook.NewNavigationFolder(m_SecondCalendar)));
        FakeCollectionOf(m_Outlook.CalendarModule()->Value(L"NavigationGroups"))->Add(static_cast<IDispatch*>(group));
        m_Addin = std::make_unique<CAddinUnderTest>(m_Outlook);
    }
    void TearDown() override
    {
        if (m_Inspector)
            CloseInspector();
        m_Addin.reset();
        EXPECT_EQ(m_LiveConnectionsAtStart, CFakeObject::LiveConnections()) << "a sink is still connected";
        EXPECT_EQ(std::vector<std::string>(), BoxTexts(m_Boxes, m_BoxesRead)) << "boxes no check looked at";
        CGatewayTest::TearDown();
    }

    // An appointment in the calendar, as Outlook hands one out: in the
    // store with an EntryID, its folder as Parent and a Save that the log
    // records.
    CFakeObjectPtr NewAppointment(DATE start = kStart, DATE end = kEnd)
    {
        const CFakeObjectPtr item = m_Outlook.NewAppointmentItem(L"Dentist", start, end);
        item->SetProperty(L"Body", _variant_t(L"Bring the form"));
        item->SetProperty(L"Location", _variant_t(L"High Street"));
        item->SetProperty(L"Parent", static_cast<IDispatch*>(m_Calendar));
        WithSave(item);
        m_Outlook.StoreItem(item);
        return item;
    }
    // A meeting in the calendar whose recipients, as Outlook lists them
    // (the organizer among them), are Exchange users with these mobile
    // numbers; one without a number is an external attendee, an SMTP
    // address that no contact backs.
    struct Attendee
    {
        const wchar_t* name;
        const wchar_t* mobile;
    };
    CFakeObjectPtr NewMeeting(const std::vector<Attendee>& attendees)
    {
        const CFakeObjectPtr item = NewAppointment();
        item->SetProperty(L"MeetingStatus", _variant_t(1L));
        const CFakeCollectionPtr recipients = FakeCollectionOf(item->Value(L"Recipients"));
        for (const Attendee& attendee : attendees)
        {
            const std::wstring address = std::wstring(attendee.name) + L"@example.com";
            const CFakeObjectPtr user =
                *attendee.mobile
                    ? m_Outlook.NewExchangeUser(attendee.name, L"/o=Org/cn=" + address, address, attendee.mobile)
                    : nullptr;
            const CFakeObjectPtr entry =
                m_Outlook.NewAddressEntry(attendee.name, address, user ? L"EX" : L"SMTP", user);
            recipients->Add(static_cast<IDispatch*>(m_Outlook.NewRecipient(attendee.name, address, entry)));
        }
        return item;
    }
    std::wstring RecipientCountLabel()
    {
        return Dispatch::ToText(On("RecipientCount", L"Ribbon_GetLabel"));
    }
    // Outlook's Save, which the test Outlook does not model.
    static void WithSave(const CFakeObjectPtr& item)
    {
        item->SetMethod(L"Save", [](const CFakeObject::Arguments&) { return _variant_t(); });
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
        m_Addin->Call(L"Ribbon_OnChange", {Object(m_Addin->RibbonControl(property, m_Inspector)), _variant_t(text.c_str())});
    }
    // A reminder to Ann from "Zentavo", fifteen minutes before the start.
    void OpenReminder(CFakeObjectPtr item = nullptr)
    {
        Open(item);
        Edit(kTo, kAnn);
        Edit(kFrom, "Zentavo");
    }
    // A new reminder, saved; returns its job's id.
    std::string SaveReminder()
    {
        OpenReminder();
        EXPECT_FALSE(Save());
        return Stored(kJobId);
    }
    // The appointment's start (and end) some days later than the test's.
    void Reschedule(DATE days, bool endToo = true)
    {
        m_Item->SetProperty(L"Start", _variant_t(kStart + days, VT_DATE));
        if (endToo)
            m_Item->SetProperty(L"End", _variant_t(kEnd + days, VT_DATE));
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
    void ChangedInCalendar() { FakeObjectOf(m_Calendar->Value(L"Items"))->Fire(DIID_ItemsEvents, kItemChange, {Object(m_Item)}); }
    void AddedToCalendar() { FakeObjectOf(m_Calendar->Value(L"Items"))->Fire(DIID_ItemsEvents, kItemAdd, {Object(m_Item)}); }

    // Outlook's orders of events for saving, copying and moving
    // appointments; each helper leaves m_Item at the item it made.
    //
    // Outlook's Save of an item in a watched folder raises ItemChange on
    // that folder's items (the test Outlook's Save raises nothing).
    static void SavesRaiseItemChange(const CFakeObjectPtr& item)
    {
        CFakeObject* self = item;
        item->SetMethod(L"Save", [self](const CFakeObject::Arguments&) {
            if (const CFakeObjectPtr folder = FakeObjectOf(self->Value(L"Parent")))
                FakeObjectOf(folder->Value(L"Items"))->Fire(DIID_ItemsEvents, kItemChange, {Object(self)});
            return _variant_t();
        });
    }
    // A new appointment with a reminder to Ann, saved as Outlook saves a new
    // item: the Write before Outlook has given it an EntryID, the save that
    // gives it one, and then, with "Save & Close", the inspector's Close
    // before ItemAdd on the calendar's items; with "Save", ItemAdd while the
    // inspector is still open, which the user closes later with nothing
    // more to save.
    CFakeObjectPtr SaveNewReminder(bool saveAndClose)
    {
        const CFakeObjectPtr item = NewAppointment();
        SavesRaiseItemChange(item);
        const _variant_t entryId = item->Value(L"EntryID");
        item->SetProperty(L"EntryID", _variant_t(L""));
        OpenReminder(item);
        EXPECT_FALSE(Save());
        item->SetProperty(L"EntryID", entryId);
        if (saveAndClose)
            CloseInspector();
        AddedToCalendar();
        if (!saveAndClose)
            CloseInspector();
        return item;
    }
    // Ctrl+drag, or copy and paste, into a folder, to the same time or some
    // days later: Outlook saves a copy there, with every user property and
    // an EntryID of its own, then raises ItemAdd on the folder's items.
    CFakeObjectPtr CopyInto(const CFakeObjectPtr& item, const CFakeObjectPtr& folder, DATE days = 0)
    {
        m_Item = FakeObjectOf(Dispatch::Call(item, L"Copy"));
        m_Item->SetProperty(L"Parent", static_cast<IDispatch*>(folder));
        Reschedule(days);
        SavesRaiseItemChange(m_Item);
        FakeObjectOf(folder->Value(L"Items"))->Fire(DIID_ItemsEvents, kItemAdd, {Object(m_Item)});
        return m_Item;
    }
    // A move as Exchange makes it, within the mailbox or to another store
    // (the test Outlook's Move): BeforeItemMove on the item's folder, then a
    // copy with a new EntryID in the target and its ItemAdd, then the item
    // deleted and ItemRemove on its folder.
    CFakeObjectPtr MoveInto(const CFakeObjectPtr& item, const CFakeObjectPtr& folder)
    {
        m_Item = FakeObjectOf(Dispatch::Call(item, L"Move", static_cast<IDispatch*>(folder)));
        EXPECT_TRUE(m_Item);
        SavesRaiseItemChange(m_Item);
        return m_Item;
    }
    // A saved reminder deleted while the gateway refuses the cancel: the
    // user told the message will still be sent, the item left in Deleted
    // Items naming its pending job. Returns the item.
    CFakeObjectPtr DeletedWithTheCancelRefused()
    {
        const CFakeObjectPtr original = SaveNewReminder(true);
        Script("GetBulkJobStatus", R"([{"error": "INTERNAL_ERROR"}])");
        m_Boxes.QueueAnswers({IDOK, IDCONTINUE, IDOK});
        EXPECT_FALSE(Move(m_Calendar, m_DeletedItems));
        EXPECT_EQ(3u, NewBoxTexts().size());
        return original;
    }
    // A reminder to Ann saved from an inspector on a new appointment of the
    // folder, and the inspector closed.
    CFakeObjectPtr SavedReminderIn(const CFakeObjectPtr& folder, long meetingStatus = 0)
    {
        const CFakeObjectPtr item = NewAppointment();
        item->SetProperty(L"Parent", static_cast<IDispatch*>(folder));
        item->SetProperty(L"MeetingStatus", _variant_t(meetingStatus));
        OpenReminder(item);
        EXPECT_FALSE(Save());
        CloseInspector();
        return item;
    }
    // Outlook's own Save: the item's Write, then, unless it is cancelled,
    // the item's changes stored and, where asked, ItemChange on its folder.
    static void SavesAsOutlook(const CFakeObjectPtr& item, bool raisesItemChange = false)
    {
        CFakeObject* self = item;
        item->SetMethod(L"Save", [self, raisesItemChange](const CFakeObject::Arguments&) {
            VARIANT_BOOL cancel = VARIANT_FALSE;
            self->Fire(DIID_ItemEvents_10, kItemWrite, {CancelReference(cancel)});
            if (cancel == VARIANT_TRUE)
                return _variant_t();
            PropertiesOf(CFakeObjectPtr(self)).Commit();
            if (raisesItemChange)
                FakeObjectOf(FakeObjectOf(self->Value(L"Parent"))->Value(L"Items"))
                    ->Fire(DIID_ItemsEvents, kItemChange, {Object(self)});
            return _variant_t();
        });
    }
    // The gateway's jobs and the session's items start over.
    void StartOver()
    {
        m_Primary.Reset();
        m_Primary.SetBalance(kUsername, 100000);
        m_Outlook.EmptyStore();
    }
    // From the start: a saved reminder, its inspector closed, saved as
    // Outlook saves, then moved a day on while this Outlook did not run (a
    // phone, the web). Returns the job it named.
    std::string SavedReminderMovedElsewhere()
    {
        StartOver();
        const std::string job = SaveReminder();
        CloseInspector();
        SavesAsOutlook(m_Item);
        Reschedule(kOneDay);
        PropertiesOf(m_Item).Commit();
        return job;
    }
    // What reaches the add-in while a box of a save is up: the user deletes
    // the appointment in the explorer (BeforeItemMove), drags it in the
    // calendar to two days after the test's (that change's update makes a
    // job and stores it), or unticks the add-in (OnDisconnection).
    // Also: the user deletes it for good (Shift+Del: BeforeItemMove without
    // a folder, then the item answers nothing), or moves it to another
    // store's calendar (Exchange makes a copy there and deletes this item).
    enum class Meanwhile
    {
        kDeleted,
        kDragged,
        kDisconnected,
        kDeletedForGood,
        kMovedToAnotherStore,
    };
    void Happens(Meanwhile meanwhile)
    {
        switch (meanwhile)
        {
        case Meanwhile::kDeleted:
            EXPECT_FALSE(Move(m_Calendar, m_DeletedItems));
            break;
        case Meanwhile::kDragged:
            Reschedule(2 * kOneDay);
            ChangedInCalendar();
            break;
        case Meanwhile::kDisconnected:
            m_Addin->Disconnect();
            break;
        case Meanwhile::kDeletedForGood:
            EXPECT_FALSE(Move(m_Calendar, nullptr));
            Gone(m_Item);
            break;
        case Meanwhile::kMovedToAnotherStore:
            m_Moved = FakeObjectOf(Dispatch::Call(m_Item, L"Move", static_cast<IDispatch*>(m_OtherStore)));
            Gone(m_Item);
            break;
        }
    }
    // An item deleted from the store: every read fails, as Outlook answers
    // for an object whose item has gone.
    static void Gone(const CFakeObjectPtr& item)
    {
        const HRESULT deleted = static_cast<HRESULT>(0x8004010A);
        for (const wchar_t* member : {L"UserProperties", L"Parent", L"EntryID", L"Start", L"End", L"Subject", L"Body",
                                      L"Location", L"Recipients", L"MeetingStatus", L"RecurrenceState"})
            item->Fail(member, deleted, L"The item has been moved or deleted.");
    }
    // Saves the open item; the event comes once, inside the first box whose
    // first line is the heading. True when the Write was cancelled.
    bool SaveWhileABoxIsUp(const std::string& heading, Meanwhile meanwhile)
    {
        bool done = false;
        m_Boxes.WhileUp([&](const CapturedMessageBox& box) {
            if (done || Heading(box.text) != heading)
                return;
            done = true;
            Happens(meanwhile);
        });
        const bool cancelled = Save();
        m_Boxes.WhileUp(nullptr);
        EXPECT_TRUE(done) << "no box " << heading;
        return cancelled;
    }
    // From the start: a reminder saved and stored, its appointment then
    // moved a day on in its open inspector. Returns the job it names.
    std::string SavedThenMovedADayOn()
    {
        StartOver();
        const std::string job = SaveReminder();
        PropertiesOf(m_Item).Commit();
        Reschedule(kOneDay);
        return job;
    }
    // The open item closed with No to Outlook's "save changes?".
    void CloseWithoutSaving()
    {
        PropertiesOf(m_Item).Revert();
        CloseInspector();
    }
    // The same after the user moved the item a day on (Reschedule): its
    // times go back as well.
    void CloseMovedWithoutSaving()
    {
        Reschedule(0);
        CloseWithoutSaving();
    }
    // Yes to "save changes?": Outlook's Save (the Write, then the item's
    // changes stored unless the Write is cancelled), then the close.
    void CloseSaving()
    {
        SavesAsOutlook(m_Item);
        Dispatch::Call(m_Item, L"Save");
        CloseInspector();
    }
    // A reminder to Ann and to the user's own number, saved from an open
    // inspector while the number was stored, and stored; the number is then
    // forgotten (another PC), so that the next user's save asks for it.
    std::string SaveReminderToMyMobile()
    {
        Preferences().SetUsersMobilePhoneNumber("07700900123");
        OpenReminder();
        On(kMyMobile, L"Ribbon_CheckBoxOnAction", {_variant_t(1L)});
        EXPECT_FALSE(Save());
        PropertiesOf(m_Item).Commit();
        Preferences().SetUsersMobilePhoneNumber("");
        return Stored(kJobId);
    }
    std::wstring SendTimeLabel() { return Dispatch::ToText(On("Schedule_SendFeedback", L"Ribbon_GetLabel")); }
    void ChangedIn(const CFakeObjectPtr& folder)
    {
        FakeObjectOf(folder->Value(L"Items"))->Fire(DIID_ItemsEvents, kItemChange, {Object(m_Item)});
    }
    std::string JobOf(const CFakeObjectPtr& item)
    {
        return static_cast<const char*>(_bstr_t(SMSReminderItem::Stored(item, kJobId)));
    }
    // Which job an appointment names, pending, once its inspector is closed:
    // the one its update made, the one it named before, or none.
    enum class Kept
    {
        kUpdate,
        kOld,
        kNone,
    };
    // The rule for the appointments a flow leaves: each that keeps a
    // reminder names a pending job of its own, the others name none, and no
    // other job is pending (nothing lost, nothing sent twice).
    void ExpectOneJobEach(const std::vector<std::pair<CFakeObjectPtr, bool>>& items)
    {
        std::set<std::string> named;
        size_t withJob = 0;
        for (const auto& item : items)
        {
            const std::string job = JobOf(item.first);
            if (!item.second)
            {
                EXPECT_TRUE(job.empty() || job == "<absent>") << "names " << job;
                continue;
            }
            ++withJob;
            EXPECT_EQ("Pending", JobStatus(job));
            EXPECT_TRUE(named.insert(job).second) << job << " is named twice";
        }
        EXPECT_EQ(withJob, PendingJobs());
    }
    // Where a save's path leaves the appointment.
    enum class Left
    {
        kInTheCalendar,
        kInDeletedItems,
        kDeletedForGood,
        kInAnotherStore,  // as m_Moved
        kDisconnected,
    };
    // The end state of every path of a save, its inspector closed: an
    // appointment in the calendar names the one job that waits for it, at
    // its times, or it reads not up to date, and then its next opening
    // offers the update, which, accepted, leaves that one job; one deleted
    // names none; a copy in another store names the one that waits. No
    // other job waits but those the user was told may still send.
    void ExpectTheEndState(Left left, const std::set<std::string>& told = {})
    {
        const auto waiting = [&] {
            std::set<std::string> pending;
            for (const CJsonValue& job : Jobs())
                if (job["status"].AsString() == "Pending" && !told.count(job["job_id"].AsString()))
                    pending.insert(job["job_id"].AsString());
            return pending;
        };
        const auto named = [](const CFakeObjectPtr& item) {
            const std::string job = static_cast<const char*>(_bstr_t(SMSReminderItem::Stored(item, kJobId)));
            return job == "<absent>" ? std::string() : job;
        };
        switch (left)
        {
        case Left::kInDeletedItems:
            EXPECT_EQ("", named(m_Item));
            EXPECT_EQ(std::set<std::string>(), waiting());
            return;
        case Left::kDeletedForGood:
            EXPECT_EQ(std::set<std::string>(), waiting());
            return;
        case Left::kInAnotherStore:
            EXPECT_EQ(std::set<std::string>{named(m_Moved)}, waiting());
            return;
        case Left::kDisconnected:
            return;
        case Left::kInTheCalendar:
            break;
        }
        const std::string to = Stored(kTo);
        const bool on = !to.empty() && to != "<absent>";
        const DATE start = m_Item->Value(L"Start");
        const std::string upToDate = on ? Status(1, start, static_cast<DATE>(m_Item->Value(L"End"))) : "";
        const std::string status = Stored(kStatus) == "<absent>" ? "" : Stored(kStatus);
        if (status != upToDate)
        {
            const std::set<std::string> pending = waiting();
            EXPECT_TRUE(pending.empty() || pending == std::set<std::string>{named(m_Item)}) << named(m_Item);
            m_Boxes.QueueAnswers({IDOK});
            Open(m_Item);
            EXPECT_EQ(std::vector<std::string>{kNotUpToDate}, NewBoxTexts());
            CloseInspector();
        }
        EXPECT_EQ(on ? std::set<std::string>{named(m_Item)} : std::set<std::string>(), waiting());
        if (on && !named(m_Item).empty())
        {
            const int days = static_cast<int>(std::lround(start - kStart));
            EXPECT_EQ("2030-06-" + std::to_string(10 + days) + "T14:15:00+01:00",
                      Job(named(m_Item))["scheduled_date"].AsString());
        }
        EXPECT_EQ(upToDate, Stored(kStatus) == "<absent>" ? "" : Stored(kStatus));
    }
    // The open item after its Write: stored as Outlook stores it, unless
    // the Write was cancelled; then closed with Yes or No to Outlook's
    // "save changes?".
    void CloseAfterTheWrite(bool cancelled, bool yes)
    {
        if (!cancelled)
        {
            PropertiesOf(m_Item).Commit();
            CloseInspector();
        }
        else if (yes)
            CloseSaving();
        else
            CloseMovedWithoutSaving();
    }

    // A ribbon callback on a control of the open inspector's tab.
    _variant_t On(const char* id, const wchar_t* callback, std::vector<_variant_t> more = {})
    {
        more.insert(more.begin(), Object(m_Addin->RibbonControl(id, m_Inspector)));
        return m_Addin->Call(callback, std::move(more));
    }

    std::string Stored(const char* name) { return static_cast<const char*>(_bstr_t(SMSReminderItem::Stored(m_Item, name))); }
    std::string EntryId() const { return static_cast<const char*>(_bstr_t(m_Item->Value(L"EntryID"))); }
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
    std::vector<std::string> Numbers(const std::string& id) const
    {
        const CJsonValue job = Job(id);
        std::vector<std::string> numbers;
        for (const CJsonValue& number : job["numbers"].AsArray())
            numbers.push_back(number.AsString());
        return numbers;
    }
    size_t PendingJobs() const
    {
        size_t pending = 0;
        for (const CJsonValue& job : Jobs())
            pending += job["status"].AsString() == "Pending" ? 1 : 0;
        return pending;
    }
    void SetJobStatus(const std::string& id, const std::string& status) const
    {
        m_Primary.Control("POST", "job", "{\"job_id\": " + JsonQuote(id) + ", \"status\": " + JsonQuote(status) + "}");
    }
    void Script(const std::string& operation, const std::string& replies) const
    {
        m_Primary.Control("POST", "script", "{\"page\": \"bulkjob.asmx/" + operation + "\", \"replies\": " + replies + "}");
    }
    // The next job made is set ready, but that answer is lost, and so are
    // the status read that asks what it is, the abort that would give it up
    // and the status read after: it may send. An update first reads the
    // status of the job it replaces, as the gateway answers, and leaves that
    // job alone.
    void LoseTheNextJobsOutcome(bool replacing) const
    {
        const std::string cut = R"({"truncate_at": 120})";
        Script("SetBulkJobReady", "[" + cut + "]");
        Script("AbortBulkJob", R"([{"drop": true}])");
        Script("GetBulkJobStatus", "[" + std::string(replacing ? "{}, " : "") + cut + ", " + cut + "]");
    }

    // The boxes shown since the last call; TearDown expects none left unread.
    std::vector<CapturedMessageBox> NewBoxes()
    {
        std::vector<CapturedMessageBox> boxes = m_Boxes.Boxes();
        boxes.erase(boxes.begin(), boxes.begin() + static_cast<std::ptrdiff_t>(m_BoxesRead));
        m_BoxesRead += boxes.size();
        return boxes;
    }
    std::vector<std::string> NewBoxTexts()
    {
        const std::vector<std::string> texts = BoxTexts(m_Boxes, m_BoxesRead);
        m_BoxesRead += texts.size();
        return texts;
    }

    CFakeOutlook m_Outlook;
    std::unique_ptr<CAddinUnderTest> m_Addin;
    CFakeObjectPtr m_Calendar;
    CFakeObjectPtr m_DeletedItems;
    CFakeObjectPtr m_Work;
    CFakeObjectPtr m_OtherStore;
    CFakeObjectPtr m_SecondStore;
    CFakeObjectPtr m_SecondCalendar;
    CFakeObjectPtr m_SecondDeletedItems;
    CFakeObjectPtr m_Item;
    CFakeObjectPtr m_Moved;  // the copy a move to another store made
    CFakeObjectPtr m_Inspector;
    long m_LiveConnectionsAtStart = 0;
    size_t m_BoxesRead = 0;
};

// Schedules, updates and cancels one reminder; the gateway's jobs follow.
TEST_F(SMSReminderSubmission, EndToEndScheduleUpdateAndCancel)
{
    const std::string first = SaveReminder();
    ASSERT_EQ(1u, Jobs().size());
    EXPECT_EQ("Pending", JobStatus(first));
    EXPECT_EQ(Status(1), Stored(kStatus));

    // A new start moves the job: the old one is aborted, a new one waits.
    Reschedule(kOneDay);
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
        OpenReminder();
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
}

TEST_F(SMSReminderSubmission, DeletingCancelsAndRestoringSubmitsAgain)
{
    const std::string first = SaveReminder();

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
}

TEST_F(SMSReminderSubmission, AMoveBetweenCalendarsChangesNothing)
{
    const std::string job = SaveReminder();
    const size_t calls = ServiceCalls();
    EXPECT_FALSE(Move(m_Calendar, m_Outlook.NewFolder(L"Work")));
    EXPECT_EQ(calls, ServiceCalls());
    EXPECT_EQ(job, Stored(kJobId));
    EXPECT_EQ(0u, Saves());
    // Nor does deleting an appointment that has no job call the gateway.
    Open();
    EXPECT_FALSE(Move(m_Calendar, m_DeletedItems));
    EXPECT_EQ(calls, ServiceCalls());
}

// A job that has started or ended sending cannot change: an update becomes
// a new job; switching off or deleting only forgets it, without a box, and
// never submits it again.
TEST_F(SMSReminderSubmission, AJobThatHasGoneOutIsReplacedWhenUpdatedAndForgottenWhenCancelled)
{
    for (const char* status : {"Processing", "Completed", "Aborted"})
        for (const char* step : {"update", "switch off", "delete"})
        {
            SCOPED_TRACE(testing::Message() << status << ", " << step);
            const bool update = step == std::string("update");
            const std::string sent = SaveReminder();
            SetJobStatus(sent, status);
            const size_t jobs = Jobs().size();
            if (update)
                Reschedule(kOneDay, false);
            else if (step == std::string("switch off"))
                Edit(kTo, "");
            EXPECT_FALSE(step == std::string("delete") ? Move(m_Calendar, m_DeletedItems) : Save());
            EXPECT_EQ(update ? jobs + 1 : jobs, Jobs().size());
            if (update)
            {
                EXPECT_NE(sent, Stored(kJobId));
                EXPECT_EQ("Pending", JobStatus(Stored(kJobId)));
            }
            else
            {
                EXPECT_EQ("", Stored(kJobId));
            }
            EXPECT_EQ(status, JobStatus(sent));
        }
}

TEST_F(SMSReminderSubmission, ACancelTheGatewayRefusesKeepsTheJobAndItsId)
{
    const std::string job = SaveReminder();
    Script("GetBulkJobStatus", R"([{"error": "INTERNAL_ERROR"}])");
    m_Boxes.QueueAnswers({IDOK, IDCONTINUE, IDOK});
    EXPECT_FALSE(Move(m_Calendar, m_DeletedItems));
    const std::vector<std::string> texts = NewBoxTexts();
    ASSERT_EQ(3u, texts.size());
    EXPECT_EQ(0u, texts[0].find(std::string(kGatewayHeading) + "\n")) << texts[0];
    EXPECT_NE(std::string::npos, texts[0].find("saCancelSendMessageSubmission - GetBulkJobStatus")) << texts[0];
    EXPECT_EQ(kRetry, texts[1]);
    EXPECT_EQ(kDeleteFailed, texts[2]);
    EXPECT_EQ(job, Stored(kJobId));
    EXPECT_EQ("Pending", JobStatus(job));
    EXPECT_EQ(Status(2), Stored(kStatus));
}

// A new reminder's save that fails at the gateway: the creation refused,
// or the request to set the job ready lost before the gateway set it ready,
// as the job's status then tells. Such a job is given up before the retry
// prompt: Try Again makes
// the one job, Continue and Cancel leave none and a status that is not up
// to date. With the abort and the status lost too the job may send: the
// user is told so, the item names it, and Try Again replaces it instead of
// adding one; Cancel, which stops the Write, cancels it, since the
// appointment Outlook keeps names none.
TEST_F(SMSReminderSubmission, TheRetryPromptTriesAgainContinuesOrCancels)
{
    const char* const cut = R"([{"truncate_at": 120}])";
    using Scripts = std::vector<std::pair<const char*, const char*>>;
    const Scripts refused = {{"CreateSMSTextBulkJob", R"([{"error": "INTERNAL_ERROR"}])"}};
    const Scripts givenUp = {{"SetBulkJobReady", R"([{"drop": true}])"}};
    const Scripts unknown = {{"SetBulkJobReady", cut},
                             {"AbortBulkJob", R"([{"drop": true}])"},
                             {"GetBulkJobStatus", R"([{"truncate_at": 120}, {"truncate_at": 120}])"}};
    const std::string failed = "An error has occured (Ctrl-C to copy)";
    const std::string maySend = "The message may have been sent.";
    const std::string updateFailed = Heading(kUpdateFailed);
    struct Row
    {
        const char* name;
        Scripts scripts;
        int answer;
        std::vector<std::string> headings;
        bool holdsJob;  // the item names a pending job, the only one
        size_t jobs;    // made at the gateway
        int status;
    };
    const Row rows[] = {
        {"refused, Try Again", refused, IDTRYAGAIN, {kGatewayHeading, kRetryHeading}, true, 1, 1},
        {"refused, Continue", refused, IDCONTINUE, {kGatewayHeading, kRetryHeading, updateFailed}, false, 0, 2},
        {"refused, Cancel", refused, IDCANCEL, {kGatewayHeading, kRetryHeading}, false, 0, 2},
        {"given up, Try Again", givenUp, IDTRYAGAIN, {failed, kRetryHeading}, true, 2, 1},
        {"given up, Continue", givenUp, IDCONTINUE, {failed, kRetryHeading, updateFailed}, false, 1, 2},
        {"not known, Try Again", unknown, IDTRYAGAIN, {maySend, kRetryHeading}, true, 2, 1},
        {"not known, Continue", unknown, IDCONTINUE, {maySend, kRetryHeading, updateFailed}, true, 1, 2},
        {"not known, Cancel", unknown, IDCANCEL, {maySend, kRetryHeading}, false, 1, 2},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        StartOver();
        for (const auto& script : row.scripts)
            Script(script.first, script.second);
        m_Boxes.QueueAnswers({IDOK, row.answer, IDOK});
        OpenReminder();
        EXPECT_EQ(row.answer == IDCANCEL, Save());
        const std::vector<CapturedMessageBox> boxes = NewBoxes();
        EXPECT_EQ(row.headings, Headings(boxes));
        ASSERT_LE(2u, boxes.size());
        EXPECT_EQ(static_cast<UINT>(MB_CANCELTRYCONTINUE), boxes[1].style);
        EXPECT_EQ(kRetry, boxes[1].text);
        EXPECT_EQ(row.jobs, Jobs().size());
        ExpectOneJobEach({{m_Item, row.holdsJob}});
        EXPECT_EQ(Status(row.status), Stored(kStatus));
        CloseInspector();
    }
}

TEST_F(SMSReminderSubmission, WithoutAnAccountNothingIsSentAndTheFailureIsRecorded)
{
    // Logged out, as after a logout in the settings.
    CZentavoSMSGatewayAuthenticationManager::StoreLoginDetails(Config(), CZentavoSMSGatewayLoginDetails());
    Config().Save();
    OpenReminder();
    {
        // The account set-up offered first is closed without a login.
        CWindowDriver driver;
        EXPECT_FALSE(Save());
    }
    EXPECT_EQ((std::vector<std::string>{"Could not schedule SMS reminder as account details are not set", kUpdateFailed}),
              NewBoxTexts());
    EXPECT_EQ(0u, ServiceCalls());
    EXPECT_EQ(Status(2), Stored(kStatus));
    // The next opening offers the update.
    m_Boxes.QueueAnswers({IDCANCEL});
    Open(m_Item);
    EXPECT_EQ(std::vector<std::string>{kNotUpToDate}, NewBoxTexts());
}

// A reminder that cannot go out is not sent, and one box says why: a
// schedule that is not valid, or none, cancels the Write; a send time in the
// past lets it go on.
TEST_F(SMSReminderSubmission, AReminderThatCannotGoOutIsNotSent)
{
    const DATE soon = MinutesFromNow(10), later = MinutesFromNow(40);
    const std::string errors = "There were errors found on the SMS Reminder ribbon\n\n  - ";
    struct Row
    {
        const char* schedule;  // typed in, or null for the default
        DATE start, end;
        bool cancelled;
        std::string box;
        std::string status;
    };
    const Row rows[] = {
        {"whenever", kStart, kEnd, true, errors + "The Reminder Schedule entered is not valid\n", Status(2)},
        {"", kStart, kEnd, true, errors + "Please enter Reminder Schedule\n", Status(2)},
        {nullptr, soon, later, false,
         "The SMS Reminder message is scheduled to be sent in the past\r\n\r\nSMS Reminder will not be sent", Status(1, soon, later)},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.box);
        OpenReminder(NewAppointment(row.start, row.end));
        if (row.schedule)
            Edit(kSchedule, row.schedule);
        EXPECT_EQ(row.cancelled, Save());
        EXPECT_EQ(std::vector<std::string>{row.box}, NewBoxTexts());
        EXPECT_EQ(0u, ServiceCalls());
        EXPECT_EQ("<absent>", Stored(kJobId));
        EXPECT_EQ(row.status, Stored(kStatus));
        EXPECT_EQ(row.schedule ? row.schedule : "15 minutes before", Stored(kSchedule));
    }
}

// Whether opening an appointment offers the update, by its stored status
// and, for a reminder that is on, the job it names; answered OK, the update
// is made at once, answered Cancel the item is marked changed.
TEST_F(SMSReminderSubmission, TheOpeningCheckReadsTheStatusText)
{
    struct Row
    {
        const char* name;
        bool on;
        std::string status;
        bool offered;
        int answer;
        bool namesJob = true;
    };
    const Row rows[] = {
        {"off, nothing stored", false, "", false, IDCANCEL},
        {"on, nothing stored", true, "", true, IDCANCEL},
        {"off, failed", false, "A~2", true, IDCANCEL},
        {"not an A", true, "B~1", true, IDCANCEL},
        {"one part", true, "A~", true, IDCANCEL},
        {"status only", true, "A~1", false, IDCANCEL},
        {"failed, no times", true, "A~2", true, IDCANCEL},
        {"three parts", true, "A~1~x", false, IDCANCEL},
        {"same times", true, Status(1), false, IDCANCEL},
        {"same times, failed", true, Status(2), true, IDCANCEL},
        {"empty pieces dropped", true, "A~~1~" + StatusDate(kStart) + "~~" + StatusDate(kEnd), false, IDCANCEL},
        {"start moved a second", true, Status(1, kStart + 1.0 / 86400), true, IDCANCEL},
        {"end moved", true, Status(1, kStart, kEnd + kOneDay), true, IDCANCEL},
        {"start unreadable", true, "A~1~someday~" + StatusDate(kEnd), true, IDCANCEL},
        {"end unreadable", true, "A~1~" + StatusDate(kStart) + "~someday", true, IDCANCEL},
        {"same times, failed, answered OK", true, Status(2), true, IDOK, false},
        {"status only, no job", true, "A~1", true, IDCANCEL, false},
        {"same times, no job", true, Status(1), true, IDCANCEL, false},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        const CFakeObjectPtr item = NewAppointment();
        if (row.on)
        {
            Preset(item, kTo, _variant_t(kAnn));
            Preset(item, kFrom, _variant_t("Zentavo"));
            if (row.namesJob)
                Preset(item, kJobId, _variant_t("4711"));
        }
        if (!row.status.empty())
            Preset(item, kStatus, _variant_t(row.status.c_str()));
        const size_t calls = ServiceCalls(), jobs = Jobs().size();
        m_Boxes.QueueAnswers({row.answer});
        Open(item);
        const std::vector<CapturedMessageBox> boxes = NewBoxes();
        ASSERT_EQ(row.offered ? 1u : 0u, boxes.size());
        if (row.offered)
        {
            EXPECT_EQ(kNotUpToDate, boxes[0].text);
            EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL), boxes[0].style);
        }
        const bool updated = row.offered && row.answer == IDOK;
        EXPECT_EQ(row.offered && !updated ? "1" : "<absent>", Stored(kUpdateCount));
        EXPECT_EQ(updated, ServiceCalls() != calls);
        EXPECT_EQ(updated ? jobs + 1 : jobs, Jobs().size());
        if (updated || row.status == Status(2))
        {
            EXPECT_EQ(updated ? Status(1) : Status(2), Stored(kStatus));
        }
    }
}

TEST_F(SMSReminderSubmission, AChangeInTheCalendarUpdatesTheGateway)
{
    const std::string first = SaveReminder();
    CloseInspector();

    // An unchanged item, and one whose times are as stored, need nothing.
    const size_t calls = ServiceCalls();
    ChangedInCalendar();
    EXPECT_EQ(calls, ServiceCalls());

    // Moved elsewhere (another device, a drag in the calendar).
    Reschedule(kOneDay, false);
    ChangedInCalendar();
    const std::string second = Stored(kJobId);
    EXPECT_NE(first, second);
    EXPECT_EQ("Pending", JobStatus(second));
    EXPECT_EQ(Status(1, kStart + kOneDay), Stored(kStatus));
    EXPECT_EQ(1u, Saves());
}

// The job belongs to the item: one replaced by a change made elsewhere while
// the appointment is open is the one the next save from the inspector moves.
TEST_F(SMSReminderSubmission, ASaveAfterAChangeElsewhereMovesTheJobTheChangeMade)
{
    const std::string first = SaveReminder();

    Reschedule(kOneDay);
    ChangedInCalendar();
    const std::string second = Stored(kJobId);
    ASSERT_NE(first, second);

    Reschedule(2 * kOneDay);
    EXPECT_FALSE(Save());
    const std::string third = Stored(kJobId);
    // One job waits, at the last time; none is left behind to send as well.
    EXPECT_EQ(1u, PendingJobs());
    EXPECT_EQ("Pending", JobStatus(third));
    EXPECT_EQ("Aborted", JobStatus(second));
    EXPECT_EQ("2030-06-12T14:15:00+01:00", Job(third)["scheduled_date"].AsString());
}

// Saving an item from its own change event raises that event again: when
// the saved status cannot be written, each save finds the times changed
// once more, and the fifth round within 500 ms of the last is stopped. The
// rounds are measured from each save, not from before the box the user
// takes a moment over.
TEST_F(SMSReminderSubmission, ASaveChangeSaveBurstEndsInTheLoopBox)
{
    m_Boxes.WhileUp([](const CapturedMessageBox&) { ::Sleep(600); });
    Open();
    CloseInspector();
    Preset(m_Item, kStatus, _variant_t(Status(1, kStart - kOneDay).c_str()));
    PropertiesOf(m_Item).FailValueWrite(Wide(kStatus), E_ACCESSDENIED);
    CFakeObject* item = m_Item;
    CFakeObject* items = FakeObjectOf(m_Calendar->Value(L"Items"));
    m_Item->SetMethod(L"Save", [item, items](const CFakeObject::Arguments&) {
        items->Fire(DIID_ItemsEvents, kItemChange, {Object(item)});
        return _variant_t();
    });

    ChangedInCalendar();
    m_Boxes.WhileUp(nullptr);
    const std::vector<std::string> texts = NewBoxTexts();
    ASSERT_EQ(5u, texts.size());
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ("Insufficient Permission to save SMS Reminder", texts[i]);
    EXPECT_NE(std::string::npos, texts[4].find("COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnItemChange - "
                                               "Breaking out of suspected infinite loop"))
        << texts[4];
    EXPECT_NE(std::string::npos, texts[4].find("CAddin::OnItemChange")) << texts[4];
    EXPECT_EQ(0u, ServiceCalls());
}

// The user's own number ticked while it is listed already, in another form:
// the tab counts it once and the job holds it once.
TEST_F(SMSReminderSubmission, MyMobileListedAlreadyGoesOutOnce)
{
    struct Row
    {
        const char* mobile;
        long count;
        std::vector<std::string> numbers;
    };
    const Row rows[] = {
        {"+44 (0)7700-900001", 1, {"447700900001"}},
        {"07700900123", 2, {"447700900001", "07700900123"}},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.mobile);
        Preferences().SetUsersMobilePhoneNumber(row.mobile);
        OpenReminder();
        On(kMyMobile, L"Ribbon_CheckBoxOnAction", {_variant_t(1L)});
        EXPECT_EQ(std::wstring(20, L' ') + std::to_wstring(row.count) + L" recipients",
                  Dispatch::ToText(On("RecipientCount", L"Ribbon_GetLabel")));
        EXPECT_FALSE(Save());
        EXPECT_EQ(row.numbers, Numbers(Stored(kJobId)));
    }
}

// The reminder sends once to each phone however often its recipients name
// it: Outlook lists the organizer, the user, among a meeting's recipients, a
// listed person may attend as well, and a national number is the phone of
// its international form in the location Windows is set to. Each number of
// a field that holds several is a phone of its own. The tab counts the
// phones the job holds.
TEST_F(SMSReminderSubmission, EachPhoneIsSentToOnce)
{
    using namespace Location;
    struct Row
    {
        const char* name;
        GEOID location;
        std::vector<Attendee> attendees;  // none: not a meeting
        const char* mine;                  // ticked when not empty
        const char* to;
        std::vector<std::string> numbers;
    };
    const Row rows[] = {
        {"the organizer is the user", kUnitedKingdom, {{L"Test User", L"+44 7700 900123"}, {L"Carol", L""}},
         "07700900123", "<All Meeting Attendees>; ", {"07700900123"}},
        {"a listed attendee", kUnitedKingdom, {{L"Bob Ray", L"07700 900555"}, {L"Carol", L""}}, "",
         "Bob Ray [+447700900555]; <All Meeting Attendees>; ", {"+447700900555"}},
        {"nine significant digits", kFrance, {}, "06 12 34 56 78", "Pierre [+33 6 12 34 56 78]; ",
         {"+33 6 12 34 56 78"}},
        {"the user's national number in the US", kUnitedStates, {}, "07700900123", "Me [+44 7700 900123]; ",
         {"+44 7700 900123", "07700900123"}},
        {"a French and a Spanish mobile", kFrance, {}, "06 12 34 56 78", "Pablo [+34 612 345 678]; ",
         {"+34 612 345 678", "06 12 34 56 78"}},
        {"a field of two numbers", kUnitedKingdom, {}, "", "Ann [+447700900001, +447700900002]; Bob [+447700900002]; ",
         {"+447700900001", "+447700900002"}},
        {"an attendee's field of two numbers", kUnitedKingdom,
         {{L"Bob Ray", L"07700 900555; 07700 900556"}, {L"Carol", L""}}, "",
         "Bo [+447700900556]; <All Meeting Attendees>; ", {"+447700900556", "07700 900555"}},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        const CScopedUserLocation location(row.location);
        Preferences().SetUsersMobilePhoneNumber(row.mine);
        Open(row.attendees.empty() ? NewAppointment() : NewMeeting(row.attendees));
        Edit(kTo, row.to);
        Edit(kFrom, "Zentavo");
        if (*row.mine)
            On(kMyMobile, L"Ribbon_CheckBoxOnAction", {_variant_t(1L)});
        EXPECT_EQ(std::wstring(20, L' ') + std::to_wstring(row.numbers.size()) + L" recipients", RecipientCountLabel());
        EXPECT_FALSE(Save());
        EXPECT_EQ(row.numbers, Numbers(Stored(kJobId)));
    }
}

// A reminder that reaches no phone ("<All Meeting Attendees>" on a meeting
// whose attendees are all external) fails as one whose every number is
// refused does: no job is left waiting (one it had is cancelled), the user
// is told why, and the item does not read as up to date.
TEST_F(SMSReminderSubmission, AReminderToNoPhoneIsNotScheduled)
{
    for (const bool hadJob : {false, true})
    {
        SCOPED_TRACE(hadJob ? "had a job" : "new");
        Open(NewMeeting({{L"Carol", L""}, {L"Dan", L""}}));
        Edit(kFrom, "Zentavo");
        std::string job;
        if (hadJob)
        {
            Edit(kTo, kAnn);
            EXPECT_FALSE(Save());
            job = Stored(kJobId);
        }
        const size_t jobs = Jobs().size();
        Edit(kTo, "<All Meeting Attendees>; ");
        EXPECT_EQ(std::wstring(20, L' ') + L"0 recipients", RecipientCountLabel());
        EXPECT_FALSE(Save());
        EXPECT_EQ((std::vector<std::string>{kNoPhone, kUpdateFailed}), NewBoxTexts());
        EXPECT_EQ(0u, PendingJobs());
        EXPECT_EQ(jobs, Jobs().size());
        if (hadJob)
        {
            EXPECT_EQ("Aborted", JobStatus(job));
            EXPECT_EQ("", Stored(kJobId));
        }
        EXPECT_EQ(Status(2), Stored(kStatus));
        m_Boxes.QueueAnswers({IDCANCEL});
        Open(m_Item);
        EXPECT_EQ(std::vector<std::string>{kNotUpToDate}, NewBoxTexts());
    }
}

// A reminder whose every number the gateway refuses would reach no one: the
// save fails as a refused save does, and no job is left waiting.
TEST_F(SMSReminderSubmission, AReminderThatReachesNoOneIsAFailure)
{
    OpenReminder();
    Edit(kTo, "Ann [12]; Bob [34]; ");
    m_Boxes.QueueAnswers({IDOK, IDCONTINUE, IDOK});
    EXPECT_FALSE(Save());
    EXPECT_EQ((std::vector<std::string>{std::string(kGatewayHeading) + "\n\nNo valid recipients numbers were provided",
                                        kRetry, kUpdateFailed}),
              NewBoxTexts());
    EXPECT_EQ(0u, PendingJobs());
    ASSERT_EQ(1u, Jobs().size());
    EXPECT_EQ("Aborted", Jobs()[0]["status"].AsString());
    EXPECT_EQ("<absent>", Stored(kJobId));
    EXPECT_EQ(Status(2), Stored(kStatus));
}

// Outlook copies an appointment's user properties with it, so a copy names
// its original's job. Whatever happens to the copy, the original keeps its
// job and properties; a copy saved with a reminder gets a job of its own.
TEST_F(SMSReminderSubmission, ACopyGetsAJobOfItsOwn)
{
    struct Row
    {
        const char* name;
        std::function<void()> step;  // on the copy
        bool ownJob;
    };
    const Row rows[] = {
        {"saved from its inspector at another time",
         [this] {
             Open(m_Item);
             Reschedule(kOneDay);
             EXPECT_FALSE(Save());
             CloseInspector();
         },
         true},
        {"moved in the calendar",
         [this] {
             Reschedule(kOneDay);
             ChangedInCalendar();
         },
         true},
        {"deleted", [this] { EXPECT_FALSE(Move(m_Calendar, m_DeletedItems)); }, false},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        m_Primary.Reset();
        m_Primary.SetBalance(kUsername, 100000);
        m_Outlook.EmptyStore();  // the gateway's job ids start over
        // A new appointment: Outlook gives it its EntryID when it saves it,
        // after the Write, then adds it to the calendar.
        const CFakeObjectPtr original = NewAppointment();
        const _variant_t originalId = original->Value(L"EntryID");
        original->SetProperty(L"EntryID", _variant_t(L""));
        OpenReminder(original);
        EXPECT_FALSE(Save());
        original->SetProperty(L"EntryID", originalId);
        CloseInspector();
        AddedToCalendar();
        const std::string job = Stored(kJobId);
        EXPECT_EQ(EntryId(), Stored(kJobOwner));

        m_Item = FakeObjectOf(Dispatch::Call(original, L"Copy"));
        ASSERT_TRUE(m_Item);
        WithSave(m_Item);
        AddedToCalendar();
        row.step();

        if (row.ownJob)
        {
            EXPECT_NE(job, Stored(kJobId));
            EXPECT_EQ("Pending", JobStatus(Stored(kJobId)));
            EXPECT_EQ("2030-06-11T14:15:00+01:00", Job(Stored(kJobId))["scheduled_date"].AsString());
            EXPECT_EQ(EntryId(), Stored(kJobOwner));
        }
        else
        {
            EXPECT_EQ("", Stored(kJobId));
        }
        EXPECT_EQ(row.ownJob ? 2u : 1u, PendingJobs());
        EXPECT_EQ("Pending", JobStatus(job));
        m_Item = original;
        EXPECT_EQ(job, Stored(kJobId));
        EXPECT_EQ(Status(1), Stored(kStatus));
    }
}

// An item owns the job it names when no owner was recorded (saved before
// owners were) or when its owner has gone (the item moved to another store,
// which gave it a new EntryID): a new time moves that job. So does a meeting
// the user organized, unlike one received (whose job is its organizer's).
TEST_F(SMSReminderSubmission, AnItemWithoutAnotherOwnerMovesItsJob)
{
    const auto ownerGone = [this](long meetingStatus) {
        return [this, meetingStatus] {
            m_Item->SetProperty(L"MeetingStatus", _variant_t(meetingStatus));
            m_Item->SetProperty(L"EntryID", _variant_t(L"00000000FAC0E00000000MOVED"));
        };
    };
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"no owner recorded",
         [this] { PropertiesOf(m_Item).Property(Wide(kJobOwner))->SetProperty(L"Value", _variant_t(L"")); }},
        {"owner gone", ownerGone(0)},
        {"a meeting the user organized, owner gone", ownerGone(1)},       // olMeeting
        {"a meeting the user cancelled, owner gone", ownerGone(5)},       // olMeetingCanceled
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.first);
        StartOver();
        const std::string first = SaveReminder();
        CloseInspector();
        ASSERT_EQ(EntryId(), Stored(kJobOwner));
        row.second();
        Reschedule(kOneDay);
        ChangedInCalendar();
        EXPECT_EQ("Aborted", JobStatus(first));
        EXPECT_EQ("Pending", JobStatus(Stored(kJobId)));
        EXPECT_EQ(EntryId(), Stored(kJobOwner));
    }
}

// A stored property of an unexpected type, as another program or a sync may
// leave one, is reported and read as its default: deleting the appointment
// still cancels its job, and restoring it schedules one from what is
// readable.
TEST_F(SMSReminderSubmission, AnUnreadablePropertyNeitherStopsACancelNorASave)
{
    _variant_t null;
    V_VT(&null) = VT_NULL;
    _variant_t error;
    V_VT(&error) = VT_ERROR;
    V_ERROR(&error) = DISP_E_TYPEMISMATCH;
    struct Row
    {
        const char* property;
        _variant_t value;
        std::vector<std::string> restored;  // the numbers of the job restoring schedules
    };
    const Row rows[] = {
        {kTo, null, {"07700900123"}},
        {kTo, error, {"07700900123"}},
        {kMyMobile, _variant_t(1L), {"447700900001"}},
    };
    Preferences().SetUsersMobilePhoneNumber("07700900123");
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.property + std::string(" as VARTYPE ") + std::to_string(V_VT(&row.value)));
        OpenReminder();
        On(kMyMobile, L"Ribbon_CheckBoxOnAction", {_variant_t(1L)});
        EXPECT_FALSE(Save());
        const std::string job = Stored(kJobId);
        CloseInspector();
        PropertiesOf(m_Item).Property(Wide(row.property))->SetProperty(L"Value", row.value);
        const size_t events = m_Events.Texts().size();

        EXPECT_FALSE(Move(m_Calendar, m_DeletedItems));
        EXPECT_EQ("Aborted", JobStatus(job));
        EXPECT_EQ("", Stored(kJobId));

        EXPECT_FALSE(Move(m_DeletedItems, m_Calendar));
        EXPECT_EQ(row.restored, Numbers(Stored(kJobId)));
        EXPECT_EQ(std::vector<std::string>(), NewBoxTexts());
        const std::vector<std::string> texts = m_Events.Texts();
        ASSERT_EQ(events + 2, texts.size()) << "one report at each reading";
        EXPECT_NE(std::string::npos, texts.back().find(std::string("Reading ") + row.property)) << texts.back();
    }
}

// An update whose status query says nothing of the old job (Unknown, or no
// status at all) cannot tell whether it will still send: the save fails with
// the retry prompt, the item keeps naming the old job and no second one is
// made.
TEST_F(SMSReminderSubmission, AnUpdateThatCannotLearnTheJobsStatusFails)
{
    struct Row
    {
        const char* name;
        std::function<void(const std::string& job)> answer;
        const char* jobStatus;
    };
    const Row rows[] = {
        {"Unknown", [this](const std::string& job) { SetJobStatus(job, "Unknown"); }, "Unknown"},
        {"no status",
         [this](const std::string&) { Script("GetBulkJobStatus", R"([{"result": [["ErrorCode", "OK"]]}])"); },
         "Pending"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        const std::string job = SaveReminder();
        const size_t jobs = Jobs().size();
        row.answer(job);
        Reschedule(kOneDay);
        m_Boxes.QueueAnswers({IDCONTINUE, IDOK});
        EXPECT_FALSE(Save());
        EXPECT_EQ((std::vector<std::string>{kRetry, kUpdateFailed}), NewBoxTexts());
        EXPECT_EQ(job, Stored(kJobId));
        EXPECT_EQ(jobs, Jobs().size());
        EXPECT_EQ(row.jobStatus, JobStatus(job));
        EXPECT_EQ(Status(2, kStart + kOneDay, kEnd + kOneDay), Stored(kStatus));
    }
}
// One job for each appointment whose reminder is due, whatever order of
// events Outlook raises for it: a copy never cancels, moves or takes over
// its original's job and gets one of its own when Outlook adds it or it is
// saved or changed; a moved appointment keeps its job; one brought back out
// of Deleted Items has exactly one. A delete in another store's calendar,
// into that store's Deleted Items, cancels as one in the default calendar
// does. Opening any of them offers nothing (but where a copy took along the
// status of its original's cancel that failed), and the tab of each with a
// job names that job's time.
TEST_F(SMSReminderSubmission, EachAppointmentKeepsOneJobHoweverOutlookSavesCopiesAndMovesIt)
{
    using Items = std::vector<std::pair<CFakeObjectPtr, bool>>;
    const auto deletedFromSecondCalendarInto = [this](const CFakeObjectPtr& deletedItems) {
        return [this, deletedItems] {
            m_Item = SavedReminderIn(m_SecondCalendar);
            EXPECT_FALSE(Move(m_SecondCalendar, deletedItems));
            return Items{{m_Item, false}};
        };
    };
    struct Row
    {
        const char* name;
        std::function<Items()> flow;  // the appointments left, and whether each keeps a job
        bool failedStatusKept = false;  // an item keeps the status of a cancel that failed
    };
    const Row rows[] = {
        {"a copy pasted into the same slot",
         [this] {
             const CFakeObjectPtr original = SaveNewReminder(false);
             return Items{{original, true}, {CopyInto(original, m_Calendar), true}};
         }},
        {"Copy to Folder into another watched calendar",
         [this] {
             const CFakeObjectPtr original = SaveNewReminder(false);
             return Items{{original, true}, {CopyInto(original, m_Work), true}};
         }},
        // ItemAdd comes late, through the message loop, after the user has
        // opened the copy; Outlook's Save & Close: Write, Close, ItemChange.
        {"a copy opened before Outlook adds it, then saved and closed",
         [this] {
             const CFakeObjectPtr original = SaveNewReminder(true);
             const CFakeObjectPtr copy = FakeObjectOf(Dispatch::Call(original, L"Copy"));
             SavesAsOutlook(copy, true);
             Open(copy);
             AddedToCalendar();
             EXPECT_FALSE(Save());
             PropertiesOf(copy).Commit();
             CloseInspector();
             ChangedInCalendar();
             return Items{{original, true}, {copy, true}};
         }},
        {"a copy, then the original deleted",
         [this] {
             const CFakeObjectPtr original = SaveNewReminder(true);
             const CFakeObjectPtr copy = CopyInto(original, m_Calendar);
             m_Item = original;
             EXPECT_FALSE(Move(m_Calendar, m_DeletedItems));
             return Items{{original, false}, {copy, true}};
         }},
        {"deleted, then a copy brought back out of Deleted Items",
         [this] {
             const CFakeObjectPtr deleted = MoveInto(SaveNewReminder(true), m_DeletedItems);
             return Items{{deleted, false}, {CopyInto(deleted, m_Calendar), true}};
         }},
        {"deleted in a second account's calendar", deletedFromSecondCalendarInto(m_SecondDeletedItems)},
        {"deleted from a second account's calendar into the default Deleted Items",
         deletedFromSecondCalendarInto(m_DeletedItems)},
        {"moved from a second account's calendar into the default one",
         [this] { return Items{{MoveInto(SavedReminderIn(m_SecondCalendar), m_Calendar), true}}; }},
        {"moved from a second account's calendar into another of its folders",
         [this] {
             const CFakeObjectPtr folder = m_Outlook.NewFolder(L"Holidays");
             folder->SetProperty(L"Store", static_cast<IDispatch*>(m_SecondStore));
             return Items{{MoveInto(SavedReminderIn(m_SecondCalendar), folder), true}};
         }},
        {"moved back out of a second account's Deleted Items",
         [this] {
             const CFakeObjectPtr deleted = MoveInto(SavedReminderIn(m_SecondCalendar), m_SecondDeletedItems);
             return Items{{deleted, false}, {MoveInto(deleted, m_SecondCalendar), true}};
         }},
        {"a copy of one whose send time has passed",
         [this] {
             OpenReminder(NewAppointment(MinutesFromNow(10), MinutesFromNow(40)));
             EXPECT_FALSE(Save());
             EXPECT_EQ(1u, NewBoxTexts().size());
             CloseInspector();
             const CFakeObjectPtr original = m_Item;
             m_Item = FakeObjectOf(Dispatch::Call(original, L"Copy"));
             AddedToCalendar();
             return Items{{original, false}, {m_Item, false}};
         }},
        {"Save, then a copy deleted",
         [this] {
             const CFakeObjectPtr original = SaveNewReminder(false);
             CopyInto(original, m_Calendar);
             EXPECT_FALSE(Move(m_Calendar, m_DeletedItems));
             return Items{{original, true}};
         }},
        {"Save, then a copy dragged to another day",
         [this] {
             const CFakeObjectPtr original = SaveNewReminder(false);
             const CFakeObjectPtr copy = CopyInto(original, m_Calendar, kOneDay);
             EXPECT_EQ("2030-06-11T14:15:00+01:00", Job(JobOf(copy))["scheduled_date"].AsString());
             return Items{{original, true}, {copy, true}};
         }},
        {"saved before owners were recorded, then a copy dragged to another day",
         [this] {
             const CFakeObjectPtr original = SaveNewReminder(true);
             PropertiesOf(original).Property(Wide(kJobOwner))->SetProperty(L"Value", _variant_t(L""));
             const CFakeObjectPtr copy = CopyInto(original, m_Calendar, kOneDay);
             m_Item = original;
             EXPECT_EQ(Status(1), Stored(kStatus));
             return Items{{original, true}, {copy, true}};
         }},
        {"Save, then a copy saved from its inspector at another time",
         [this] {
             const CFakeObjectPtr original = SaveNewReminder(false);
             const CFakeObjectPtr copy = CopyInto(original, m_Calendar);
             Open(copy);
             Reschedule(kOneDay);
             EXPECT_FALSE(Save());
             CloseInspector();
             return Items{{original, true}, {copy, true}};
         }},
        {"a copy, then the original moved to another calendar of the mailbox, then the copy deleted",
         [this] {
             const CFakeObjectPtr original = SaveNewReminder(true);
             const std::string job = JobOf(original);
             const CFakeObjectPtr copy = CopyInto(original, m_Calendar);
             const CFakeObjectPtr moved = MoveInto(original, m_Work);
             m_Item = copy;
             EXPECT_FALSE(Move(m_Calendar, m_DeletedItems));
             EXPECT_EQ(job, JobOf(moved));
             EXPECT_EQ("Pending", JobStatus(job));
             // The moved appointment's job is its own to move.
             m_Item = moved;
             Reschedule(kOneDay);
             ChangedIn(m_Work);
             return Items{{moved, true}};
         }},
        {"a copy, then the original moved to another store, then the copy deleted",
         [this] {
             const CFakeObjectPtr original = SaveNewReminder(true);
             const std::string job = JobOf(original);
             const CFakeObjectPtr copy = CopyInto(original, m_Calendar);
             const CFakeObjectPtr moved = MoveInto(original, m_OtherStore);
             m_Item = copy;
             EXPECT_FALSE(Move(m_Calendar, m_DeletedItems));
             EXPECT_EQ(job, JobOf(moved));
             EXPECT_EQ("Pending", JobStatus(job));
             Open(moved);
             Reschedule(kOneDay);
             EXPECT_FALSE(Save());
             CloseInspector();
             return Items{{moved, true}};
         }},
        {"moved in from another store, then rescheduled",
         [this] {
             const CFakeObjectPtr item = NewAppointment();
             item->SetProperty(L"Parent", static_cast<IDispatch*>(m_OtherStore));
             OpenReminder(item);
             EXPECT_FALSE(Save());
             CloseInspector();
             const std::string job = JobOf(item);
             const CFakeObjectPtr moved = MoveInto(item, m_Calendar);
             EXPECT_EQ(job, JobOf(moved));
             Reschedule(kOneDay);
             ChangedIn(m_Calendar);
             EXPECT_EQ("Aborted", JobStatus(job));
             return Items{{moved, true}};
         }},
        {"a cancel that failed, then a copy back out of Deleted Items, its update accepted on opening",
         [this] {
             const CFakeObjectPtr original = DeletedWithTheCancelRefused();
             const CFakeObjectPtr copy = CopyInto(original, m_Calendar);
             m_Boxes.QueueAnswers({IDOK});
             Open(copy);
             EXPECT_EQ(std::vector<std::string>{kNotUpToDate}, NewBoxTexts());
             CloseInspector();
             return Items{{copy, true}};
         }},
        {"a cancel that failed, a copy back out of Deleted Items, then the original moved back too",
         [this] {
             const CFakeObjectPtr original = DeletedWithTheCancelRefused();
             const CFakeObjectPtr copy = CopyInto(original, m_Calendar);
             return Items{{copy, true}, {MoveInto(original, m_Calendar), true}};
         },
         true},
        {"a cancel that failed, then moved back out of Deleted Items",
         [this] {
             const CFakeObjectPtr original = DeletedWithTheCancelRefused();
             return Items{{MoveInto(original, m_Calendar), true}};
         }},
        {"deleted, then moved back out of Deleted Items",
         [this] {
             const CFakeObjectPtr deleted = MoveInto(SaveNewReminder(true), m_DeletedItems);
             return Items{{MoveInto(deleted, m_Calendar), true}};
         }},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        StartOver();
        const Items items = row.flow();
        ExpectOneJobEach(items);
        EXPECT_EQ(std::vector<std::string>(), NewBoxTexts());
        for (const auto& item : items)
        {
            SCOPED_TRACE(testing::Message() << "opening item " << &item - items.data());
            const std::string status = static_cast<const char*>(_bstr_t(SMSReminderItem::Stored(item.first, kStatus)));
            const bool offered = row.failedStatusKept && status.compare(0, 4, "A~2~") == 0;
            m_Boxes.QueueAnswers({IDCANCEL});
            Open(item.first);
            EXPECT_EQ(offered ? std::vector<std::string>{kNotUpToDate} : std::vector<std::string>(), NewBoxTexts());
            if (item.second)
            {
                // "2030-06-11T14:15:00+01:00": 11/06/2030 14:15
                const std::string at = Job(JobOf(item.first))["scheduled_date"].AsString();
                const std::string label = "Reminder will be sent at " + at.substr(8, 2) + "/" + at.substr(5, 2) +
                                          "/" + at.substr(0, 4) + " " + at.substr(11, 5);
                EXPECT_EQ(Wide(label), SendTimeLabel());
            }
            CloseInspector();
        }
    }
}
// ItemAdd is an event the user did not start: what it cannot do goes to
// the event log, no box is shown and the item is left as it was, whether
// Outlook refuses the save (a shared calendar the user may only read) or
// cannot look up the owner a job names (MAPI_E_UNKNOWN_ENTRYID: a store no
// longer in the profile, an item carrying another mailbox's ids), which is
// no error at all. Deleting the item then cancels its job, without a box,
// unless another item still holds it.
TEST_F(SMSReminderSubmission, ItemAddShowsNoBoxAndLeavesWhatItCannotChange)
{
    const HRESULT kMapiUnknownEntryId = static_cast<HRESULT>(0x80040201);
    struct Row
    {
        const char* name;
        std::function<CFakeObjectPtr()> arriving;  // the item as Outlook adds it
        bool reported;
        bool cancelledByDelete;
    };
    const Row rows[] = {
        {"a new item's save refused",
         [this] {
             const CFakeObjectPtr item = NewAppointment();
             const _variant_t entryId = item->Value(L"EntryID");
             item->SetProperty(L"EntryID", _variant_t(L""));
             OpenReminder(item);
             EXPECT_FALSE(Save());
             item->SetProperty(L"EntryID", entryId);
             CloseInspector();
             item->Fail(L"Save", E_ACCESSDENIED);
             return item;
         },
         true, true},
        {"a copy's save refused",
         [this] {
             const CFakeObjectPtr copy = FakeObjectOf(Dispatch::Call(SaveNewReminder(true), L"Copy"));
             copy->Fail(L"Save", E_ACCESSDENIED);
             return copy;
         },
         true, false},
        {"an owner that cannot be looked up",
         [this, kMapiUnknownEntryId] {
             const CFakeObjectPtr item = SaveNewReminder(true);
             PropertiesOf(item).Property(Wide(kJobOwner))->SetProperty(L"Value", _variant_t(L"00000000FAC0E0FOREIGN"));
             m_Outlook.Session()->Fail(L"GetItemFromID", kMapiUnknownEntryId, L"The operation failed.");
             return item;
         },
         false, true},
    };
    const auto snapshot = [](const CFakeObjectPtr& item) {
        std::vector<std::wstring> texts;
        const CFakeUserProperties& properties = PropertiesOf(item);
        for (size_t i = 0; i < properties.Size(); ++i)
        {
            const CFakeObjectPtr property = FakeObjectOf(properties.At(i));
            texts.push_back(Dispatch::ToText(property->Value(L"Name")) + L"=" +
                            Dispatch::ToText(property->Value(L"Value")));
        }
        return texts;
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        m_Item = row.arriving();
        const std::string job = Stored(kJobId);
        const std::vector<std::wstring> before = snapshot(m_Item);
        const size_t events = m_Events.Texts().size();
        AddedToCalendar();
        EXPECT_EQ(std::vector<std::string>(), NewBoxTexts());
        EXPECT_EQ(before, snapshot(m_Item));
        const std::vector<std::string> texts = m_Events.Texts();
        ASSERT_EQ(row.reported ? events + 1 : events, texts.size());
        if (row.reported)
        {
            EXPECT_NE(std::string::npos, texts.back().find("OnItemAdd")) << texts.back();
        }

        EXPECT_FALSE(Move(m_Calendar, m_DeletedItems));
        EXPECT_EQ(std::vector<std::string>(), NewBoxTexts());
        EXPECT_EQ(row.cancelledByDelete ? "Aborted" : "Pending", JobStatus(job));
        m_Outlook.Session()->ClearFailure(L"GetItemFromID");
    }
}
// While one of the opening update's boxes is up, the appointment's inspector
// closes and another appointment opens: a program's Inspector.Close and
// NewInspector reach the add-in through the box's message loop (Outlook
// dispatches COM calls and its own events there), and the new opening frees
// the inspectors that have closed. The update goes on with what it holds and
// ends as the box's answer says; its boxes belong to the inspector's window.
TEST_F(SMSReminderSubmission, TheOpeningUpdateOutlivesItsInspectorClosedInsideItsBox)
{
    const DATE soon = MinutesFromNow(10), later = MinutesFromNow(40);
    const std::string noAccount = "Could not schedule SMS reminder as account details are not set";
    const std::string past = "The SMS Reminder message is scheduled to be sent in the past";
    struct Row
    {
        const char* name;
        std::string box;  // the one inside which the events arrive
        DATE start, end;
        bool loggedOut;
        std::vector<int> answers;
        std::vector<std::string> headings;
        std::string status;
    };
    const Row rows[] = {
        {"retry prompt", kRetryHeading, kStart, kEnd, false, {IDOK, IDOK, IDCONTINUE, IDOK},
         {Heading(kNotUpToDate), kGatewayHeading, kRetryHeading, Heading(kUpdateFailed)}, Status(2)},
        {"send time in the past", past, soon, later, false, {IDOK, IDOK}, {Heading(kNotUpToDate), past + "\r"},
         Status(1, soon, later)},
        {"no account", noAccount, kStart, kEnd, true, {IDOK, IDOK, IDOK},
         {Heading(kNotUpToDate), noAccount, Heading(kUpdateFailed)}, Status(2)},
        {"set-up dialog", "", kStart, kEnd, true, {IDOK, IDOK, IDOK},
         {Heading(kNotUpToDate), noAccount, Heading(kUpdateFailed)}, Status(2)},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        if (row.loggedOut)
        {
            CZentavoSMSGatewayAuthenticationManager::StoreLoginDetails(Config(), CZentavoSMSGatewayLoginDetails());
            Config().Save();
        }
        const CFakeObjectPtr item = NewAppointment(row.start, row.end);
        Preset(item, kTo, _variant_t(kAnn));
        Preset(item, kFrom, _variant_t("Zentavo"));
        Preset(item, kStatus, _variant_t(Status(2, row.start, row.end).c_str()));
        Script("CreateSMSTextBulkJob", R"([{"error": "INTERNAL_ERROR"}])");
        // Closing the open inspector and opening a new appointment.
        bool raised = false;
        const auto raise = [&] {
            raised = true;
            Open();
        };
        m_Boxes.QueueAnswers(row.answers);
        m_Boxes.WhileUp([&](const CapturedMessageBox& box) {
            if (!raised && !row.box.empty() && box.text.compare(0, row.box.size(), row.box) == 0)
                raise();
        });
        CWindowDriver driver;
        HWND dialogOwner = nullptr;
        if (row.box.empty())
            driver.Expect().Run([&](HWND dialog) {
                dialogOwner = ::GetWindow(dialog, GW_OWNER);
                raise();
                ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            });
        if (m_Inspector)
            CloseInspector();
        m_Item = item;
        m_Inspector = m_Outlook.NewInspector(item);
        const CFakeObjectPtr inspector = m_Inspector;
        m_Outlook.Inspectors()->Fire(DIID_InspectorsEvents, kNewInspector, {Object(inspector)});
        m_Boxes.WhileUp(nullptr);
        EXPECT_TRUE(raised);
        const std::vector<CapturedMessageBox> boxes = NewBoxes();
        EXPECT_EQ(row.headings, Headings(boxes));
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(inspector->Window(), boxes[0].owner);
        if (row.box.empty())
        {
            EXPECT_EQ(inspector->Window(), dialogOwner);
        }
        EXPECT_NE(inspector.GetInterfacePtr(), m_Inspector.GetInterfacePtr()) << "the other appointment is open";
        EXPECT_EQ(row.status, static_cast<const char*>(_bstr_t(SMSReminderItem::Stored(item, kStatus))));
        EXPECT_EQ(0u, PendingJobs());
        StoreSeededLogin();
        m_Primary.Reset();
        m_Primary.SetBalance(kUsername, 100000);
    }
}

// While a box of a user's save is up (the retry prompt after a refusal or
// a lost answer, the box naming characters the code page cannot carry),
// something reaches the add-in through the box's message loop: Outlook
// raises BeforeItemMove for a deletion (which cancels the job), ItemChange
// for a drag (whose update replaces the job and stores the new one), or
// calls OnDisconnection. Whatever the answer, the save takes that in and
// writes nothing stale: a deleted item stays as the deletion left it, a
// dragged one names the drag's job, and a disconnected add-in leaves the
// job and the appointment as they were. A job the save alone named (its
// answer lost) is cancelled, not left to send besides. The save's boxes
// belong to its inspector.
TEST_F(SMSReminderSubmission, WhatReachesTheAddinInsideASavesBoxIsTakenIn)
{
    const std::string maySend = "The message may have been sent.";
    const std::string unsendable = "The SMS Reminder message (made from the appointment's subject, location and "
                                   "notes) holds characters that a text message cannot carry: U+0416.";
    const auto refused = [this] { Script("GetBulkJobStatus", R"([{"error": "INTERNAL_ERROR"}])"); };
    const auto lost = [this] { LoseTheNextJobsOutcome(true); };
    const auto cyrillic = [this] { m_Item->SetProperty(L"Subject", _variant_t(L"\u0416")); };
    const std::vector<std::string> refusedBoxes = {kGatewayHeading, kRetryHeading};
    const std::vector<std::string> lostBoxes = {maySend, kRetryHeading};
    using M = Meanwhile;
    struct Row
    {
        const char* name;
        std::function<void()> update;       // how the save's update goes
        std::vector<std::string> headings;  // the last is the box the event comes inside
        Meanwhile meanwhile;
        int answer;
        size_t made;  // jobs made during the save, the drag's included
    };
    const Row rows[] = {
        {"refused, deleted, Try Again", refused, refusedBoxes, M::kDeleted, IDTRYAGAIN, 0},
        {"refused, deleted, Continue", refused, refusedBoxes, M::kDeleted, IDCONTINUE, 0},
        {"refused, deleted, Cancel", refused, refusedBoxes, M::kDeleted, IDCANCEL, 0},
        {"refused, dragged, Try Again", refused, refusedBoxes, M::kDragged, IDTRYAGAIN, 1},
        {"refused, dragged, Continue", refused, refusedBoxes, M::kDragged, IDCONTINUE, 1},
        {"refused, dragged, Cancel", refused, refusedBoxes, M::kDragged, IDCANCEL, 1},
        {"lost, deleted, Try Again", lost, lostBoxes, M::kDeleted, IDTRYAGAIN, 1},
        {"lost, dragged, Try Again", lost, lostBoxes, M::kDragged, IDTRYAGAIN, 2},
        {"a Cyrillic subject told, deleted", cyrillic, {unsendable}, M::kDeleted, IDOK, 0},
        // Last: the add-in stays disconnected.
        {"refused, disconnected, Try Again", refused, refusedBoxes, M::kDisconnected, IDTRYAGAIN, 0},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        StartOver();
        const std::string first = SaveReminder();
        const std::string status = Stored(kStatus);
        const size_t jobs = Jobs().size();
        Reschedule(kOneDay);
        row.update();
        m_Boxes.QueueAnswers({IDOK, row.answer});
        EXPECT_EQ(row.answer == IDCANCEL, SaveWhileABoxIsUp(row.headings.back(), row.meanwhile));
        const std::vector<CapturedMessageBox> boxes = NewBoxes();
        EXPECT_EQ(row.headings, Headings(boxes));
        for (const CapturedMessageBox& box : boxes)
            EXPECT_EQ(m_Inspector->Window(), box.owner) << box.text;
        EXPECT_EQ(jobs + row.made, Jobs().size());
        EXPECT_EQ(row.meanwhile == M::kDisconnected ? "Pending" : "Aborted", JobStatus(first));
        ExpectOneJobEach({{m_Item, row.meanwhile != M::kDeleted}});
        switch (row.meanwhile)
        {
        case M::kDeleted:
            EXPECT_EQ("", Stored(kJobId));
            break;
        case M::kDragged:
            EXPECT_EQ("2030-06-12T14:15:00+01:00", Job(Stored(kJobId))["scheduled_date"].AsString());
            EXPECT_EQ(Status(1, kStart + 2 * kOneDay, kEnd + 2 * kOneDay), Stored(kStatus));
            break;
        case M::kDisconnected:
            EXPECT_EQ(first, Stored(kJobId));
            EXPECT_EQ(status, Stored(kStatus));
            break;
        default:
            ADD_FAILURE() << "no row of this table";
            break;
        }
    }
}

// A drag in the calendar moves a saved reminder's appointment and the retry
// prompt of that update is up when the user opens the appointment, changes
// the sender, saves and closes it (NewInspector, the item's Write and the
// inspector's Close arrive through the box's message loop). Try Again reads
// the appointment again and finds the gateway up to date with the user's
// save: one job waits, the appointment names it, and the user's sender
// stays.
TEST_F(SMSReminderSubmission, TryAgainAfterAnotherSaveInsideTheRetryPromptKeepsThatSave)
{
    SaveReminder();
    CloseInspector();
    Reschedule(kOneDay);
    Script("GetBulkJobStatus", R"([{"error": "INTERNAL_ERROR"}])");
    // The opening offers the update of the drag's new times: answered Cancel.
    m_Boxes.QueueAnswers({IDOK, IDTRYAGAIN, IDCANCEL});
    HWND inspectorWindow = nullptr;
    m_Boxes.WhileUp([&](const CapturedMessageBox& box) {
        if (box.text != kRetry)
            return;
        Open(m_Item);
        inspectorWindow = m_Inspector->Window();
        Edit(kFrom, "Clinic");
        EXPECT_FALSE(Save());
        CloseInspector();
    });
    ChangedInCalendar();
    m_Boxes.WhileUp(nullptr);
    const std::vector<CapturedMessageBox> boxes = NewBoxes();
    EXPECT_EQ((std::vector<std::string>{kGatewayHeading, kRetryHeading, Heading(kNotUpToDate)}), Headings(boxes));
    // A change in the calendar acts for the explorer, the opening for its inspector.
    const std::vector<HWND> owners = {m_Outlook.ActiveExplorer()->Window(), m_Outlook.ActiveExplorer()->Window(),
                                      inspectorWindow};
    ASSERT_EQ(owners.size(), boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i)
        EXPECT_EQ(owners[i], boxes[i].owner) << boxes[i].text;
    EXPECT_EQ(1u, PendingJobs());
    const std::string job = Stored(kJobId);
    EXPECT_EQ("Pending", JobStatus(job));
    EXPECT_EQ("Clinic", Job(job)["from"].AsString());
    EXPECT_EQ("2030-06-11T14:15:00+01:00", Job(job)["scheduled_date"].AsString());
    EXPECT_EQ("Clinic", Stored(kFrom));
    EXPECT_EQ(Status(1, kStart + kOneDay, kEnd + kOneDay), Stored(kStatus));
}

// An appointment moved while this Outlook did not run (a phone, the web)
// opens offering the update. Accepted, the update is stored at once, the
// Write Outlook raises for that save sending nothing more, so that No to
// Outlook's "save changes?" keeps it; the user's Save or Save & Close (in
// Outlook's orders of events) leaves one job as well. A new job whose
// answer is lost may send: the item names it from then on, and Try Again,
// or the update the next opening offers after Continue, replaces it, never
// adding a second; Cancel gives the update up, cancelling that job, and
// the old job, which the update left standing, stays the item's. In a
// calendar the user may only read nothing can be stored: the job the
// update made is cancelled again, and the item, reading as before and not
// marked changed, is offered the update at its next opening.
TEST_F(SMSReminderSubmission, AnUpdateAcceptedOnOpeningReachesTheStore)
{
    const std::string offer = Heading(kNotUpToDate);
    const std::string maySend = "The message may have been sent.";
    const auto lost = [this] { LoseTheNextJobsOutcome(true); };
    // Outlook's Save & Close: the Write, the inspector's Close, then
    // ItemChange; its Save: the Write and ItemChange while it is open.
    const auto saved = [this](bool andClosed) {
        return [this, andClosed] {
            Dispatch::Call(m_Item, L"Save");
            if (andClosed)
                CloseInspector();
            ChangedInCalendar();
            if (!andClosed)
                CloseInspector();
        };
    };
    struct Row
    {
        const char* name;
        std::function<void()> before;  // the opening
        std::vector<int> answers;
        std::vector<std::string> headings;
        std::string fragment;  // of the last box
        Kept kept;             // the job pending and named once the item is closed
        int status;            // of the update, as stored
        std::function<void()> close = nullptr;  // none: No to "save changes?"
    };
    const Row rows[] = {
        {"writable", [] {}, {IDOK}, {offer}, "", Kept::kUpdate, 1},
        {"writable, then Save & Close", [] {}, {IDOK}, {offer}, "", Kept::kUpdate, 1, saved(true)},
        {"writable, then Save, then closed", [] {}, {IDOK}, {offer}, "", Kept::kUpdate, 1, saved(false)},
        {"the answer lost, Try Again", lost, {IDOK, IDOK, IDTRYAGAIN}, {offer, maySend, kRetryHeading}, "",
         Kept::kUpdate, 1},
        {"the answer lost, Continue", lost, {IDOK, IDOK, IDCONTINUE, IDOK},
         {offer, maySend, kRetryHeading, Heading(kUpdateFailed)}, "", Kept::kUpdate, 2},
        {"the answer lost, Cancel", lost, {IDOK, IDOK, IDCANCEL}, {offer, maySend, kRetryHeading}, "", Kept::kOld, 1},
        {"the save refused", [this] { m_Item->Fail(L"Save", E_ACCESSDENIED); }, {IDOK},
         {offer, "An error has occured (Ctrl-C to copy)"},
         "Function: COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnNewInspector(Saving the update)",
         Kept::kNone, 1},
        {"the properties and the save refused",
         [this] {
             PropertiesOf(m_Item).FailValueWrite(Wide(kJobId), E_ACCESSDENIED);
             m_Item->Fail(L"Save", E_ACCESSDENIED);
         },
         {IDOK}, {offer, "Insufficient Permission to save SMS Reminder"}, "", Kept::kNone, 1},
    };
    const DATE moved = kOneDay;
    // The item's job the only one pending, or none pending.
    const auto expectJobs = [this](Kept kept) {
        if (kept != Kept::kNone)
            ExpectOneJobEach({{m_Item, true}});
        else
            EXPECT_EQ(0u, PendingJobs());
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        const std::string first = SavedReminderMovedElsewhere();
        row.before();

        const std::string count = Stored(kUpdateCount);
        m_Boxes.QueueAnswers(row.answers);
        Open(m_Item);
        const std::vector<CapturedMessageBox> boxes = NewBoxes();
        EXPECT_EQ(row.headings, Headings(boxes));
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(kNotUpToDate, boxes[0].text);
        EXPECT_NE(std::string::npos, boxes.back().text.find(row.fragment)) << boxes.back().text;
        // Outlook asks to save, on closing, an item whose update did not
        // reach the gateway, never one that cannot store it: that save would
        // make a job for nothing to name.
        const bool marked = row.kept == Kept::kOld || row.status == 2;
        EXPECT_EQ(marked, Stored(kUpdateCount) != count);
        if (row.close)
            row.close();
        else
            CloseWithoutSaving();
        EXPECT_EQ(std::vector<std::string>(), NewBoxTexts());
        const bool updated = row.kept == Kept::kUpdate;
        EXPECT_EQ(row.kept == Kept::kOld ? "Pending" : "Aborted", JobStatus(first));
        const std::string named = Stored(kJobId);
        EXPECT_EQ(updated, named != first);
        expectJobs(row.kept);
        EXPECT_EQ(updated ? Status(row.status, kStart + moved, kEnd + moved) : Status(1), Stored(kStatus));

        // Offered again where it did not reach the gateway or the store.
        const bool offered = !updated || row.status != 1;
        m_Boxes.QueueAnswers({updated ? IDOK : IDCANCEL});
        Open(m_Item);
        EXPECT_EQ(offered ? std::vector<std::string>{kNotUpToDate} : std::vector<std::string>(), NewBoxTexts());
        EXPECT_EQ(L"Reminder will be sent at 11/06/2030 14:15", SendTimeLabel());
        CloseWithoutSaving();
        expectJobs(row.kept);
        if (updated)
        {
            EXPECT_EQ(Status(1, kStart + moved, kEnd + moved), Stored(kStatus));
        }
        else
        {
            EXPECT_EQ(row.kept == Kept::kOld ? "Pending" : "Aborted", JobStatus(named));
        }
    }
}

// With "My mobile" ticked and no number stored, the user's save asks for
// the number, and while the prompt is up the explorer acts: the appointment
// is deleted (which cancels its job), or dragged two days on (that change's
// update makes a job and saves it, Outlook raising the open item's Write),
// or the add-in is unticked. The prompt is cancelled. The save then goes on
// from the item as it is: a deleted one gets no job and nothing written, a
// dragged one keeps the one job, moved again for the save, and after the
// disconnection nothing reaches the gateway. The update accepted on opening
// asks the same and is the same.
TEST_F(SMSReminderSubmission, TheOwnMobilePromptOfASaveIsTakenIn)
{
    const char kPrompt[] = "Please Enter Your Mobile Number";
    const std::string leftOut = "Your mobile number is not set";
    using M = Meanwhile;
    struct Row
    {
        const char* name;
        bool opening;  // the update accepted on opening, else the user's save of a move
        Meanwhile meanwhile;
    };
    const Row rows[] = {
        {"saved, deleted", false, M::kDeleted},
        {"saved, dragged", false, M::kDragged},
        {"opened, deleted", true, M::kDeleted},
        {"opened, dragged", true, M::kDragged},
        // Last: the add-in stays disconnected.
        {"saved, disconnected", false, M::kDisconnected},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        StartOver();
        const std::string first = SaveReminderToMyMobile();
        SavesAsOutlook(m_Item);
        Reschedule(kOneDay);
        if (row.opening)
        {
            CloseInspector();
            PropertiesOf(m_Item).Commit();
            m_Boxes.QueueAnswers({IDOK});
        }
        CWindowDriver driver;
        size_t calls = 0;
        driver.Expect().Caption(kPrompt).Run([&](HWND dialog) {
            Happens(row.meanwhile);
            calls = ServiceCalls();
            ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        if (row.opening)
            Open(m_Item);
        else
            EXPECT_FALSE(Save());
        EXPECT_EQ("", driver.Problems());
        std::vector<std::string> headings = {leftOut};
        if (row.opening)
            headings.insert(headings.begin(), Heading(kNotUpToDate));
        EXPECT_EQ(headings, Headings(NewBoxes()));
        switch (row.meanwhile)
        {
        case M::kDeleted:
            EXPECT_EQ(calls, ServiceCalls());
            EXPECT_EQ("Aborted", JobStatus(first));
            ExpectOneJobEach({{m_Item, false}});
            break;
        case M::kDragged:
            ExpectOneJobEach({{m_Item, true}});
            EXPECT_EQ(std::vector<std::string>{"447700900001"}, Numbers(JobOf(m_Item)));
            EXPECT_EQ("2030-06-12T14:15:00+01:00", Job(JobOf(m_Item))["scheduled_date"].AsString());
            EXPECT_EQ(Status(1, kStart + 2 * kOneDay, kEnd + 2 * kOneDay), Stored(kStatus));
            break;
        case M::kDisconnected:
            EXPECT_EQ(calls, ServiceCalls());
            EXPECT_EQ(first, Stored(kJobId));
            EXPECT_EQ("Pending", JobStatus(first));
            break;
        default:
            ADD_FAILURE() << "no row of this table";
            break;
        }
    }
}

// With "My mobile" ticked and no number stored, the user's save asks for
// the number in a prompt the inspector owns; while it is up a program closes
// the inspector (its window destroyed, the prompt with it). That is no
// answer of the user's: the prompt is asked again over the explorer, and
// what the user answers there is what the save acts on. A number given is
// stored and goes out with the reminder, "My mobile" staying ticked; Cancel
// leaves the user's mobile out, and a box says so.
TEST_F(SMSReminderSubmission, TheOwnMobilePromptGoneWithItsInspectorIsAskedAgain)
{
    const char kPrompt[] = "Please Enter Your Mobile Number";
    struct Row
    {
        int answer; // in the prompt asked again
        std::vector<std::string> numbers;
        const char* myMobile;
        std::vector<std::string> headings;
        const char* stored; // the user's number afterwards
    };
    const Row rows[] = {
        {IDOK, {"447700900001", "07700900123"}, "1", {}, "07700900123"},
        {IDCANCEL, {"447700900001"}, "0", {"Your mobile number is not set"}, ""},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.answer == IDOK ? "OK" : "Cancel");
        StartOver();
        // Ticked while a number was stored, which has gone since.
        Preferences().SetUsersMobilePhoneNumber("07700900999");
        OpenReminder();
        On(kMyMobile, L"Ribbon_CheckBoxOnAction", {_variant_t(1L)});
        Preferences().SetUsersMobilePhoneNumber("");
        const HWND inspector = m_Inspector->Window();
        const HWND explorer = m_Outlook.ActiveExplorer()->Window();
        std::vector<HWND> owners;
        CWindowDriver driver;
        driver.Expect().Caption(kPrompt).Run([&](HWND dialog) {
            owners.push_back(::GetWindow(dialog, GW_OWNER));
            CloseInspector();
            ::DestroyWindow(inspector);
        });
        driver.Expect().Caption(kPrompt).Run([&](HWND dialog) {
            owners.push_back(::GetWindow(dialog, GW_OWNER));
            ::SetDlgItemTextA(dialog, IDC_MOBILEPROMPT_NUMBER, "07700900123");
            ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(row.answer, BN_CLICKED), 0);
        });
        EXPECT_FALSE(Save());
        EXPECT_EQ("", driver.Problems());
        EXPECT_EQ((std::vector<HWND>{inspector, explorer}), owners);
        EXPECT_EQ(row.headings, Headings(NewBoxes()));
        EXPECT_EQ(row.numbers, Numbers(Stored(kJobId)));
        EXPECT_EQ(row.myMobile, Stored(kMyMobile));
        EXPECT_EQ(row.stored, Preferences().GetUsersMobilePhoneNumber());
    }
}

// The user moves a saved appointment a day on and saves; the update's new
// job is refused, or its answer is lost (with the abort and the status read
// that would give it up), and the user gives up in the retry prompt. Cancel
// stops the Write: the new job is cancelled and the old one, which the
// update left standing, is the item's again, so that No to Outlook's "save
// changes?" keeps an appointment whose job waits at its times, and Yes
// saves it as a new save does. Continue stores the item naming the job that
// may send, the old one going, or, after a refusal, the old one, and the
// item reads not up to date: its next opening offers the update. However
// it ends, one job waits, the one the item names.
TEST_F(SMSReminderSubmission, AnUpdateGivenUpLeavesTheOneJobTheItemNames)
{
    const std::string maySend = "The message may have been sent.";
    const auto lost = [this] { LoseTheNextJobsOutcome(true); };
    const auto refused = [this] { Script("CreateSMSTextBulkJob", R"([{"error": "INTERNAL_ERROR"}])"); };
    const auto stored = [this] {
        PropertiesOf(m_Item).Commit();
        CloseInspector();
    };
    struct Row
    {
        const char* name;
        std::function<void()> update;
        std::vector<int> answers;
        std::vector<std::string> headings;
        std::function<void()> close;
        Kept kept;     // the job waiting once the item is closed
        bool offered;  // by the next opening, accepted
    };
    const Row rows[] = {
        {"lost, Cancel, No", lost, {IDOK, IDCANCEL}, {maySend, kRetryHeading},
         [this] { CloseMovedWithoutSaving(); }, Kept::kOld, false},
        {"refused, Cancel, No", refused, {IDOK, IDCANCEL}, {kGatewayHeading, kRetryHeading},
         [this] { CloseMovedWithoutSaving(); }, Kept::kOld, false},
        {"lost, Cancel, Yes", lost, {IDOK, IDCANCEL}, {maySend, kRetryHeading}, [this] { CloseSaving(); },
         Kept::kUpdate, false},
        {"lost, Continue", lost, {IDOK, IDCONTINUE, IDOK}, {maySend, kRetryHeading, Heading(kUpdateFailed)}, stored,
         Kept::kUpdate, true},
        {"refused, Continue", refused, {IDOK, IDCONTINUE, IDOK},
         {kGatewayHeading, kRetryHeading, Heading(kUpdateFailed)}, stored, Kept::kOld, true},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        const std::string first = SavedThenMovedADayOn();
        row.update();
        m_Boxes.QueueAnswers(row.answers);
        EXPECT_EQ(row.answers[1] == IDCANCEL, Save());
        EXPECT_EQ(row.headings, Headings(NewBoxes()));
        row.close();
        ExpectOneJobEach({{m_Item, true}});
        EXPECT_EQ(row.kept == Kept::kOld, JobOf(m_Item) == first);

        m_Boxes.QueueAnswers({IDOK});
        Open(m_Item);
        EXPECT_EQ(row.offered ? std::vector<std::string>{kNotUpToDate} : std::vector<std::string>(),
                  NewBoxTexts());
        const DATE start = static_cast<DATE>(m_Item->Value(L"Start"));
        EXPECT_EQ(start == kStart ? L"Reminder will be sent at 10/06/2030 14:15"
                                  : L"Reminder will be sent at 11/06/2030 14:15",
                  SendTimeLabel());
        ExpectOneJobEach({{m_Item, true}});
        EXPECT_EQ(start == kStart ? "2030-06-10T14:15:00+01:00" : "2030-06-11T14:15:00+01:00",
                  Job(JobOf(m_Item))["scheduled_date"].AsString());
        EXPECT_EQ(Status(1, start, static_cast<DATE>(m_Item->Value(L"End"))), Stored(kStatus));
        CloseWithoutSaving();
    }
}

// A program closes the inspector (its window destroyed) while the retry
// prompt of the user's save is up: the prompt goes with its owner without
// the user's answer, so it is asked again, owned by the explorer, and the
// save acts on that answer; the box after it has a live owner too.
TEST_F(SMSReminderSubmission, ABoxWhoseOwnerIsDestroyedIsAskedAgain)
{
    for (const int answer : {IDCANCEL, IDCONTINUE})
    {
        SCOPED_TRACE(answer == IDCANCEL ? "Cancel" : "Continue");
        StartOver();
        OpenReminder();
        Script("CreateSMSTextBulkJob", R"([{"error": "INTERNAL_ERROR"}])");
        const HWND inspector = m_Inspector->Window();
        const HWND explorer = m_Outlook.ActiveExplorer()->Window();
        bool closed = false;
        m_Boxes.WhileUp([&](const CapturedMessageBox& box) {
            if (closed || box.text != kRetry)
                return;
            closed = true;
            ::DestroyWindow(inspector);
        });
        m_Boxes.QueueAnswers({IDOK, IDTRYAGAIN, answer, IDOK});
        EXPECT_EQ(answer == IDCANCEL, Save());
        m_Boxes.WhileUp(nullptr);
        const std::vector<CapturedMessageBox> boxes = NewBoxes();
        std::vector<std::string> headings = {kGatewayHeading, kRetryHeading, kRetryHeading};
        std::vector<HWND> owners = {inspector, inspector, explorer};
        if (answer == IDCONTINUE)
        {
            headings.push_back(Heading(kUpdateFailed));
            owners.push_back(explorer);
        }
        EXPECT_EQ(headings, Headings(boxes));
        ASSERT_EQ(owners.size(), boxes.size());
        for (size_t i = 0; i < boxes.size(); ++i)
            EXPECT_EQ(owners[i], boxes[i].owner) << boxes[i].text;
        // Try Again, the answer lost with its box, would have made a job.
        EXPECT_EQ(0u, Jobs().size());
        EXPECT_EQ(Status(2), Stored(kStatus));
        CloseInspector();
    }
}

// A series has its one job on its master. An occurrence or an exception
// answers the master's EntryID and user properties with times of its own:
// opening or saving one offers nothing and sends nothing, and its tab names
// the series' send time; the master's own change still moves the job. A
// single appointment copied out of the series gets a job of its own.
TEST_F(SMSReminderSubmission, ASeriesKeepsItsOneJobOnItsMaster)
{
    constexpr DATE kOneWeek = 7.0;
    using Items = std::vector<std::pair<CFakeObjectPtr, bool>>;
    const auto savedOccurrence = [this](DATE days, long state) {
        return [this, days, state](const CFakeObjectPtr& master) {
            Open(m_Outlook.NewOccurrence(master, kStart + days, kEnd + days, state));
            EXPECT_FALSE(Save());
            CloseInspector();
            return Items{};
        };
    };
    struct Row
    {
        const char* name;
        std::function<Items(const CFakeObjectPtr& master)> flow;  // the appointments besides the series
        const wchar_t* label;  // on an occurrence's tab afterwards
    };
    const Row rows[] = {
        {"an occurrence opened", [](const CFakeObjectPtr&) { return Items{}; },
         L"Reminder will be sent at 10/06/2030 14:15"},
        {"next week's occurrence saved", savedOccurrence(kOneWeek, 2), L"Reminder will be sent at 10/06/2030 14:15"},
        {"an exception saved", savedOccurrence(kOneDay, 3), L"Reminder will be sent at 10/06/2030 14:15"},
        {"the series moved a week on",
         [this](const CFakeObjectPtr& master) {
             m_Item = master;
             Reschedule(kOneWeek);
             ChangedInCalendar();
             return Items{};
         },
         L"Reminder will be sent at 17/06/2030 14:15"},
        // A single appointment, carrying the series' properties.
        {"next week's occurrence copied out of the series",
         [this](const CFakeObjectPtr& master) {
             const CFakeObjectPtr occurrence = m_Outlook.NewOccurrence(master, kStart + kOneWeek, kEnd + kOneWeek);
             const CFakeObjectPtr copy = CopyInto(occurrence, m_Calendar, kOneWeek);
             EXPECT_EQ("2030-06-17T14:15:00+01:00", Job(JobOf(copy))["scheduled_date"].AsString());
             return Items{{copy, true}};
         },
         L"Reminder will be sent at 10/06/2030 14:15"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        StartOver();
        const CFakeObjectPtr master = SaveNewReminder(true);
        master->SetProperty(L"RecurrenceState", _variant_t(1L));
        Items items = row.flow(master);
        Open(m_Outlook.NewOccurrence(master, kStart + 2 * kOneWeek, kEnd + 2 * kOneWeek));
        EXPECT_EQ(row.label, SendTimeLabel());
        CloseInspector();
        EXPECT_EQ(std::vector<std::string>(), NewBoxTexts());
        items.emplace_back(master, true);
        ExpectOneJobEach(items);
    }
}

// Exchange delivers a meeting with its organizer's user properties: the
// attendee's copy names the organizer's job and an owner in the organizer's
// mailbox, which this session cannot find. Declining, deleting, saving or
// a reschedule of that copy never takes, moves or cancels the organizer's
// job; a reminder the attendee gives a received meeting is the attendee's
// own.
TEST_F(SMSReminderSubmission, AReceivedMeetingLeavesItsOrganizersJobAlone)
{
    const HRESULT kMapiNotFound = static_cast<HRESULT>(0x8004010F);
    const long kMeetingReceived = 3;
    struct Row
    {
        const char* name;
        std::function<void(const CFakeObjectPtr& organizers, const CFakeObjectPtr& received)> flow;
    };
    const Row rows[] = {
        {"declined or deleted",
         [this](const CFakeObjectPtr&, const CFakeObjectPtr&) { EXPECT_FALSE(Move(m_Calendar, m_DeletedItems)); }},
        {"opened and saved by the attendee",
         [this](const CFakeObjectPtr&, const CFakeObjectPtr& received) {
             Open(received);
             EXPECT_FALSE(Save());
             CloseInspector();
         }},
        {"moved by the organizer on a phone, then opened by both",
         [this](const CFakeObjectPtr& organizers, const CFakeObjectPtr& received) {
             Reschedule(kOneDay);
             ChangedInCalendar();
             Open(received);
             CloseInspector();
             m_Outlook.Session()->ClearFailure(L"GetItemFromID");
             m_Item = organizers;
             Reschedule(kOneDay);
             m_Boxes.QueueAnswers({IDOK});
             Open(organizers);
             EXPECT_EQ(std::vector<std::string>{kNotUpToDate}, NewBoxTexts());
             CloseInspector();
         }},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        StartOver();
        const CFakeObjectPtr organizers = SavedReminderIn(m_OtherStore, 1);
        const std::string job = JobOf(organizers);
        m_Outlook.Session()->Fail(L"GetItemFromID", kMapiNotFound, L"The operation failed.");
        // Delivered into the calendar with the organizer's properties.
        const CFakeObjectPtr received = FakeObjectOf(Dispatch::Call(organizers, L"Copy"));
        received->SetProperty(L"MeetingStatus", _variant_t(kMeetingReceived));
        received->SetProperty(L"Parent", static_cast<IDispatch*>(m_Calendar));
        SavesRaiseItemChange(received);
        m_Item = received;
        AddedToCalendar();
        row.flow(organizers, received);
        m_Outlook.Session()->ClearFailure(L"GetItemFromID");
        EXPECT_EQ(std::vector<std::string>(), NewBoxTexts());
        ExpectOneJobEach({{organizers, true}});
        EXPECT_EQ(job, JobOf(received));
    }

    // No organizer's reminder: the attendee's own is scheduled and
    // cancelled as any.
    m_Outlook.EmptyStore();
    m_Item = SavedReminderIn(m_Calendar, kMeetingReceived);
    const std::string own = Stored(kJobId);
    EXPECT_EQ("Pending", JobStatus(own));
    EXPECT_FALSE(Move(m_Calendar, m_DeletedItems));
    EXPECT_EQ("Aborted", JobStatus(own));
}

// The user's own number ticked on a reminder opened where none is stored
// (another PC or profile, the number cleared in the settings). The tab and
// the calendar's events ask nothing: the tab counts the phones the job
// would hold, and a change made in the calendar (a drag, a sync) moves the
// job to the others and leaves the item not up to date, in the event log.
// Only the user's save asks, once: a number given goes into the job; none
// unticks the box and the user is told the number is left out.
TEST_F(SMSReminderSubmission, MyMobileWithoutAStoredNumberIsAskedForOnlyOnTheSave)
{
    const char kPrompt[] = "Please Enter Your Mobile Number";
    const char kLeftOut[] = "Your mobile number is not set\n\nThe SMS Reminder will not be sent to your mobile";
    const char kNotSet[] = "Your mobile number is not set\n\nThe SMS Reminder will not be sent to your mobile; "
                           "open the appointment and save it to enter your number";
    const char kBob[] = "Bob [447700900002]; ";
    const std::wstring blanks(20, L' ');
    struct Row
    {
        const char* name;
        const char* to;  // listed beside the user's own number
        std::function<void(CWindowDriver&)> flow;
        std::vector<std::string> numbers;  // of the item's pending job; none: no job
        const char* myMobile;               // as stored after the flow
        int status;
        std::wstring count;  // the tab's recipient count
        std::vector<std::string> boxes;
        int logged;  // times the event log says the number is missing
    };
    const Row rows[] = {
        {"opened: the labels and an edit, then saved, the prompt cancelled", kAnn,
         [&](CWindowDriver& driver) {
             Open(m_Item);
             EXPECT_EQ(blanks + L"1 recipients", RecipientCountLabel());
             EXPECT_EQ(L"Send SMS Reminder to My Mobile", Dispatch::ToText(On(kMyMobile, L"Ribbon_GetLabel")));
             Edit(kTo, std::string(kAnn) + kBob);
             EXPECT_EQ(blanks + L"2 recipients", RecipientCountLabel());
             EXPECT_TRUE(driver.Seen().empty()) << "the tab opened a dialog";
             driver.Expect().Caption(kPrompt).Press(IDCANCEL);
             EXPECT_FALSE(Save());
         },
         {"447700900001", "447700900002"}, "0", 1, blanks + L"2 recipients", {kLeftOut}, 0},
        {"opened and saved, a number given", kAnn,
         [&](CWindowDriver& driver) {
             Open(m_Item);
             driver.Expect().Caption(kPrompt).SetText(IDC_MOBILEPROMPT_NUMBER, "07700900999").Press(IDOK);
             EXPECT_FALSE(Save());
         },
         {"447700900001", "07700900999"}, "1", 1, blanks + L"2 recipients", {}, 0},
        {"dragged in the calendar", kAnn,
         [&](CWindowDriver&) {
             Reschedule(kOneDay);
             ChangedInCalendar();
         },
         {"447700900001"}, "1", 2, blanks + L"1 recipients", {}, 1},
        // The add-in's save of the drag's change makes Outlook raise the
        // open item's Write, which is no save of the user's either: it asks
        // nothing and logs as the change does.
        {"opened, dragged, then saved with a number", kAnn,
         [&](CWindowDriver& driver) {
             Open(m_Item);
             SavesAsOutlook(m_Item);
             Reschedule(kOneDay);
             ChangedInCalendar();
             EXPECT_TRUE(driver.Seen().empty()) << "a calendar change opened a dialog";
             EXPECT_EQ(std::vector<std::string>(), NewBoxTexts());
             ExpectOneJobEach({{m_Item, true}});
             EXPECT_EQ(std::vector<std::string>{"447700900001"}, Numbers(Stored(kJobId)));
             EXPECT_EQ(Status(2, kStart + kOneDay, kEnd + kOneDay), Stored(kStatus));
             driver.Expect().Caption(kPrompt).SetText(IDC_MOBILEPROMPT_NUMBER, "07700900999").Press(IDOK);
             EXPECT_FALSE(Save());
         },
         {"447700900001", "07700900999"}, "1", 1, blanks + L"2 recipients", {}, 2},
        {"dragged, then the update the opening offers accepted with a number", kAnn,
         [&](CWindowDriver& driver) {
             Reschedule(kOneDay);
             ChangedInCalendar();
             m_Boxes.QueueAnswers({IDOK});
             driver.Expect().Caption(kPrompt).SetText(IDC_MOBILEPROMPT_NUMBER, "07700900999").Press(IDOK);
             Open(m_Item);
         },
         {"447700900001", "07700900999"}, "1", 1, blanks + L"2 recipients", {kNotUpToDate}, 1},
        {"the user's own number alone, dragged", "",
         [&](CWindowDriver&) {
             Reschedule(kOneDay);
             ChangedInCalendar();
         },
         {}, "1", 2, blanks + L"0 recipients", {}, 1},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        CWindowDriver driver;
        m_Primary.Reset();
        m_Primary.SetBalance(kUsername, 100000);
        Preferences().SetUsersMobilePhoneNumber("07700900123");
        Open();
        Edit(kTo, row.to);
        Edit(kFrom, "Zentavo");
        On(kMyMobile, L"Ribbon_CheckBoxOnAction", {_variant_t(1L)});
        EXPECT_FALSE(Save());
        CloseInspector();
        Preferences().SetUsersMobilePhoneNumber("");
        const size_t events = m_Events.Texts().size();

        row.flow(driver);
        EXPECT_EQ(row.boxes, NewBoxTexts());
        EXPECT_EQ("", driver.Problems());
        const std::vector<std::string> texts = m_Events.Texts();
        EXPECT_EQ(row.logged, std::count_if(texts.begin() + static_cast<std::ptrdiff_t>(events), texts.end(),
                                                    [&](const std::string& text) {
                                                        return text.find(kNotSet) != std::string::npos;
                                                    }));
        ExpectOneJobEach({{m_Item, !row.numbers.empty()}});
        if (!row.numbers.empty())
        {
            EXPECT_EQ(row.numbers, Numbers(JobOf(m_Item)));
        }
        EXPECT_EQ(row.myMobile, Stored(kMyMobile));
        EXPECT_EQ(Status(row.status, m_Item->Value(L"Start"), m_Item->Value(L"End")), Stored(kStatus));
        // The tab, where the item reads as not up to date after the opening
        // offer (declined).
        if (!m_Inspector)
        {
            m_Boxes.QueueAnswers({IDCANCEL});
            Open(m_Item);
            EXPECT_EQ(row.status == 2 ? std::vector<std::string>{kNotUpToDate} : std::vector<std::string>(),
                      NewBoxTexts());
        }
        EXPECT_EQ(row.count, RecipientCountLabel());
        EXPECT_EQ(std::string(row.myMobile) == "1" ? 1L : 0L, static_cast<long>(On(kMyMobile, L"Ribbon_GetPressed")));
        CloseInspector();
        EXPECT_EQ("", driver.Problems());
    }
}

// Text the ANSI code page cannot carry (Cyrillic or Greek in the subject,
// location or notes that fill the template, or in the sender id) is never
// sent as question marks: the user's save is told which characters, a
// change in the calendar writes that to the event log, nothing reaches the
// gateway, the job held before stays as it was, and the item reads as not
// up to date, so the next opening offers the update. What the code page
// holds goes as it is.
TEST_F(SMSReminderSubmission, TextTheCodePageCannotCarryIsNotSent)
{
    const std::string message =
        "The SMS Reminder message (made from the appointment's subject, location and notes) holds characters that a "
        "text message cannot carry: ";
    const std::string end = ".\n\nPlease remove or replace them. Nothing has been sent.";
    struct Row
    {
        const char* name;
        const wchar_t* property;  // of the saved reminder's appointment; null: the sender id typed on the tab
        const wchar_t* value;
        bool moved;             // a day on
        bool inTheCalendar;     // closed, then changed there; else saved from the inspector
        std::string warning;    // empty: the reminder goes
    };
    const Row rows[] = {
        {"a Cyrillic subject, saved", L"Subject", L"\u0412\u0441\u0442\u0440\u0435\u0447\u0430", false, false,
         message + "U+0412, U+0441, U+0442, U+0440, U+0435, U+0447, U+0430" + end},
        {"a Greek location, saved at a new time", L"Location", L"\u0391\u03b8\u03ae\u03bd\u03b1", true, false,
         message + "U+0391, U+03B8, U+03AE, U+03BD, U+03B1" + end},
        {"Greek notes, saved", L"Body", L"\u03a9\u03c1\u03b1 \u03a9", false, false,
         message + "U+03A9, U+03C1, U+03B1" + end},
        {"a Greek sender id typed, saved", nullptr, L"\u0391\u0392\u0393", false, false,
         "The SMS Reminder sender id holds characters that a text message cannot carry: U+0391, U+0392, U+0393" + end},
        {"a Cyrillic subject synced, then dragged in the calendar", L"Subject", L"\u0416\u0416", true, true,
         message + "U+0416" + end},
        {"Latin-1 letters, saved", L"Subject", L"Caf\u00e9 Zo\u00eb", false, false, ""},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        m_Primary.Reset();
        m_Primary.SetBalance(kUsername, 100000);
        const std::string job = SaveReminder();
        const size_t events = m_Events.Texts().size();

        if (row.inTheCalendar)
            CloseInspector();
        if (row.property)
            m_Item->SetProperty(row.property, _variant_t(row.value));
        else
            On(kFrom, L"Ribbon_OnChange", {_variant_t(row.value)});
        if (row.moved)
            Reschedule(kOneDay);
        if (row.inTheCalendar)
            ChangedInCalendar();
        else
        {
            EXPECT_FALSE(Save());
        }
        // The user's save is told in a box, a calendar change in the event log.
        const bool refused = !row.warning.empty();
        const bool box = !row.inTheCalendar;
        const std::vector<std::string> boxes = {row.warning, kUpdateFailed};
        EXPECT_EQ(refused && box ? boxes : std::vector<std::string>(), NewBoxTexts());
        const std::vector<std::string> texts = m_Events.Texts();
        ASSERT_EQ(refused && !box ? events + 1 : events, texts.size());
        if (refused && !box)
        {
            EXPECT_NE(std::string::npos, texts.back().find(row.warning)) << texts.back();
        }
        ExpectOneJobEach({{m_Item, true}});
        if (refused)
        {
            EXPECT_EQ(job, JobOf(m_Item));
            EXPECT_EQ(1u, Jobs().size());
            EXPECT_EQ("2030-06-10T14:15:00+01:00", Job(job)["scheduled_date"].AsString());
            EXPECT_EQ("Zentavo", Preferences().GetDefaultSendersId());
        }
        else
        {
            EXPECT_EQ("Appointment:\nCaf\xc3\xa9 Zo\xc3\xab\nStart: 10/06 14:30\nLoc: High Street\n\nNotes:\nBring the form",
                      Job(JobOf(m_Item))["text"].AsString());
        }
        EXPECT_EQ(Status(refused ? 2 : 1, m_Item->Value(L"Start"), m_Item->Value(L"End")), Stored(kStatus));
        m_Boxes.QueueAnswers({IDCANCEL});
        Open(m_Item);
        EXPECT_EQ(refused ? std::vector<std::string>{kNotUpToDate} : std::vector<std::string>(), NewBoxTexts());
        CloseInspector();
    }
}
// Every gateway call of a save, in turn, refused, lost before the gateway
// acts (the connection dropped) or lost after it acts (the answer cut off
// once the simulator has done it): a new reminder's, a moved appointment's
// update and a reminder turned off. Where the retry prompt comes, each
// answer follows, Cancel then Yes or No to Outlook's "save changes?". Every
// path ends with the one job the appointment names, at its times, or with
// an appointment that reads not up to date and is offered the update at
// its next opening; no other job waits.
TEST_F(SMSReminderSubmission, EveryGatewayCallOfASaveRefusedOrLostEndsWithTheOneJobTheItemNames)
{
    const char* const refused = R"([{"error": "INTERNAL_ERROR"}])";
    const char* const before = R"([{"drop": true}])";
    const char* const after = R"([{"truncate_at": 120}])";
    // The status read of an update's old job answers first.
    const char* const refusedSecond = R"([{}, {"error": "INTERNAL_ERROR"}])";
    const char* const afterSecond = R"([{}, {"truncate_at": 120}])";
    enum Saving
    {
        kNew,
        kMoved,      // a day on
        kTurnedOff,  // its recipients removed
    };
    struct Row
    {
        const char* name;
        Saving save;
        const char* operation;
        const char* replies;
        bool prompts;  // the retry prompt comes
    };
    const Row rows[] = {
        {"new: the create refused", kNew, "CreateSMSTextBulkJob", refused, true},
        {"new: the create lost before", kNew, "CreateSMSTextBulkJob", before, true},
        {"new: the create lost after", kNew, "CreateSMSTextBulkJob", after, true},
        {"new: the batch refused", kNew, "AppendRecipients", refused, true},
        {"new: the batch lost before", kNew, "AppendRecipients", before, true},
        {"new: the batch lost after", kNew, "AppendRecipients", after, true},
        {"new: the ready refused", kNew, "SetBulkJobReady", refused, true},
        {"new: the ready lost before", kNew, "SetBulkJobReady", before, true},
        {"new: the ready lost after", kNew, "SetBulkJobReady", after, false},
        {"moved: the status refused", kMoved, "GetBulkJobStatus", refused, true},
        {"moved: the status lost", kMoved, "GetBulkJobStatus", after, true},
        {"moved: the create refused", kMoved, "CreateSMSTextBulkJob", refused, true},
        {"moved: the create lost before", kMoved, "CreateSMSTextBulkJob", before, true},
        {"moved: the create lost after", kMoved, "CreateSMSTextBulkJob", after, true},
        {"moved: the batch refused", kMoved, "AppendRecipients", refused, true},
        {"moved: the batch lost before", kMoved, "AppendRecipients", before, true},
        {"moved: the batch lost after", kMoved, "AppendRecipients", after, true},
        {"moved: the ready refused", kMoved, "SetBulkJobReady", refused, true},
        {"moved: the ready lost before", kMoved, "SetBulkJobReady", before, true},
        {"moved: the ready lost after", kMoved, "SetBulkJobReady", after, false},
        {"moved: the abort refused", kMoved, "AbortBulkJob", refused, true},
        {"moved: the abort lost before", kMoved, "AbortBulkJob", before, true},
        {"moved: the abort lost after", kMoved, "AbortBulkJob", after, false},
        {"moved: the status after the abort refused", kMoved, "GetBulkJobStatus", refusedSecond, false},
        {"moved: the status after the abort lost", kMoved, "GetBulkJobStatus", afterSecond, false},
        {"off: the status refused", kTurnedOff, "GetBulkJobStatus", refused, true},
        {"off: the status lost", kTurnedOff, "GetBulkJobStatus", after, true},
        {"off: the abort refused", kTurnedOff, "AbortBulkJob", refused, true},
        {"off: the abort lost before", kTurnedOff, "AbortBulkJob", before, true},
        {"off: the abort lost after", kTurnedOff, "AbortBulkJob", after, false},
        {"off: the status after the abort refused", kTurnedOff, "GetBulkJobStatus", refusedSecond, false},
    };
    struct Path
    {
        const char* name;
        int answer;
        bool yes;  // to "save changes?" after Cancel
    };
    const Path prompted[] = {
        {"Try Again", IDTRYAGAIN, false},
        {"Continue", IDCONTINUE, false},
        {"Cancel, No", IDCANCEL, false},
        {"Cancel, Yes", IDCANCEL, true},
    };
    const Path unprompted[] = {{"no prompt", IDOK, false}};
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        for (const Path& path : row.prompts ? std::vector<Path>(std::begin(prompted), std::end(prompted))
                                            : std::vector<Path>(std::begin(unprompted), std::end(unprompted)))
        {
            SCOPED_TRACE(path.name);
            StartOver();
            if (row.save == kNew)
                OpenReminder();
            else
            {
                SaveReminder();
                PropertiesOf(m_Item).Commit();
                if (row.save == kMoved)
                    Reschedule(kOneDay);
                else
                    Edit(kTo, "");
            }
            Script(row.operation, row.replies);
            m_Boxes.QueueAnswers({IDOK, path.answer});
            const bool cancelled = Save();
            const std::vector<std::string> headings = Headings(NewBoxes());
            EXPECT_EQ(row.prompts, std::find(headings.begin(), headings.end(), kRetryHeading) != headings.end())
                << ::testing::PrintToString(headings) << ServiceCalls() << " cancelled " << cancelled;
            CloseAfterTheWrite(cancelled, path.yes);
            NewBoxes();
            ExpectTheEndState(Left::kInTheCalendar);
        }
    }
}

// Each of Outlook's events inside each box of a user's save of a moved
// appointment whose new job's answer is lost: the box telling so, the
// retry prompt (answered Continue), the box of the settling's own refused
// cancel of the old job, the update's failure box, and the last box, which
// tells that the old job may still send. The user deletes the appointment,
// deletes it for good, moves it to another store, drags it (a change in
// the calendar, whose own save makes and stores a job), or the add-in is
// disconnected. The save takes in what changed and settles again: the
// appointment is left with the one job it names (or none where it went),
// and nothing of the save waits but the job the user was told of.
TEST_F(SMSReminderSubmission, OutlooksEventsInsideEachBoxOfASaveLeaveOneJob)
{
    const std::string maySend = "The message may have been sent.";
    const std::string updateFailed = Heading(kUpdateFailed);
    const std::string deleteFailed = Heading(kDeleteFailed);
    using M = Meanwhile;
    struct Row
    {
        const char* name;
        std::string box;
        Meanwhile meanwhile;
    };
    std::vector<Row> rows;
    const std::pair<const char*, Meanwhile> events[] = {
        {"deleted", M::kDeleted},         {"deleted for good", M::kDeletedForGood},
        {"moved to another store", M::kMovedToAnotherStore}, {"dragged", M::kDragged},
        {"disconnected", M::kDisconnected},
    };
    for (const std::string& box : {maySend, std::string(kRetryHeading), std::string(kGatewayHeading), updateFailed,
                                    deleteFailed})
        for (const auto& event : events)
            rows.push_back({event.first, box, event.second});
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.box + ": " + row.name);
        m_Addin.reset();
        m_Addin = std::make_unique<CAddinUnderTest>(m_Outlook);
        const std::string old = SavedThenMovedADayOn();
        LoseTheNextJobsOutcome(true);
        m_Boxes.QueueAnswers({IDOK, IDCONTINUE});
        bool done = false;
        bool refusing = false;
        size_t callsAtDisconnection = 0;
        m_Boxes.WhileUp([&](const CapturedMessageBox& box) {
            if (!done && Heading(box.text) == row.box)
            {
                done = true;
                Happens(row.meanwhile);
                callsAtDisconnection = ServiceCalls();
            }
            // The settling's cancel of the old job is refused where its box
            // and the last one are wanted.
            const bool late = row.box == kGatewayHeading || row.box == deleteFailed;
            if (late && !refusing && box.text == kRetry)
            {
                refusing = true;
                Script("GetBulkJobStatus", R"([{"error": "INTERNAL_ERROR"}])");
            }
        });
        const bool cancelled = Save();
        m_Boxes.WhileUp(nullptr);
        EXPECT_TRUE(done) << "no box " << row.box;
        EXPECT_FALSE(cancelled);
        NewBoxes();
        const std::set<std::string> told = refusing ? std::set<std::string>{old} : std::set<std::string>();
        switch (row.meanwhile)
        {
        case M::kDeleted:
            CloseInspector();
            ExpectTheEndState(Left::kInDeletedItems, told);
            break;
        case M::kDeletedForGood:
            CloseInspector();
            ExpectTheEndState(Left::kDeletedForGood, told);
            break;
        case M::kMovedToAnotherStore:
            CloseInspector();
            ExpectTheEndState(Left::kInAnotherStore, told);
            break;
        case M::kDragged:
            CloseAfterTheWrite(false, false);
            NewBoxes();
            ExpectTheEndState(Left::kInTheCalendar, told);
            break;
        case M::kDisconnected:
            EXPECT_EQ(callsAtDisconnection, ServiceCalls()) << "a call after the disconnection";
            CloseInspector();
            break;
        }
    }
    m_Addin.reset();
    m_Addin = std::make_unique<CAddinUnderTest>(m_Outlook);

    // A change in the calendar (a drag while the appointment is closed)
    // whose new job's answer is lost: inside each of its boxes the user
    // opens the appointment (the opening's offer answered Cancel), changes
    // the sender and saves it in that inspector. The change's save takes in
    // the inspector's: the one job waiting is the one that save made.
    for (const std::string& box : {maySend, std::string(kRetryHeading), std::string(kGatewayHeading)})
    {
        SCOPED_TRACE(box + ": saved in an inspector");
        StartOver();
        const std::string old = SaveReminder();
        CloseInspector();
        Reschedule(kOneDay);
        LoseTheNextJobsOutcome(true);
        std::vector<int> answers = {IDOK, IDCONTINUE};
        const size_t inside = box == maySend ? 1 : box == kRetryHeading ? 2 : answers.size();
        answers.insert(answers.begin() + static_cast<std::ptrdiff_t>(inside), IDCANCEL);
        m_Boxes.QueueAnswers(answers);
        bool done = false;
        bool refusing = false;
        m_Boxes.WhileUp([&](const CapturedMessageBox& shown) {
            if (!done && Heading(shown.text) == box)
            {
                done = true;
                Open(m_Item);
                Edit(kFrom, "Clinic");
                EXPECT_FALSE(Save());
                PropertiesOf(m_Item).Commit();
                CloseInspector();
            }
            if (box == kGatewayHeading && !refusing && shown.text == kRetry)
            {
                refusing = true;
                Script("GetBulkJobStatus", R"([{"error": "INTERNAL_ERROR"}])");
            }
        });
        ChangedInCalendar();
        m_Boxes.WhileUp(nullptr);
        EXPECT_TRUE(done) << "no box " << box;
        NewBoxes();
        const std::set<std::string> told = refusing ? std::set<std::string>{old} : std::set<std::string>();
        EXPECT_EQ("Clinic", Job(JobOf(m_Item))["from"].AsString());
        ExpectTheEndState(Left::kInTheCalendar, told);
    }
}

// Where the gateway cannot say, even when asked, what became of a job: the
// old job's abort went through but its answer was cut off and its status
// is refused (the update keeps its replacement, and the settling's cancel
// of the old job either finds it aborted or is refused too, which the user
// is told); or the new job's answer is lost, the user answers Cancel and
// the settling's cancel of that job is refused, so that the Write cannot
// leave the gateway as the appointment was: it goes on, the appointment
// naming the job that may send and reading not up to date.
TEST_F(SMSReminderSubmission, AJobTheGatewayCannotAccountForIsToldAndTheItemOffersTheUpdate)
{
    const std::string maySend = "The message may have been sent.";
    const std::string updateFailed = Heading(kUpdateFailed);
    const std::string deleteFailed = Heading(kDeleteFailed);
    struct Row
    {
        const char* name;
        std::vector<std::pair<const char*, const char*>> scripts;
        std::vector<int> answers;
        std::vector<std::string> headings;
        bool oldTold;  // the old job may still send, as the user is told
        bool yes;      // to "save changes?", where the Write was cancelled
    };
    const char* const abortCut = R"([{"truncate_at": 120}])";
    const Row rows[] = {
        {"the old job's abort unconfirmed, its cancel done", {{"AbortBulkJob", abortCut},
          {"GetBulkJobStatus", R"([{}, {"error": "INTERNAL_ERROR"}])"}}, {}, {}, false, false},
        {"the old job's abort unconfirmed, its cancel refused", {{"AbortBulkJob", abortCut},
          {"GetBulkJobStatus", R"([{}, {"error": "INTERNAL_ERROR"}, {"error": "INTERNAL_ERROR"}])"}}, {},
         {kGatewayHeading, deleteFailed}, true, false},
        {"the new job lost, Cancel, its cancel refused, Yes", {}, {IDOK, IDCANCEL},
         {maySend, kRetryHeading, kGatewayHeading, updateFailed}, false, true},
        {"the new job lost, Cancel, its cancel refused, No", {}, {IDOK, IDCANCEL},
         {maySend, kRetryHeading, kGatewayHeading, updateFailed}, false, false},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        const std::string old = SavedThenMovedADayOn();
        if (row.scripts.empty())
        {
            // The new job may send, and the status read of the settling's
            // cancel of it is refused.
            LoseTheNextJobsOutcome(true);
            Script("GetBulkJobStatus", R"([{"error": "INTERNAL_ERROR"}])");
        }
        for (const auto& script : row.scripts)
            Script(script.first, script.second);
        m_Boxes.QueueAnswers(row.answers);
        const bool cancelled = Save();
        EXPECT_FALSE(cancelled) << "the Write goes on";
        EXPECT_EQ(row.headings, Headings(NewBoxes()));
        CloseAfterTheWrite(cancelled, row.yes);
        NewBoxes();
        EXPECT_EQ("Aborted", JobStatus(old));
        ExpectTheEndState(Left::kInTheCalendar, row.oldTold ? std::set<std::string>{old} : std::set<std::string>());
    }
}
// A program closes the inspector (Inspector.Close, which Outlook runs
// inside the box's loop) while the opening's offer is up: the offer, gone
// with its owner, is asked again over the explorer, and OK brings the
// gateway up to date all the same. The appointment, still there, is
// stored naming the one job, at its new times.
TEST_F(SMSReminderSubmission, TheOpeningsOfferAnsweredAfterItsInspectorClosedIsActedOn)
{
    const std::string old = SavedReminderMovedElsewhere();
    const CFakeObjectPtr inspector = m_Outlook.NewInspector(m_Item);
    const HWND inspectorWindow = inspector->Window();
    bool closed = false;
    m_Boxes.WhileUp([&](const CapturedMessageBox& box) {
        if (closed || box.text != kNotUpToDate)
            return;
        closed = true;
        CAddinUnderTest::CloseInspector(inspector);
        ::DestroyWindow(inspectorWindow);
    });
    m_Boxes.QueueAnswers({IDOK, IDOK});
    m_Outlook.Inspectors()->Fire(DIID_InspectorsEvents, kNewInspector, {Object(inspector)});
    m_Boxes.WhileUp(nullptr);
    EXPECT_TRUE(closed);
    const std::vector<CapturedMessageBox> boxes = NewBoxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(kNotUpToDate, boxes[1].text);
    EXPECT_EQ(inspectorWindow, boxes[0].owner);
    EXPECT_EQ(m_Outlook.ActiveExplorer()->Window(), boxes[1].owner);
    EXPECT_EQ("Aborted", JobStatus(old));
    ExpectTheEndState(Left::kInTheCalendar);
    EXPECT_NE(old, JobOf(m_Item));
}
} // namespace
