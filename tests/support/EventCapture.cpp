#include "tests/support/EventCapture.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "core/ErrorReports.h"
#include "core/ScopedHandle.h"
#include "tests/support/WindowDriver.h"

namespace
{
std::mutex s_Lock;
std::condition_variable s_Arrived;
std::vector<CapturedEvent> s_Events;
std::function<void(const CapturedEvent&)> s_Observer;
std::vector<CapturedMessageBox> s_Boxes;
int s_Answer = IDOK;
std::deque<int> s_QueuedAnswers;
std::function<void(const CapturedMessageBox&)> s_WhileUp;

void EventSink(WORD eventType, const std::string& text, const std::string& source)
{
    const CapturedEvent event{eventType, text, source};
    std::function<void(const CapturedEvent&)> observer;
    {
        std::lock_guard<std::mutex> guard(s_Lock);
        s_Events.push_back(event);
        observer = s_Observer;
    }
    s_Arrived.notify_all();
    if (observer)
        observer(event);
}

// A real box, answered by the capture: a hook of the showing thread claims
// the dialog window MessageBoxA creates and puts a timer on it, whose first
// tick after the box is shown runs inside the box's own modal loop. By then
// Windows has done what a box does to its owner (disabled it, taken the
// focus from its control); it gives both back when the box ends.
constexpr UINT_PTR kBoxTimer = 0x5A10;
constexpr UINT kBoxTickMs = 10;
constexpr char kShowingProperty[] = "EventCapture.MessageBox";

struct CShowing
{
    CapturedMessageBox box;
    int answer;
    std::function<void(const CapturedMessageBox&)> whileUp;
};

// The box of the innermost sink call, until its window is created.
thread_local CShowing* t_Unclaimed = nullptr;

void CALLBACK BoxTimerProc(HWND window, UINT, UINT_PTR, DWORD)
{
    if (!::IsWindowVisible(window))
        return;
    ::KillTimer(window, kBoxTimer);
    const auto* showing = static_cast<const CShowing*>(::GetPropA(window, kShowingProperty));
    if (!showing)
        return;
    if (showing->whileUp)
        showing->whileUp(showing->box);
    // Gone with its owner, the box has nothing left to answer.
    if (::IsWindow(window))
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(showing->answer, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, showing->answer)));
}

LRESULT CALLBACK ClaimBox(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_Unclaimed)
    {
        const HWND window = reinterpret_cast<HWND>(wParam);
        const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
        char name[16] = {};
        ::GetClassNameA(window, name, sizeof(name));
        if (!(create->lpcs->style & WS_CHILD) && std::string(name) == "#32770")
        {
            ::SetPropA(window, kShowingProperty, t_Unclaimed);
            LeaveToItsShower(window);
            ::SetTimer(window, kBoxTimer, kBoxTickMs, &BoxTimerProc);
            t_Unclaimed = nullptr;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// As Windows has it: a box given an owner that is no window fails at once,
// unseen, and one whose owner is destroyed while it is up goes with it;
// either ends with 0, no answer.
int MessageBoxSink(HWND owner, const std::string& text, const std::string& caption, UINT style)
{
    if (owner && !::IsWindow(owner))
        return 0;
    CShowing showing{{owner, text, caption, style}, s_Answer, nullptr};
    {
        std::lock_guard<std::mutex> guard(s_Lock);
        s_Boxes.push_back(showing.box);
        if (!s_QueuedAnswers.empty())
        {
            showing.answer = s_QueuedAnswers.front();
            s_QueuedAnswers.pop_front();
        }
        showing.whileUp = s_WhileUp;
    }
    // Installed last, the claim runs before any window driver's hook.
    CShowing* const outer = t_Unclaimed;
    t_Unclaimed = &showing;
    const CScopedHook claim(::SetWindowsHookExA(WH_CBT, &ClaimBox, nullptr, ::GetCurrentThreadId()));
    const int answer = ::MessageBoxA(owner, text.c_str(), caption.c_str(), style);
    t_Unclaimed = outer;
    return answer;
}
} // namespace

CEventLogCapture::CEventLogCapture()
{
    {
        std::lock_guard<std::mutex> guard(s_Lock);
        s_Events.clear();
        s_Observer = nullptr;
    }
    SetEventLogSink(&EventSink);
}

CEventLogCapture::~CEventLogCapture()
{
    SetEventLogSink(nullptr);
    std::lock_guard<std::mutex> guard(s_Lock);
    s_Observer = nullptr;
}

std::vector<CapturedEvent> CEventLogCapture::Events() const
{
    std::lock_guard<std::mutex> guard(s_Lock);
    return s_Events;
}

std::vector<std::string> CEventLogCapture::Texts() const
{
    std::vector<std::string> texts;
    for (const CapturedEvent& event : Events())
        texts.push_back(event.text);
    return texts;
}

bool CEventLogCapture::WaitForCount(size_t count, DWORD timeoutMs) const
{
    std::unique_lock<std::mutex> guard(s_Lock);
    return s_Arrived.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                              [count] { return s_Events.size() >= count; });
}

void CEventLogCapture::SetObserver(std::function<void(const CapturedEvent&)> observer)
{
    std::lock_guard<std::mutex> guard(s_Lock);
    s_Observer = std::move(observer);
}

CMessageBoxCapture::CMessageBoxCapture(int answer)
{
    {
        std::lock_guard<std::mutex> guard(s_Lock);
        s_Boxes.clear();
        s_Answer = answer;
        s_QueuedAnswers.clear();
        s_WhileUp = nullptr;
    }
    SetMessageBoxSink(&MessageBoxSink);
}

CMessageBoxCapture::~CMessageBoxCapture()
{
    SetMessageBoxSink(nullptr);
    std::lock_guard<std::mutex> guard(s_Lock);
    s_WhileUp = nullptr;
}

std::vector<CapturedMessageBox> CMessageBoxCapture::Boxes() const
{
    std::lock_guard<std::mutex> guard(s_Lock);
    return s_Boxes;
}

void CMessageBoxCapture::QueueAnswers(const std::vector<int>& answers)
{
    std::lock_guard<std::mutex> guard(s_Lock);
    s_QueuedAnswers.assign(answers.begin(), answers.end());
}

void CMessageBoxCapture::WhileUp(std::function<void(const CapturedMessageBox& box)> action)
{
    std::lock_guard<std::mutex> guard(s_Lock);
    s_WhileUp = std::move(action);
}
