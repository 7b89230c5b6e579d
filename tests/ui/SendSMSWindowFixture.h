// The Send SMS window as the plug-in core makes it: on the heap, modeless,
// with the test Outlook, from the settings of a scratch registry, every box
// captured. The window closes itself at the end of each test if it is still
// open; the plug-in core's settings go back to their defaults.
#pragma once

#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/ScopedComApartment.h"
#include "tests/support/EventCapture.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/RegistryFixture.h"
#include "ui/SendSMSDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

class SendSMSWindow : public RegistryFixture
{
public:
    using Settings = std::vector<std::pair<std::string, std::string>>;

    void TearDown() override;

    // Public for the scenario tables' lambdas.

    static CZentavoSMSOutlookPlugin& Plugin() { return CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin; }

    // Replaces the stored settings by these (all settings are texts) and loads the plug-in
    // core's configuration and preferences from them.
    void LoadSettings(const Settings& settings);
    // LoadSettings, then OpenWindow.
    void Open(const Settings& settings = {});
    // The window made from the settings as loaded, filled with nothing and
    // shown.
    void OpenWindow();
    // Cancel, as the window's close box sends it.
    void Close();
    bool IsOpen() const { return m_Window && ::IsWindow(m_Window); }

    HWND Item(int id) const { return ::GetDlgItem(m_Window, id); }
    std::string ItemText(int id) const;
    bool Visible(int id) const { return (::GetWindowLongA(Item(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
    std::vector<std::pair<std::string, LPARAM>> ComboItems(int id) const;
    // Picks the entry as the user would: the new selection, then the
    // notification while the field still shows the previous text.
    void ChooseFromItem(int index);
    static void ChooseFromItem(HWND window, int fromId, int index);
    // The field's text as if typed: the text, then CBN_EDITCHANGE.
    void TypeFrom(const std::string& text);
    static void Pump(DWORD milliseconds);
    // A mouse click in the middle of the button, as the toolbar receives it.
    static void ClickToolbarButton(HWND toolbar, UINT command);
    void SaveScreenshot(const std::string& name);

    const CScopedComApartment m_Apartment{COINIT_APARTMENTTHREADED};
    CMessageBoxCapture m_Boxes{IDNO};
    CFakeOutlook m_Outlook;
    CSendSMSDlg* m_pDlg = nullptr;  // owned by its window
    HWND m_Window = nullptr;
};
