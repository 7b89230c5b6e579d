#include "bench/BenchAddressBook.h"

#include "contacts/MAPIUtils.h"
#include "core/StringUtils.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace
{
const char kContainer[] = "ab01";
const DWORD kProbeIntervalMs = 5;

const wchar_t* const kGivenNames[] = {L"Ann",   L"Bob",   L"Carla", L"Dev",   L"Emma",  L"Farid", L"Grace", L"Hugo",
                                      L"Ines",  L"Jon",   L"Kira",  L"Liam",  L"Maya",  L"Nils",  L"Olga",  L"Pavel",
                                      L"Quinn", L"Rosa",  L"Sam",   L"Tara",  L"Uma",   L"Viktor", L"Wen",  L"Yusuf"};
const wchar_t* const kSurnames[] = {L"Adams",  L"Brown", L"Chen",   L"Dubois", L"Evans",  L"Fischer", L"Garcia",
                                    L"Hughes", L"Ivanov", L"Jones", L"Kowal",  L"Lopez",  L"Murphy",  L"Nowak",
                                    L"Okafor", L"Patel", L"Rossi",  L"Smith",  L"Tanaka", L"Weber",   L"Young"};
} // namespace

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now;
}

CMark CMark::Now()
{
    return CMark{::Now(), FakeBusyTicks()};
}

CSpan Between(const CMark& from, const CMark& to)
{
    LARGE_INTEGER outlookFrom;
    LARGE_INTEGER outlookTo;
    outlookFrom.QuadPart = from.m_OutlookTicks;
    outlookTo.QuadPart = to.m_OutlookTicks;
    return CSpan{Milliseconds(from.m_At, to.m_At), Milliseconds(outlookFrom, outlookTo)};
}

CSpan ProbeWait(WPARAM wParam, LPARAM lParam)
{
    CMark posted;
    posted.m_At.QuadPart = static_cast<LONGLONG>(lParam);
    posted.m_OutlookTicks = static_cast<LONGLONG>(wParam);
    return Between(posted, CMark::Now());
}

CProbePoster::CProbePoster(HWND window)
    : m_Thread([this, window] {
          while (!m_Stop)
          {
              const CMark now = CMark::Now();
              ::PostMessageA(window, kProbe, static_cast<WPARAM>(now.m_OutlookTicks),
                             static_cast<LPARAM>(now.m_At.QuadPart));
              ::Sleep(kProbeIntervalMs);
          }
      })
{
}

CProbePoster::~CProbePoster()
{
    m_Stop = true;
    m_Thread.join();
}

void Fill(CAddressBook& book, const CTestMAPI& testMAPI, int contacts)
{
    const size_t givenCount = sizeof(kGivenNames) / sizeof(kGivenNames[0]);
    const size_t surnameCount = sizeof(kSurnames) / sizeof(kSurnames[0]);
    testMAPI.Reset();
    testMAPI.AddContainer(kContainer, "Global Address List", true);
    for (int index = 0; index < contacts; ++index)
    {
        wchar_t entryId[16];
        std::swprintf(entryId, 16, L"%08x", static_cast<unsigned>(index));
        wchar_t mobile[16];
        std::swprintf(mobile, 16, L"07700%06d", index);
        CFakeContactRow row;
        row.m_GivenName = kGivenNames[index % givenCount];
        row.m_Surname = kSurnames[(index / givenCount) % surnameCount] + std::to_wstring(index);
        row.m_FullName = row.m_GivenName + L" " + row.m_Surname;
        row.m_Mobile = mobile;
        row.m_EntryId = entryId;
        book.m_Rows->push_back(row);

        const std::string id = "c" + NarrowString(entryId) + "0";
        const std::string name = NarrowString(row.m_Surname + L", " + row.m_GivenName);
        const std::string given = NarrowString(row.m_GivenName);
        const std::string surname = NarrowString(row.m_Surname);
        const std::string number = NarrowString(mobile);
        testMAPI.AddEntry({kContainer, id.c_str(), name.c_str(), CMAPIMailUser::kMailUser, number.c_str(),
                           given.c_str(), surname.c_str(), nullptr, nullptr, 0});
    }
    const CFakeObjectPtr folder = book.m_Outlook.NewContactFolder(L"Contacts", L"00ee", book.m_Rows);
    book.m_Outlook.DefaultFolder(10)->SetProperty(L"EntryID", folder->Value(L"EntryID"));
    book.m_Outlook.AddressLists()->Add(book.m_Outlook.NewAddressList(L"Contacts", L"", folder));
    book.m_Outlook.AddressLists()->Add(book.m_Outlook.NewAddressList(L"Global Address List", L"ab01", nullptr));
}

void RunOverFilledAddressBook(CBenchContext& context,
                              const std::function<void(CAddressBook& book, long long runs, const std::string& size)>& body)
{
    CTestMAPI testMAPI;
    if (!testMAPI.IsOurs())
    {
        context.Skip("the test MAPI is not the loaded mapi32.dll (run with it beside the program, mapi32=n)");
        return;
    }
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int contacts = context.Iterations(1000) >= 100 ? 50000 : 5000;
    {
        CAddressBook book;
        context.Doing("filling the address books");
        Fill(book, testMAPI, contacts);
        body(book, std::max(1LL, context.Iterations(3)), " (" + std::to_string(contacts) + " contacts)");
    }
    ::CoUninitialize();
}

CSpan Median(std::vector<CSpan> spans)
{
    std::sort(spans.begin(), spans.end(), [](const CSpan& a, const CSpan& b) { return a.m_Ms < b.m_Ms; });
    return spans[spans.size() / 2];
}

CSpan Longest(const CSpan& a, const CSpan& b)
{
    return b.m_Ms > a.m_Ms ? b : a;
}

std::string Ms(const CSpan& span)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.3f ms", span.m_Ms);
    return text;
}

std::string RunStep(long long run, long long runs, const std::string& step)
{
    return "run " + std::to_string(run + 1) + " of " + std::to_string(runs) + ": " + step;
}

void ReportSpan(CBenchContext& context, const std::string& figure, const CSpan& span, const std::string& note)
{
    char share[96];
    std::snprintf(share, sizeof(share), "test Outlook %.3f ms, product %.3f ms", span.m_OutlookMs,
                  span.m_Ms - span.m_OutlookMs);
    context.Report(figure, span.m_Ms, "ms", note.empty() ? share : std::string(share) + "; " + note);
}
