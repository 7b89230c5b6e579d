#include "core/TraceLogging.h"

#include <windows.h>

#include <sstream>

IZentavoSMSTraceLogging* g_pTraceLogger = nullptr;

CZentavoSMSTraceLogging::CZentavoSMSTraceLogging(const std::string& fileName) : m_State(1)
{
    m_Log.SetFileName(fileName);
}

CZentavoSMSTraceLogging::~CZentavoSMSTraceLogging() = default;

int CZentavoSMSTraceLogging::GetState()
{
    return static_cast<int>(m_State);
}

void CZentavoSMSTraceLogging::Trace(int level, const std::wstring& component, const std::wstring& className,
                                    const std::wstring& message)
{
    try
    {
        static const wchar_t* const kLevelLetters[] = {L"I", L"W", L"E", L"F"};
        std::wostringstream line;
        if (level >= 1 && level <= 4)
            line << kLevelLetters[level - 1];
        line << L' ' << ::GetCurrentThreadId() << L' ' << component << L' ' << className << L' ' << message;
        CLogFile::WriteLineW(&m_Log, line.str());
    }
    catch (...)
    {
        // Tracing must never change what the traced code does.
    }
}
