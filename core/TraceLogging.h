// The trace log: one process-wide logger over a CLogFile, reached through
// g_pTraceLogger, which is null while tracing is off. Every caller tests the
// pointer before each Trace.
//
// A trace line is the level letter (I, W, E, F for 1 to 4), the thread id,
// the component, the class name and the message, separated by single blanks.
#pragma once

#include <string>

#include "core/LogFile.h"

class IZentavoSMSTraceLogging
{
public:
    virtual int GetState() = 0;
    // Never raises to the caller.
    virtual void Trace(int level, const std::wstring& component, const std::wstring& className,
                       const std::wstring& message) = 0;

protected:
    // The logger is never deleted through the interface.
    ~IZentavoSMSTraceLogging() = default;
};

class CZentavoSMSTraceLogging : public IZentavoSMSTraceLogging
{
public:
    explicit CZentavoSMSTraceLogging(const std::string& fileName);
    virtual ~CZentavoSMSTraceLogging();

    int GetState() override;
    void Trace(int level, const std::wstring& component, const std::wstring& className,
               const std::wstring& message) override;

private:
    DWORD m_State;
    CLogFile m_Log;
};

// Set once by the plug-in core's start-up, before any worker starts; never
// cleared or replaced.
extern IZentavoSMSTraceLogging* g_pTraceLogger;
