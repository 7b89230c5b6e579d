// What the address-book benchmarks share: 50,000 people in an Outlook
// contact folder (the test Outlook) and in an address-book container (the
// test MAPI beside the program), a clock, and a thread that posts probe
// messages stamped with their posting time, so that the receiving window
// can tell how long the user-interface thread kept them waiting.
//
// Every figure comes with the test Outlook's share: the time its objects
// spent answering calls (FakeBusyTicks) within the figure's span. The rest
// is the product's, so that a stand-in busy with itself does not pass for
// a slow product.
#pragma once

#include "bench/Bench.h"
#include "tests/contacts/TestMAPI.h"
#include "tests/support/FakeOutlook.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// Posted by CProbePoster: lParam the QueryPerformanceCounter value at
// posting, wParam the test Outlook's working time then (FakeBusyTicks).
constexpr UINT kProbe = WM_USER + 90;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to);
LARGE_INTEGER Now();

// A moment: the clock and the test Outlook's working time so far.
struct CMark
{
    LARGE_INTEGER m_At;
    LONGLONG m_OutlookTicks;

    static CMark Now();
};

// A span of time and the test Outlook's share of it.
struct CSpan
{
    double m_Ms = 0;
    double m_OutlookMs = 0;
};
CSpan Between(const CMark& from, const CMark& to);

// How long the probe message waited, from its wParam and lParam.
CSpan ProbeWait(WPARAM wParam, LPARAM lParam);

// Posts a probe to the window every few milliseconds while it lives.
class CProbePoster
{
public:
    explicit CProbePoster(HWND window);
    ~CProbePoster();

private:
    std::atomic<bool> m_Stop{false};
    std::thread m_Thread;
};

struct CAddressBook
{
    CFakeOutlook m_Outlook;
    std::shared_ptr<std::vector<CFakeContactRow>> m_Rows = std::make_shared<std::vector<CFakeContactRow>>();
};

// The same people in the book's "Contacts" folder and in the test MAPI's
// "Global Address List" container (both listed as Outlook address lists).
void Fill(CAddressBook& book, const CTestMAPI& testMAPI, int contacts);

// The frame of a benchmark over the book: skipped, with its line, when the
// test MAPI is not the mapi32.dll this process loaded; else COM started on
// this thread and the book filled with 50,000 people (a tenth for the
// build's token run). The body gets the book, the runs to make and the size
// text for its figures' names.
void RunOverFilledAddressBook(CBenchContext& context,
                              const std::function<void(CAddressBook& book, long long runs, const std::string& size)>& body);
// The span of median length, with its own share.
CSpan Median(std::vector<CSpan> spans);
CSpan Longest(const CSpan& a, const CSpan& b);
// One figure with the test Outlook's share and the product's beside it.
void ReportSpan(CBenchContext& context, const std::string& figure, const CSpan& span, const std::string& note);
// "12.345 ms", for a step's result.
std::string Ms(const CSpan& span);
// "run 2 of 3: " and the step.
std::string RunStep(long long run, long long runs, const std::string& step);
