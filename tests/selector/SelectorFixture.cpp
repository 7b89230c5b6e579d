#include "tests/selector/SelectorFixture.h"

#include "contacts/MAPIUtils.h"
#include "resources/resource.h"
#include "tests/support/WindowDriver.h"
#include "ui/ContactSelectorDlg.h"

std::vector<std::string> ContactTexts(const CSMSContactVector& contacts)
{
    std::vector<std::string> texts;
    for (const CSMSContact& contact : contacts)
        texts.push_back(RowText(contact.m_Name, contact.m_Number));
    return texts;
}

void ContactSelector::SetUp()
{
    RegistryFixture::SetUp();
    ASSERT_TRUE(m_TestMAPI.IsOurs()) << "the test MAPI is not the loaded mapi32.dll";
    m_TestMAPI.Reset();
    CMAPIUtils::InitialiseMAPI();
    m_TestMAPI.AddContainer("aa01", "Global Address List", true);

    m_ContactsFolder = m_Outlook.NewContactFolder(L"Contacts", L"00ee", m_Rows);
    m_Outlook.DefaultFolder(10)->SetProperty(L"EntryID", m_ContactsFolder->Value(L"EntryID"));
    m_Outlook.AddressLists()->Add(m_Outlook.NewAddressList(L"Contacts", L"", m_ContactsFolder));
    m_Outlook.AddressLists()->Add(m_Outlook.NewAddressList(L"Global Address List", L"aa01", nullptr));
    m_Version.Parse("16.0.0.17928");
    Plugin().SetOutlookVersionCapabilites(&m_Version);
    LoadSettings({});
}

void ContactSelector::TearDown()
{
    Plugin().SetOutlookVersionCapabilites(nullptr);
    LoadSettings({});
    EXPECT_EQ(0, m_TestMAPI.LiveObjects()) << "MAPI objects left behind";
    CMAPIUtils::UninitialiseMAPI();
    RegistryFixture::TearDown();
}

void ContactSelector::LoadSettings(const std::vector<std::pair<std::string, std::string>>& settings)
{
    ::RegDeleteTreeA(Root(), kSettings);
    for (const auto& [name, value] : settings)
        WriteRaw(kSettings, name, value);
    Plugin().m_Config.Load();
    Plugin().m_UserPreferences.Load();
}

INT_PTR ContactSelector::Run(const CSMSContactVector& recipients, const Script& script)
{
    CWindowDriver driver;
    ExpectSelector(driver, script);
    CContactSelectorDlg selector;
    selector.SetOutlookApplication(m_Outlook.Application());
    selector.Contacts() = recipients;
    const INT_PTR result = selector.DoModal(nullptr);
    m_Result = selector.Contacts();
    m_DriverProblems = driver.Problems();
    return result;
}

void ContactSelector::ExpectSelector(CWindowDriver& driver, const Script& script)
{
    driver.Expect().Caption("Select Recipients").Run([script](HWND dialog) {
        CSelectorWindow window(dialog);
        script(window);
    });
}

void ContactSelector::AddContact(const std::wstring& fullName, const std::wstring& mobile, const std::wstring& entryId,
                                 const std::wstring& business)
{
    CFakeContactRow row;
    row.m_FullName = fullName;
    const size_t blank = fullName.find(L' ');
    row.m_GivenName = fullName.substr(0, blank);
    row.m_Surname = blank == std::wstring::npos ? L"" : fullName.substr(blank + 1);
    row.m_Mobile = mobile;
    row.m_Business = business;
    row.m_EntryId = entryId;
    m_Rows->push_back(row);
}

void ContactSelector::AddContactFolderList(const std::wstring& name, const std::wstring& entryId)
{
    CFakeContactRow row;
    row.m_FullName = name;
    row.m_EntryId = entryId;
    row.m_MessageClass = L"IPM.DistList";
    m_Rows->push_back(row);
}

void ContactSelector::AddGALEntry(const char* entryId, const char* name, const char* mobile, const char* container,
                                  ULONG objectType, const char* given, const char* surname)
{
    TestMAPIEntry entry = {};
    entry.container = container;
    entry.entryId = entryId;
    entry.displayName = name;
    entry.objectType = objectType;
    entry.mobile = mobile;
    entry.givenName = given;
    entry.surname = surname;
    m_TestMAPI.AddEntry(entry);
}

void ContactSelector::AddContainerList(const char* id, const char* name)
{
    m_TestMAPI.AddContainer(id, name, true);
    const std::string wideName(name);
    m_Outlook.AddressLists()->Add(m_Outlook.NewAddressList(std::wstring(wideName.begin(), wideName.end()),
                                                           std::wstring(id, id + strlen(id)), nullptr));
}

std::vector<std::string> ContactSelector::EventTexts() const
{
    std::vector<std::string> texts;
    for (const CapturedEvent& event : Events())
        texts.push_back(event.text);
    return texts;
}
