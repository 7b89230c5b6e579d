#include "tests/ui/SetupDialogTestSupport.h"

#include "resources/resource.h"
#include "tests/support/EventCapture.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <map>

namespace SetupDialogTest
{
namespace
{
constexpr UINT_PTR kAfterPostedTimer = 0x5A1F;
std::map<HWND, std::function<void()>> s_Pending;

void CALLBACK RunPending(HWND window, UINT, UINT_PTR, DWORD)
{
    // A box or dialog over the window runs its own loop inside the handler
    // of a message posted before: the work waits until it has gone.
    if (!::IsWindowEnabled(window))
        return;
    ::KillTimer(window, kAfterPostedTimer);
    const auto found = s_Pending.find(window);
    if (found == s_Pending.end())
        return;
    const std::function<void()> work = std::move(found->second);
    s_Pending.erase(found);
    work();
}
} // namespace

HWND ChildDialog(HWND window)
{
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        char name[16] = {};
        ::GetClassNameA(child, name, sizeof(name));
        if (std::string(name) == "#32770")
            return child;
    }
    return nullptr;
}

void PostClick(HWND dialog, int controlId)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, controlId)));
}

void PostLogin(HWND frame, const std::string& username, const std::string& password)
{
    const HWND control = ChildDialog(frame);
    ::SetDlgItemTextA(control, IDC_SETUP_USERNAME, username.c_str());
    ::SetDlgItemTextA(control, IDC_SETUP_PASSWORD, password.c_str());
    PostClick(control, IDC_SETUP_LOGIN);
}

void AfterPosted(HWND window, std::function<void()> work)
{
    // Timers come after every posted message in the queue.
    s_Pending[window] = std::move(work);
    ::SetTimer(window, kAfterPostedTimer, 1, &RunPending);
}

std::string TextOf(HWND window)
{
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::vector<std::string> BoxTextsWithCaption(const CMessageBoxCapture& boxes)
{
    std::vector<std::string> texts;
    for (const CapturedMessageBox& box : boxes.Boxes())
    {
        EXPECT_EQ("ZentavoSMS Outlook Add-in", box.caption);
        texts.push_back(box.text);
    }
    return texts;
}

bool IsShown(HWND dialog, int controlId)
{
    return (::GetWindowLongA(::GetDlgItem(dialog, controlId), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Screenshot(HWND window, const std::string& name)
{
    const std::string path = ProgramBesideTest(name);
    SaveWindowScreenshot(window, std::wstring(path.begin(), path.end()));
}

void PaintedScreenshot(HWND window, const std::string& name)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Screenshot(window, name);
}
} // namespace SetupDialogTest
