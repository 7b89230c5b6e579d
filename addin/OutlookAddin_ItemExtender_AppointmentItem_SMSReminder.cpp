// The SMS reminder's appointment tab: its document, its callbacks and the
// inspector contexts behind them.
#include "addin/OutlookAddin_ItemExtender_AppointmentItem_SMSReminder.h"

#include "addin/Addin.h"
#include "addin/DateTimeRelativeScheduledEvent.h"
#include "addin/OutlookBoxOwner.h"
#include "addin/OutlookVersionCapabilites.h"
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "contacts/MicrosoftOutlookObjectModelUtils.h"
#include "core/ErrorReports.h"
#include "core/Exceptions.h"
#include "core/StringTagReplacementEngine.h"
#include "core/StringUtils.h"
#include "platform/Dispatch.h"
#include "platform/OfficeIds.h"
#include "ui/SMSMessagePreviewDlg.h"
#include "ui/SMSTemplatesEditorDlg.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace
{
using CProperties = COutlookAddin_ItemExtender_AppointmentItem_SMSReminder_Properties;

const std::string kClassName = "COutlookAddin_ItemExtender_AppointmentItem_SMSReminder";
const char kAllMeetingAttendees[] = "<All Meeting Attendees>";
const char kManageTemplatesId[] = "I_ManageTemplates";
const long olInteger = 20;

// Controls that are not properties.
const wchar_t kTabId[] = L"ZentavoSMSReminders";
const char kRecipientCount[] = "RecipientCount";
const char kScheduleFeedback[] = "Schedule_SendFeedback";
const char kSelectRecipients[] = "SelectRecipients";
const char kRemoveAllRecipients[] = "RemoveAllRecipients";
const char kViewMessagePreview[] = "ViewMessagePreview";

const char kMyMobileLeftOut[] = "Your mobile number is not set\n\nThe SMS Reminder will not be sent to your mobile";

std::string ControlId(const IDispatchPtr& control)
{
    if (!control)
        _com_issue_error(E_POINTER);
    return NarrowString(Dispatch::GetText(control, L"Id"));
}

void SetOut(BSTR* out, const std::wstring& text)
{
    if (!out)
        _com_issue_error(E_POINTER);
    ::SysFreeString(*out);
    *out = ::SysAllocString(text.c_str());
}

void SetOut(BSTR* out, const std::string& text)
{
    SetOut(out, AnsiToWide(text));
}

IDispatchPtr ItemOf(const COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::CInspectorContext& context)
{
    return context.m_pItemEventHandler ? context.m_pItemEventHandler->GetItem() : IDispatchPtr();
}

// The context whose handler watches the object (by COM identity).
template <typename Contexts, typename Handler>
typename Contexts::value_type::element_type* FindContext(const Contexts& contexts, Handler handler, IDispatch* object)
{
    for (const auto& context : contexts)
        if ((context.get()->*handler) && (context.get()->*handler)->IsFor(object))
            return context.get();
    return nullptr;
}

struct ScheduleItem
{
    const wchar_t* id;
    const wchar_t* text;
};

const ScheduleItem kScheduleItems[] = {
    {L"rs_1daybefore", L"at 9:00am the day before"},
    {L"rs_2daysbefore", L"at 9:00am the 2 days before"},
    {L"rs_0mins", L"0 minutes before"},
    {L"rs_15mins", L"15 minutes before"},
    {L"rs_30mins", L"30 minutes before"},
    {L"rs_45mins", L"45 minutes before"},
    {L"rs_1hrs", L"1 hour before"},
    {L"rs_2hrs", L"2 hour before"},
    {L"rs_4hrs", L"4 hour before"},
    {L"rs_8hrs", L"8 hour before"},
    {L"rs_12hrs", L"12 hour before"},
    {L"rs_1days", L"1 day before"},
    {L"rs_2days", L"2 days before"},
    {L"rs_3days", L"3 days before"},
    {L"rs_1weeks", L"1 week before"},
};

const wchar_t kListCallbacks[] = L" getItemCount=\"Ribbon_GetItemCount\" getItemLabel=\"Ribbon_GetItemLabel\""
                                 L" getItemID=\"Ribbon_GetItemID\"";
const wchar_t kComboCallbacks[] = L" onChange=\"Ribbon_OnChange\" getText=\"Ribbon_GetText\"";

std::wstring AppointmentDocument(const wchar_t* tabLabel)
{
    std::wstring xml = L"<customUI xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\" "
                       L"onLoad=\"AppointmentItem_RibbonLoaded\">"
                       L"<ribbon><tabs>";
    xml += std::wstring(L"<tab id=\"") + kTabId + L"\" label=\"" + tabLabel + L"\" getVisible=\"Ribbon_GetVisible\">";
    xml += L"<group id=\"ReminderRecipients\" label=\"Reminder Recipients\">"
           L"<checkBox id=\"ZentavoOLSMSAddinSMSReminderRecipientsIncludeMyMobile\" getLabel=\"Ribbon_GetLabel\""
           L" onAction=\"Ribbon_CheckBoxOnAction\" getPressed=\"Ribbon_GetPressed\"/>"
           L"<comboBox id=\"ZentavoOLSMSAddinSMSReminderRecipientsTo\" label=\"SMS Recipients:\""
           L" sizeString=\"447710123456,447710123456,447710123456,447710123456\" imageMso=\"OmsSend\"";
    xml += std::wstring(kComboCallbacks) + kListCallbacks + L"/>";
    xml += L"<box id=\"recipientBox\" boxStyle=\"horizontal\">"
           L"<button id=\"SelectRecipients\" label=\"Select Recipients\" imageMso=\"DistributionListAddNewMember\""
           L" onAction=\"Ribbon_ButtonOnAction\"/>"
           L"<button id=\"RemoveAllRecipients\" label=\"Remove All Recipients\""
           L" imageMso=\"DistributionListRemoveMember\" onAction=\"Ribbon_ButtonOnAction\"/>"
           L"<labelControl id=\"RecipientCount\" getLabel=\"Ribbon_GetLabel\"/>"
           L"</box></group>";
    xml += L"<group id=\"ReminderSchedule\" label=\"Reminder Schedule\">"
           L"<comboBox id=\"ZentavoOLSMSAddinSMSReminderSchedule\" label=\"Send Reminder\" imageMso=\"ReminderSound\""
           L" showLabel=\"true\" sizeString=\"at 9:00am the 2 days before=====\"";
    xml += std::wstring(kComboCallbacks) + L">";
    for (const ScheduleItem& item : kScheduleItems)
        xml += std::wstring(L"<item id=\"") + item.id + L"\" label=\"" + item.text + L"\"/>";
    xml += L"</comboBox>"
           L"<labelControl id=\"Schedule_SendFeedback\" getLabel=\"Ribbon_GetLabel\"/>"
           L"</group>";
    xml += L"<group id=\"ReminderFormat\" label=\"Reminder Format\">"
           L"<dropDown id=\"ZentavoOLSMSAddinSMSReminderFormatMessageTemplate\" label=\"Message Template\""
           L" showLabel=\"true\" sizeString=\"Use Default Template======\" onAction=\"Ribbon_DropDownOnAction\""
           L" getSelectedItemID=\"Ribbon_GetText\"";
    xml += std::wstring(kListCallbacks) + L"/>";
    xml += L"<comboBox id=\"ZentavoOLSMSAddinSMSReminderFormatMessageFrom\" label=\"SMS Sender's Id\""
           L" showLabel=\"true\" sizeString=\"WWWWWWWWWWWWWW\"";
    xml += std::wstring(kComboCallbacks) + kListCallbacks + L"/>";
    xml += L"<button id=\"ViewMessagePreview\" label=\"View Message Preview\" imageMso=\"ViewVisualBasicCode\""
           L" onAction=\"Ribbon_ButtonOnAction\"/>"
           L"</group></tab></tabs></ribbon></customUI>";
    return xml;
}

// Sender combo entries: index 0 is the replyable id, then the user's list.
bool SenderAt(long index, std::string& id, std::string& label)
{
    if (index == 0)
    {
        id = "oa_replyable";
        label = CProperties::kUseReplyableId;
        return true;
    }
    const std::vector<std::string>& senders = Preferences().GetSelectableSendersIdList();
    if (index < 0 || static_cast<size_t>(index) > senders.size())
        return false;
    id = std::to_string(index);
    label = senders[index - 1];
    return true;
}
} // namespace

COleDateTime COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::GetItemTime(IDispatch* item, const wchar_t* name)
{
    const _variant_t value = Dispatch::Get(item, name);
    _variant_t date;
    date.ChangeType(VT_DATE, &value);
    return COleDateTime(V_DATE(&date));
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::CInspectorContext::~CInspectorContext()
{
    Close();
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::CInspectorContext::Close()
{
    if (m_pItemEventHandler && m_pItemEventHandler->IsAdvised())
        m_pItemEventHandler->Unadvise();
    if (m_pInspectorEventHandler && m_pInspectorEventHandler->IsAdvised())
        m_pInspectorEventHandler->Unadvise();
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::CInspectorContext::IsOpen() const
{
    return m_pInspectorEventHandler && m_pInspectorEventHandler->IsAdvised();
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::CInspectorContext::IsInUse() const
{
    return m_Holds > 0 || (m_pItemEventHandler && m_pItemEventHandler->IsInUse()) ||
           (m_pInspectorEventHandler && m_pInspectorEventHandler->IsInUse());
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::CloseInspectorContexts()
{
    ++m_Disconnections;
    for (std::unique_ptr<CInspectorContext>& context : m_InspectorContexts)
    {
        context->Close();
        m_ClosedContexts.push_back(std::move(context));
    }
    m_InspectorContexts.clear();
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::COutlookAddin_ItemExtender_AppointmentItem_SMSReminder()
{
    CSMSTemplate builtIn;
    builtIn.SetId("DefaultTemplate");
    builtIn.Name = "Default Template";
    builtIn.Text = "Appointment:\n[ApptSubject:40]\nStart: [ApptStartDateTime]\nLoc: [ApptLocation:40]\n\nNotes:\n[ApptBody]";
    builtIn.BuiltIn = true;
    m_BuiltInTemplates.push_back(builtIn);
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::~COutlookAddin_ItemExtender_AppointmentItem_SMSReminder() = default;

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::CInspectorContext*
COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::GetInspectorContextForAppointmentItem(IDispatch* item)
{
    return FindContext(m_InspectorContexts, &CInspectorContext::m_pItemEventHandler, item);
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::CInspectorContext*
COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::GetInspectorContextForInspector(IDispatch* inspector)
{
    return FindContext(m_InspectorContexts, &CInspectorContext::m_pInspectorEventHandler, inspector);
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::DefaultSMSReminderProperties(CProperties& properties)
{
    CConfigZentavoSMSOutlookAddin_UserPreferences& preferences = Preferences();
    const std::string schedule = preferences.GetDefaultAppointmentScheduleDescription();
    properties.SetSchedule(schedule.empty() ? "15 minutes before" : schedule);
    const std::string templateId = preferences.GetDefaultAppointmentTemplateId();
    properties.SetFormatMessageTemplate(templateId.empty() ? "S_DefaultTemplate" : templateId);
    properties.SetFormatMessageFrom(preferences.GetDefaultSendersIdUseReplyable() ? CProperties::kUseReplyableId
                                                                                : preferences.GetDefaultSendersId());
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnNewInspector(IDispatchPtr inspector)
{
    const std::string function = kClassName + "::OnNewInspector:";
    std::string step = function + "Entry";
    try
    {
        // Contexts closed from inside their own events go now, outside them.
        m_ClosedContexts.erase(std::remove_if(m_ClosedContexts.begin(), m_ClosedContexts.end(),
                                              [](const std::unique_ptr<CInspectorContext>& closed) {
                                                  return !closed->IsInUse();
                                              }),
                               m_ClosedContexts.end());
        step = function + "Getting CurrentItem";
        const IDispatchPtr currentItem = Dispatch::GetPtr(inspector, L"CurrentItem");
        step = function + "Getting spAppointmentItem";
        const IDispatchPtr appointment = AsAppointment(currentItem);
        if (!appointment)
            return;

        auto context = std::make_unique<CInspectorContext>();
        step = function + "pItemEventHandler->AttachTarget";
        context->m_pItemEventHandler = std::make_unique<COutlookAddin_ItemEventHandler>();
        context->m_pItemEventHandler->SetTarget(this);
        context->m_pItemEventHandler->SetOwner(m_pEventOwner);
        HRESULT hr = context->m_pItemEventHandler->Advise(appointment);
        if (FAILED(hr))
            CAddin::ThrowCOMErrorWithContext(hr, "pItemEventHandler->Advise ( dispItem )");
        step = function + "pInspectorEventHandler->AttachTarget";
        context->m_pInspectorEventHandler = std::make_unique<COutlookAddin_InspectorEventHandler>();
        context->m_pInspectorEventHandler->SetTarget(this);
        context->m_pInspectorEventHandler->SetOwner(m_pEventOwner);
        hr = context->m_pInspectorEventHandler->Advise(inspector);
        if (FAILED(hr))
            CAddin::ThrowCOMErrorWithContext(hr, "pInspectorEventHandler->Advise ( (IDispatch*)spInspector )");
        m_InspectorContexts.push_back(std::move(context));
        CInspectorContext& added = *m_InspectorContexts.back();
        const CInspectorContext::CHold hold(added);

        step = function + "SetupRecipientSelectionListItems";
        SetupRecipientSelectionListItems(appointment, added);
        step = function + "DefaultSMSReminderProperties";
        DefaultSMSReminderProperties(added.m_SavedProperties);
        step = function + "spAppointmentItem->UserProperties";
        const IDispatchPtr userProperties = Dispatch::GetPtr(appointment, L"UserProperties");
        step = function + "Calling LoadNameVariantCollectionFromUserProperties";
        added.m_SavedProperties.LoadFromUserProperties(userProperties, m_PropertyPrefix);
        step = function + "Setting EditedProperties";
        added.m_SavedProperties.CopyTo(added.m_EditedProperties);
        step = function + "Calling PersistNameVariantCollectionToUserProperties";
        bool insufficientPermission = false;
        COutlookAddin_UserPropertiesPersistance::PersistNameVariantCollectionToUserProperties(
            added.m_SavedProperties, userProperties, insufficientPermission);
        OfferGatewayUpdateOnOpen(appointment, added);
    }
    catch (...)
    {
        RethrowCurrentExceptionWithContext(step);
    }
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::SetupRecipientSelectionListItems(IDispatch* item,
                                                                                             CInspectorContext& context)
{
    context.m_RecipientListItems.clear();
    if (static_cast<long>(Dispatch::Get(item, L"MeetingStatus")) != 0)
        context.m_RecipientListItems.push_back(kAllMeetingAttendees);
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnInspectorClose(IDispatch* inspector)
{
    for (auto it = m_InspectorContexts.begin(); it != m_InspectorContexts.end(); ++it)
    {
        if (!(*it)->m_pInspectorEventHandler || !(*it)->m_pInspectorEventHandler->IsFor(inspector))
            continue;
        (*it)->Close();
        // The handler that called us is still on the stack: it is freed
        // later, outside its own event.
        m_ClosedContexts.push_back(std::move(*it));
        m_InspectorContexts.erase(it);
        return;
    }
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnInspectorClose(COutlookAddin_InspectorEventHandler* handler)
{
    OnInspectorClose(handler->GetInspector());
}

// The save's boxes belong to the item's inspector.
void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnItemEventWrite(COutlookAddin_ItemEventHandler* handler,
                                                                            VARIANT_BOOL* cancel)
{
    const IDispatchPtr item = handler->GetItem();
    const CInspectorContext* context = GetInspectorContextForAppointmentItem(item);
    const COutlookBoxOwner::CScope scope(context && context->m_pInspectorEventHandler
                                             ? context->m_pInspectorEventHandler->GetInspector()
                                             : IDispatchPtr());
    OnItemWriteEvent(item, cancel);
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnItemEventClose(COutlookAddin_ItemEventHandler*)
{
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnItemEventUnload(COutlookAddin_ItemEventHandler*)
{
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnItemEventPropertyChange(
    COutlookAddin_ItemEventHandler* handler, const std::wstring& name)
{
    OnItemPropertyChange(handler->GetItem(), name);
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnItemPropertyChange(IDispatch* item,
                                                                                const std::wstring& name)
{
    if (!m_bEnabled || (name != L"Start" && name != L"MeetingStatus"))
        return;
    const std::string function = kClassName + "::OnItemPropertyChange";
    try
    {
        try
        {
            if (!m_spRibbonUI)
                throw CGeneralException(function + " - m_spRibbonUI was null, switch to Outlook devloper mode and see if "
                                                   "OutlookExplorer_RibbonLoaded call has failed",
                                        E_FAIL);
            if (name == L"Start")
            {
                InvalidateControl(AnsiToWide(kScheduleFeedback).c_str());
                return;
            }
            CInspectorContext* context = GetInspectorContextForAppointmentItem(item);
            if (!context)
                throw CGeneralException(function + " - Could not get InspectorContext", E_FAIL);
            SetupRecipientSelectionListItems(item, *context);
            InvalidateControl(AnsiToWide(CProperties::kRecipientsTo).c_str());
        }
        catch (...)
        {
            RethrowCurrentExceptionWithContext(function);
        }
    }
    catch (...)
    {
        ReportCurrentException(function);
    }
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnRibbonLoaded(IDispatchPtr ribbon)
{
    m_spRibbonUI = ribbon;
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::InvalidateControl(const wchar_t* controlId)
{
    if (m_spRibbonUI)
        Dispatch::Call(m_spRibbonUI, L"InvalidateControl", controlId);
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::GetCustomUI(const std::wstring&, BSTR* xml)
{
    if (!xml)
        _com_issue_error(E_POINTER);
    const bool version15 = m_pServices && m_pServices->Callback_ItemExtender_GetOutlookVersionCapabilites().m_nMajorVersion == 15;
    *xml = ::SysAllocString(AppointmentDocument(version15 ? L"SMS REMINDERS" : L"SMS Reminders").c_str());
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::MarkItemChanged(IDispatch* item, const std::string& context)
{
    try
    {
        const IDispatchPtr userProperties = Dispatch::GetPtr(item, L"UserProperties");
        const IDispatchPtr counter = Dispatch::CallPtr(userProperties, L"Item", CProperties::kItemUpdateCount);
        if (counter)
        {
            const long count = static_cast<long>(Dispatch::Get(counter, L"Value"));
            Dispatch::Put(counter, L"Value", count + 1);
            return;
        }
        const IDispatchPtr added = Dispatch::CallPtr(userProperties, L"Add", CProperties::kItemUpdateCount, olInteger);
        Dispatch::Put(added, L"Value", 1L);
    }
    catch (...)
    {
        RethrowCurrentExceptionWithContext(kClassName + "::MarkItemChanged - " + context);
    }
}

COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::CInspectorContext&
COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::ContextOfControl(const IDispatchPtr& control,
                                                                         const char* callback)
{
    if (!control)
        _com_issue_error(E_POINTER);
    const IDispatchPtr inspector = Dispatch::GetPtr(control, L"Context");
    CInspectorContext* context = GetInspectorContextForInspector(inspector);
    if (!context)
        throw CGeneralException(kClassName + "::" + callback + " - Could not get InspectorContext", E_FAIL);
    return *context;
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Ribbon_GetVisible(IDispatchPtr control, long* visible)
{
    *visible = ControlId(control) == NarrowString(kTabId) && m_bEnabled ? 1 : 0;
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Ribbon_GetText(IDispatchPtr control, BSTR* text)
{
    CInspectorContext& context = ContextOfControl(control, "Ribbon_GetText");
    const std::string id = ControlId(control);
    if (id.compare(0, m_PropertyPrefix.size(), m_PropertyPrefix) != 0)
        return;
    SetOut(text, context.m_EditedProperties.GetText(id));
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Ribbon_GetPressed(IDispatchPtr control, long* pressed)
{
    CInspectorContext& context = ContextOfControl(control, "Ribbon_GetPressed");
    const std::string id = ControlId(control);
    if (id.compare(0, m_PropertyPrefix.size(), m_PropertyPrefix) == 0)
        *pressed = context.m_EditedProperties.GetBool(id, false) ? 1 : 0;
}

// The phones the job would hold.
long COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::RecipientCount(const CInspectorContext& context)
{
    CSMSContactVector contacts;
    GetReminderRecipients(ItemOf(context), context.m_EditedProperties, contacts);
    return static_cast<long>(contacts.size());
}

std::wstring COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::ScheduleFeedback(IDispatch* item,
                                                                                    const CInspectorContext& context)
{
    const std::string schedule = context.m_EditedProperties.GetSchedule();
    if (schedule.empty())
        return std::wstring();
    const std::unique_ptr<CDateTimeRelativeScheduledEvent> event = CDateTimeRelativeScheduledEvent::Parse(schedule);
    if (!event)
        return L"Invalid reminder schedule";
    // An occurrence's reminder is its series' one.
    const COleDateTime sendTime = event->GetEventTime(GetItemTime(JobHolderOf(item), L"Start"));
    return AnsiToWide(sendTime.Format("Reminder will be sent at %d/%m/%Y %H:%M"));
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Ribbon_GetLabel(IDispatchPtr control, BSTR* label)
{
    CInspectorContext& context = ContextOfControl(control, "Ribbon_GetLabel");
    const std::string id = ControlId(control);
    if (id == CProperties::kRecipientsIncludeMyMobile)
    {
        std::string text = "Send SMS Reminder to My Mobile";
        std::string number;
        if (m_pServices)
            m_pServices->Callback_ItemExtender_GetUsersMobileNumber(number, false);
        if (!number.empty())
            text += " (" + number + ")";
        SetOut(label, text);
    }
    else if (id == kRecipientCount)
        SetOut(label, std::string(20, ' ') + std::to_string(RecipientCount(context)) + " recipients");
    else if (id == kScheduleFeedback)
        SetOut(label, WideToAnsi(ScheduleFeedback(ItemOf(context), context)));
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Ribbon_GetItemCount(IDispatchPtr control, long* count)
{
    CInspectorContext& context = ContextOfControl(control, "Ribbon_GetItemCount");
    const std::string id = ControlId(control);
    if (id == CProperties::kRecipientsTo)
        *count = static_cast<long>(context.m_RecipientListItems.size());
    else if (id == CProperties::kFormatMessageFrom)
        *count = static_cast<long>(Preferences().GetSelectableSendersIdList().size()) + 1;
    else if (id == CProperties::kFormatMessageTemplate)
        *count = static_cast<long>(m_BuiltInTemplates.size() + Preferences().GetAppointmentTemplates().size()) + 1;
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::ListEntryAt(const std::string& controlId, long index,
                                                                         const CInspectorContext& context,
                                                                         std::string& id, std::string& label) const
{
    if (index < 0)
        return false;
    const size_t at = static_cast<size_t>(index);
    if (controlId == CProperties::kRecipientsTo)
    {
        if (at >= context.m_RecipientListItems.size())
            return false;
        id = std::to_string(index);
        label = context.m_RecipientListItems[at];
        return true;
    }
    if (controlId == CProperties::kFormatMessageFrom)
        return SenderAt(index, id, label);
    if (controlId != CProperties::kFormatMessageTemplate)
        return false;
    const CSMSTemplateVector& userTemplates = Preferences().GetAppointmentTemplates();
    const size_t builtIns = m_BuiltInTemplates.size();
    if (at < builtIns)
    {
        id = "S_" + m_BuiltInTemplates[at].GetId();
        label = m_BuiltInTemplates[at].Name;
    }
    else if (at < builtIns + userTemplates.size())
    {
        id = "U_" + userTemplates[at - builtIns].GetId();
        label = userTemplates[at - builtIns].Name;
    }
    else if (at == builtIns + userTemplates.size())
    {
        id = kManageTemplatesId;
        label = "Manage Templates...";
    }
    else
        return false;
    return true;
}

// The item id and item label callbacks share the item count's text.
void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Ribbon_GetItemId(IDispatchPtr control, long index, BSTR* id)
{
    const CInspectorContext& context = ContextOfControl(control, "Ribbon_GetItemCount");
    std::string itemId;
    std::string label;
    if (ListEntryAt(ControlId(control), index, context, itemId, label))
        SetOut(id, itemId);
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Ribbon_GetItemLabel(IDispatchPtr control, long index,
                                                                               BSTR* label)
{
    const CInspectorContext& context = ContextOfControl(control, "Ribbon_GetItemCount");
    std::string itemId;
    std::string text;
    if (ListEntryAt(ControlId(control), index, context, itemId, text))
        SetOut(label, text);
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Ribbon_OnChange(IDispatchPtr control, BSTR text)
{
    CInspectorContext& context = ContextOfControl(control, "Ribbon_OnChange");
    const std::string id = ControlId(control);
    if (id.compare(0, m_PropertyPrefix.size(), m_PropertyPrefix) != 0)
        return;
    // Kept as typed: the save names what the ANSI code page cannot carry.
    context.m_EditedProperties.Set(id, _variant_t(text ? text : L""));
    MarkItemChanged(ItemOf(context), "Ribbon_OnChange");
    if (id == CProperties::kSchedule)
        InvalidateControl(AnsiToWide(kScheduleFeedback).c_str());
    else if (id == CProperties::kRecipientsTo)
        InvalidateControl(AnsiToWide(kRecipientCount).c_str());
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Ribbon_CheckBoxOnAction(IDispatchPtr control, long pressed)
{
    CInspectorContext& context = ContextOfControl(control, "Ribbon_CheckBoxOnAction");
    const CInspectorContext::CHold hold(context);
    const std::string id = ControlId(control);
    if (id.compare(0, m_PropertyPrefix.size(), m_PropertyPrefix) != 0)
        return;
    context.m_EditedProperties.Set(id, _variant_t(pressed != 0));
    MarkItemChanged(ItemOf(context), "Ribbon_CheckBoxOnAction");
    if (id != CProperties::kRecipientsIncludeMyMobile)
        return;
    std::string number;
    if (m_pServices)
        m_pServices->Callback_ItemExtender_GetUsersMobileNumber(number, true);
    // The inspector closed while the prompt was up: there is no tab to update.
    if (!context.IsOpen())
        return;
    if (number.empty())
        context.m_EditedProperties.SetRecipientsIncludeMyMobile(false);
    InvalidateControl(AnsiToWide(id).c_str());
    InvalidateControl(AnsiToWide(kRecipientCount).c_str());
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::IsMyMobileMissing(const CProperties& properties)
{
    std::string number;
    return properties.GetRecipientsIncludeMyMobile() && m_pServices &&
           m_pServices->Callback_ItemExtender_GetUsersMobileNumber(number, false).empty();
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::AskForMyMobileOnSave(IDispatch* item,
                                                                                 CInspectorContext& context)
{
    CProperties& edited = context.m_EditedProperties;
    if (!IsMyMobileMissing(edited))
        return;
    std::string number;
    if (!m_pServices->Callback_ItemExtender_GetUsersMobileNumber(number, true).empty())
        return;
    edited.SetRecipientsIncludeMyMobile(false);
    Tell(item, kMyMobileLeftOut);
    InvalidateControl(AnsiToWide(CProperties::kRecipientsIncludeMyMobile).c_str());
    InvalidateControl(AnsiToWide(kRecipientCount).c_str());
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Ribbon_DropDownOnAction(IDispatchPtr control,
                                                                                   BSTR selectedId, long)
{
    CInspectorContext& context = ContextOfControl(control, "Ribbon_DropDownOnAction");
    const std::string id = ControlId(control);
    if (id.compare(0, m_PropertyPrefix.size(), m_PropertyPrefix) != 0)
        return;
    const std::string selected = WideToAnsi(selectedId ? selectedId : L"");
    if (selected == kManageTemplatesId)
    {
        ManageTemplates();
        // Office has moved the selection to the entry; asking again puts
        // the stored template back.
        InvalidateControl(AnsiToWide(id).c_str());
        return;
    }
    context.m_EditedProperties.SetString(id, selected);
    MarkItemChanged(ItemOf(context), "Ribbon_DropDownOnAction");
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Ribbon_ButtonOnAction(IDispatchPtr control)
{
    const std::string function = kClassName + "::Ribbon_ButtonOnAction:";
    std::string step = function + "Entry";
    try
    {
        CInspectorContext& context = ContextOfControl(control, "Ribbon_ButtonOnAction");
        const CInspectorContext::CHold hold(context);
        CProperties& edited = context.m_EditedProperties;
        const std::string id = ControlId(control);
        step = function + id;
        if (id == kSelectRecipients)
        {
            std::string recipients = edited.GetRecipientsTo();
            // The inspector may close while the selector is up: its choice
            // then has nowhere to go.
            if (!m_pServices || !m_pServices->Callback_ItemExtender_ShowRecipientSelector(recipients) ||
                !context.IsOpen())
                return;
            edited.SetRecipientsTo(recipients);
            MarkItemChanged(ItemOf(context), "Ribbon_ButtonOnAction");
            InvalidateControl(AnsiToWide(CProperties::kRecipientsTo).c_str());
            InvalidateControl(AnsiToWide(kRecipientCount).c_str());
        }
        else if (id == kRemoveAllRecipients)
        {
            edited.SetRecipientsIncludeMyMobile(false);
            edited.SetRecipientsTo("");
            MarkItemChanged(ItemOf(context), "Ribbon_ButtonOnAction");
            InvalidateControl(AnsiToWide(CProperties::kRecipientsIncludeMyMobile).c_str());
            InvalidateControl(AnsiToWide(CProperties::kRecipientsTo).c_str());
            InvalidateControl(AnsiToWide(kRecipientCount).c_str());
        }
        else if (id == kViewMessagePreview)
            ShowMessagePreview(ItemOf(context), context);
    }
    catch (...)
    {
        RethrowCurrentExceptionWithContext(step);
    }
}

const CSMSTemplate* COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::FindTemplate(
    const std::string& templateId) const
{
    if (templateId.compare(0, 2, "S_") == 0)
        return m_BuiltInTemplates.FindById(templateId.substr(2));
    if (templateId.compare(0, 2, "U_") == 0)
        return Preferences().GetAppointmentTemplates().FindById(templateId.substr(2));
    return nullptr;
}

std::wstring& COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::FormatReminderMessage(
    std::wstring& message, IDispatch* item, const std::string& templateId)
{
    const CSMSTemplate* found = FindTemplate(templateId);
    const std::wstring text = found ? AnsiToWide(found->Text) : std::wstring();

    std::map<std::wstring, std::wstring> values;
    values[L"ApptBody"] = Dispatch::GetText(item, L"Body");
    values[L"ApptSubject"] = Dispatch::GetText(item, L"Subject");
    values[L"ApptLocation"] = Dispatch::GetText(item, L"Location");
    struct DateTag
    {
        const wchar_t* suffix;
        const char* format;
    };
    static const DateTag kDateTags[] = {
        {L"DateTime", "%d/%m %H:%M"}, {L"TimeHHMM", "%H:%M"},       {L"TimeHHMMSS", "%H:%M:%S"},
        {L"DateDDMMYY", "%d/%m/%Y"},  {L"DateMMDDYY", "%m/%d/%Y"}, {L"DateDDMM", "%d/%m"},
    };
    const COleDateTime start = GetItemTime(item, L"Start");
    const COleDateTime end = GetItemTime(item, L"End");
    for (const DateTag& tag : kDateTags)
    {
        values[std::wstring(L"ApptStart") + tag.suffix] = AnsiToWide(start.Format(tag.format));
        values[std::wstring(L"ApptEnd") + tag.suffix] = AnsiToWide(end.Format(tag.format));
    }

    CStringTagReplacementEngine engine;
    engine.m_TagOpenChar = '[';
    engine.m_TagCloseChar = ']';
    message = engine.ReplaceTags(text, values);
    return message;
}

CSMSContactVector& COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::GetReminderRecipients(
    IDispatch* item, const CProperties& properties, CSMSContactVector& contacts)
{
    CSMSContactVector recipients;
    CSMSContactUtils::ParseContactCSVList(properties.GetRecipientsTo(), recipients);
    if (properties.GetRecipientsIncludeMyMobile() && m_pServices)
    {
        std::string number;
        m_pServices->Callback_ItemExtender_GetUsersMobileNumber(number, false);
        if (!number.empty())
            recipients.push_back(CSMSContact(number, number));
    }
    const auto attendees = std::find_if(recipients.begin(), recipients.end(),
                                        [](const CSMSContact& contact) { return contact.m_Name == kAllMeetingAttendees; });
    if (attendees != recipients.end())
    {
        recipients.erase(attendees);
        CMicrosoftOutlookObjectModelUtils::GetSMSContactsFromRecipients(Dispatch::GetPtr(item, L"Recipients"),
                                                                         recipients);
    }
    // Counted once on the tab, sent (and paid for) once: the user is among a
    // meeting's attendees as its organizer, a listed person may attend too.
    CSMSContactUtils::RemoveRepeatedPhones(recipients);
    contacts.insert(contacts.end(), recipients.begin(), recipients.end());
    return contacts;
}

// The user's templates and the built-in ones are edited together; the
// built-in ones are read-only there and are not stored.
void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::ManageTemplates()
{
    CConfigZentavoSMSOutlookAddin_UserPreferences& preferences = Preferences();
    CSMSTemplateVector working = preferences.GetAppointmentTemplates();
    working.insert(working.end(), m_BuiltInTemplates.begin(), m_BuiltInTemplates.end());
    if (!RunTemplatesEditor(working))
        return;
    CSMSTemplateVector& userTemplates = preferences.GetAppointmentTemplates();
    userTemplates.clear();
    std::copy_if(working.begin(), working.end(), std::back_inserter(userTemplates),
                 [](const CSMSTemplate& item) { return !item.BuiltIn; });
    preferences.Save();
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::ShowMessagePreview(IDispatch* item,
                                                                               const CInspectorContext& context)
{
    const CProperties& edited = context.m_EditedProperties;
    CSMSContactVector contacts;
    GetReminderRecipients(item, edited, contacts);
    std::wstring message;
    FormatReminderMessage(message, item, edited.GetFormatMessageTemplate());
    RunMessagePreview(CSMSContactUtils::GenerateContactCSVList(contacts), edited.GetFormatMessageFrom(),
                      WideToAnsi(ConvertLFToCRLF(message)));
}

bool COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::RunTemplatesEditor(CSMSTemplateVector& templates)
{
    CSMSTemplatesEditorDlg editor;
    editor.SetTemplateList(&templates);
    return ShowModal(editor, ChooseBoxOwner(::GetActiveWindow()), IfOwnerGoes::kNoAnswer).Is(IDOK);
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::RunMessagePreview(const std::string& recipients,
                                                                              const std::string& from,
                                                                              const std::string& message)
{
    CSMSMessagePreviewDlg preview;
    preview.m_Recipients = recipients;
    preview.m_SendersId = from;
    preview.m_Message = message;
    ShowModal(preview, ChooseBoxOwner(::GetActiveWindow()), IfOwnerGoes::kNoAnswer);
}
