// The SMS reminder's submission lifecycle: saving, changing, moving, deleting
// and restoring an appointment creates, replaces or cancels its scheduled
// bulk job at the gateway, keeps the job id on the item and records there
// whether the gateway is up to date.
#include "addin/OutlookAddin_ItemExtender_AppointmentItem_SMSReminder.h"

#include "addin/DateTimeRelativeScheduledEvent.h"
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "contacts/MicrosoftOutlookObjectModelUtils.h"
#include "core/DateTimeUtils.h"
#include "core/ErrorReports.h"
#include "core/Exceptions.h"
#include "core/StringUtils.h"
#include "gateway/ZentavoSMSGatewayHTTPSSubmitter.h"
#include "platform/Dispatch.h"
#include "platform/OfficeIds.h"
#include "ui/SendWarningDlgs.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace
{
using CProperties = COutlookAddin_ItemExtender_AppointmentItem_SMSReminder_Properties;

const std::string kClassName = "COutlookAddin_ItemExtender_AppointmentItem_SMSReminder";
const long olFolderDeletedItems = 3;
const long olFolderCalendar = 9;
// OlRecurrenceState and OlMeetingStatus values.
const long olApptOccurrence = 2;
const long olApptException = 3;
const long olMeetingReceived = 3;
const long olMeetingReceivedAndCanceled = 7;
// Dates stored in the status text, as OLE Automation writes and reads them.
const DWORD kStatusDateFlags = LOCALE_NOUSEROVERRIDE;
// Stored times are compared to the item's within half a second.
const double kHalfSecondInDays = 0.5 / 86400.0;

const char kValidationHeading[] = "There were errors found on the SMS Reminder ribbon\n\n";
const char kRetryText[] = "Unable to save SMS Reminder settings\n\nWould you like to retry to save SMS Reminder settings?";
const char kUpdateFailedText[] =
    "It was not possible to update the SMS Reminder on the ZentavoSoftware SMS Service\n\nOnce issue has been resolved "
    "please re-open this Appointment and re-attept to Save changes";
const char kDeleteFailedText[] =
    "It was not possible to delete the SMS Reminder on the ZentavoSoftware SMS Service\n\nYour message(s) will still be "
    "sent\n\nPlease login onto the ZentavoSoftware portal and delete the message(s) from the Outbox";
const char kNoPermissionText[] = "Insufficient Permission to save SMS Reminder";
const char kSendTimePastText[] =
    "The SMS Reminder message is scheduled to be sent in the past\r\n\r\nSMS Reminder will not be sent";
const char kNoAccountText[] = "Could not schedule SMS reminder as account details are not set";
const char kNoPhoneText[] = "No recipient of the SMS Reminder has a mobile number\n\nSMS Reminder will not be sent";
const char kMyMobileNotSetText[] = "Your mobile number is not set\n\nThe SMS Reminder will not be sent to your mobile; "
                                   "open the appointment and save it to enter your number";
// What the user is told a text is, when it cannot be sent.
const char kUnsendableMessage[] = "SMS Reminder message (made from the appointment's subject, location and notes)";
const char kUnsendableSender[] = "SMS Reminder sender id";
const char kNotUpToDateText[] =
    "The ZentavoSoftware SMS Service is not upto date with changes to this appiointment\n\nDo you want to update the "
    "ZentavoSoftware SMS Service now?";

CModalEnd ShowBox(const std::string& text, UINT style)
{
    return ShowMessageBox(nullptr, text, kAddinMessageBoxCaption, style);
}

std::wstring EntryIdOf(IDispatch* object)
{
    return Dispatch::GetText(object, L"EntryID");
}

IDispatchPtr DeletedItemsFolder(IDispatch* application)
{
    const IDispatchPtr nameSpace = Dispatch::CallPtr(application, L"GetNamespace", L"MAPI");
    const IDispatchPtr folder = Dispatch::CallPtr(nameSpace, L"GetDefaultFolder", olFolderDeletedItems);
    if (!folder)
        _com_issue_error(E_POINTER);
    return folder;
}

// Outlook puts what is deleted from a store's calendar (a second account's,
// a PST's) into that store's Deleted Items, and what a delegate deletes may
// go to the default store's: either is a Deleted Items folder. A store that
// names no default folders (before Outlook 2010), or a parent that is no
// folder (an occurrence's master), has only the default one.
bool IsDeletedItems(IDispatch* application, IDispatch* folder)
{
    if (!folder)
        return false;
    const std::wstring entryId = EntryIdOf(folder);
    if (entryId == EntryIdOf(DeletedItemsFolder(application)))
        return true;
    try
    {
        const IDispatchPtr own =
            Dispatch::CallPtr(Dispatch::GetPtr(folder, L"Store"), L"GetDefaultFolder", olFolderDeletedItems);
        return own && EntryIdOf(own) == entryId;
    }
    catch (const _com_error&)
    {
        return false;
    }
}

bool IsReceivedMeeting(IDispatch* item)
{
    const long status = static_cast<long>(Dispatch::Get(item, L"MeetingStatus"));
    return status == olMeetingReceived || status == olMeetingReceivedAndCanceled;
}

// Items whose reminder properties name a job that is never theirs to take,
// move or cancel: an occurrence or exception names its series' job, which
// the master holds; a meeting received from an organizer who uses the
// add-in carries the organizer's properties, job and owner (Exchange
// delivers them with it).
bool HoldsAnotherItemsJob(IDispatch* item, const CProperties& properties)
{
    if (COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::IsOccurrenceOrException(item))
        return true;
    return IsReceivedMeeting(item) && !properties.GetSMSGatewaySubmissionId().empty() &&
           properties.GetSMSGatewaySubmissionOwner() != WideToAnsi(EntryIdOf(item));
}

// GetItemFromID's answers for an EntryID that names no item of the session:
// the item has gone (deleted, or moved and given a new EntryID).
const HRESULT kMapiNotFound = static_cast<HRESULT>(0x8004010F);
const HRESULT kMapiInvalidEntryId = static_cast<HRESULT>(0x80040107);

// Outlook's user properties are named properties of PS_PUBLIC_STRINGS; a
// DASL filter on one that a folder does not define carries its type.
const wchar_t kUserTextPropertyPrefix[] =
    L"http://schemas.microsoft.com/mapi/string/{00020329-0000-0000-C000-000000000046}/";
const wchar_t kUserTextPropertyType[] = L"/0000001f";

// What the item a job's owner names says of the job now.
enum class JobOwner
{
    Holds,   // the item is there, out of Deleted Items
    Gone,    // no owner, gone from the session, or lying in Deleted Items
    Unknown  // the lookup failed otherwise: a store no longer in the profile, another mailbox's ids
};

JobOwner LookUpOwner(IDispatch* application, const std::string& owner)
{
    if (owner.empty())
        return JobOwner::Gone;
    try
    {
        const IDispatchPtr nameSpace = Dispatch::CallPtr(application, L"GetNamespace", L"MAPI");
        const IDispatchPtr found = Dispatch::CallPtr(nameSpace, L"GetItemFromID", AnsiToWide(owner).c_str());
        if (!found)
            return JobOwner::Gone;
        // A copy brought back out of Deleted Items holds the job of the
        // item deleted there.
        const bool deleted = IsDeletedItems(application, Dispatch::GetPtr(found, L"Parent"));
        return deleted ? JobOwner::Gone : JobOwner::Holds;
    }
    catch (const _com_error& e)
    {
        return e.Error() == kMapiNotFound || e.Error() == kMapiInvalidEntryId ? JobOwner::Gone : JobOwner::Unknown;
    }
}

// The calendars the add-in watches, Deleted Items aside: the default
// calendar with its subfolders and the calendars of the navigation pane.
COutlookFolderVector WatchedCalendars(IDispatch* application)
{
    COutlookFolderVector folders;
    const IDispatchPtr nameSpace = Dispatch::CallPtr(application, L"GetNamespace", L"MAPI");
    CMicrosoftOutlookObjectModelUtils::AddFolderAndSubFolders(
        Dispatch::CallPtr(nameSpace, L"GetDefaultFolder", olFolderCalendar), folders);
    try
    {
        CMicrosoftOutlookObjectModelUtils::GetNavigationPaneCalendarFolders(application, folders, true);
    }
    catch (...)
    {
        // The navigation pane only adds to the calendars already found.
    }
    return folders;
}

std::wstring QuotedForFilter(const std::string& text)
{
    std::wstring quoted = L"'";
    for (const wchar_t c : AnsiToWide(text))
        quoted += c == L'\'' ? std::wstring(L"''") : std::wstring(1, c);
    return quoted + L"'";
}

// Whether an item of the watched calendars other than this one names the
// job. A calendar that cannot be searched (offline, shared without the
// right to read it) is reported in the event log and holds nothing known.
bool AnotherItemNamesJob(IDispatch* application, IDispatch* item, const std::string& jobId)
{
    const std::string function = kClassName + "::AnotherItemNamesJob";
    const std::wstring filter = std::wstring(L"@SQL=\"") + kUserTextPropertyPrefix +
                                AnsiToWide(CProperties::kSMSGatewaySubmissionId) + kUserTextPropertyType + L"\" = " +
                                QuotedForFilter(jobId);
    try
    {
        const std::wstring entryId = EntryIdOf(item);
        for (const IDispatchPtr& calendar : WatchedCalendars(application))
        {
            try
            {
                const IDispatchPtr found =
                    Dispatch::CallPtr(Dispatch::GetPtr(calendar, L"Items"), L"Restrict", filter.c_str());
                const long count = static_cast<long>(Dispatch::Get(found, L"Count"));
                for (long i = 1; i <= count; ++i)
                    if (entryId.empty() || EntryIdOf(Dispatch::CallPtr(found, L"Item", i)) != entryId)
                        return true;
            }
            catch (...)
            {
                ReportCurrentException(function);
            }
        }
    }
    catch (...)
    {
        ReportCurrentException(function);
    }
    return false;
}

// Outlook copies user properties with an appointment (Ctrl+drag, copy and
// paste, Item.Copy), so a copy names its original's job and must leave it
// alone. The item the job's owner names holds it; without that item to ask
// (none recorded, gone, or not to be looked up), any other item of the
// watched calendars that names the job holds it. An item leaving the
// calendars or coming back out of Deleted Items asks every time: the job
// goes with it only when no other item still names it (a copy brought back
// before it holds the job then).
bool IsJobHeldElsewhere(IDispatch* application, IDispatch* item, const CProperties& properties, bool askEveryTime)
{
    const std::string jobId = properties.GetSMSGatewaySubmissionId();
    if (jobId.empty())
        return false;
    const std::string owner = properties.GetSMSGatewaySubmissionOwner();
    const bool ownedByItem = !owner.empty() && owner == WideToAnsi(EntryIdOf(item));
    if (ownedByItem && !askEveryTime)
        return false;
    if (!ownedByItem && LookUpOwner(application, owner) == JobOwner::Holds)
        return true;
    return AnotherItemNamesJob(application, item, jobId);
}

bool HasUserProperty(IDispatch* userProperties, const std::string& name)
{
    return Dispatch::CallPtr(userProperties, L"Item", name.c_str()).GetInterfacePtr() != nullptr;
}

void RemoveUserProperty(IDispatch* userProperties, const std::string& name)
{
    const std::wstring wanted = AnsiToWide(name);
    for (long i = static_cast<long>(Dispatch::Get(userProperties, L"Count")); i >= 1; --i)
        if (Dispatch::GetText(Dispatch::CallPtr(userProperties, L"Item", i), L"Name") == wanted)
        {
            Dispatch::Call(userProperties, L"Remove", i);
            return;
        }
}

// Writes the reminder's properties and saves the item; when Outlook refuses
// either (a shared calendar the user may only read), the properties are put
// back as they were read, those added removed, and the failure raised.
void WriteAndSave(IDispatch* item, const CProperties& stored, const CProperties& properties)
{
    const IDispatchPtr userProperties = Dispatch::GetPtr(item, L"UserProperties");
    std::vector<std::string> added;
    for (const auto& entry : properties.GetEntries())
        if (!stored.Find(entry.first) && !HasUserProperty(userProperties, entry.first))
            added.push_back(entry.first);
    try
    {
        bool insufficientPermission = false;
        COutlookAddin_UserPropertiesPersistance::PersistNameVariantCollectionToUserProperties(
            properties, userProperties, insufficientPermission);
        if (insufficientPermission)
            _com_issue_error(E_ACCESSDENIED);
        Dispatch::Call(item, L"Save");
    }
    catch (...)
    {
        try
        {
            bool ignored = false;
            COutlookAddin_UserPropertiesPersistance::PersistNameVariantCollectionToUserProperties(
                stored, userProperties, ignored);
            for (const std::string& name : added)
                RemoveUserProperty(userProperties, name);
        }
        catch (...)
        {
            ReportCurrentException(kClassName + "::OnItemAdd(putting the item back)");
        }
        throw;
    }
}

// The item names the job (none for "") as its owner; a new item has no
// EntryID until Outlook has saved it, so its owner is recorded when it is
// added to its folder.
void KeepJob(IDispatch* item, CProperties& properties, const std::string& jobId)
{
    properties.SetSMSGatewaySubmissionId(jobId);
    const std::string owner = jobId.empty() ? std::string() : WideToAnsi(EntryIdOf(item));
    if (owner != properties.GetSMSGatewaySubmissionOwner())
        properties.SetSMSGatewaySubmissionOwner(owner);
}

// The reminder properties stored on an item, and no defaults.
void LoadStoredProperties(IDispatch* item, const std::string& prefix, CProperties& properties)
{
    properties.LoadFromUserProperties(Dispatch::GetPtr(item, L"UserProperties"), prefix);
}

bool SameTime(const COleDateTime& stored, const COleDateTime& current)
{
    return stored.GetStatus() == COleDateTime::valid &&
           std::fabs(static_cast<DATE>(current) - static_cast<DATE>(stored)) <= kHalfSecondInDays;
}

// The sender of the last reminder becomes the user's default, unless it
// cannot be sent.
void RememberSender(const CProperties& properties)
{
    if (!CharactersLostInAnsi(properties.GetText(CProperties::kFormatMessageFrom)).empty())
        return;
    CConfigZentavoSMSOutlookAddin_UserPreferences& preferences = Preferences();
    const std::string from = properties.GetFormatMessageFrom();
    if (from == CProperties::kUseReplyableId)
        preferences.SetDefaultSendersIdUseReplyable(true);
    else
    {
        preferences.SetDefaultSendersIdUseReplyable(false);
        preferences.SetDefaultSendersId(from);
    }
    preferences.Save();
}

// The warning that the message, or else the sender id, holds characters
// the ANSI code page cannot carry; empty when neither does.
std::string UnsendableWarning(const std::wstring& message, const CProperties& properties)
{
    const std::string warning = UnsendableCharactersWarning(message, kUnsendableMessage);
    return !warning.empty()
               ? warning
               : UnsendableCharactersWarning(properties.GetText(CProperties::kFormatMessageFrom), kUnsendableSender);
}

[[noreturn]] void ThrowNoSendTime(const char* which)
{
    throw CGeneralException(kClassName + "::UpdateSMSGatewayWithSMSReminderRequest - Could not establish time to "
                                         "send reminder (" + which + ")",
                            E_FAIL);
}

// The local send time the schedule gives for the item's Start; false when
// there is no schedule. Throws when a schedule gives no usable time.
bool GetSendTime(IDispatch* item, const CProperties& properties, SYSTEMTIME& sendTime)
{
    const std::unique_ptr<CDateTimeRelativeScheduledEvent> event =
        CDateTimeRelativeScheduledEvent::Parse(properties.GetSchedule());
    if (!event)
        return false;
    const COleDateTime when =
        event->GetEventTime(COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::GetItemTime(item, L"Start"));
    if (when.GetStatus() != COleDateTime::valid || !when.GetAsSystemTime(sendTime))
        ThrowNoSendTime("2");
    return true;
}

bool IsInThePast(const SYSTEMTIME& localTime)
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return CDateTimeUtils::GetDateDiff100nSecs(now, localTime) < 0;
}

// What the user sets on the tab, as against the job, its owner and the
// status that the saves keep.
const char* const kSettings[] = {CProperties::kRecipientsTo, CProperties::kRecipientsIncludeMyMobile,
                                 CProperties::kSchedule, CProperties::kFormatMessageTemplate,
                                 CProperties::kFormatMessageFrom};

// A value as stored or edited, for comparing: a flag as "1" or "0" in
// either form, anything else as its text, "?" for a value without one.
std::string SettingOf(const CNameVariantCollection& properties, const std::string& name)
{
    const CComVariant* value = properties.Find(name);
    if (!value)
        return name == CProperties::kRecipientsIncludeMyMobile ? "0" : "";
    if (V_VT(value) == VT_BOOL)
        return V_BOOL(value) != VARIANT_FALSE ? "1" : "0";
    try
    {
        return properties.GetString(name, "");
    }
    catch (const _com_error&)
    {
        return "?";
    }
}

bool SameSettings(const CNameVariantCollection& first, const CNameVariantCollection& second)
{
    for (const char* name : kSettings)
        if (SettingOf(first, name) != SettingOf(second, name))
            return false;
    return true;
}

bool SameStored(const CNameVariantCollection& first, const CNameVariantCollection& second)
{
    for (const char* name : {CProperties::kSMSGatewaySubmissionId, CProperties::kSMSGatewaySubmissionOwner,
                             CProperties::kServerSavedStatus})
        if (SettingOf(first, name) != SettingOf(second, name))
            return false;
    return SameSettings(first, second);
}

// What another save wrote to the item since this one read it (before) goes
// into this save's properties: each setting this save does not change, and
// the job with its owner, which belong to the item.
void TakeChangesOfAnotherSave(CProperties& properties, const CNameVariantCollection& before, const CProperties& now)
{
    for (const char* name : kSettings)
    {
        if (SettingOf(properties, name) != SettingOf(before, name) || SettingOf(now, name) == SettingOf(before, name))
            continue;
        if (const CComVariant* value = now.Find(name))
            properties.Set(name, *value);
        else if (name == std::string(CProperties::kRecipientsIncludeMyMobile))
            properties.SetRecipientsIncludeMyMobile(false);
        else
            properties.SetString(name, "");
    }
    properties.SetSMSGatewaySubmissionId(now.GetSMSGatewaySubmissionId());
    properties.SetSMSGatewaySubmissionOwner(now.GetSMSGatewaySubmissionOwner());
}

// The reminder is on and not yet due to have gone out, yet the item names no
// job: a copy freed of its original's job, one brought back out of Deleted
// Items after its job was cancelled.
bool MissesItsJob(IDispatch* item, const CProperties& properties)
{
    if (!properties.IsSMSReminderOn() || !properties.GetSMSGatewaySubmissionId().empty())
        return false;
    try
    {
        SYSTEMTIME sendTime;
        return !GetSendTime(item, properties, sendTime) || !IsInThePast(sendTime);
    }
    catch (const CGeneralException&)
    {
        return true;
    }
}

// Holds a value for the life of the object, then puts back the one before:
// the running event's name (m_UnattendedEvent), the item saved for it, a
// context's own save.
template <typename T>
class CValueScope
{
public:
    CValueScope(T& current, T value) : m_Current(current), m_Before(current) { m_Current = std::move(value); }
    ~CValueScope() { m_Current = m_Before; }
    CValueScope(const CValueScope&) = delete;
    CValueScope& operator=(const CValueScope&) = delete;

private:
    T& m_Current;
    T m_Before;
};

// Checks the schedule; the faults are listed in one box.
bool IsValidOrTold(const CProperties& properties)
{
    std::vector<std::string> errors;
    if (properties.Validate(errors))
        return true;
    std::string text = kValidationHeading;
    for (const std::string& error : errors)
        text += "  - " + error + "\n";
    ShowBox(text, MB_OK);
    return false;
}

// The retry prompt: true for Try Again; Cancel also asks for the Write or
// the move to be stopped, where it may be.
bool AskToRetry(bool cancelAllowed, bool& cancel)
{
    const CModalEnd answer = ShowBox(kRetryText, MB_CANCELTRYCONTINUE);
    if (answer.Is(IDCANCEL) && cancelAllowed)
        cancel = true;
    return answer.Is(IDTRYAGAIN);
}
} // namespace

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::HasLeftTheSave(const CItemState& now,
                                                                           const CItemState& found)
{
    return now.m_Disconnections != found.m_Disconnections || now.m_Place != found.m_Place || now.m_Place < 0;
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::WriteOutcome
COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::WriteOutcomeAfter(Look look, WriteOutcome before)
{
    switch (look)
    {
    case Look::Unchanged:
        return before;
    case Look::TakenIn:
        return WriteOutcome::Failed;
    case Look::UpToDate:
        return WriteOutcome::Saved;
    default:
        return WriteOutcome::Abandoned;
    }
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::IsOccurrenceOrException(IDispatch* item)
{
    const long state = static_cast<long>(Dispatch::Get(item, L"RecurrenceState"));
    return state == olApptOccurrence || state == olApptException;
}

IDispatchPtr COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::JobHolderOf(IDispatch* item)
{
    if (IsOccurrenceOrException(item))
        if (const IDispatchPtr master = AsAppointment(Dispatch::GetPtr(item, L"Parent")))
            return master;
    return item;
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnItemWriteEvent(IDispatch* item, VARIANT_BOOL* cancel)
{
    if (cancel)
        *cancel = VARIANT_FALSE;
    if (!m_bEnabled || !item)
        return;
    // Outlook's event sink would swallow a failure unseen.
    try
    {
        bool cancelWrite = false;
        SaveEditedProperties(item, cancelWrite, ReadItemState(item), GetInspectorContextForAppointmentItem(item));
        if (cancelWrite && cancel)
            *cancel = VARIANT_TRUE;
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox(kClassName + "::OnItemWriteEvent");
    }
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::WriteOutcome
COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::SaveEditedProperties(IDispatch* item, bool& cancel,
                                                                             const CItemState& found,
                                                                             CInspectorContext* context)
{
    // The user's save, unless the add-in's own save of this item for an
    // event the user did not start raised this Write; a Write inside this
    // one's boxes is the user's again.
    const bool ownSave = m_pSavingUnattended && CompareCOMIdentity(m_pSavingUnattended, item) == 0;
    const CValueScope<IDispatch*> taken(m_pSavingUnattended, nullptr);
    const CValueScope<std::string> attended(m_UnattendedEvent, ownSave ? m_UnattendedEvent : "");
    if (HasLeftTheSave(ReadItemState(item), found))
        return WriteOutcome::Abandoned;
    if (found.m_Place == 2)
        return WriteOutcome::Failed;
    // Only an appointment opened in an inspector has edits to save.
    if (!context)
        return WriteOutcome::Failed;
    const CInspectorContext::CHold hold(*context);
    // The add-in's own save of what it has just sent.
    if (context->m_bStoringUpdate)
        return WriteOutcome::Saved;
    // The gateway job belongs to the item: a change made elsewhere while it
    // was open (a drag in the calendar) may have replaced the one the
    // inspector read. The save moves that job, or it would be left to send.
    CProperties stored;
    stored.TakeReadable(found.m_Stored);
    if (HoldsAnotherItemsJob(item, stored))
        return WriteOutcome::Failed;
    const std::string storedJobId = stored.GetSMSGatewaySubmissionId();
    if (!storedJobId.empty() && storedJobId != context->m_SavedProperties.GetSMSGatewaySubmissionId())
    {
        context->m_EditedProperties.SetSMSGatewaySubmissionId(storedJobId);
        context->m_EditedProperties.SetSMSGatewaySubmissionOwner(stored.GetSMSGatewaySubmissionOwner());
    }
    if (m_UnattendedEvent.empty())
        AskForMyMobileOnSave(item, *context);
    const WriteOutcome outcome = SaveSMSReminder(item, context->m_EditedProperties, true, true, cancel, false, found);
    if (outcome != WriteOutcome::Saved)
        return outcome;
    context->m_EditedProperties.CopyTo(context->m_SavedProperties);
    CConfigZentavoSMSOutlookAddin_UserPreferences& preferences = Preferences();
    preferences.SetDefaultAppointmentTemplateId(context->m_EditedProperties.GetFormatMessageTemplate());
    preferences.SetDefaultAppointmentScheduleDescription(context->m_EditedProperties.GetSchedule());
    preferences.Save();
    return outcome;
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::WriteOutcome
COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::SaveSMSReminder(IDispatch* item, CProperties& properties,
                                                                        bool validate, bool cancelAllowed,
                                                                        bool& cancel, bool deleting,
                                                                        const CItemState& found)
{
    CSaveRun run(found);
    SetServerSavedStatus(item, properties, 1);
    const WriteOutcome outcome = OnItemWrite(item, properties, validate, cancelAllowed, cancel, deleting, run);
    return FinishSave(item, properties, run, outcome, cancel, deleting);
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::WriteOutcome
COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::FinishSave(IDispatch* item, CProperties& properties,
                                                                   CSaveRun& run, WriteOutcome outcome, bool& cancel,
                                                                   bool deleting)
{
    // Every box lets Outlook and the user act on the item: the settling
    // looks again after its own boxes and the failure box, and settles
    // again whenever something changed.
    bool failureTold = false;
    for (;;)
    {
        SettleJobs(item, properties, run, outcome, cancel);
        if (outcome == WriteOutcome::Abandoned)
            break;
        // Without the user there, the status tells the next opening.
        if (outcome == WriteOutcome::Failed && !cancel && m_UnattendedEvent.empty() && !failureTold)
        {
            ShowBox(deleting ? kDeleteFailedText : kUpdateFailedText, MB_OK);
            failureTold = true;
        }
        const Look look = TakeInWhatChanged(item, properties, run, deleting);
        outcome = WriteOutcomeAfter(look, outcome);
        if (look == Look::Unchanged)
            break;
    }
    // Last, as nothing after them is taken in: what the item could not
    // store, and a job no item names that may still send.
    if (outcome != WriteOutcome::Abandoned && run.m_WriteRefused)
        ShowBox(kNoPermissionText, MB_OK);
    if (!run.m_MaySend.empty())
        Tell(item, kDeleteFailedText);
    return outcome;
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::WriteSave(IDispatch* item, CProperties& properties,
                                                                      CSaveRun& run, WriteOutcome outcome)
{
    if (outcome != WriteOutcome::Saved)
        SetServerSavedStatus(item, properties, 2);
    bool insufficientPermission = false;
    COutlookAddin_UserPropertiesPersistance::PersistNameVariantCollectionToUserProperties(
        properties, Dispatch::GetPtr(item, L"UserProperties"), insufficientPermission);
    run.m_WriteRefused = insufficientPermission;
    // The save's own write is no change of another's.
    run.m_Found.m_Stored = ReadItemState(item).m_Stored;
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::WriteOutcome
COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnItemWrite(IDispatch* item, CProperties& properties,
                                                                    bool validate, bool cancelAllowed, bool& cancel,
                                                                    bool deleting, CSaveRun& run)
{
    if (validate && !deleting && !IsValidOrTold(properties))
    {
        cancel = true;
        return WriteOutcome::Failed;
    }
    WriteOutcome outcome = WriteOutcome::Failed;
    for (bool again = true; again;)
    {
        const Attempt attempt = AttemptGatewayUpdate(item, properties, deleting, run);
        if (attempt == Attempt::Saved)
        {
            outcome = WriteOutcome::Saved;
            break;
        }
        // No retry once the user has been told why (no account, no phone to
        // send to); an attempt overtaken inside its boxes goes again unasked.
        again = attempt == Attempt::Overtaken || (attempt == Attempt::Failed && AskToRetry(cancelAllowed, cancel));
        outcome = WriteOutcomeAfter(TakeInWhatChanged(item, properties, run, deleting), WriteOutcome::Failed);
        if (outcome != WriteOutcome::Failed)
            break;
    }
    return outcome;
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Attempt
COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::AttemptGatewayUpdate(IDispatch* item, CProperties& properties,
                                                                             bool deleting, CSaveRun& run)
{
    bool retryCannotHelp = false;
    bool overtaken = false;
    try
    {
        if (properties.IsSMSReminderOn())
            RememberSender(properties);
        if (UpdateSMSGatewayWithSMSReminderRequest(item, properties, deleting, run, retryCannotHelp, overtaken))
            return Attempt::Saved;
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox(kClassName + "::OnItemWrite(Updating SMSGateway)");
    }
    return overtaken ? Attempt::Overtaken : retryCannotHelp ? Attempt::Told : Attempt::Failed;
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::CItemState
COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::ReadItemState(IDispatch* item)
{
    CItemState state;
    state.m_Disconnections = m_Disconnections;
    try
    {
        // As stored, unchecked: the reader's reports of values it cannot
        // take come once, when a save reads them.
        COutlookAddin_UserPropertiesPersistance::LoadNameVariantCollectionFromUserProperties(
            state.m_Stored, Dispatch::GetPtr(item, L"UserProperties"), m_PropertyPrefix);
        state.m_Place = GetDeletedItemsState(
            m_pServices ? m_pServices->Callback_ItemExtender_GetOutlookApplication() : nullptr, item);
    }
    catch (...)
    {
        // An item deleted for good answers nothing.
        state.m_Place = -1;
    }
    return state;
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Look
COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::TakeInWhatChanged(IDispatch* item, CProperties& properties,
                                                                          CSaveRun& run, bool deleting)
{
    CItemState now = ReadItemState(item);
    if (HasLeftTheSave(now, run.m_Found))
        return Look::Abandoned;
    if (SameStored(run.m_Found.m_Stored, now.m_Stored))
        return Look::Unchanged;
    CProperties stored;
    stored.TakeReadable(now.m_Stored);
    TakeChangesOfAnotherSave(properties, run.m_Found.m_Stored, stored);
    run.m_Found = std::move(now);
    int status = 0;
    bool timesChanged = false;
    if (!deleting && SameSettings(properties, stored) && CheckServerSaveStatus(item, stored, status, timesChanged))
    {
        properties.SetServerSavedStatus(stored.GetServerSavedStatus());
        return Look::UpToDate;
    }
    // The times may have moved as well.
    SetServerSavedStatus(item, properties, 1);
    return Look::TakenIn;
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::SettleJobs(IDispatch* item, CProperties& properties,
                                                                       CSaveRun& run, WriteOutcome outcome,
                                                                       bool& cancel)
{
    if (outcome == WriteOutcome::Abandoned)
    {
        // What the item names went with it: to Deleted Items, whose save
        // cancelled it, or to another store, as it last read (an item that
        // no longer answers may be a copy's original). Nothing else this
        // save made is stored by any item.
        const CItemState now = ReadItemState(item);
        const CNameVariantCollection& last = now.m_Place < 0 ? run.m_Found.m_Stored : now.m_Stored;
        StopJobs(run, run.m_Made, SettingOf(last, CProperties::kSMSGatewaySubmissionId));
        return;
    }
    std::vector<std::string> touched = run.m_Made;
    touched.insert(touched.end(), run.m_Standing.begin(), run.m_Standing.end());
    if (cancel)
    {
        // Outlook keeps the item as found: the gateway goes back to it.
        const std::string found = SettingOf(run.m_Found.m_Stored, CProperties::kSMSGatewaySubmissionId);
        if (StopJobs(run, touched, found))
        {
            if (properties.GetSMSGatewaySubmissionId() != found)
                KeepJob(item, properties, found);
            WriteSave(item, properties, run, outcome);
            return;
        }
        // A job that may still send would be named by no item: the Write
        // goes on, the item naming it.
        cancel = false;
    }
    std::string kept = properties.GetSMSGatewaySubmissionId();
    if (std::find(run.m_Stopped.begin(), run.m_Stopped.end(), kept) != run.m_Stopped.end() && !run.m_MaySend.empty())
    {
        kept = run.m_MaySend.front();
        KeepJob(item, properties, kept);
    }
    WriteSave(item, properties, run, outcome);
    StopJobs(run, touched, kept);
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::StopJobs(CSaveRun& run,
                                                                     const std::vector<std::string>& jobs,
                                                                     const std::string& kept)
{
    const auto has = [](const std::vector<std::string>& list, const std::string& job) {
        return std::find(list.begin(), list.end(), job) != list.end();
    };
    // The job kept may send: that is what it is kept for.
    run.m_MaySend.erase(std::remove(run.m_MaySend.begin(), run.m_MaySend.end(), kept), run.m_MaySend.end());
    bool allStopped = true;
    for (const std::string& job : jobs)
    {
        if (job.empty() || job == kept || has(run.m_Stopped, job))
            continue;
        if (StopJob(job, run.m_Found.m_Disconnections))
        {
            run.m_Stopped.push_back(job);
            run.m_MaySend.erase(std::remove(run.m_MaySend.begin(), run.m_MaySend.end(), job), run.m_MaySend.end());
            continue;
        }
        if (!has(run.m_MaySend, job))
            run.m_MaySend.push_back(job);
        allStopped = false;
    }
    return allStopped;
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::StopJob(const std::string& jobId, unsigned disconnections)
{
    // Nothing calls the gateway once the add-in has disconnected.
    if (disconnections != m_Disconnections || !m_pServices)
        return false;
    try
    {
        CZentavoSMSGatewaySubmission submission;
        submission.m_Method = smWebService;
        submission.m_Action = saCancelSendMessageSubmission;
        submission.m_SubmissionId = jobId;
        CZentavoSMSGatewaySubmissionResults results;
        m_pServices->Callback_ItemExtender_MakeSMSGatewaySubmission(results, submission);
        return results.m_Success || results.m_JobNotChangeable;
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox(kClassName + "::OnItemWrite(Cancelling a job the item does not name)");
        return false;
    }
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::UpdateSMSGatewayWithSMSReminderRequest(
    IDispatch* item, CProperties& properties, bool deleting, CSaveRun& run, bool& retryCannotHelp, bool& overtaken)
{
    retryCannotHelp = false;
    overtaken = false;
    if (!m_pServices)
        _com_issue_error(E_POINTER);
    CReminderRequest request = MakeReminderRequest(item, properties, deleting);
    const auto done = [&] { return !request.m_NotSent || TellNotSent(item, request.m_NotSent, retryCannotHelp); };
    if (!ChooseReminderAction(item, properties, deleting, request))
        return done();
    if (!MaySendReminder(item, properties, deleting, request, retryCannotHelp))
        return false;
    // The boxes above let the item change before the call.
    const CItemState now = ReadItemState(item);
    if (HasLeftTheSave(now, run.m_Found) || !SameStored(now.m_Stored, run.m_Found.m_Stored))
    {
        overtaken = true;
        return false;
    }
    const std::string jobId = request.m_Submission.m_SubmissionId;
    CZentavoSMSGatewaySubmissionResults results;
    if (!CallGateway(request.m_Submission, results, run))
    {
        // A new job whose answer was lost and that could not be undone may
        // still send: the item names it, so that the next attempt replaces
        // or cancels that job instead of making a second.
        if (results.m_OutcomeUnknown && results.m_HasSubmissionId)
            KeepJob(item, properties, results.m_SubmissionId);
        return false;
    }
    switch (request.m_Submission.m_Action)
    {
    case saNewSendMessageSubmission:
        if (!results.m_HasSubmissionId)
            throw CGeneralException(kClassName + "::UpdateSMSGatewayWithSMSReminderRequest - Did not get submission "
                                                 "id from SMS Gateway",
                                    E_FAIL);
        KeepJob(item, properties, results.m_SubmissionId);
        break;
    case saUpdateSendMessageSubmission:
        KeepJob(item, properties, results.m_SubmissionReplaced ? results.m_SubmissionId : jobId);
        break;
    default:
        KeepJob(item, properties, "");
        break;
    }
    return done();
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::CReminderRequest
COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::MakeReminderRequest(IDispatch* item,
                                                                            const CProperties& properties,
                                                                            bool deleting)
{
    CReminderRequest request;
    CZentavoSMSGatewaySubmission& submission = request.m_Submission;
    if (!deleting)
        GetReminderRecipients(item, properties, submission.m_Recipients);
    request.m_On = properties.IsSMSReminderOn();

    SYSTEMTIME sendTime = {};
    const bool hasSendTime = GetSendTime(item, properties, sendTime);
    if (!hasSendTime && !deleting && request.m_On)
        ThrowNoSendTime("1");
    FormatReminderMessage(request.m_Message, item, properties.GetFormatMessageTemplate());

    submission.m_Method = smWebService;
    submission.m_SenderId = properties.GetFormatMessageFrom();
    submission.m_SenderType = submission.m_SenderId == CProperties::kUseReplyableId ? sstReplyable : sstUserDefined;
    submission.m_MessageText = WideToAnsi(request.m_Message);
    submission.m_MaxConCat = 2;
    if (hasSendTime)
        submission.m_ScheduledTime = sendTime;
    SetSubmissionReplyAndSourceIdentity(m_pServices->Callback_ItemExtender_GetOutlookApplication(), submission,
                                        submission.m_UserContext);
    submission.m_DeliveryReportSetting = 3;

    if (request.m_On && !deleting && IsInThePast(sendTime))
    {
        ShowBox(kSendTimePastText, MB_OK);
        request.m_On = false;
    }
    // A reminder that reaches no phone ("<All Meeting Attendees>" of external
    // attendees) is not scheduled, as one whose every number is refused: a
    // job it had is cancelled, and the attempt fails. Only the user's save
    // asks for a missing own number: elsewhere the reminder goes to the
    // others and does not read as up to date.
    const bool noPhone = request.m_On && !deleting && submission.m_Recipients.empty();
    const bool myMobileMissing = request.m_On && !deleting && IsMyMobileMissing(properties);
    request.m_NotSent = myMobileMissing ? kMyMobileNotSetText : noPhone ? kNoPhoneText : nullptr;
    if (noPhone)
        request.m_On = false;
    return request;
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::ChooseReminderAction(IDispatch* item,
                                                                                 CProperties& properties,
                                                                                 bool deleting,
                                                                                 CReminderRequest& request)
{
    // A copy leaves its original's job as it is and gets one of its own.
    const IDispatchPtr application = m_pServices->Callback_ItemExtender_GetOutlookApplication();
    if (IsJobHeldElsewhere(application, item, properties, deleting || GetDeletedItemsState(application, item) == 2))
        KeepJob(item, properties, "");
    const std::string jobId = properties.GetSMSGatewaySubmissionId();
    CZentavoSMSGatewaySubmission& submission = request.m_Submission;
    if (jobId.empty())
    {
        submission.m_Action = saNewSendMessageSubmission;
        return !deleting && request.m_On;
    }
    submission.m_Action = request.m_On && !deleting ? saUpdateSendMessageSubmission : saCancelSendMessageSubmission;
    submission.m_SubmissionId = jobId;
    return true;
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::MaySendReminder(IDispatch* item,
                                                                            const CProperties& properties,
                                                                            bool deleting,
                                                                            const CReminderRequest& request,
                                                                            bool& retryCannotHelp)
{
    const std::string unsendable =
        request.m_On && !deleting ? UnsendableWarning(request.m_Message, properties) : std::string();
    if (!unsendable.empty())
        return TellNotSent(item, unsendable, retryCannotHelp);
    if (!CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.CheckConfiguration())
    {
        ShowBox(kNoAccountText, MB_OK);
        retryCannotHelp = true;
        return false;
    }
    return true;
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::CallGateway(CZentavoSMSGatewaySubmission& submission,
                                                                        CZentavoSMSGatewaySubmissionResults& results,
                                                                        CSaveRun& run)
{
    const std::string named = submission.m_SubmissionId;
    m_pServices->Callback_ItemExtender_MakeSMSGatewaySubmission(results, submission);
    if (results.m_JobNotChangeable)
    {
        // A job that has gone out or is gone cannot send again: a cancel is
        // done. An update becomes a new job.
        if (submission.m_Action == saCancelSendMessageSubmission)
            return true;
        submission.m_Action = saNewSendMessageSubmission;
        submission.m_SubmissionId.clear();
        results = CZentavoSMSGatewaySubmissionResults();
        m_pServices->Callback_ItemExtender_MakeSMSGatewaySubmission(results, submission);
    }
    if (submission.m_Action != saCancelSendMessageSubmission && results.m_HasSubmissionId)
        run.m_Made.push_back(results.m_SubmissionId);
    if (submission.m_Action == saUpdateSendMessageSubmission)
    {
        // A replaced job is stopped, as the gateway said; one beside a
        // replacement that may send, or whose abort the gateway did not
        // confirm, still stands.
        if (results.m_SubmissionReplaced && !results.m_ReplacedJobMaySend)
            run.m_Stopped.push_back(named);
        else if (results.m_SubmissionReplaced || results.m_OutcomeUnknown)
            run.m_Standing.push_back(named);
    }
    return results.m_Success != 0;
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::TellNotSent(IDispatch* item, const std::string& why,
                                                                        bool& retryCannotHelp)
{
    Tell(item, why);
    retryCannotHelp = true;
    return false;
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Tell(IDispatch* item, const std::string& text)
{
    if (m_UnattendedEvent.empty())
    {
        ShowBox(text, MB_OK);
        return;
    }
    std::string subject;
    try
    {
        subject = WideToAnsi(Dispatch::GetText(item, L"Subject"));
    }
    catch (const _com_error&)
    {
        // An item deleted for good has no subject to name.
    }
    ReportError(EVENTLOG_WARNING_TYPE, m_UnattendedEvent, text + "\n\nAppointment: " + subject);
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::SetServerSavedStatus(IDispatch* item,
                                                                                 CProperties& properties, int status)
{
    std::string text;
    if (properties.IsSMSReminderOn())
        text = "A~" + std::to_string(status) + "~" +
               GetItemTime(item, L"Start").Format(kStatusDateFlags, LANG_USER_DEFAULT) + "~" +
               GetItemTime(item, L"End").Format(kStatusDateFlags, LANG_USER_DEFAULT);
    else if (status != 1)
        text = "A~" + std::to_string(status);
    properties.SetServerSavedStatus(text);
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::CheckServerSaveStatus(IDispatch* item,
                                                                                  const CProperties& properties,
                                                                                  int& status, bool& timesChanged)
{
    status = 0;
    timesChanged = false;
    const std::string text = properties.GetServerSavedStatus();
    if (text.empty())
        return !properties.IsSMSReminderOn();
    if (text[0] != 'A')
        return false;
    std::vector<std::string> parts;
    SplitString(text, "~", parts);
    if (parts.size() < 2)
        return false;
    status = static_cast<int>(std::strtol(parts[1].c_str(), nullptr, 10));
    if (parts.size() >= 4)
    {
        COleDateTime storedStart;
        COleDateTime storedEnd;
        if (!storedStart.ParseDateTime(parts[2], kStatusDateFlags, LANG_USER_DEFAULT) ||
            !storedEnd.ParseDateTime(parts[3], kStatusDateFlags, LANG_USER_DEFAULT))
            return false;
        timesChanged =
            !SameTime(storedStart, GetItemTime(item, L"Start")) || !SameTime(storedEnd, GetItemTime(item, L"End"));
    }
    if (status != 1 || timesChanged)
        return false;
    // Whatever the status says, a reminder still to go out is held only by
    // the job the item names; one lying in Deleted Items is not to go out.
    return !MissesItsJob(item, properties) ||
           (m_pServices && GetDeletedItemsState(m_pServices->Callback_ItemExtender_GetOutlookApplication(), item) == 2);
}

int COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::GetDeletedItemsState(IDispatch* application,
                                                                                IDispatch* item)
{
    const IDispatchPtr parent = Dispatch::GetPtr(item, L"Parent");
    if (!parent)
        return 0;
    return IsDeletedItems(application, parent) ? 2 : 1;
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnItemChange(IDispatchPtr item)
{
    if (!IsAppointment(item) || !m_pServices ||
        GetDeletedItemsState(m_pServices->Callback_ItemExtender_GetOutlookApplication(), item) != 1)
        return;
    const CValueScope<std::string> unattended(m_UnattendedEvent, kClassName + "::OnItemChange");
    CProperties properties;
    LoadStoredProperties(item, m_PropertyPrefix, properties);
    if (HoldsAnotherItemsJob(item, properties))
        return;
    int status = 0;
    bool timesChanged = false;
    // Only a change of Start or End made elsewhere needs the gateway, or an
    // item whose last save succeeded but that names no job (a copy freed of
    // its original's): it gets its own.
    if (CheckServerSaveStatus(item, properties, status, timesChanged) ||
        (!timesChanged && !(status == 1 && MissesItsJob(item, properties))))
        return;
    if (m_LoopBreaker.IsSuspectedLoop(EntryIdOf(item)))
        throw CGeneralException(kClassName + "::OnItemChange - Breaking out of suspected infinite loop", E_FAIL);
    bool cancel = false;
    // An item deleted, or an add-in disconnected, inside a box of this save
    // is not this save's to store.
    if (SaveSMSReminder(item, properties, false, false, cancel, false, ReadItemState(item)) == WriteOutcome::Abandoned)
        return;
    // Saving raises this event again, inside the Save or after it; the
    // breaker measures from the save, not from before the boxes the user
    // answered on the way.
    m_LoopBreaker.SetLastTickToNow();
    {
        const CValueScope<IDispatch*> saving(m_pSavingUnattended, item);
        Dispatch::Call(item, L"Save");
    }
    m_LoopBreaker.SetLastTickToNow();
}

HRESULT COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnMAPIFolderBeforeItemMove(IDispatchPtr item,
                                                                                           IDispatchPtr moveTo,
                                                                                           VARIANT_BOOL* cancel)
{
    if (cancel)
        *cancel = VARIANT_FALSE;
    if (!IsAppointment(item) || !m_pServices)
        return S_OK;
    const CValueScope<std::string> attended(m_UnattendedEvent, "");
    const IDispatchPtr application = m_pServices->Callback_ItemExtender_GetOutlookApplication();
    CProperties properties;
    LoadStoredProperties(item, m_PropertyPrefix, properties);
    if (HoldsAnotherItemsJob(item, properties))
        return S_OK;

    bool cancelMove = false;
    if (!moveTo || IsDeletedItems(application, moveTo))
        SaveSMSReminder(item, properties, false, true, cancelMove, true, ReadItemState(item));
    else
    {
        if (IsDeletedItems(application, Dispatch::GetPtr(item, L"Parent")))
        {
            if (SaveSMSReminder(item, properties, false, true, cancelMove, false, ReadItemState(item)) !=
                WriteOutcome::Abandoned)
                Dispatch::Call(item, L"Save");
        }
        // Outlook adds the moved item to the folder (with a new EntryID in an
        // Exchange mailbox) before it deletes this one: the item added there
        // with this job is the moved one, not a copy.
        const std::string jobId = properties.GetSMSGatewaySubmissionId();
        if (!cancelMove && !jobId.empty())
            m_MovingJobs[jobId] = EntryIdOf(moveTo);
    }
    if (cancelMove && cancel)
        *cancel = VARIANT_TRUE;
    return S_OK;
}

// A new appointment gets its EntryID when Outlook saves it, after the Write
// that made its job, and a copy arrives naming its original's job: ItemAdd,
// before the user can act on either, records the item as the job's owner or
// frees the copy of the job. An item open in an inspector is not written
// behind the inspector's back, and one whose job no other item of the
// watched calendars names while its owner is not known to be gone is left
// as it is, for its next save or change to ask again. What it cannot
// record goes to the event log, never to a box. An item that then names no
// job while its reminder is due (a copy just freed, one brought back out of
// Deleted Items after its job was cancelled) gets its own as a change made
// in the calendar does, with that change's boxes: the copy is the user's.
void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnItemAdd(IDispatchPtr item)
{
    const std::string function = kClassName + "::OnItemAdd";
    try
    {
        if (!IsAppointment(item) || !m_pServices || IsOccurrenceOrException(item))
            return;
        const IDispatchPtr application = m_pServices->Callback_ItemExtender_GetOutlookApplication();
        if (GetDeletedItemsState(application, item) != 1)
            return;
        CProperties stored;
        LoadStoredProperties(item, m_PropertyPrefix, stored);
        const std::string jobId = stored.GetSMSGatewaySubmissionId();
        const std::wstring entryId = EntryIdOf(item);
        if (entryId.empty() || IsOpenInInspector(entryId))
            return;
        if (!jobId.empty())
        {
            CProperties properties(stored);
            switch (JobOfArrivingItem(application, item, stored))
            {
            case Arrival::Holder:
                if (stored.GetSMSGatewaySubmissionOwner() == WideToAnsi(entryId))
                    return;
                KeepJob(item, properties, jobId);
                break;
            case Arrival::Copy:
                KeepJob(item, properties, "");
                break;
            case Arrival::Undecided:
                return;
            }
            WriteAndSave(item, stored, properties);
            if (!properties.GetSMSGatewaySubmissionId().empty())
                return;
        }
        OnItemChange(item);
    }
    catch (...)
    {
        ReportCurrentException(function);
    }
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Arrival
COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::JobOfArrivingItem(IDispatch* application, IDispatch* item,
                                                                         const CProperties& properties)
{
    const std::string jobId = properties.GetSMSGatewaySubmissionId();
    const auto moving = m_MovingJobs.find(jobId);
    const IDispatchPtr parent = Dispatch::GetPtr(item, L"Parent");
    if (moving != m_MovingJobs.end() && parent && moving->second == EntryIdOf(parent))
    {
        m_MovingJobs.erase(moving);
        return Arrival::Holder;
    }
    const std::string owner = properties.GetSMSGatewaySubmissionOwner();
    if (!owner.empty() && owner == WideToAnsi(EntryIdOf(item)))
        return Arrival::Holder;
    // The organizer's job, which the organizer's own item holds.
    if (IsReceivedMeeting(item))
        return Arrival::Undecided;
    if (AnotherItemNamesJob(application, item, jobId))
        return Arrival::Copy;
    // An owner still there outside the watched calendars may be a copy's
    // original in another store, or this item itself moved in from there,
    // which Outlook deletes only after this event; one that cannot be
    // looked up says nothing.
    return LookUpOwner(application, owner) == JobOwner::Gone ? Arrival::Holder : Arrival::Undecided;
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::IsOpenInInspector(const std::wstring& entryId) const
{
    return std::any_of(m_InspectorContexts.begin(), m_InspectorContexts.end(),
                       [&entryId](const std::unique_ptr<CInspectorContext>& context) {
                           const IDispatchPtr open =
                               context->m_pItemEventHandler ? context->m_pItemEventHandler->GetItem() : IDispatchPtr();
                           return open && EntryIdOf(open) == entryId;
                       });
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OfferGatewayUpdateOnOpen(IDispatch* item,
                                                                                     CInspectorContext& context)
{
    // An occurrence's times are not its series' job's; a received meeting's
    // job is its organizer's.
    if (HoldsAnotherItemsJob(item, context.m_SavedProperties))
        return;
    int status = 0;
    bool timesChanged = false;
    if (CheckServerSaveStatus(item, context.m_SavedProperties, status, timesChanged))
        return;
    // The update starts from the item as it was before the offer's box.
    const CItemState found = ReadItemState(item);
    const Opening opening =
        ShowBox(kNotUpToDateText, MB_OKCANCEL).Is(IDOK) ? UpdateOnOpening(item, context, found) : Opening::Failed;
    // An inspector closed while a box was up offers no save any more, and
    // a save of an item that could not store the update would make a job
    // that nothing could name.
    if (opening == Opening::Failed && context.IsOpen())
        MarkItemChanged(item, "OnNewInspector - CheckServerSaveStatus reported server not upto date");
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Opening
COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::UpdateOnOpening(IDispatch* item, CInspectorContext& context,
                                                                        const CItemState& found)
{
    const CProperties before(context.m_SavedProperties);
    bool cancel = false;
    // The user's answer stands after the inspector closed under the offer:
    // the context, held by the opening, still has the edits to save.
    const WriteOutcome outcome = SaveEditedProperties(item, cancel, found, &context);
    if (outcome == WriteOutcome::Abandoned)
        return Opening::Abandoned;
    // An update that failed may yet have left the item naming another job,
    // one that may send: it is stored as well.
    if (outcome != WriteOutcome::Saved &&
        context.m_EditedProperties.GetSMSGatewaySubmissionId() == before.GetSMSGatewaySubmissionId())
        return Opening::Failed;
    if (!StoreAcceptedUpdate(item, context, before, found.m_Disconnections))
        return Opening::RolledBack;
    return outcome == WriteOutcome::Saved ? Opening::Stored : Opening::Failed;
}

// The user, who changed nothing, may close the item without saving it: the
// store would go on naming the job the update replaced, and the next
// opening would make another. So the update, or the job a failed one may
// have made, is saved at once. When Outlook refuses the save or the
// properties (a calendar the user may only read), the job just made would
// be named by nothing: it is cancelled again.
bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::StoreAcceptedUpdate(IDispatch* item,
                                                                                CInspectorContext& context,
                                                                                const CProperties& before,
                                                                                unsigned disconnections)
{
    CProperties made(context.m_EditedProperties);
    const std::string jobId = made.GetSMSGatewaySubmissionId();
    try
    {
        // Refused properties have been reported by the save of the reminder.
        CProperties written;
        LoadStoredProperties(item, m_PropertyPrefix, written);
        if (written.GetSMSGatewaySubmissionId() == jobId)
        {
            const CValueScope<bool> storing(context.m_bStoringUpdate, true);
            Dispatch::Call(item, L"Save");
            made.CopyTo(context.m_SavedProperties);
            return true;
        }
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox(kClassName + "::OnNewInspector(Saving the update)");
    }
    if (!jobId.empty() && jobId != before.GetSMSGatewaySubmissionId() &&
        !CancelUnstoredJob(item, jobId, disconnections))
        ShowBox(kDeleteFailedText, MB_OK);
    try
    {
        bool ignored = false;
        COutlookAddin_UserPropertiesPersistance::PersistNameVariantCollectionToUserProperties(
            before, Dispatch::GetPtr(item, L"UserProperties"), ignored);
    }
    catch (...)
    {
        ReportCurrentException(kClassName + "::OnNewInspector(putting the item back)");
    }
    before.CopyTo(context.m_SavedProperties);
    before.CopyTo(context.m_EditedProperties);
    return false;
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::CancelUnstoredJob(IDispatch* item,
                                                                              const std::string& jobId,
                                                                              unsigned disconnections)
{
    // Another item of the watched calendars that names the job keeps it.
    if (disconnections == m_Disconnections && m_pServices &&
        AnotherItemNamesJob(m_pServices->Callback_ItemExtender_GetOutlookApplication(), item, jobId))
        return true;
    return StopJob(jobId, disconnections);
}
