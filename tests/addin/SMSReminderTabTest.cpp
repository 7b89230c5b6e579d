// The SMS reminder's appointment tab, driven as Outlook drives it: the add-in
// connected to the test Outlook, an appointment opened in an inspector
// through the Inspectors' NewInspector event, the tab's callbacks called by
// name with controls whose Context is the inspector, and a ribbon object
// that records the invalidations.
#include "addin/Addin.h"
#include "addin/Module.h"
#include "addin/OutlookAddin_ItemExtender_AppointmentItem_SMSReminder.h"
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "platform/Dispatch.h"
#include "platform/OfficeIds.h"
#include "resources/resource.h"
#include "tests/support/CallByName.h"
#include "tests/support/EventCapture.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/RegistryFixture.h"
#include "tests/support/SMSReminderItem.h"
#include "tests/support/SelectorWindow.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>

namespace
{
const DISPID kNewInspector = 0xF001;
const DISPID kInspectorClose = 0xF008;
const DISPID kPropertyChange = 0xF009;
const wchar_t kAppointmentRibbon[] = L"Microsoft.Outlook.Appointment";

using namespace SMSReminderItem;

CConfigZentavoSMSOutlookAddin_UserPreferences& Preferences()
{
    return CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_UserPreferences;
}

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

class SMSReminder : public RegistryFixture
{
public:  // the scenario tables' steps call the helpers
    void SetUp() override
    {
        RegistryFixture::SetUp();
        m_LiveConnectionsAtStart = CFakeObject::LiveConnections();
        IClassFactory* factory = nullptr;
        ASSERT_EQ(S_OK, GetComModule().GetClassObject(CLSID_Addin, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&m_Dispatch)));
        factory->Release();
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
        EXPECT_EQ("", m_Driver.Problems());
        RegistryFixture::TearDown();
    }

    static _variant_t Object(const CFakeObjectPtr& object) { return _variant_t(static_cast<IDispatch*>(object)); }

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
    CFakeUserProperties& Properties() { return *CFakeUserProperties::Of(FakeCollectionOf(m_Item->Value(L"UserProperties"))); }
    _variant_t Stored(const char* name)
    {
        const CFakeObjectPtr property = Properties().Property(Wide(name));
        return property ? property->Value(L"Value") : _variant_t(L"<absent>");
    }

    CFakeObjectPtr Control(const std::string& id)
    {
        const CFakeObjectPtr control = m_Outlook.NewObject(L"RibbonControl");
        control->AddInterface(IID_IRibbonControl);
        control->SetProperty(L"Id", _variant_t(id.c_str()));
        control->SetProperty(L"Context", static_cast<IDispatch*>(m_Inspector));
        return control;
    }
    _variant_t Call(const wchar_t* name, std::vector<_variant_t> arguments)
    {
        return CallByName(m_Dispatch, name, std::move(arguments));
    }
    std::wstring Text(const wchar_t* callback, const std::string& id)
    {
        return Dispatch::ToText(Call(callback, {Object(Control(id))}));
    }
    std::wstring ItemText(const wchar_t* callback, const std::string& id, long index)
    {
        return Dispatch::ToText(Call(callback, {Object(Control(id)), _variant_t(index)}));
    }
    long Number(const wchar_t* callback, const std::string& id)
    {
        return static_cast<long>(Call(callback, {Object(Control(id))}));
    }
    std::vector<std::wstring> Invalidations()
    {
        std::vector<std::wstring> found;
        for (const CFakeCall& call : m_Outlook.Log().CallsTo(L"AppointmentRibbon.InvalidateControl"))
            found.push_back(Dispatch::ToText(call.m_Arguments.at(0)));
        return found;
    }
    std::wstring Document()
    {
        IRibbonExtensibility* ribbon = nullptr;
        EXPECT_EQ(S_OK, m_Dispatch->QueryInterface(IID_IRibbonExtensibility, reinterpret_cast<void**>(&ribbon)));
        BSTR xml = nullptr;
        EXPECT_EQ(S_OK, ribbon->GetCustomUI(_bstr_t(kAppointmentRibbon), &xml));
        ribbon->Release();
        const std::wstring text = xml ? xml : L"<null>";
        ::SysFreeString(xml);
        return text;
    }
    std::vector<std::string> BoxTexts()
    {
        std::vector<std::string> texts;
        for (const CapturedMessageBox& box : m_Boxes.Boxes())
            texts.push_back(box.text);
        return texts;
    }

    CWindowDriver m_Driver;  // answers the dialogs the tab opens
    CMessageBoxCapture m_Boxes;
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
    const std::vector<std::pair<std::wstring, std::wstring>> items = {
        {L"rs_1daybefore", L"at 9:00am the day before"}, {L"rs_2daysbefore", L"at 9:00am the 2 days before"},
        {L"rs_0mins", L"0 minutes before"},              {L"rs_15mins", L"15 minutes before"},
        {L"rs_30mins", L"30 minutes before"},            {L"rs_45mins", L"45 minutes before"},
        {L"rs_1hrs", L"1 hour before"},                  {L"rs_2hrs", L"2 hour before"},
        {L"rs_4hrs", L"4 hour before"},                  {L"rs_8hrs", L"8 hour before"},
        {L"rs_12hrs", L"12 hour before"},                {L"rs_1days", L"1 day before"},
        {L"rs_2days", L"2 days before"},                 {L"rs_3days", L"3 days before"},
        {L"rs_1weeks", L"1 week before"},
    };
    for (const auto& item : items)
        expected.push_back(L"item id=\"" + item.first + L"\" label=\"" + item.second + L"\"");
    const std::vector<std::wstring> rest = {
        L"labelControl id=\"Schedule_SendFeedback\" getLabel=\"Ribbon_GetLabel\"",
        L"group id=\"ReminderFormat\" label=\"Reminder Format\"",
        L"dropDown id=\"ZentavoOLSMSAddinSMSReminderFormatMessageTemplate\" label=\"Message Template\" "
        L"showLabel=\"true\" sizeString=\"Use Default Template======\" onAction=\"Ribbon_DropDownOnAction\" "
        L"getSelectedItemID=\"Ribbon_GetText\"" + lists,
        L"comboBox id=\"ZentavoOLSMSAddinSMSReminderFormatMessageFrom\" label=\"SMS Sender's Id\" showLabel=\"true\" "
        L"sizeString=\"WWWWWWWWWWWWWW\"" + combo + lists,
        L"button id=\"ViewMessagePreview\" label=\"View Message Preview\" imageMso=\"ViewVisualBasicCode\" "
        L"onAction=\"Ribbon_ButtonOnAction\"",
    };
    expected.insert(expected.end(), rest.begin(), rest.end());
    const std::wstring document = Document();
    EXPECT_EQ(expected, Elements(document));
    const std::wstring close = L"</group></tab></tabs></ribbon></customUI>";
    EXPECT_EQ(document.size() - close.size(), document.rfind(close));
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

TEST_F(SMSReminder, TabLabelFollowsTheOutlookVersion)
{
    struct Case
    {
        const wchar_t* version;
        const wchar_t* label;
    };
    const Case cases[] = {{L"15.0.4420.1017", L"label=\"SMS REMINDERS\""}, {L"16.0.0.17928", L"label=\"SMS Reminders\""}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.version);
        m_Connection->OnDisconnection(ext_dm_HostShutdown, nullptr);
        m_Outlook.Application()->SetProperty(L"Version", _variant_t(c.version));
        ASSERT_EQ(S_OK, m_Connection->OnConnection(m_Outlook.Application(), ext_cm_Startup, nullptr, nullptr));
        EXPECT_NE(std::wstring::npos, Document().find(L"<tab id=\"ZentavoSMSReminders\" " + std::wstring(c.label)));
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
            CFakeUserProperties::Of(FakeCollectionOf(item->Value(L"UserProperties")))
                ->Preset(Wide(kSchedule), _variant_t(c.storedSchedule));
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
    EXPECT_TRUE(m_Boxes.Boxes().empty()) << m_Boxes.Boxes().front().text;
}

TEST_F(SMSReminder, OnlyAppointmentsGetAContext)
{
    m_Item = m_Outlook.NewMailItem();
    m_Inspector = m_Outlook.NewInspector(m_Item);
    m_Outlook.Inspectors()->Fire(DIID_InspectorsEvents, kNewInspector, {Object(m_Inspector)});
    EXPECT_EQ(0u, m_Inspector->Connections(DIID_InspectorEvents));
    Text(L"Ribbon_GetText", kSchedule);
    const std::vector<std::string> boxes = BoxTexts();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(std::string::npos,
              boxes[0].find("COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::Ribbon_GetText - Could not get "
                            "InspectorContext"))
        << boxes[0];
    m_Inspector = nullptr;
}

TEST_F(SMSReminder, AFailingAdviseIsReportedWithItsStep)
{
    m_Item = m_Outlook.NewAppointmentItem(L"Review", kStart, kEnd);
    m_Item->FailAdvise(DIID_ItemEvents_10, CONNECT_E_CANNOTCONNECT);
    Open(0, m_Item);
    const std::vector<std::string> boxes = BoxTexts();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(std::string::npos, boxes[0].find("pItemEventHandler->Advise ( dispItem )")) << boxes[0];
    EXPECT_NE(std::string::npos, boxes[0].find("Function: CAddin::OnInspectorsNewInspector")) << boxes[0];
    EXPECT_EQ(0u, m_Inspector->Connections(DIID_InspectorEvents));
    m_Inspector = nullptr;
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
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Preferences().SetUsersMobilePhoneNumber(c.mobile);
        Open();
        if (c.to)
            Call(L"Ribbon_OnChange", {Object(Control(kTo)), _variant_t(c.to)});
        if (c.myMobile)
            Call(L"Ribbon_CheckBoxOnAction", {Object(Control(kMyMobile)), _variant_t(1L)});
        if (c.schedule)
            Call(L"Ribbon_OnChange", {Object(Control(kSchedule)), _variant_t(c.schedule)});
        EXPECT_EQ(c.label, Text(L"Ribbon_GetLabel", c.control));
        CloseInspector();
    }
    EXPECT_TRUE(m_Boxes.Boxes().empty()) << m_Boxes.Boxes().front().text;
}

TEST_F(SMSReminder, ListsOfferTemplatesSendersAndAttendees)
{
    CSMSTemplate weekly;
    weekly.Name = "Weekly";
    weekly.Text = "[ApptSubject]";
    Preferences().GetAppointmentTemplates().push_back(weekly);
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
        const long count = Number(L"Ribbon_GetItemCount", c.control);
        std::vector<std::wstring> ids;
        std::vector<std::wstring> labels;
        for (long i = 0; i < count; ++i)
        {
            ids.push_back(ItemText(L"Ribbon_GetItemID", c.control, i));
            labels.push_back(ItemText(L"Ribbon_GetItemLabel", c.control, i));
        }
        EXPECT_EQ(c.ids, ids);
        EXPECT_EQ(c.labels, labels);
    }
    EXPECT_EQ(L"S_DefaultTemplate", Text(L"Ribbon_GetText", kTemplate));
    EXPECT_EQ(1L, Number(L"Ribbon_GetVisible", "ZentavoSMSReminders"));
    EXPECT_TRUE(m_Boxes.Boxes().empty()) << m_Boxes.Boxes().front().text;
}

// Each change is kept in the edited properties, raises the item's change
// counter and refreshes the controls that show it.
TEST_F(SMSReminder, ChangesMarkTheItemAndRefreshTheirControls)
{
    Preferences().SetUsersMobilePhoneNumber("07700900123");
    struct Case
    {
        const char* name;
        std::function<void(SMSReminder&)> act;
        std::vector<std::wstring> invalidated;
        std::string control;     // read back with getter
        const wchar_t* getter;
        std::wstring value;
    };
    const Case cases[] = {
        {"schedule typed", [](SMSReminder& t) { t.Call(L"Ribbon_OnChange", {Object(t.Control(kSchedule)), _variant_t(L"1 day before")}); },
         {L"Schedule_SendFeedback"}, kSchedule, L"Ribbon_GetText", L"1 day before"},
        {"recipients typed", [](SMSReminder& t) { t.Call(L"Ribbon_OnChange", {Object(t.Control(kTo)), _variant_t(L"07700900001")}); },
         {L"RecipientCount"}, kTo, L"Ribbon_GetText", L"07700900001"},
        {"sender typed", [](SMSReminder& t) { t.Call(L"Ribbon_OnChange", {Object(t.Control(kFrom)), _variant_t(L"ACME")}); },
         {}, kFrom, L"Ribbon_GetText", L"ACME"},
        {"my mobile ticked", [](SMSReminder& t) { t.Call(L"Ribbon_CheckBoxOnAction", {Object(t.Control(kMyMobile)), _variant_t(1L)}); },
         {Wide(kMyMobile), L"RecipientCount"}, kMyMobile, L"Ribbon_GetPressed", L"1"},
        {"template chosen", [](SMSReminder& t) {
             t.Call(L"Ribbon_DropDownOnAction", {Object(t.Control(kTemplate)), _variant_t(L"U_Weekly"), _variant_t(1L)});
         }, {}, kTemplate, L"Ribbon_GetText", L"U_Weekly"},
        {"all removed", [](SMSReminder& t) {
             t.Call(L"Ribbon_OnChange", {Object(t.Control(kTo)), _variant_t(L"07700900001")});
             t.Call(L"Ribbon_CheckBoxOnAction", {Object(t.Control(kMyMobile)), _variant_t(1L)});
             t.m_Outlook.Log().Clear();
             t.Call(L"Ribbon_ButtonOnAction", {Object(t.Control("RemoveAllRecipients"))});
         }, {Wide(kMyMobile), Wide(kTo), L"RecipientCount"}, kTo, L"Ribbon_GetText", L""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Open();
        EXPECT_EQ(L"<absent>", Dispatch::ToText(Stored(kUpdateCount)));
        m_Outlook.Log().Clear();
        c.act(*this);
        EXPECT_EQ(c.invalidated, Invalidations());
        EXPECT_LE(1L, static_cast<long>(Stored(kUpdateCount)));
        EXPECT_EQ(c.value, Dispatch::ToText(Call(c.getter, {Object(Control(c.control))})));
        CloseInspector();
    }
    EXPECT_TRUE(m_Boxes.Boxes().empty()) << m_Boxes.Boxes().front().text;
}

TEST_F(SMSReminder, TheCounterCountsEveryChange)
{
    Open();
    Call(L"Ribbon_OnChange", {Object(Control(kSchedule)), _variant_t(L"1 day before")});
    EXPECT_EQ(20L, static_cast<long>(Properties().Property(Wide(kUpdateCount))->Value(L"Type")));
    Call(L"Ribbon_OnChange", {Object(Control(kSchedule)), _variant_t(L"2 days before")});
    Call(L"Ribbon_OnChange", {Object(Control(kTo)), _variant_t(L"1")});
    EXPECT_EQ(3L, static_cast<long>(Stored(kUpdateCount)));
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
        Call(L"Ribbon_CheckBoxOnAction", {Object(Control(kMyMobile)), _variant_t(1L)});
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
    CSMSTemplate weekly;
    weekly.Name = "Weekly";
    weekly.Text = "[ApptSubject]";
    Preferences().GetAppointmentTemplates().push_back(weekly);
    for (int answer : {IDCANCEL, IDOK})
    {
        SCOPED_TRACE(answer);
        Open();
        m_Outlook.Log().Clear();
        m_Driver.Expect().Caption("Templates").Press(answer);
        Call(L"Ribbon_DropDownOnAction", {Object(Control(kTemplate)), _variant_t(L"I_ManageTemplates"), _variant_t(1L)});
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
    m_Item = m_Outlook.NewAppointmentItem(L"Review", kStart, kEnd);
    m_Item->SetProperty(L"Location", _variant_t(L"Room 1"));
    m_Item->SetProperty(L"Body", _variant_t(L"Bring notes\r\nand pens"));
    Open(0, m_Item);
    Call(L"Ribbon_OnChange", {Object(Control(kTo)), _variant_t(L"Ann [+447700900001]; ")});
    Call(L"Ribbon_CheckBoxOnAction", {Object(Control(kMyMobile)), _variant_t(1L)});
    Call(L"Ribbon_OnChange", {Object(Control(kFrom)), _variant_t(L"ACME")});
    m_Driver.Expect().Caption("SMS Message Preview").Press(IDOK);
    Call(L"Ribbon_ButtonOnAction", {Object(Control("ViewMessagePreview"))});
    ASSERT_EQ(1u, m_Driver.Seen().size());
    const CSeenWindow& preview = m_Driver.Seen().front();
    ASSERT_TRUE(preview.Control(IDC_PREVIEW_RECIPIENTS) && preview.Control(IDC_PREVIEW_MESSAGE));
    EXPECT_EQ("Ann [+447700900001]; 07700900123; ", preview.Control(IDC_PREVIEW_RECIPIENTS)->text);
    EXPECT_EQ("ACME", preview.Control(IDC_PREVIEW_SENDERSID)->text);
    EXPECT_EQ("Appointment:\r\nReview\r\nStart: 10/06 14:30\r\nLoc: Room 1\r\n\r\nNotes:\r\nBring notes\r\nand pens",
              preview.Control(IDC_PREVIEW_MESSAGE)->text);
    EXPECT_TRUE(m_Boxes.Boxes().empty()) << m_Boxes.Boxes().front().text;
}

// The selector opens over the edited recipients; OK stores what it lists
// then, Cancel changes nothing even after a pick.
TEST_F(SMSReminder, SelectRecipientsStoresTheChoiceOnOK)
{
    const auto rows = std::make_shared<std::vector<CFakeContactRow>>();
    CFakeContactRow bob;
    bob.m_FullName = L"Bob Ray";
    bob.m_Mobile = L"+447700900002";
    bob.m_EntryId = L"0a02";
    rows->push_back(bob);
    m_Outlook.AddressLists()->Add(
        m_Outlook.NewAddressList(L"Contacts", L"", m_Outlook.NewContactFolder(L"Contacts", L"00ee", rows)));

    struct Case
    {
        int button;
        std::vector<std::wstring> invalidated;
        std::wstring to;
        long updateCount;  // one for typing the first recipient
    };
    const Case cases[] = {
        {IDCANCEL, {}, L"Ann [+447700900001]; ", 1},
        {IDOK, {Wide(kTo), L"RecipientCount"}, L"Ann [+447700900001]; Bob Ray [+447700900002]; ", 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.button);
        Open();
        Call(L"Ribbon_OnChange", {Object(Control(kTo)), _variant_t(L"Ann [+447700900001]; ")});
        m_Outlook.Log().Clear();
        std::vector<std::string> shown;
        m_Driver.Expect().Caption("Select Recipients").Run(AddFirstAvailableAndPress(c.button, shown));
        Call(L"Ribbon_ButtonOnAction", {Object(Control("SelectRecipients"))});
        EXPECT_EQ(std::vector<std::string>{"Ann [+447700900001]"}, shown);
        EXPECT_EQ(c.invalidated, Invalidations());
        EXPECT_EQ(c.to, Text(L"Ribbon_GetText", kTo));
        EXPECT_EQ(c.updateCount, static_cast<long>(Stored(kUpdateCount)));
        CloseInspector();
    }
    EXPECT_TRUE(m_Boxes.Boxes().empty()) << m_Boxes.Boxes().front().text;
}

// A CBT hook in Outlook's process (another add-in's, an accessibility
// tool's) may refuse a window: a selector that cannot open is an error
// under the step that ran it, not a Cancel.
TEST_F(SMSReminder, ASelectorThatCannotOpenIsShownAsAnError)
{
    Open();
    Call(L"Ribbon_OnChange", {Object(Control(kTo)), _variant_t(L"Ann [+447700900001]; ")});
    m_Outlook.Log().Clear();
    {
        const CTopLevelWindowRefusal refusal;
        ASSERT_TRUE(refusal.Active());
        Call(L"Ribbon_ButtonOnAction", {Object(Control("SelectRecipients"))});
    }
    const std::vector<std::string> boxes = BoxTexts();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(std::string::npos,
              boxes[0].find("CAddin::Callback_ItemExtender_ShowRecipientSelector:ContactSelectorDlg.DoModal"))
        << boxes[0];
    EXPECT_NE(std::string::npos, boxes[0].find("Function: CAddin::Ribbon_ButtonOnAction")) << boxes[0];
    EXPECT_TRUE(Invalidations().empty());
    EXPECT_EQ(L"Ann [+447700900001]; ", Text(L"Ribbon_GetText", kTo));
    EXPECT_EQ(1L, static_cast<long>(Stored(kUpdateCount)));
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
    _variant_t cancelArgument;
    V_VT(&cancelArgument) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&cancelArgument) = &cancel;
    m_Item->Fire(DIID_ItemEvents_10, 0xF002, {cancelArgument});
    EXPECT_EQ(VARIANT_FALSE, cancel);
    m_Outlook.Log().Clear();
    cancel = VARIANT_FALSE;
    m_Item->Fire(DIID_ItemEvents_10, 0xF004, {cancelArgument});
    m_Item->Fire(DIID_ItemEvents_10, 0xFBAD);
    EXPECT_EQ(VARIANT_FALSE, cancel);
    EXPECT_TRUE(m_Outlook.Log().Calls().empty());
    EXPECT_EQ(1u, m_Item->Connections(DIID_ItemEvents_10));
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

TEST_F(SMSReminder, AMissingRibbonIsLoggedOnceAndNothingShown)
{
    CEventLogCapture events;
    Call(L"AppointmentItem_RibbonLoaded", {_variant_t(static_cast<IDispatch*>(m_Outlook.NewObject(L"NotARibbon")))});
    Open();
    m_Item->Fire(DIID_ItemEvents_10, kPropertyChange, {_variant_t(L"Start")});
    const std::vector<std::string> texts = events.Texts();
    ASSERT_EQ(1u, texts.size());
    EXPECT_NE(std::string::npos, texts[0].find("m_spRibbonUI was null")) << texts[0];
    EXPECT_NE(std::string::npos, texts[0].find("COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnItemPropertyChange"));
    EXPECT_TRUE(m_Boxes.Boxes().empty()) << m_Boxes.Boxes().front().text;
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

    struct Case
    {
        std::string templateId;
        std::wstring message;
    };
    const Case cases[] = {
        {"S_DefaultTemplate", L"Appointment:\nReview\nStart: 10/06 14:30\nLoc: Room 1\n\nNotes:\nBring notes"},
        {"U_" + times.GetId(), L"14:30:00-15:00 10/06/2030 06/10/2030 10/06 10/06 15:00 Rev [Unknown]"},
        {"U_Missing", L""},
        {"S_Missing", L""},
        {times.GetId(), L""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.templateId);
        std::wstring message = L"old";
        EXPECT_EQ(c.message, Extender().FormatReminderMessage(message, item, c.templateId));
    }
}

TEST_F(SMSReminderMessage, RecipientsTakeMyNumberAndTheAttendees)
{
    Preferences().SetUsersMobilePhoneNumber("07700900123");
    const CFakeObjectPtr item = m_Outlook.NewAppointmentItem(L"Review", kStart, kEnd, 1);
    const CFakeObjectPtr bob = m_Outlook.NewContactItem(L"Bob Ray", L"Bob", L"Ray", L"+447700900555");
    const CFakeObjectPtr entry = m_Outlook.NewAddressEntry(L"Bob Ray", L"bob@example.com", L"SMTP", nullptr, bob);
    FakeCollectionOf(item->Value(L"Recipients"))
        ->Add(static_cast<IDispatch*>(m_Outlook.NewRecipient(L"Bob Ray", L"bob@example.com", entry)));

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
        COutlookAddin_ItemExtender_AppointmentItem_SMSReminder_Properties properties;
        properties.SetRecipientsTo(c.to);
        properties.SetRecipientsIncludeMyMobile(c.myMobile);
        CSMSContactVector contacts;
        Extender().GetReminderRecipients(item, properties, contacts);
        EXPECT_EQ(c.expected, CSMSContactUtils::GenerateContactCSVList(contacts));
    }
}

TEST(SMSReminderProperties, ValidateLooksAtTheScheduleOnly)
{
    struct Case
    {
        const char* schedule;  // null: absent
        std::vector<std::string> errors;
    };
    const Case cases[] = {
        {nullptr, {"Please enter Reminder Schedule"}},
        {"", {"Please enter Reminder Schedule"}},
        {"soon", {"The Reminder Schedule entered is not valid"}},
        {"15 minutes before", {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.schedule ? c.schedule : "absent");
        COutlookAddin_ItemExtender_AppointmentItem_SMSReminder_Properties properties;
        if (c.schedule)
            properties.SetSchedule(c.schedule);
        std::vector<std::string> errors;
        EXPECT_EQ(c.errors.empty(), properties.Validate(errors));
        EXPECT_EQ(c.errors, errors);
    }
}

TEST(SMSReminderProperties, TheReminderIsOnWithRecipientsOrMyMobile)
{
    COutlookAddin_ItemExtender_AppointmentItem_SMSReminder_Properties properties;
    EXPECT_FALSE(properties.IsSMSReminderOn());
    properties.SetString(COutlookAddin_ItemExtender_AppointmentItem_SMSReminder_Properties::kRecipientsIncludeMyMobile,
                         "1");
    EXPECT_TRUE(properties.GetRecipientsIncludeMyMobile()) << "as read back from an item";
    EXPECT_TRUE(properties.IsSMSReminderOn());
    properties.SetRecipientsIncludeMyMobile(false);
    EXPECT_FALSE(properties.IsSMSReminderOn());
    properties.SetRecipientsTo("07700900001");
    EXPECT_TRUE(properties.IsSMSReminderOn());
}
} // namespace
