// Outlook's start-up budget for the add-in: from creating the add-in object
// (through the module's class-factory table, as DllGetClassObject serves
// Outlook) to the end of OnConnection with an explorer open, which builds the
// command bar, watches the calendars and starts MAPI, the keyboard fix and
// the plug-in core with its balance worker. Also the private memory the
// add-in has added by then.
#include "bench/Bench.h"

#include "addin/Module.h"
#include "resources/ZentavoSMSOutlookAddin_h.h"
#include "tests/support/FakeOutlook.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <vector>

namespace
{
// Committed private memory of the process. Wine leaves PrivateUsage at 0,
// so the committed private regions are added up as a fallback.
SIZE_T PrivateUsage()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    ::K32GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof(counters));
    if (counters.PrivateUsage != 0)
        return counters.PrivateUsage;
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region = {};
    for (const char* address = nullptr;
         ::VirtualQuery(address, &region, sizeof(region)) == sizeof(region);
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize)
    {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        if (static_cast<const char*>(region.BaseAddress) + region.RegionSize < address)
            break;
    }
    return total;
}

void AddinStartUp(CBenchContext& context)
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const long long runs = std::max(5LL, context.Iterations(40));
    std::vector<double> milliseconds;
    double firstMemoryMB = 0;
    for (long long run = 0; run < runs; ++run)
    {
        CFakeOutlook outlook;  // an Outlook with an explorer open
        const SIZE_T memoryBefore = PrivateUsage();
        LARGE_INTEGER frequency, start, end;
        ::QueryPerformanceFrequency(&frequency);
        ::QueryPerformanceCounter(&start);
        IClassFactory* factory = nullptr;
        _IDTExtensibility2* addin = nullptr;
        GetComModule().GetClassObject(CLSID_Addin, IID_IClassFactory, reinterpret_cast<void**>(&factory));
        factory->CreateInstance(nullptr, IID__IDTExtensibility2, reinterpret_cast<void**>(&addin));
        factory->Release();
        addin->OnConnection(outlook.Application(), ext_cm_Startup, nullptr, nullptr);
        ::QueryPerformanceCounter(&end);
        if (run == 0)
            firstMemoryMB = static_cast<double>(PrivateUsage() - memoryBefore) / (1024.0 * 1024.0);
        milliseconds.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                               static_cast<double>(frequency.QuadPart));
        addin->OnDisconnection(ext_dm_HostShutdown, nullptr);
        addin->Release();
    }
    const double first = milliseconds.front();
    std::sort(milliseconds.begin(), milliseconds.end());
    context.Report("first start, create to end of OnConnection", first, "ms", "target <= 20 ms");
    context.Report("median start", milliseconds[milliseconds.size() / 2], "ms", "target <= 20 ms");
    context.Report("private memory added by the first start", firstMemoryMB, "MB", "target <= 8 MB");
    ::CoUninitialize();
}

const CBenchRegistration g_AddinStartUp("addin", &AddinStartUp);
} // namespace
