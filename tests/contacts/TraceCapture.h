// Takes the place of the trace logger for one test and keeps its lines as
// "<level> <component> <class> <message>"; any thread may trace.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "core/TraceLogging.h"

class CTraceCapture : public IZentavoSMSTraceLogging
{
public:
    CTraceCapture() : m_Previous(g_pTraceLogger) { g_pTraceLogger = this; }
    ~CTraceCapture() { g_pTraceLogger = m_Previous; }
    CTraceCapture(const CTraceCapture&) = delete;
    CTraceCapture& operator=(const CTraceCapture&) = delete;

    int GetState() override { return 1; }
    void Trace(int level, const std::wstring& component, const std::wstring& className,
               const std::wstring& message) override
    {
        std::lock_guard<std::mutex> guard(m_Lock);
        m_Lines.push_back(std::to_wstring(level) + L" " + component + L" " + className + L" " + message);
    }

    std::vector<std::wstring> Lines()
    {
        std::lock_guard<std::mutex> guard(m_Lock);
        return m_Lines;
    }

private:
    IZentavoSMSTraceLogging* m_Previous;
    std::mutex m_Lock;
    std::vector<std::wstring> m_Lines;
};
