// The extender host's routing and forwarding, and the add-in's routing of
// Outlook's events through the test Outlook's connection points.
#include "addin/OutlookAddin_ItemExtender_ZentavoSMSAddin.h"
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/Exceptions.h"
#include "tests/support/AddinObject.h"
#include "tests/support/AddinUnderTest.h"
#include "tests/support/RegistryFixture.h"

#include <gtest/gtest.h>

namespace
{
using CExtenderList = COutlookAddin_ItemExtender_ZentavoSMSAddin::CExtenderList;

TEST(ExtenderHost, RoutesControlIdsRibbonIdsAndItemClasses)
{
    COutlookAddin_ItemExtender_ZentavoSMSAddin host;
    const CExtenderList explorerRibbon = host.GetExtendersForRibbonId(L"Microsoft.Outlook.Explorer");
    ASSERT_EQ(3u, explorerRibbon.size());
    IOutlookAddin_ItemExtender* const mail = explorerRibbon[0];
    IOutlookAddin_ItemExtender* const contact = explorerRibbon[1];
    IOutlookAddin_ItemExtender* const explorer = explorerRibbon[2];
    IOutlookAddin_ItemExtender* const reminder = &host.GetSMSReminderExtender();
    EXPECT_EQ(explorer, static_cast<IOutlookAddin_ItemExtender*>(&host.GetOutlookExplorerExtender()));

    const struct
    {
        const wchar_t* id;
        IOutlookAddin_ItemExtender* extender;
    } controls[] = {
        {L"ZentavoOLSMSAddinContactItemSendSMSToContact", contact},
        {L"ZentavoOLSMSAddinExplorerTabMailSendSMS", explorer},
        {L"ZentavoOLSMSAddinMailItemReplyViaSMS", mail},
        {L"ZentavoOLSMSAddinMailItem", mail},
        {L"ZentavoOLSMSAddinMail", reminder},
        {L"ZentavoOLSMSAddinSMSReminderSchedule", reminder},
        {L"zentavoolsmsaddinmailitemreply", reminder},
        {L"", reminder},
    };
    for (const auto& c : controls)
        EXPECT_EQ(c.extender, host.GetExtenderForControlId(c.id)) << std::wstring(c.id).size();

    EXPECT_EQ(CExtenderList{reminder}, host.GetExtendersForRibbonId(L"Microsoft.Outlook.Appointment"));
    EXPECT_TRUE(host.GetExtendersForRibbonId(L"Microsoft.Outlook.Mail.Read").empty());
    EXPECT_TRUE(host.GetExtendersForRibbonId(L"microsoft.outlook.explorer").empty());
    CExtenderList byClass;
    EXPECT_EQ(CExtenderList{reminder}, host.GetExtendersForItemClass(26, byClass));
    CExtenderList none;
    EXPECT_TRUE(host.GetExtendersForItemClass(43, none).empty());
    EXPECT_EQ(2, COutlookAddin_ItemExtender_ZentavoSMSAddin::IsExplorerRibbonId(L"Microsoft.Outlook.Explorer"));
    EXPECT_EQ(1, COutlookAddin_ItemExtender_ZentavoSMSAddin::IsExplorerRibbonId(L"Microsoft.Outlook.Appointment"));
}

TEST(ExtenderHost, ServicesWithoutAProviderRaiseNamingTheOperation)
{
    COutlookAddin_ItemExtender_ZentavoSMSAddin host;
    try
    {
        host.GetServices().Callback_ItemExtender_ShowSendSMSWindow();
        ADD_FAILURE() << "no exception";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_EQ("COutlookAddin_ItemExtender_ZentavoSMSAddin::Callback_ItemExtender_ShowSendSMSWindow - "
                  "DependantServicesProvider not set",
                  e.GetDescription());
        EXPECT_EQ(E_FAIL, e.GetHResult());
    }
    std::string number;
    EXPECT_THROW(host.GetServices().Callback_ItemExtender_GetUsersMobileNumber(number, false), CGeneralException);
}

class AddinRouting : public RegistryFixture
{
protected:
    void SetUp() override
    {
        RegistryFixture::SetUp();
        ASSERT_EQ(S_OK, CreateAddinObject(IID__IDTExtensibility2, &m_Addin));
        ASSERT_EQ(S_OK, m_Addin->OnConnection(m_Outlook.Application(), ext_cm_Startup, nullptr, nullptr));
    }
    void TearDown() override
    {
        m_Addin->OnDisconnection(ext_dm_HostShutdown, nullptr);
        m_Addin->Release();
        RegistryFixture::TearDown();
    }
    CAddin& Addin() { return *static_cast<CAddin*>(m_Addin); }

    CFakeObjectPtr NewAppointment() { return m_Outlook.NewAppointmentItem(L"Review", 47644.5, 47644.6); }
    // Fires BeforeItemMove on the calendar with Cancel set beforehand.
    VARIANT_BOOL MoveWithCancelSet(const CFakeObjectPtr& item)
    {
        VARIANT_BOOL cancel = VARIANT_TRUE;
        m_Outlook.DefaultFolder(9)->Fire(DIID_MAPIFolderEvents_12, 0xFBA9,
                                         {Object(item), Object(m_Outlook.DefaultFolder(3)), CancelReference(cancel)});
        return cancel;
    }

    // Fires Outlook's legacy item context menu over a selection of a mail,
    // a contact, both or neither; returns the menu.
    CFakeObjectPtr ShowLegacyContextMenu(bool mail, bool contact)
    {
        const CFakeCollectionPtr selection = m_Outlook.NewCollection(L"Selection");
        selection->AddInterface(IID_Selection);
        if (mail)
            selection->Add(m_Outlook.NewMailItem());
        if (contact)
            selection->Add(m_Outlook.NewContactItem(L"Ann Lee", L"Ann", L"Lee", L"+447700900001"));
        const CFakeObjectPtr menu = m_Outlook.NewCommandBar(L"Context Menu");
        m_Outlook.Application()->Fire(DIID_ApplicationEvents_11, 0xFB41, {Object(menu), Object(selection)});
        return menu;
    }

    CMessageBoxCapture m_Boxes;
    CFakeOutlook m_Outlook;
    _IDTExtensibility2* m_Addin = nullptr;
};

std::vector<CFakeObjectPtr> MenuButtons(const CFakeObjectPtr& menu)
{
    std::vector<CFakeObjectPtr> buttons;
    for (size_t i = 0;; ++i)
    {
        const CFakeObjectPtr button = FakeElementOf(menu, L"Controls", i);
        if (!button)
            return buttons;
        buttons.push_back(button);
    }
}

// The reminder lets the move of an appointment without a reminder go on
// (Cancel cleared); an item that is not an appointment reaches no extender
// and keeps Cancel as it was.
TEST_F(AddinRouting, MovesReachTheReminderOnlyForAppointments)
{
    EXPECT_EQ(VARIANT_FALSE, MoveWithCancelSet(NewAppointment()));
    EXPECT_EQ(VARIANT_TRUE, MoveWithCancelSet(m_Outlook.NewMailItem()));
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

TEST_F(AddinRouting, AFailingStepIsShownUnderTheHandlersName)
{
    const CFakeObjectPtr appointment = NewAppointment();
    appointment->Fail(L"Class", E_ACCESSDENIED, L"Item gone");
    FakeObjectOf(m_Outlook.DefaultFolder(9)->Value(L"Items"))->Fire(DIID_ItemsEvents, 0xF002, {Object(appointment)});
    ASSERT_EQ(1u, m_Boxes.Boxes().size());
    EXPECT_EQ("An error has occured (Ctrl-C to copy)\n\nCOM exception thrown (Context:Entry) - Item gone\n\n(-2147024891)\n\n"
              "Function: CAddin::OnItemChange",
              m_Boxes.Boxes()[0].text);
}

// The options page is added as the policies say; a refused Add is logged.
TEST_F(AddinRouting, OptionsPageFollowsItsPolicies)
{
    // Outlook's OptionsPagesAdd event over a collection of pages.
    const auto firePagesAdd = [this](bool refused) {
        const CFakeCollectionPtr pages = m_Outlook.NewCollection(L"PropertyPages");
        pages->AddInterface(IID_PropertyPages);
        pages->SetMethod(L"Add", [self = pages.GetInterfacePtr()](const CFakeObject::Arguments& arguments) {
            self->Add(arguments.at(0));
            return _variant_t();
        });
        if (refused)
            pages->Fail(L"Add", E_ACCESSDENIED);
        m_Outlook.Application()->Fire(DIID_ApplicationEvents, 0xF005, {Object(pages)});
        return pages;
    };
    struct Case
    {
        const char* pagePolicy;
        const char* buttonPolicy;
        bool added;
    };
    const Case cases[] = {
        {"", "", true},          {"Enabled", "Hidden", true}, {"", "Hidden", false},
        {"", "Enabled", true},   {"Disabled", "", false},     {"enabled", "", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "page " << c.pagePolicy << ", button " << c.buttonPolicy);
        WriteRaw(kSettings, "ZentavoSMSUIOptionsPropertyPage", c.pagePolicy);
        WriteRaw(kSettings, "ZentavoSMSUIOptionsButton", c.buttonPolicy);
        CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_Config.Load();
        EXPECT_EQ(c.added ? 1u : 0u, firePagesAdd(false)->Size());
        if (c.added)
        {
            EXPECT_EQ(L"PropertyPages.Add(\"OutlookAddin.PropPage\", \"ZentavoSMS\")",
                      m_Outlook.Log().CallsTo(L"PropertyPages.Add").back().ToText());
        }
    }

    CEventLogCapture events;
    WriteRaw(kSettings, "ZentavoSMSUIOptionsPropertyPage", "Enabled");
    CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_Config.Load();
    firePagesAdd(true);
    ASSERT_EQ(1u, events.Events().size());
    EXPECT_NE(std::string::npos,
              events.Events()[0].text.find("spPages->Add((_variant_t)varProgId,(_bstr_t)bstrTitle)"));
    EXPECT_NE(std::string::npos, events.Events()[0].text.find("CAddin::OnOptionsAddPages"));
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

// The legacy item context menu: contact buttons first, then the reply; a
// second showing replaces the buttons without doubling their connections.
TEST_F(AddinRouting, LegacyContextMenuAddsButtonsForTheSelection)
{
    struct Case
    {
        const char* name;
        bool mail;
        bool contact;
        std::vector<std::wstring> captions;
    };
    const Case cases[] = {
        {"mail", true, false, {L"Reply Via SMS"}},
        {"contact", false, true, {L"Send SMS to Contact", L"Forward via SMS Message"}},
        {"both", true, true, {L"Send SMS to Contact", L"Forward via SMS Message", L"Reply Via SMS"}},
        {"neither", false, false, {}},
    };
    const long connectionsBefore = CFakeObject::LiveConnections();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        for (int showing = 0; showing < 2; ++showing)
        {
            std::vector<std::wstring> captions;
            for (const CFakeObjectPtr& button : MenuButtons(ShowLegacyContextMenu(c.mail, c.contact)))
            {
                captions.push_back(static_cast<const wchar_t*>(_bstr_t(button->Value(L"Caption"))));
                EXPECT_EQ(1u, button->Connections(DIID__CommandBarButtonEvents));
            }
            EXPECT_EQ(c.captions, captions);
        }
    }
    EXPECT_LE(CFakeObject::LiveConnections() - connectionsBefore, 3) << "one connection per kind of button at most";
    EXPECT_TRUE(m_Boxes.Boxes().empty()) << m_Boxes.Boxes().front().text;
}

// Once Outlook has asked for the explorer ribbon, whose own context menus
// carry the commands, the legacy menu gets no buttons. The cases run in
// order on one add-in: the appointment ribbon's document before it changes
// nothing.
TEST_F(AddinRouting, ExplorerRibbonTakesOverTheLegacyContextMenu)
{
    const std::pair<const wchar_t*, size_t> cases[] = {{L"Microsoft.Outlook.Appointment", 3}, {L"Microsoft.Outlook.Explorer", 0}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.first);
        EXPECT_NE(L"<null>", CustomUI(m_Addin, c.first));
        EXPECT_EQ(c.second, MenuButtons(ShowLegacyContextMenu(true, true)).size());
    }
    EXPECT_TRUE(m_Boxes.Boxes().empty()) << m_Boxes.Boxes().front().text;
}

// Without a stored number the prompt asks for one when allowed to, and the
// number given is saved at once.
TEST_F(AddinRouting, UsersMobileNumberComesFromThePreferences)
{
    CConfigZentavoSMSOutlookAddin_UserPreferences& preferences =
        CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_UserPreferences;
    std::string number = "left over";
    preferences.SetUsersMobilePhoneNumber("");
    EXPECT_EQ("", Addin().Callback_ItemExtender_GetUsersMobileNumber(number, false));
    for (const auto& c : {std::make_pair(IDCANCEL, ""), std::make_pair(IDOK, "447700900999")})
    {
        SCOPED_TRACE(c.first);
        CWindowDriver driver;
        driver.Expect().Caption("Please Enter Your Mobile Number").SetText(IDC_MOBILEPROMPT_NUMBER, "447700900999").Press(c.first);
        EXPECT_EQ(c.second, Addin().Callback_ItemExtender_GetUsersMobileNumber(number, true));
        EXPECT_EQ("", driver.Problems());
        EXPECT_EQ(c.first == IDOK ? std::optional<std::string>(c.second) : std::nullopt,
                  ReadText(kSettings, "ZentavoSMSUsersMobilePhoneNumber")) << "saved at once";
    }
    preferences.SetUsersMobilePhoneNumber("+447700900123");
    EXPECT_EQ("+447700900123", Addin().Callback_ItemExtender_GetUsersMobileNumber(number, true));
    EXPECT_EQ(16, Addin().Callback_ItemExtender_GetOutlookVersionCapabilites().m_nMajorVersion);
}
} // namespace
