// An append-only text log. Every line is stamped with the local time, has its
// control characters spelled out by name ("<CR>", "<LF>") and is written by
// opening the file, appending and closing it again, so that the file is
// never held open between lines and other processes may read or append to it
// at any time. Lines of different threads never interleave: the line writers
// serialise on the file's own CMutex.
//
// Writing never throws and never shows anything: a line that cannot be
// written is lost and the writer returns 0.
#pragma once

#include <windows.h>

#include <comdef.h>

#include <exception>
#include <string>

#include "core/Exceptions.h"
#include "core/Mutex.h"
#include "core/ScopedHandle.h"

class CLogFile
{
public:
    // No file: nothing is written until SetFileName.
    CLogFile();
    explicit CLogFile(const std::string& fileName);
    virtual ~CLogFile();

    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // Raw writers: append the text as it is, each "\n" reaching the file as
    // CR LF. Wide characters up to 0xFF become the byte of the same value,
    // any other becomes '?'. They take no lock; 1 when written, else 0.
    virtual int WriteW(const std::wstring& text);
    virtual int Write(const std::string& text);

    // Time stamp (DD/MM/YY hh:mm:ss - ), control names, the text and a line
    // end, as one append under the file's mutex. A null log writes nothing
    // and returns 0.
    static int WriteLine(CLogFile* log, std::string text);
    static int WriteLineW(CLogFile* log, std::wstring text);

    // Sets the file, enables writing and closes any persistent stream.
    void SetFileName(const std::string& fileName);
    std::string GetFileName();
    // Without time stamping, lines carry neither the stamp nor the control
    // names.
    void SetTimeStamping(BYTE on);

    // A persistent append handle on the file, with the writers' sharing. The
    // line writers never use it.
    bool Open();
    bool IsOpen();
    void Close();

private:
    int WriteBytes(const std::string& bytes);

    CMutex m_Mutex;
    CScopedFileHandle m_Stream;
    std::string m_FileName;
    DWORD m_Enabled;
    DWORD m_TimeStamping;
};

// "EX: " exception writers for catch clauses: one line each, in the form of
// the event-log reports, to the log (nothing when it is null). Nothing
// escapes them: when building or handing over the line fails they write an
// error event instead.
void WriteToLogCOMException(const _com_error& error, const std::string& function, CLogFile* log);
void WriteToLogException(const CGeneralException& error, const std::string& function, CLogFile* log,
                         const std::string& kind);
void WriteToLogCommsException(const CCommsException& error, const std::string& function, CLogFile* log);
void WriteToLogProtocolException(const CProtocolException& error, const std::string& function, CLogFile* log);
void WriteToLogTAPIException(const CTAPIException& error, const std::string& function, CLogFile* log);
void WriteToLogGeneralException(const CGeneralException& error, const std::string& function, CLogFile* log);
void WriteToLogSTLException(const std::exception& error, const std::string& function, CLogFile* log);
void WriteToLogUnrecogniedException(const std::string& function, CLogFile* log);
