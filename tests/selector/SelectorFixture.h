// The recipient selector as its callers run it: modal, over the test
// Outlook (a "Contacts" address list backed by a contact folder, and a
// "Global Address List" backed by a container of the test MAPI), from the
// settings of a scratch registry. The window driver answers the dialog with
// a script that works its controls inside the dialog's modal loop.
#pragma once

#include "addin/OutlookVersionCapabilites.h"
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "contacts/SMSContact.h"
#include "core/ScopedComApartment.h"
#include "tests/contacts/TestMAPI.h"
#include "tests/support/EventCapture.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/RegistryFixture.h"
#include "tests/support/SelectorWindow.h"

#include <gtest/gtest.h>

class CWindowDriver;

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class ContactSelector : public RegistryFixture
{
public:
    using Script = std::function<void(CSelectorWindow&)>;

    static CZentavoSMSOutlookPlugin& Plugin() { return CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin; }

protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the stored settings and loads them into the plug-in core.
    void LoadSettings(const std::vector<std::pair<std::string, std::string>>& settings);
    // Runs the dialog with the recipients; the script ends it (Cancel when it
    // did not). The recipients it gives back are in m_Result.
    INT_PTR Run(const CSMSContactVector& recipients, const Script& script);
    // The driver's step for a selector that other code opens.
    static void ExpectSelector(CWindowDriver& driver, const Script& script);

    void AddContact(const std::wstring& fullName, const std::wstring& mobile, const std::wstring& entryId,
                    const std::wstring& business = L"");
    void AddContactFolderList(const std::wstring& name, const std::wstring& entryId);
    void AddGALEntry(const char* entryId, const char* name, const char* mobile, const char* container = "aa01",
                     ULONG objectType = 6, const char* given = nullptr, const char* surname = nullptr);
    // Another address list, backed by a container of its own.
    void AddContainerList(const char* id, const char* name);
    std::vector<std::string> EventTexts() const;

    const CScopedComApartment m_Apartment{COINIT_APARTMENTTHREADED};
    CTestMAPI m_TestMAPI;
    CMessageBoxCapture m_Boxes;
    CFakeOutlook m_Outlook;
    std::shared_ptr<std::vector<CFakeContactRow>> m_Rows = std::make_shared<std::vector<CFakeContactRow>>();
    CFakeObjectPtr m_ContactsFolder;
    COutlookVersionCapabilites m_Version;
    CSMSContactVector m_Result;
    std::string m_DriverProblems;
};

std::vector<std::string> ContactTexts(const CSMSContactVector& contacts);
