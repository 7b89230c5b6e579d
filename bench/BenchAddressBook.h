// What the address-book benchmarks share: 50,000 people in an Outlook
// contact folder (the test Outlook) and in an address-book container (the
// test MAPI beside the program), a clock, and a thread that posts probe
// messages stamped with their posting time, so that the receiving window
// can tell how long the user-interface thread kept them waiting.
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
// posting.
constexpr UINT kProbe = WM_USER + 90;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to);
LARGE_INTEGER Now();
// How long the probe message waited, from its lParam.
double ProbeWaitMs(LPARAM lParam);

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
double Median(std::vector<double> values);
