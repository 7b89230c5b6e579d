// The SMS reminder's appointment tab, driven as Outlook drives it: the add-in
// connected to the test Outlook, an appointment opened in an inspector
// through the Inspectors' NewInspector event, the tab's callbacks called by
// name with controls whose Context is the inspector, and a ribbon object
// that records the invalidations.
#include "addin/OutlookAddin_ItemExtender_AppointmentItem_SMSReminder.h"
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "platform/Dispatch.h"
#include "tests/contacts/TestMAPI.h"
#include "tests/support/AddinObject.h"
#include "tests/support/AddinUnderTest.h"
#include "tests/support/CallByName.h"
#include "tests/support/RegistryFixture.h"
#include "tests/support/SMSReminderItem.h"
#include "tests/support/SelectorWindow.h"
#include "tests/support/UserLocation.h"

#include <gtest/gtest.h>
#include <mapicode.h>

#include <functional>
#include <memory>
#include <optional>
#include <regex>

namespace
{
const DISPID kNewInspector = 0xF001;
const DISPID kInspectorClose = 0xF008;
const DISPID kPropertyChange = 0xF009;

using namespace SMSReminderItem;
using CReminderProperties = COutlookAddin_ItemExtender_AppointmentItem_SMSReminder_Properties;

CConfigZentavoSMSOutlookAddin_UserPreferences& Preferences()
{
    return CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_UserPreferences;
}

// A user template named Weekly among the preferences.
CSMSTemplate AddWeeklyTemplate()
{
    CSMSTemplate weekly;
    weekly.Name = "Weekly";
    weekly.Text = "[ApptSubject]";
    Preferences().GetAppointmentTemplates().push_back(weekly);
    return weekly;
}

class SMSReminder : public RegistryFixture
{
public:  // the scenario tables' steps call the helpers
    void SetUp() override
    {
        RegistryFixture::SetUp();
        m_LiveConnectionsAtStart = CFakeObject::LiveConnections();
        ASSERT_EQ(S_OK, CreateAddinObject(IID_IDispatch, &m_Dispatch));
        ASSERT_EQ(S_OK, m_Dispatch->QueryInterface(IID__IDTExtensibility2, reinterpret_cast<void**>(&m_Connection)));
        ASSERT_EQ(S_OK, m_Connection->OnConnection(m_Outlook.Application(), ext_cm_Startup, nullptr, nullptr));
        m_Ribbon = m_Outlook.NewObject(L"AppointmentRibbon");
        m_Ribbon->AddInterface(IID_IRibbonUI);
        m_Ribbon->SetMethod(L"InvalidateControl", [](const CFakeObject::Arguments&) { return _variant_t(); });
        Call(L"AppointmentItem_RibbonLoaded", {Object(m_Ribbon)});
    }
    void TearDown() override
    {
        if (m_Inspector)
            CloseInspector();
        m_Connection->OnDisconnection(ext_dm_HostShutdown, nullptr);
        m_Connection->Release();
        m_Dispatch->Release();
        EXPECT_EQ(m_LiveConnectionsAtStart, CFakeObject::LiveConnections()) << "a sink is still connected";
        EXPECT_EQ(std::vector<std::string>(), NewBoxes()) << "boxes no check looked at";
        EXPECT_EQ("", m_Driver.Problems());
        RegistryFixture::TearDown();
    }

    // Opens a new appointment (or the one given) in an inspector.
    void Open(long meetingStatus = 0, CFakeObjectPtr item = nullptr)
    {
        m_Item = item ? item : m_Outlook.NewAppointmentItem(L"Review", kStart, kEnd, meetingStatus);
        m_Inspector = m_Outlook.NewInspector(m_Item);
        m_Outlook.Inspectors()->Fire(DIID_InspectorsEvents, kNewInspector, {Object(m_Inspector)});
    }
    void CloseInspector()
    {
        m_Inspector->Fire(DIID_InspectorEvents, kInspectorClose);
        m_Inspector = nullptr;
    }
    _variant_t Stored(const char* name) { return SMSReminderItem::Stored(m_Item, name); }

    _variant_t Call(const wchar_t* name, std::vector<_variant_t> arguments)
    {
        return CallByName(m_Dispatch, name, std::move(arguments));
    }
    // A callback on a control of the open inspector's tab, with any further
    // arguments after the control.
    _variant_t On(const std::string& id, const wchar_t* callback, std::vector<_variant_t> more = {})
    {
        more.insert(more.begin(), Object(NewRibbonControl(m_Outlook, id, m_Inspector)));
        return Call(callback, std::move(more));
    }
    std::wstring Text(const wchar_t* callback, const std::string& id) { return Dispatch::ToText(On(id, callback)); }
    std::wstring ItemText(const wchar_t* callback, const std::string& id, long index)
    {
        return Dispatch::ToText(On(id, callback, {_variant_t(index)}));
    }
    long Number(const wchar_t* callback, const std::string& id) { return static_cast<long>(On(id, callback)); }
    void Edit(const std::string& id, const wchar_t* text) { On(id, L"Ribbon_OnChange", {_variant_t(text)}); }
    void TickMyMobile() { On(kMyMobile, L"Ribbon_CheckBoxOnAction", {_variant_t(1L)}); }
    void Press(const std::string& id) { On(id, L"Ribbon_ButtonOnAction"); }
    void ChooseTemplate(const wchar_t* id) { On(kTemplate, L"Ribbon_DropDownOnAction", {_variant_t(id), _variant_t(1L)}); }

    std::vector<std::wstring> Invalidations()
    {
        std::vector<std::wstring> found;
        for (const CFakeCall& call : m_Outlook.Log().CallsTo(L"AppointmentRibbon.InvalidateControl"))
            found.push_back(Dispatch::ToText(call.m_Arguments.at(0)));
        return found;
    }
    // The texts of the boxes shown since the last call; TearDown expects
    // none left unread.
    std::vector<std::string> NewBoxes()
    {
        const std::vector<std::string> texts = BoxTexts(m_Boxes, m_BoxesRead);
        m_BoxesRead += texts.size();
        return texts;
    }

    CWindowDriver m_Driver;  // answers the dialogs the tab opens
    CMessageBoxCapture m_Boxes;
    size_t m_BoxesRead = 0;
    CFakeOutlook m_Outlook;
    IDispatch* m_Dispatch = nullptr;
    _IDTExtensibility2* m_Connection = nullptr;
    CFakeObjectPtr m_Ribbon;
    CFakeObjectPtr m_Item;
    CFakeObjectPtr m_Inspector;
    long m_LiveConnectionsAtStart = 0;
};

// Every element of the document with its attributes, in order.
std::vector<std::wstring> Elements(const std::wstring& document)
{
    const std::wregex element(L"<([A-Za-z]+)((?: [A-Za-z]+=\"[^\"]*\")*) ?/?>");
    std::vector<std::wstring> found;
    for (auto it = std::wsregex_iterator(document.begin(), document.end(), element); it != std::wsregex_iterator(); ++it)
        found.push_back((*it)[1].str() + (*it)[2].str());
    return found;
}

TEST_F(SMSReminder, AppointmentDocumentHoldsTheTabInOrder)
{
    const std::wstring lists = L" getItemCount=\"Ribbon_GetItemCount\" getItemLabel=\"Ribbon_GetItemLabel\" getItemID=\"Ribbon_GetItemID\"";
    const std::wstring combo = L" onChange=\"Ribbon_OnChange\" getText=\"Ribbon_GetText\"";
    std::vector<std::wstring> expected = {
        L"customUI xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\" onLoad=\"AppointmentItem_RibbonLoaded\"",
        L"ribbon",
        L"tabs",
        L"tab id=\"ZentavoSMSReminders\" label=\"SMS Reminders\" getVisible=\"Ribbon_GetVisible\"",
        L"group id=\"ReminderRecipients\" label=\"Reminder Recipients\"",
        L"checkBox id=\"ZentavoOLSMSAddinSMSReminderRecipientsIncludeMyMobile\" getLabel=\"Ribbon_GetLabel\" "
        L"onAction=\"Ribbon_CheckBoxOnAction\" getPressed=\"Ribbon_GetPressed\"",
        L"comboBox id=\"ZentavoOLSMSAddinSMSReminderRecipientsTo\" label=\"SMS Recipients:\" "
        L"sizeString=\"447710123456,447710123456,447710123456,447710123456\" imageMso=\"OmsSend\"" + combo + lists,
        L"box id=\"recipientBox\" boxStyle=\"horizontal\"",
        L"button id=\"SelectRecipients\" label=\"Select Recipients\" imageMso=\"DistributionListAddNewMember\" "
        L"onAction=\"Ribbon_ButtonOnAction\"",
        L"button id=\"RemoveAllRecipients\" label=\"Remove All Recipients\" imageMso=\"DistributionListRemoveMember\" "
        L"onAction=\"Ribbon_ButtonOnAction\"",
        L"labelControl id=\"RecipientCount\" getLabel=\"Ribbon_GetLabel\"",
        L"group id=\"ReminderSchedule\" label=\"Reminder Schedule\"",
        L"comboBox id=\"ZentavoOLSMSAddinSMSReminderSchedule\" label=\"Send Reminder\" imageMso=\"ReminderSound\" "
        L"showLabel=\"true\" sizeString=\"at 9:00am the 2 days before=====\"" + combo,
    };
    const std::pair<const wchar_t*, const wchar_t*> items[] = {
        {L"rs_1daybefore", L"at 9:00am the day before"}, {L"rs_2daysbefore", L"at 9:00am the 2 days before"},
        {L"rs_0mins", L"0 minutes before"},   {L"rs_15mins", L"15 minutes before"}, {L"rs_30mins", L"30 minutes before"},
        {L"rs_45mins", L"45 minutes before"}, {L"rs_1hrs", L"1 hour before"},       {L"rs_2hrs", L"2 hour before"},
        {L"rs_4hrs", L"4 hour before"},       {L"rs_8hrs", L"8 hour before"},       {L"rs_12hrs", L"12 hour before"},
        {L"rs_1days", L"1 day before"},       {L"rs_2days", L"2 days before"},      {L"rs_3days", L"3 days before"},
        {L"rs_1weeks", L"1 week before"},
    };
    for (const auto& item : items)
        expected.push_back(L"item id=\"" + std::wstring(item.first) + L"\" label=\"" + item.second + L"\"");
    expected.insert(expected.end(), {
        L"labelControl id=\"Schedule_SendFeedback\" getLabel=\"Ribbon_GetLabel\"",
        L"group id=\"ReminderFormat\" label=\"Reminder Format\"",
        L"dropDown id=\"ZentavoOLSMSAddinSMSReminderFormatMessageTemplate\" label=\"Message Template\" "
        L"showLabel=\"true\" sizeString=\"Use Default Template======\" onAction=\"Ribbon_DropDownOnAction\" "
        L"getSelectedItemID=\"Ribbon_GetText\"" + lists,
        L"comboBox id=\"ZentavoOLSMSAddinSMSReminderFormatMessageFrom\" label=\"SMS Sender's Id\" showLabel=\"true\" "
        L"sizeString=\"WWWWWWWWWWWWWW\"" + combo + lists,
        L"button id=\"ViewMessagePreview\" label=\"View Message Preview\" imageMso=\"ViewVisualBasicCode\" "
        L"onAction=\"Ribbon_ButtonOnAction\"",
    });
    const std::wstring document = CustomUI(m_Dispatch, L"Microsoft.Outlook.Appointment");
    EXPECT_EQ(expected, Elements(document));
    const std::wstring close = L"</group></tab></tabs></ribbon></customUI>";
    EXPECT_EQ(document.size() - close.size(), document.rfind(close));
}

TEST_F(SMSReminder, TabLabelFollowsTheOutlookVersion)
{
    for (const auto& c : {std::make_pair(L"15.0.4420.1017", L"SMS REMINDERS"), std::make_pair(L"16.0.0.17928", L"SMS Reminders")})
    {
        SCOPED_TRACE(c.first);
        m_Connection->OnDisconnection(ext_dm_HostShutdown, nullptr);
        m_Outlook.Application()->SetProperty(L"Version", _variant_t(c.first));
        ASSERT_EQ(S_OK, m_Connection->OnConnection(m_Outlook.Application(), ext_cm_Startup, nullptr, nullptr));
        EXPECT_NE(std::wstring::npos, CustomUI(m_Dispatch, L"Microsoft.Outlook.Appointment")
                                          .find(L"<tab id=\"ZentavoSMSReminders\" label=\"" + std::wstring(c.second) + L"\""));
    }
}

// A new appointment gets the defaults written onto it; an appointment with
// a reminder keeps what it holds. Both sinks are connected while it is
// open, and none is left once its inspector closes.
TEST_F(SMSReminder, OpeningWritesDefaultsAndWatchesTheInspector)
{
    struct Case
    {
        const char* name;
        long meetingStatus;
        bool preferencesSet;
        const wchar_t* storedSchedule;  // on the item before opening, or null
        std::wstring schedule, templateId, from;
        long recipientItems;
    };
    const Case cases[] = {
        {"plain, no preferences", 0, false, nullptr, L"15 minutes before", L"S_DefaultTemplate", L"<Use Replyable Id>", 0},
        {"meeting, preferences", 1, true, nullptr, L"1 hour before", L"U_Weekly", L"ACME", 1},
        {"stored schedule kept", 0, true, L"2 days before", L"2 days before", L"U_Weekly", L"ACME", 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Preferences().SetDefaultAppointmentScheduleDescription(c.preferencesSet ? "1 hour before" : "");
        Preferences().SetDefaultAppointmentTemplateId(c.preferencesSet ? "U_Weekly" : "");
        Preferences().SetDefaultSendersIdUseReplyable(!c.preferencesSet);
        Preferences().SetDefaultSendersId(c.preferencesSet ? "ACME" : "");
        const CFakeObjectPtr item = m_Outlook.NewAppointmentItem(L"Review", kStart, kEnd, c.meetingStatus);
        if (c.storedSchedule)
            Preset(item, kSchedule, _variant_t(c.storedSchedule));
        const long connectionsBefore = CFakeObject::LiveConnections();
        Open(c.meetingStatus, item);

        EXPECT_EQ(c.schedule, Dispatch::ToText(Stored(kSchedule)));
        EXPECT_EQ(c.templateId, Dispatch::ToText(Stored(kTemplate)));
        EXPECT_EQ(c.from, Dispatch::ToText(Stored(kFrom)));
        EXPECT_EQ(L"<absent>", Dispatch::ToText(Stored(kTo)));
        EXPECT_EQ(c.schedule, Text(L"Ribbon_GetText", kSchedule));
        EXPECT_EQ(c.recipientItems, Number(L"Ribbon_GetItemCount", kTo));
        EXPECT_EQ(1u, m_Item->Connections(DIID_ItemEvents_10));
        EXPECT_EQ(1u, m_Inspector->Connections(DIID_InspectorEvents));

        const CFakeObjectPtr inspector = m_Inspector;
        CloseInspector();
        EXPECT_EQ(0u, m_Item->Connections(DIID_ItemEvents_10));
        EXPECT_EQ(0u, inspector->Connections(DIID_InspectorEvents));
        EXPECT_EQ(connectionsBefore, CFakeObject::LiveConnections());
    }
}

// An inspector the tab cannot serve is not watched, and one box names the
// step: a mail's (the tab's getters find no context for it) or an
// appointment's whose events refuse the sink.
TEST_F(SMSReminder, AnInspectorItCannotServeIsReportedAndNotWatched)
{
    struct Case
    {
        const char* name;
        bool mail;
        std::vector<std::string> fragments;
    };
    const Case cases[] = {
        {"mail", true, {"COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Ribbon_GetText - Could not get InspectorContext"}},
        {"failing advise", false, {"pItemEventHandler->Advise ( dispItem )", "Function: CAddin::OnInspectorsNewInspector"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const CFakeObjectPtr item = c.mail ? m_Outlook.NewMailItem() : m_Outlook.NewAppointmentItem(L"Review", kStart, kEnd);
        if (!c.mail)
            item->FailAdvise(DIID_ItemEvents_10, CONNECT_E_CANNOTCONNECT);
        Open(0, item);
        EXPECT_EQ(0u, m_Inspector->Connections(DIID_InspectorEvents));
        if (c.mail)
            Text(L"Ribbon_GetText", kSchedule);
        const std::vector<std::string> boxes = NewBoxes();
        ASSERT_EQ(1u, boxes.size());
        for (const std::string& fragment : c.fragments)
            EXPECT_NE(std::string::npos, boxes[0].find(fragment)) << boxes[0];
        m_Inspector = nullptr;
    }
}

TEST_F(SMSReminder, LabelsFollowTheEditedProperties)
{
    struct Case
    {
        const char* name;
        std::string mobile;       // the user's stored number
        const wchar_t* to;        // typed into the recipients box, or null
        bool myMobile;            // the box ticked
        const wchar_t* schedule;  // typed into the schedule box, or null
        std::string control;
        std::wstring label;
    };
    const std::wstring blanks(20, L' ');
    const Case cases[] = {
        {"no number", "", nullptr, false, nullptr, kMyMobile, L"Send SMS Reminder to My Mobile"},
        {"number stored", "+44 7700 900123", nullptr, false, nullptr, kMyMobile,
         L"Send SMS Reminder to My Mobile (+44 7700 900123)"},
        {"no recipients", "", nullptr, false, nullptr, "RecipientCount", blanks + L"0 recipients"},
        {"two listed", "", L"Ann [+447700900001]; 07700900002; ", false, nullptr, "RecipientCount", blanks + L"2 recipients"},
        {"mine added", "07700 900123", L"Ann [+447700900001]; ", true, nullptr, "RecipientCount", blanks + L"2 recipients"},
        {"mine listed in another form", "07700 900123", L"Me [+44 (0)7700-900123]; Ann [+447700900001]; ", true,
         nullptr, "RecipientCount", blanks + L"2 recipients"},
        {"empty schedule", "", nullptr, false, L"", "Schedule_SendFeedback", L""},
        {"invalid schedule", "", nullptr, false, L"whenever", "Schedule_SendFeedback", L"Invalid reminder schedule"},
        {"default schedule", "", nullptr, false, nullptr, "Schedule_SendFeedback", L"Reminder will be sent at 10/06/2030 14:15"},
        {"day before", "", nullptr, false, L"at 9:00am the day before", "Schedule_SendFeedback",
         L"Reminder will be sent at 09/06/2030 09:00"},
    };
    // The user's national number is of the UK.
    const CScopedUserLocation location(Location::kUnitedKingdom);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Preferences().SetUsersMobilePhoneNumber(c.mobile);
        Open();
        if (c.to)
            Edit(kTo, c.to);
        if (c.myMobile)
            TickMyMobile();
        if (c.schedule)
            Edit(kSchedule, c.schedule);
        EXPECT_EQ(c.label, Text(L"Ribbon_GetLabel", c.control));
        CloseInspector();
    }
}

TEST_F(SMSReminder, ListsOfferTemplatesSendersAndAttendees)
{
    const CSMSTemplate weekly = AddWeeklyTemplate();
    Preferences().GetSelectableSendersIdList() = {"ACME", "07700900123"};
    Open(1);

    struct Case
    {
        std::string control;
        std::vector<std::wstring> ids;
        std::vector<std::wstring> labels;
    };
    const Case cases[] = {
        {kTemplate, {L"S_DefaultTemplate", L"U_" + Wide(weekly.GetId()), L"I_ManageTemplates"},
         {L"Default Template", L"Weekly", L"Manage Templates..."}},
        {kFrom, {L"oa_replyable", L"1", L"2"}, {L"<Use Replyable Id>", L"ACME", L"07700900123"}},
        {kTo, {L"0"}, {L"<All Meeting Attendees>"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.control);
        std::vector<std::wstring> ids;
        std::vector<std::wstring> labels;
        for (long i = 0; i < Number(L"Ribbon_GetItemCount", c.control); ++i)
        {
            ids.push_back(ItemText(L"Ribbon_GetItemID", c.control, i));
            labels.push_back(ItemText(L"Ribbon_GetItemLabel", c.control, i));
        }
        EXPECT_EQ(c.ids, ids);
        EXPECT_EQ(c.labels, labels);
    }
    EXPECT_EQ(L"S_DefaultTemplate", Text(L"Ribbon_GetText", kTemplate));
    EXPECT_EQ(1L, Number(L"Ribbon_GetVisible", "ZentavoSMSReminders"));
}

// Each change is kept in the edited properties, raises the item's change
// counter (an integer property) by one and refreshes the controls that show
// it.
TEST_F(SMSReminder, ChangesMarkTheItemAndRefreshTheirControls)
{
    Preferences().SetUsersMobilePhoneNumber("07700900123");
    struct Case
    {
        const char* name;
        std::function<void(SMSReminder&)> act;
        long changes;
        std::vector<std::wstring> invalidated;
        std::string control;  // read back with getter
        const wchar_t* getter;
        std::wstring value;
    };
    const Case cases[] = {
        {"schedule typed", [](SMSReminder& t) { t.Edit(kSchedule, L"1 day before"); }, 1, {L"Schedule_SendFeedback"},
         kSchedule, L"Ribbon_GetText", L"1 day before"},
        {"schedule typed again",
         [](SMSReminder& t) {
             t.Edit(kSchedule, L"1 day before");
             t.Edit(kSchedule, L"2 days before");
         },
         2, {L"Schedule_SendFeedback", L"Schedule_SendFeedback"}, kSchedule, L"Ribbon_GetText", L"2 days before"},
        {"recipients typed", [](SMSReminder& t) { t.Edit(kTo, L"07700900001"); }, 1, {L"RecipientCount"}, kTo,
         L"Ribbon_GetText", L"07700900001"},
        {"sender typed", [](SMSReminder& t) { t.Edit(kFrom, L"ACME"); }, 1, {}, kFrom, L"Ribbon_GetText", L"ACME"},
        {"sender typed beyond the code page", [](SMSReminder& t) { t.Edit(kFrom, L"\u0391\u0392"); }, 1, {}, kFrom,
         L"Ribbon_GetText", L"\u0391\u0392"},
        {"my mobile ticked", [](SMSReminder& t) { t.TickMyMobile(); }, 1, {Wide(kMyMobile), L"RecipientCount"}, kMyMobile,
         L"Ribbon_GetPressed", L"1"},
        {"template chosen", [](SMSReminder& t) { t.ChooseTemplate(L"U_Weekly"); }, 1, {}, kTemplate, L"Ribbon_GetText",
         L"U_Weekly"},
        {"all removed",
         [](SMSReminder& t) {
             t.Edit(kTo, L"07700900001");
             t.TickMyMobile();
             t.m_Outlook.Log().Clear();
             t.Press("RemoveAllRecipients");
         },
         3, {Wide(kMyMobile), Wide(kTo), L"RecipientCount"}, kTo, L"Ribbon_GetText", L""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Open();
        EXPECT_EQ(L"<absent>", Dispatch::ToText(Stored(kUpdateCount)));
        m_Outlook.Log().Clear();
        c.act(*this);
        EXPECT_EQ(c.invalidated, Invalidations());
        EXPECT_EQ(c.changes, static_cast<long>(Stored(kUpdateCount)));
        EXPECT_EQ(20L, static_cast<long>(PropertiesOf(m_Item).Property(Wide(kUpdateCount))->Value(L"Type")));
        EXPECT_EQ(c.value, Dispatch::ToText(On(c.control, c.getter)));
        CloseInspector();
    }
}

// Without a stored number the prompt asks for one; answered Cancel, the box
// is unticked again.
TEST_F(SMSReminder, TickingMyMobileAsksForTheNumber)
{
    struct Case
    {
        int answer;
        long pressed;
        std::wstring label;
    };
    const Case cases[] = {
        {IDCANCEL, 0, L"Send SMS Reminder to My Mobile"},
        {IDOK, 1, L"Send SMS Reminder to My Mobile (447700900999)"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.answer);
        Preferences().SetUsersMobilePhoneNumber("");
        Open();
        m_Driver.Expect().Caption("Please Enter Your Mobile Number").SetText(IDC_MOBILEPROMPT_NUMBER, "447700900999").Press(c.answer);
        TickMyMobile();
        EXPECT_EQ(c.pressed, Number(L"Ribbon_GetPressed", kMyMobile));
        EXPECT_EQ(c.label, Text(L"Ribbon_GetLabel", kMyMobile));
        EXPECT_EQ(1L, static_cast<long>(Stored(kUpdateCount)));
        CloseInspector();
    }
}

// The editor works on the user's templates and the built-in one; OK stores
// the user's alone. Either way the drop-down keeps the stored template.
TEST_F(SMSReminder, ManageTemplatesKeepsTheSelection)
{
    AddWeeklyTemplate();
    for (int answer : {IDCANCEL, IDOK})
    {
        SCOPED_TRACE(answer);
        Open();
        m_Outlook.Log().Clear();
        m_Driver.Expect().Caption("Templates").Press(answer);
        ChooseTemplate(L"I_ManageTemplates");
        EXPECT_EQ(std::vector<std::wstring>{Wide(kTemplate)}, Invalidations());
        EXPECT_EQ(L"S_DefaultTemplate", Text(L"Ribbon_GetText", kTemplate));
        EXPECT_EQ(L"<absent>", Dispatch::ToText(Stored(kUpdateCount)));
        const CSMSTemplateVector& templates = Preferences().GetAppointmentTemplates();
        ASSERT_EQ(1u, templates.size());
        EXPECT_EQ("Weekly", templates[0].Name);
        EXPECT_FALSE(templates[0].BuiltIn);
        CloseInspector();
    }
}

TEST_F(SMSReminder, PreviewShowsRecipientsSenderAndMessage)
{
    Preferences().SetUsersMobilePhoneNumber("07700900123");
    const CFakeObjectPtr item = m_Outlook.NewAppointmentItem(L"Review", kStart, kEnd);
    item->SetProperty(L"Location", _variant_t(L"Room 1"));
    item->SetProperty(L"Body", _variant_t(L"Bring notes\r\nand pens"));
    Open(0, item);
    Edit(kTo, L"Ann [+447700900001]; ");
    TickMyMobile();
    Edit(kFrom, L"ACME");
    m_Driver.Expect().Caption("SMS Message Preview").Press(IDOK);
    Press("ViewMessagePreview");
    ASSERT_EQ(1u, m_Driver.Seen().size());
    const CSeenWindow& preview = m_Driver.Seen().front();
    ASSERT_TRUE(preview.Control(IDC_PREVIEW_RECIPIENTS) && preview.Control(IDC_PREVIEW_SENDERSID) &&
                preview.Control(IDC_PREVIEW_MESSAGE));
    EXPECT_EQ("Ann [+447700900001]; 07700900123; ", preview.Control(IDC_PREVIEW_RECIPIENTS)->text);
    EXPECT_EQ("ACME", preview.Control(IDC_PREVIEW_SENDERSID)->text);
    EXPECT_EQ("Appointment:\r\nReview\r\nStart: 10/06 14:30\r\nLoc: Room 1\r\n\r\nNotes:\r\nBring notes\r\nand pens",
              preview.Control(IDC_PREVIEW_MESSAGE)->text);
}

// The selector opens over the edited recipients; OK stores what it lists
// then, Cancel changes nothing even after a pick. A selector that could open
// no address book still lists the recipients, so OK keeps them. A selector
// that cannot open (a CBT hook in Outlook's process, another add-in's or an
// accessibility tool's, may refuse a window) is an error under the step
// that ran it, not a Cancel.
TEST_F(SMSReminder, SelectRecipientsStoresTheChoiceOnOK)
{
    const CTestMAPI mapi;
    ASSERT_TRUE(mapi.IsOurs()) << "the test MAPI is not the loaded mapi32.dll";
    const auto rows = std::make_shared<std::vector<CFakeContactRow>>();
    rows->push_back({L"Bob Ray", L"", L"", L"+447700900002", L"", L"", L"", L"0a02"});
    m_Outlook.AddressLists()->Add(m_Outlook.NewAddressList(L"Contacts", L"", m_Outlook.NewContactFolder(L"Contacts", L"00ee", rows)));
    const std::vector<const char*> cannotOpen = {
        "CAddin::Callback_ItemExtender_ShowRecipientSelector:ContactSelectorDlg.DoModal",
        "Function: CAddin::Ribbon_ButtonOnAction"};
    struct Case
    {
        int button;  // 0: the selector cannot open
        bool logonRefused;
        std::vector<std::wstring> invalidated;
        std::wstring to;
        long updateCount;  // one for typing the first recipient
        std::vector<const char*> box;  // what its one box says, if it shows one
    };
    const Case cases[] = {
        {IDCANCEL, false, {}, L"Ann [+447700900001]; ", 1, {}},
        {IDOK, false, {Wide(kTo), L"RecipientCount"}, L"Ann [+447700900001]; Bob Ray [+447700900002]; ", 2, {}},
        {0, false, {}, L"Ann [+447700900001]; ", 1, cannotOpen},
        {IDOK, true, {Wide(kTo), L"RecipientCount"}, L"Ann [+447700900001]; ", 2,
         {"::MAPILogonEx failed", "Function: CContactSelectorDlg::OnInitDialog"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.button << (c.logonRefused ? ", logon refused" : ""));
        Open();
        Edit(kTo, L"Ann [+447700900001]; ");
        m_Outlook.Log().Clear();
        std::optional<CScopedMAPIFailure> logonRefusal;
        if (c.logonRefused)
            logonRefusal.emplace(mapi, "MAPILogonEx", MAPI_E_LOGON_FAILED);
        if (c.button)
        {
            std::vector<std::string> shown;
            m_Driver.Expect().Caption("Select Recipients").Run(AddFirstAvailableAndPress(c.button, shown));
            Press("SelectRecipients");
            EXPECT_EQ(std::vector<std::string>{"Ann [+447700900001]"}, shown);
        }
        else
        {
            const CTopLevelWindowRefusal refusal;
            ASSERT_TRUE(refusal.Active());
            Press("SelectRecipients");
        }
        const std::vector<std::string> boxes = NewBoxes();
        ASSERT_EQ(c.box.empty() ? 0u : 1u, boxes.size());
        for (const std::string& box : boxes)
            for (const char* text : c.box)
                EXPECT_NE(std::string::npos, box.find(text)) << box;
        EXPECT_EQ(c.invalidated, Invalidations());
        EXPECT_EQ(c.to, Text(L"Ribbon_GetText", kTo));
        EXPECT_EQ(c.updateCount, static_cast<long>(Stored(kUpdateCount)));
        CloseInspector();
    }
}

// While a dialog of the tab is up (the recipient selector, the prompt for
// the user's number), the inspector closes and another appointment opens:
// a program's Inspector.Close and NewInspector reach the add-in through the
// dialog's message loop, and the new opening frees the inspectors that have
// closed. The callback returns without touching the closed inspector's
// appointment again, the other appointment's tab answers, and the dialog
// belongs to the inspector's window.
TEST_F(SMSReminder, ATabDialogOutlivesItsInspectorClosedWhileItIsUp)
{
    const CTestMAPI mapi;
    ASSERT_TRUE(mapi.IsOurs()) << "the test MAPI is not the loaded mapi32.dll";
    const auto rows = std::make_shared<std::vector<CFakeContactRow>>();
    rows->push_back({L"Bob Ray", L"", L"", L"+447700900002", L"", L"", L"", L"0a02"});
    m_Outlook.AddressLists()->Add(
        m_Outlook.NewAddressList(L"Contacts", L"", m_Outlook.NewContactFolder(L"Contacts", L"00ee", rows)));
    struct Case
    {
        const char* caption;
        std::function<void(SMSReminder&)> open;
        std::function<void(HWND dialog)> answer;
        long markedBefore;  // the item marked changed before the dialog opens
    };
    std::vector<std::string> shown;
    const Case cases[] = {
        {"Select Recipients", [](SMSReminder& t) { t.Press("SelectRecipients"); },
         AddFirstAvailableAndPress(IDOK, shown), 0},
        {"Please Enter Your Mobile Number", [](SMSReminder& t) { t.TickMyMobile(); },
         [](HWND dialog) { ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.caption);
        Preferences().SetUsersMobilePhoneNumber("");
        Open();
        Edit(kTo, L"Ann [+447700900001]; ");
        const CFakeObjectPtr first = m_Item;
        const CFakeObjectPtr inspector = m_Inspector;
        HWND owner = nullptr;
        m_Driver.Expect().Caption(c.caption).Run([&](HWND dialog) {
            owner = ::GetWindow(dialog, GW_OWNER);
            CloseInspector();
            Open();
            c.answer(dialog);
        });
        const _variant_t countBefore = SMSReminderItem::Stored(first, kUpdateCount);
        c.open(*this);
        EXPECT_EQ(inspector->Window(), owner);
        EXPECT_NE(inspector.GetInterfacePtr(), m_Inspector.GetInterfacePtr()) << "no dialog";
        EXPECT_EQ(static_cast<long>(countBefore) + c.markedBefore,
                  static_cast<long>(SMSReminderItem::Stored(first, kUpdateCount)));
        EXPECT_EQ(L"15 minutes before", Text(L"Ribbon_GetText", kSchedule));
        EXPECT_EQ(std::vector<std::string>(), NewBoxes());
        CloseInspector();
    }
}

// Start refreshes the feedback; MeetingStatus rebuilds the recipient items.
TEST_F(SMSReminder, StartAndMeetingStatusChangesRefreshTheTab)
{
    Open();
    m_Outlook.Log().Clear();
    m_Item->Fire(DIID_ItemEvents_10, kPropertyChange, {_variant_t(L"Start")});
    m_Item->SetProperty(L"MeetingStatus", _variant_t(1L));
    m_Item->Fire(DIID_ItemEvents_10, kPropertyChange, {_variant_t(L"MeetingStatus")});
    m_Item->Fire(DIID_ItemEvents_10, kPropertyChange, {_variant_t(L"Subject")});
    EXPECT_EQ((std::vector<std::wstring>{L"Schedule_SendFeedback", Wide(kTo)}), Invalidations());
    EXPECT_EQ(1L, Number(L"Ribbon_GetItemCount", kTo));
    EXPECT_EQ(L"<All Meeting Attendees>", ItemText(L"Ribbon_GetItemLabel", kTo, 0));
}

// Write of an appointment without a reminder lets Outlook save (the
// gateway lifecycle has tests of its own); Close and Unload of the item
// change nothing.
TEST_F(SMSReminder, WriteCloseAndUnloadLeaveTheItemAlone)
{
    Open();
    m_Item->SetProperty(L"Parent", static_cast<IDispatch*>(m_Outlook.DefaultFolder(9)));
    VARIANT_BOOL cancel = VARIANT_TRUE;
    m_Item->Fire(DIID_ItemEvents_10, 0xF002, {CancelReference(cancel)});
    EXPECT_EQ(VARIANT_FALSE, cancel);
    m_Outlook.Log().Clear();
    m_Item->Fire(DIID_ItemEvents_10, 0xF004, {CancelReference(cancel)});
    m_Item->Fire(DIID_ItemEvents_10, 0xFBAD);
    EXPECT_EQ(VARIANT_FALSE, cancel);
    EXPECT_TRUE(m_Outlook.Log().Calls().empty());
    EXPECT_EQ(1u, m_Item->Connections(DIID_ItemEvents_10));
}

TEST_F(SMSReminder, AMissingRibbonIsLoggedOnceAndNothingShown)
{
    CEventLogCapture events;
    Call(L"AppointmentItem_RibbonLoaded", {Object(m_Outlook.NewObject(L"NotARibbon"))});
    Open();
    m_Item->Fire(DIID_ItemEvents_10, kPropertyChange, {_variant_t(L"Start")});
    const std::vector<std::string> texts = events.Texts();
    ASSERT_EQ(1u, texts.size());
    EXPECT_NE(std::string::npos, texts[0].find("m_spRibbonUI was null")) << texts[0];
    EXPECT_NE(std::string::npos, texts[0].find("COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnItemPropertyChange"));
}

// The message and recipients of a reminder, as the preview and the
// submission take them, from an extender serving the connected add-in.
class SMSReminderMessage : public SMSReminder
{
public:
    void SetUp() override
    {
        SMSReminder::SetUp();
        m_Host.SetDependantServicesProvider(static_cast<CAddin*>(static_cast<IRibbonCallback*>(m_Dispatch)));
    }
    COutlookAddin_ItemExtender_AppointmentItem_SMSReminder& Extender() { return m_Host.GetSMSReminderExtender(); }

    COutlookAddin_ItemExtender_ZentavoSMSAddin m_Host;
};

TEST_F(SMSReminderMessage, TemplatesAreFilledFromTheAppointment)
{
    CSMSTemplate times;
    times.Name = "Times";
    times.Text = "[ApptStartTimeHHMMSS]-[ApptEndTimeHHMM] [ApptStartDateDDMMYY] [ApptEndDateMMDDYY] "
                 "[ApptStartDateDDMM] [ApptEndDateTime] [ApptSubject:3] [Unknown]";
    Preferences().GetAppointmentTemplates().push_back(times);
    const CFakeObjectPtr item = m_Outlook.NewAppointmentItem(L"Review", kStart, kEnd);
    item->SetProperty(L"Location", _variant_t(L"Room 1"));
    item->SetProperty(L"Body", _variant_t(L"Bring notes"));

    const std::pair<std::string, std::wstring> cases[] = {
        {"S_DefaultTemplate", L"Appointment:\nReview\nStart: 10/06 14:30\nLoc: Room 1\n\nNotes:\nBring notes"},
        {"U_" + times.GetId(), L"14:30:00-15:00 10/06/2030 06/10/2030 10/06 10/06 15:00 Rev [Unknown]"},
        {"U_Missing", L""},
        {"S_Missing", L""},
        {times.GetId(), L""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.first);
        std::wstring message = L"old";
        EXPECT_EQ(c.second, Extender().FormatReminderMessage(message, item, c.first));
    }
}

TEST_F(SMSReminderMessage, RecipientsTakeMyNumberAndTheAttendees)
{
    Preferences().SetUsersMobilePhoneNumber("07700900123");
    const CFakeObjectPtr item = m_Outlook.NewAppointmentItem(L"Review", kStart, kEnd, 1);
    const CFakeObjectPtr bob = m_Outlook.NewContactItem(L"Bob Ray", L"Bob", L"Ray", L"+447700900555");
    const CFakeObjectPtr entry = m_Outlook.NewAddressEntry(L"Bob Ray", L"bob@example.com", L"SMTP", nullptr, bob);
    FakeCollectionOf(item->Value(L"Recipients"))->Add(m_Outlook.NewRecipient(L"Bob Ray", L"bob@example.com", entry));

    struct Case
    {
        const char* name;
        const char* to;
        bool myMobile;
        std::string expected;
    };
    const Case cases[] = {
        {"listed only", "Ann [+447700900001]; 07700900002; ", false, "Ann [+447700900001]; 07700900002; "},
        {"attendees and mine", "Ann [+447700900001]; <All Meeting Attendees>; 07700900002; ", true,
         "Ann [+447700900001]; 07700900002; 07700900123; Bob Ray [+447700900555]; "},
        {"mine alone", "", true, "07700900123; "},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CReminderProperties properties;
        properties.SetRecipientsTo(c.to);
        properties.SetRecipientsIncludeMyMobile(c.myMobile);
        CSMSContactVector contacts;
        Extender().GetReminderRecipients(item, properties, contacts);
        EXPECT_EQ(c.expected, CSMSContactUtils::GenerateContactCSVList(contacts));
    }
}

TEST(SMSReminderProperties, ValidateLooksAtTheScheduleOnly)
{
    const std::pair<const char*, std::vector<std::string>> cases[] = {  // the schedule (null: absent), the errors
        {nullptr, {"Please enter Reminder Schedule"}},
        {"", {"Please enter Reminder Schedule"}},
        {"soon", {"The Reminder Schedule entered is not valid"}},
        {"15 minutes before", {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.first ? c.first : "absent");
        CReminderProperties properties;
        if (c.first)
            properties.SetSchedule(c.first);
        std::vector<std::string> errors;
        EXPECT_EQ(c.second.empty(), properties.Validate(errors));
        EXPECT_EQ(c.second, errors);
    }
}

TEST(SMSReminderProperties, TheReminderIsOnWithRecipientsOrMyMobile)
{
    CReminderProperties properties;
    EXPECT_FALSE(properties.IsSMSReminderOn());
    properties.SetString(CReminderProperties::kRecipientsIncludeMyMobile, "1");
    EXPECT_TRUE(properties.GetRecipientsIncludeMyMobile()) << "as read back from an item";
    EXPECT_TRUE(properties.IsSMSReminderOn());
    properties.SetRecipientsIncludeMyMobile(false);
    EXPECT_FALSE(properties.IsSMSReminderOn());
    properties.SetRecipientsTo("07700900001");
    EXPECT_TRUE(properties.IsSMSReminderOn());
}
} // namespace
