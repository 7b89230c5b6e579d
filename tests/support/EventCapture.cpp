#include "tests/support/EventCapture.h"

#include <chrono>
#include <condition_variable>
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

int MessageBoxSink(HWND owner, const std::string& text, const std::string& caption, UINT style)
{
    std::lock_guard<std::mutex> guard(s_Lock);
    s_Boxes.push_back(CapturedMessageBox{owner, text, caption, style});
    return s_Answer;
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
    }
    SetMessageBoxSink(&MessageBoxSink);
}

CMessageBoxCapture::~CMessageBoxCapture()
{
    SetMessageBoxSink(nullptr);
}

std::vector<CapturedMessageBox> CMessageBoxCapture::Boxes() const
{
    std::lock_guard<std::mutex> guard(s_Lock);
    return s_Boxes;
}
