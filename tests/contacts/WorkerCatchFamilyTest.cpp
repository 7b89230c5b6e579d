// The worker catch family: one trace line per exception kind, then the
// caller's rethrow.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "core/ErrorReports.h"
#include "tests/contacts/TraceCapture.h"

namespace
{
struct Case
{
    const char* name;
    std::function<void()> raise;
    const wchar_t* line;
};

TEST(WorkerCatchFamily, EachKindWritesItsLineAndTheExceptionTravelsOn)
{
    const Case cases[] = {
        {"comms", [] { throw CCommsException("no route", E_FAIL); }, L"Comms Exception raised\nDescription: no route"},
        {"protocol", [] { throw CProtocolException("bad reply", E_FAIL, 42); },
         L"Protocol Exception raised\nDescription: bad reply\nProtocol Error: 42"},
        {"TAPI", [] { throw CTAPIException("line busy", 0, 0); }, nullptr},
        {"general", [] { throw CGeneralException("broken", E_POINTER); },
         L"General Exception raised\nDescription: broken (0x80004003)"},
        {"standard", [] { throw std::runtime_error("std"); }, L"Standard Exception raised\nDescription: std"},
        {"COM of an interface", [] { ThrowCOMError(static_cast<HRESULT>(0x8004020F), L"not found"); },
         L"COM Exception raised\nDescription: not found (0xf)"},
        {"COM elsewhere", [] { ThrowCOMError(E_ACCESSDENIED, L"denied"); },
         L"COM Exception raised\nDescription: denied (0x0)"},
        {"anything else", [] { throw 7; }, L"Unrecognised Exception raised"},
    };
    for (const Case& scenario : cases)
    {
        CTraceCapture trace;
        bool rethrown = false;
        try
        {
            try
            {
                scenario.raise();
            }
            catch (...)
            {
                TraceCurrentWorkerException(L"ContactsFetch", L"CWorker");
                throw;
            }
        }
        catch (...)
        {
            rethrown = true;
        }
        EXPECT_TRUE(rethrown) << scenario.name;
        ASSERT_EQ(1u, trace.Lines().size()) << scenario.name;
        const std::wstring line = trace.Lines()[0];
        if (scenario.line)
            EXPECT_EQ(std::wstring(L"3 ContactsFetch CWorker ") + scenario.line, line) << scenario.name;
        else
            EXPECT_EQ(0u, line.find(L"3 ContactsFetch CWorker TAPI Exception raised\nDescription: line busy"));
    }
}

TEST(WorkerCatchFamily, NothingIsWrittenWhileTracingIsOff)
{
    ASSERT_EQ(nullptr, g_pTraceLogger);
    try
    {
        throw 1;
    }
    catch (...)
    {
        EXPECT_NO_THROW(TraceCurrentWorkerException(L"C", L"K"));
    }
}
} // namespace
