// The About box from the test executable's copy of the add-in's templates.
#include "ui/AboutDlg.h"

#include "core/ScopedComApartment.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

namespace
{
void PumpFor(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    MSG message;
    while (::GetTickCount() - start < milliseconds)
    {
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&message);
        ::Sleep(10);
    }
}
} // namespace

TEST(AboutDlg, ShowsTheProductAndEndsWithOK)
{
    CWindowDriver driver;
    driver.Expect().Caption("About ZentavoSMS Outlook Add-in").Text("ZentavoSMS Outlook Add-in 5.0.1").Press(IDOK);
    CAboutDlg about;
    EXPECT_EQ(IDOK, about.DoModal(nullptr));
    EXPECT_EQ("", driver.Problems());
    ASSERT_EQ(1u, driver.Seen().size());
    const CSeenControl* ok = driver.Seen()[0].Control(IDOK);
    ASSERT_NE(nullptr, ok);
    EXPECT_EQ("OK", ok->text);
}

TEST(AboutDlg, ShowsTheIconAndScreenshot)
{
    const CScopedComApartment apartment(COINIT_APARTMENTTHREADED);
    CAboutDlg about;
    const HWND window = about.Create(nullptr);
    ASSERT_NE(nullptr, window);
    ::SetWindowPos(window, HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    PumpFor(300);

    HWND icon = nullptr;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            icon = child;
    ASSERT_NE(nullptr, icon);
    EXPECT_NE(0, ::SendMessageA(icon, STM_GETICON, 0, 0));

    const std::string path = ProgramBesideTest("AboutDlg.png");
    SaveWindowScreenshot(window, std::wstring(path.begin(), path.end()));
    about.DestroyWindow();
}
