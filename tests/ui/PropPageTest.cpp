// The options page inside this process, where the event log can be seen: a
// failure to tell Outlook's site of an edit goes there, never to a box or
// back into Outlook's Options dialog.
#include "ui/PropPage.h"

#include "platform/ComObject.h"
#include "tests/support/EventCapture.h"
#include "tests/support/TestPageSite.h"

#include <gtest/gtest.h>

#include <string>

TEST(PropPage, FailedStatusChangeGoesToTheEventLog)
{
    CEventLogCapture events;
    CMessageBoxCapture boxes;
    CTestPageContainer container;
    CTestPageSite site(container.get(), E_FAIL);
    IOleObject* page = nullptr;
    ASSERT_EQ(S_OK, CComObject<CPropPage>::CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(&page)));
    ASSERT_EQ(S_OK, page->SetClientSite(&site));
    RECT place = {0, 0, 400, 300};
    ASSERT_EQ(S_OK, page->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, container.get(), &place));
    IOleWindow* window = nullptr;
    ASSERT_EQ(S_OK, page->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)));
    HWND pageWindow = nullptr;
    EXPECT_EQ(S_OK, window->GetWindow(&pageWindow));
    window->Release();

    ::SetDlgItemTextA(::GetWindow(pageWindow, GW_CHILD), IDC_SETUP_USERNAME, "x");
    EXPECT_EQ(1, site.m_StatusChanges);
    ASSERT_EQ(1u, events.Events().size());
    EXPECT_NE(std::string::npos, events.Events()[0].text.find("CPropPage::OnSetupCtrlChanged"));
    EXPECT_TRUE(boxes.Boxes().empty());
    PropertyPage* propertyPage = nullptr;
    ASSERT_EQ(S_OK, page->QueryInterface(IID_PropertyPage, reinterpret_cast<void**>(&propertyPage)));
    VARIANT_BOOL dirty = VARIANT_FALSE;
    EXPECT_EQ(S_OK, propertyPage->get_Dirty(&dirty));
    EXPECT_EQ(VARIANT_TRUE, dirty);
    propertyPage->Release();

    page->Close(OLECLOSE_NOSAVE);
    page->SetClientSite(nullptr);
    page->Release();
    EXPECT_FALSE(::IsWindow(pageWindow));
    EXPECT_EQ(1u, site.m_References);
}
