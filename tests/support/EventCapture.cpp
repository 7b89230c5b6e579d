#include "tests/support/EventCapture.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "core/ErrorReports.h"

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

// As Windows has it: a box given an owner that is no window fails at once,
// unseen, and one whose owner is destroyed while it is up goes with it;
// either ends with 0, no answer.
int MessageBoxSink(HWND owner, const std::string& text, const std::string& caption, UINT style)
{
    if (owner && !::IsWindow(owner))
        return 0;
    const CapturedMessageBox box{owner, text, caption, style};
    int answer = s_Answer;
    std::function<void(const CapturedMessageBox&)> whileUp;
    {
        std::lock_guard<std::mutex> guard(s_Lock);
        s_Boxes.push_back(box);
        if (!s_QueuedAnswers.empty())
        {
            answer = s_QueuedAnswers.front();
            s_QueuedAnswers.pop_front();
        }
        whileUp = s_WhileUp;
    }
    if (whileUp)
        whileUp(box);
    return owner && !::IsWindow(owner) ? 0 : answer;
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
