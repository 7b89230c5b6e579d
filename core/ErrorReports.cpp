#include "core/ErrorReports.h"

#include <atomic>
#include <cstdint>
#include <sstream>

#include "core/Mutex.h"
#include "core/StringUtils.h"
#include "core/TraceLogging.h"

_COM_SMARTPTR_TYPEDEF(ICreateErrorInfo, __uuidof(ICreateErrorInfo));

namespace
{
const char* const kDefaultEventLogSource = "CorvasseServer";
const char* const kNoDescription = "No description available";

std::atomic<EventLogSinkFn> s_EventLogSink{nullptr};

// Never destroyed: reports written while other globals are torn down at
// process exit still find the name and its lock.
struct SourceName
{
    CMutex mutex;
    std::string name;
};

SourceName& TheSourceName()
{
    static SourceName* const sourceName = new SourceName;
    return *sourceName;
}

struct EventSourceTraits
{
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { ::DeregisterEventSource(handle); }
};

std::string SignedDecimal(HRESULT hr)
{
    return std::to_string(static_cast<long>(hr));
}

std::string OrNoDescription(const std::string& description)
{
    return description.empty() ? std::string(kNoDescription) : description;
}

void WriteErrorEvent(const std::string& text)
{
    CEventLogger::WriteEvent(EVENTLOG_ERROR_TYPE, text, GetEventLogSourceName());
}
} // namespace

std::string GetEventLogSourceName()
{
    SourceName& sourceName = TheSourceName();
    CMutexLock lock(&sourceName.mutex, nullptr, "", -1, false);
    if (sourceName.name.empty())
        sourceName.name = kDefaultEventLogSource;
    return sourceName.name;
}

void SetEventLogSourceName(const std::string& name)
{
    SourceName& sourceName = TheSourceName();
    CMutexLock lock(&sourceName.mutex, nullptr, "", -1, false);
    sourceName.name = name;
}

void SetEventLogSink(EventLogSinkFn sink)
{
    s_EventLogSink.store(sink);
}

CEventLogger::~CEventLogger() = default;

long CEventLogger::WriteEvent(WORD eventType, const std::string& text, const std::string& source)
{
    if (const EventLogSinkFn sink = s_EventLogSink.load())
    {
        sink(eventType, text, source);
        return 1;
    }
    CScopedHandle<EventSourceTraits> eventSource(::RegisterEventSourceA(nullptr, source.c_str()));
    if (!eventSource)
        return 1;
    const char* strings[1] = {text.c_str()};
    ::ReportEventA(eventSource.get(), eventType, 0, 0, nullptr, 1, 0, strings, nullptr);
    return 1;
}

long CEventLogger::WriteErrorInfoEvent(WORD eventType, const std::string& text, const std::string& source)
{
    std::string description = "Error information was not available";
    IErrorInfo* rawErrorInfo = nullptr;
    if (::GetErrorInfo(0, &rawErrorInfo) == S_OK && rawErrorInfo)
    {
        // The _com_error takes over the reference.
        const std::string found = GetCOMErrorDescription(_com_error(E_FAIL, rawErrorInfo));
        if (!found.empty())
            description = found;
    }
    return WriteEvent(eventType, text + " - " + description, source);
}

std::string GetCOMErrorDescription(const _com_error& error)
{
    const _bstr_t description = error.Description();
    if (description.length() == 0)
        return std::string();
    const char* narrow = static_cast<const char*>(description);
    return narrow ? std::string(narrow) : std::string();
}

void ReportCOMException(const _com_error& error, const std::string& function)
{
    WriteErrorEvent("COM Exception raised\nFunction: " + function + "\nDescription: " +
                    OrNoDescription(GetCOMErrorDescription(error)) + "\nHResult: " + SignedDecimal(error.Error()));
}

void ReportGeneralExceptionOfKind(const CGeneralException& error, const std::string& function,
                                  const std::string& kind, const std::string& extraText)
{
    WriteErrorEvent(kind + "  Exception raised\nFunction: " + function + "\nDescription: " +
                    OrNoDescription(error.GetDescription()) + extraText + "\nHResult: " +
                    SignedDecimal(error.GetHResult()));
}

void ReportCommsException(const CCommsException& error, const std::string& function)
{
    ReportGeneralExceptionOfKind(error, function, "Comms", "");
}

void ReportProtocolException(const CProtocolException& error, const std::string& function)
{
    ReportGeneralExceptionOfKind(error, function, "Protocol", "");
}

void ReportTAPIException(const CTAPIException& error, const std::string& function)
{
    ReportGeneralExceptionOfKind(error, function, "TAPI", "");
}

void ReportGeneralException(const CGeneralException& error, const std::string& function)
{
    ReportGeneralExceptionOfKind(error, function, "General", "");
}

void ReportStandardException(const std::exception& error, const std::string& function)
{
    WriteErrorEvent("Standard Exception raised\nFunction: " + function + "\nDescription: " + error.what());
}

void ReportUnrecognisedException(const std::string& function)
{
    WriteErrorEvent("Unrecognised Exception raised\nFunction: " + function);
}

void ReportError(WORD eventType, const std::string& function, const std::string& description)
{
    CEventLogger::WriteEvent(eventType, "Function: " + function + "\nDescription: " + description,
                             GetEventLogSourceName());
}

void RethrowCOMExceptionWithContext(const _com_error& error, const std::string& context)
{
    std::string description = GetCOMErrorDescription(error);
    if (description.empty())
        description = "Error description was not available";
    ThrowCOMError(error.Error(),
                  _bstr_t(("COM exception thrown (Context:" + context + ") - " + description).c_str()));
}

void RethrowStandardExceptionAsCOMError(const std::exception& error, const std::string& context)
{
    ThrowCOMError(E_FAIL, _bstr_t(("Standard exception thrown (Context:" + context + ", Description:" +
                                   error.what() + ")")
                                      .c_str()));
}

void RethrowUnknownExceptionAsCOMError(const std::string& context)
{
    ThrowCOMError(E_FAIL, _bstr_t(("Unknown exception thrown (Context:" + context + ")").c_str()));
}

void RethrowCurrentExceptionWithContext(const std::string& context)
{
    try
    {
        throw;
    }
    catch (const _com_error& e)
    {
        RethrowCOMExceptionWithContext(e, context);
    }
    catch (const std::exception& e)
    {
        RethrowStandardExceptionAsCOMError(e, context);
    }
    catch (...)
    {
        RethrowUnknownExceptionAsCOMError(context);
    }
}

std::wstring DescribeCurrentWorkerException()
{
    const auto described = [](const char* kind, const std::string& description) {
        return WidenString(std::string(kind) + " Exception raised\nDescription: " + description);
    };
    std::ostringstream hex;
    hex << std::hex;
    try
    {
        throw;
    }
    catch (const CCommsException& e)
    {
        return described("Comms", e.GetDescription());
    }
    catch (const CProtocolException& e)
    {
        return described("Protocol", e.GetDescription() + "\nProtocol Error: " + std::to_string(e.GetProtocolError()));
    }
    catch (const CTAPIException& e)
    {
        return described("TAPI", e.GetDescription());
    }
    catch (const CGeneralException& e)
    {
        hex << static_cast<std::uint32_t>(e.GetHResult());
        return described("General", e.GetDescription() + " (0x" + hex.str() + ")");
    }
    catch (const std::exception& e)
    {
        return described("Standard", e.what() ? e.what() : "");
    }
    catch (const _com_error& e)
    {
        hex << e.WCode();
        return described("COM", GetCOMErrorDescription(e) + " (0x" + hex.str() + ")");
    }
    catch (...)
    {
        return L"Unrecognised Exception raised";
    }
}

void TraceCurrentWorkerException(const std::wstring& component, const std::wstring& className) noexcept
{
    try
    {
        if (g_pTraceLogger)
            g_pTraceLogger->Trace(3, component, className, DescribeCurrentWorkerException());
    }
    catch (...)
    {
        // Tracing must never replace the exception the caller rethrows.
    }
}

void ThrowCOMError(HRESULT hr, _bstr_t description)
{
    ICreateErrorInfoPtr createErrorInfo;
    if (SUCCEEDED(::CreateErrorInfo(&createErrorInfo)) && createErrorInfo)
    {
        createErrorInfo->SetDescription(description);
        IErrorInfo* errorInfo = nullptr;
        if (SUCCEEDED(createErrorInfo->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&errorInfo))))
            _com_raise_error(hr, errorInfo); // the exception owns the reference
    }
    _com_raise_error(hr);
    // _com_raise_error always throws; this keeps [[noreturn]] honest if it
    // ever does not.
    throw _com_error(hr);
}

void ShowErrorMessageBox(const std::string& text, const std::string& function)
{
    ShowErrorMessageBox(nullptr, text, function);
}

void ShowErrorMessageBox(HWND owner, const std::string& text, const std::string& function)
{
    std::string message = "An error has occured (Ctrl-C to copy)\n\n" + text;
    if (!function.empty())
        message += "\n\nFunction: " + function;
    ShowMessageBox(owner, message, GetEventLogSourceName() + " - Error Occurred", MB_OK);
}

std::string DescribeCurrentException()
{
    const char* const noDescription = "Error Occurred (No description available)";
    try
    {
        throw;
    }
    catch (const _com_error& e)
    {
        std::string text = GetCOMErrorDescription(e);
        if (text.empty())
            text = noDescription;
        if (e.Error() != E_FAIL)
            text += "\n\n(" + SignedDecimal(e.Error()) + ")";
        return text;
    }
    catch (const CGeneralException& e)
    {
        std::ostringstream text;
        text << e.GetDescription() << " (0x" << std::hex << static_cast<std::uint32_t>(e.GetHResult()) << ")";
        return text.str();
    }
    catch (const std::exception& e)
    {
        const std::string text = e.what() ? e.what() : "";
        return text.empty() ? std::string(noDescription) : text;
    }
    catch (...)
    {
        return "Unrecognised Exception occurred";
    }
}

void ShowCurrentExceptionInErrorBox(const std::string& function) noexcept
{
    try
    {
        ShowErrorMessageBox(DescribeCurrentException(), function);
    }
    catch (...)
    {
    }
}

void ShowHandlerExceptionInErrorBox(const char* handlerName) noexcept
{
    try
    {
        ShowCurrentExceptionInErrorBox(handlerName);
    }
    catch (...)
    {
        // Only the name's copy can fail here; nothing may leave a handler.
    }
}

bool RunInErrorFrame(const std::string& function, const std::function<void(std::string& step)>& body) noexcept
{
    std::string step = "Entry";
    try
    {
        try
        {
            body(step);
            return true;
        }
        catch (...)
        {
            RethrowCurrentExceptionWithContext(step);
        }
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox(function);
    }
    return false;
}

void ReportCurrentException(const std::string& function) noexcept
{
    try
    {
        try
        {
            throw;
        }
        catch (const _com_error& e)
        {
            ReportCOMException(e, function);
        }
        catch (const CCommsException& e)
        {
            ReportCommsException(e, function);
        }
        catch (const CProtocolException& e)
        {
            ReportProtocolException(e, function);
        }
        catch (const CTAPIException& e)
        {
            ReportTAPIException(e, function);
        }
        catch (const CGeneralException& e)
        {
            ReportGeneralException(e, function);
        }
        catch (const std::exception& e)
        {
            ReportStandardException(e, function);
        }
        catch (...)
        {
            ReportUnrecognisedException(function);
        }
    }
    catch (...)
    {
    }
}
