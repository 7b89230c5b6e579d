// What the system does with a failure that reaches a catch clause: an event
// in the Windows event log, a message box, or a _com_error with a
// description for the COM boundary.
//
// Report texts end the kind with two blanks ("TAPI  Exception raised") and
// print HRESULTs in signed decimal (E_FAIL is -2147467259). A failure while a
// report builds its text propagates to the catch clause that called it.
#pragma once

#include <windows.h>

#include <comdef.h>

#include <exception>
#include <functional>
#include <string>

#include "core/Exceptions.h"
#include "core/Modal.h"

// The process-wide event-log source: "CorvasseServer" until the add-in sets
// its own name. Both take a process-wide lock; any thread may call them.
std::string GetEventLogSourceName();
void SetEventLogSourceName(const std::string& name);

// Replaceable end of the event writer, so that tests can see what would
// reach the event log. A null sink (the default) means the real ReportEventA.
using EventLogSinkFn = void (*)(WORD eventType, const std::string& text, const std::string& source);
void SetEventLogSink(EventLogSinkFn sink);

class CEventLogger
{
public:
    virtual ~CEventLogger();

    // Writes the text as one event (category 0, id 0) under the source.
    // Every Win32 failure is swallowed; the result is always 1.
    static long WriteEvent(WORD eventType, const std::string& text, const std::string& source);

    // The text, " - " and the description of this thread's COM error
    // information, or "Error information was not available".
    static long WriteErrorInfoEvent(WORD eventType, const std::string& text, const std::string& source);
};

// One error event each, under GetEventLogSourceName(). function names the
// catching function.
void ReportCOMException(const _com_error& error, const std::string& function);
void ReportGeneralExceptionOfKind(const CGeneralException& error, const std::string& function,
                                  const std::string& kind, const std::string& extraText);
void ReportCommsException(const CCommsException& error, const std::string& function);
void ReportProtocolException(const CProtocolException& error, const std::string& function);
void ReportTAPIException(const CTAPIException& error, const std::string& function);
void ReportGeneralException(const CGeneralException& error, const std::string& function);
void ReportStandardException(const std::exception& error, const std::string& function);
void ReportUnrecognisedException(const std::string& function);
void ReportError(WORD eventType, const std::string& function, const std::string& description);

// The event-log catch family, for a catch (...) clause: one error event by
// the exception's kind (the Report* functions above) under the function's
// name; nothing is shown or rethrown, and it never throws.
void ReportCurrentException(const std::string& function) noexcept;

// COM-boundary rethrow helpers, for the clauses _com_error, standard
// exception and anything else. Each raises a new _com_error whose error
// information names the context.
[[noreturn]] void RethrowCOMExceptionWithContext(const _com_error& error, const std::string& context);
[[noreturn]] void RethrowStandardExceptionAsCOMError(const std::exception& error, const std::string& context);
[[noreturn]] void RethrowUnknownExceptionAsCOMError(const std::string& context);
// The three clauses at once, for the exception being handled:
//   catch (...) { RethrowCurrentExceptionWithContext(context); }
// Only valid inside a catch clause.
[[noreturn]] void RethrowCurrentExceptionWithContext(const std::string& context);

// The worker catch family, for
//   catch (...) { TraceCurrentWorkerException(L"CMAPIUtils", L"OpenAddressBook"); throw; }
// DescribeCurrentWorkerException gives the family's text of the exception
// being handled ("Comms Exception raised\nDescription: ..."); the trace
// writes it at level 3 under the caller's component and class when tracing
// is on, and never throws, so the caller's rethrow is what leaves the catch.
// Only valid inside a catch clause.
std::wstring DescribeCurrentWorkerException();
void TraceCurrentWorkerException(const std::wstring& component, const std::wstring& className) noexcept;

// A method's error frame: the COM-boundary family around the body, whose
// current step text (set by the body; "Entry" at first) is the context, and
// the user-interface family around that, showing the failure in the error
// box under the method's name. Returns false when the body failed.
bool RunInErrorFrame(const std::string& function, const std::function<void(std::string& step)>& body) noexcept;

// Raises a _com_error carrying the HRESULT and error information with the
// description (none when the error information cannot be created).
[[noreturn]] void ThrowCOMError(HRESULT hr, _bstr_t description);

// The shared error box: the chosen owner (ChooseBoxOwner), OK only, caption
// "<source> - Error Occurred". User-interface thread only.
void ShowErrorMessageBox(const std::string& text, const std::string& function);
// The same box owned by the given window (null: the chosen owner).
void ShowErrorMessageBox(HWND owner, const std::string& text, const std::string& function);

// The user-interface catch family, for handlers that end in
//   catch (...) { ShowCurrentExceptionInErrorBox("CClass::Method"); }
// DescribeCurrentException gives the error-box text of the exception being
// handled: a _com_error's description (or "Error Occurred (No description
// available)") with "\n\n(<signed HRESULT>)" unless it is E_FAIL; a
// CGeneralException's description with " (0x<hex>)"; a standard exception's
// what(); "Unrecognised Exception occurred" for anything else. Only valid
// inside a catch clause.
std::string DescribeCurrentException();
// Shows that text in the shared error box under the handler's name; never
// throws, so the handler can return as on success.
void ShowCurrentExceptionInErrorBox(const std::string& function) noexcept;
// The same as a window's handler-exception hook (platform/MessageMap.h),
// named by the handler's C string.
void ShowHandlerExceptionInErrorBox(const char* handlerName) noexcept;

// The description of a _com_error's error information as narrow text; empty
// when it has none.
std::string GetCOMErrorDescription(const _com_error& error);
