#include "core/LogFile.h"

#include <ctime>

#include "core/ErrorReports.h"
#include "core/StringUtils.h"

namespace
{
const DWORD kShareEverything = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Every write lands at the end of the file, whoever else appends meanwhile.
CScopedFileHandle OpenForAppend(const std::string& fileName)
{
    return CScopedFileHandle(::CreateFileA(fileName.c_str(), FILE_APPEND_DATA, kShareEverything, nullptr,
                                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Text mode: a line feed reaches the file as CR LF.
std::string ToTextMode(const std::string& text)
{
    std::string bytes;
    bytes.reserve(text.size() + 2);
    for (char c : text)
    {
        if (c == '\n')
            bytes += '\r';
        bytes += c;
    }
    return bytes;
}

std::string NarrowForLog(const std::wstring& text)
{
    std::string narrow;
    narrow.reserve(text.size());
    for (wchar_t c : text)
        narrow += c <= 0xFF ? static_cast<char>(c) : '?';
    return narrow;
}

std::string SignedDecimal(HRESULT hr)
{
    return std::to_string(static_cast<long>(hr));
}

std::string OrNoDescription(const std::string& description)
{
    return description.empty() ? std::string("No description available") : description;
}

void WriteFallbackEvent(const char* text) noexcept
{
    try
    {
        CEventLogger::WriteEvent(EVENTLOG_ERROR_TYPE, text, GetEventLogSourceName());
    }
    catch (...)
    {
    }
}
} // namespace

CLogFile::CLogFile() : m_Enabled(0), m_TimeStamping(1)
{
}

CLogFile::CLogFile(const std::string& fileName) : m_FileName(fileName), m_Enabled(1), m_TimeStamping(1)
{
}

CLogFile::~CLogFile()
{
    Close();
}

int CLogFile::Write(const std::string& text)
{
    try
    {
        return WriteBytes(ToTextMode(text));
    }
    catch (...)
    {
        return 0;
    }
}

int CLogFile::WriteW(const std::wstring& text)
{
    try
    {
        return WriteBytes(ToTextMode(NarrowForLog(text)));
    }
    catch (...)
    {
        return 0;
    }
}

int CLogFile::WriteBytes(const std::string& bytes)
{
    if (!m_Enabled || m_FileName.empty())
        return 0;
    const CScopedFileHandle file = OpenForAppend(m_FileName);
    if (!file)
        return 0;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return ok && written == bytes.size() ? 1 : 0;
}

int CLogFile::WriteLine(CLogFile* log, std::string text)
{
    if (!log)
        return 0;
    CMutexLock lock(&log->m_Mutex, nullptr, "", -1, false);
    std::string line;
    if (log->m_TimeStamping)
    {
        const std::int64_t now = _time64(nullptr);
        line = FormatLogTimeStamp(&now) + " - ";
        text = ReplaceControlCharsWithNames(text);
    }
    line += text;
    line += '\n';
    return log->Write(line);
}

int CLogFile::WriteLineW(CLogFile* log, std::wstring text)
{
    if (!log)
        return 0;
    CMutexLock lock(&log->m_Mutex, nullptr, "", -1, false);
    std::wstring line;
    if (log->m_TimeStamping)
    {
        line = FormatLogTimeStampW(_time64(nullptr)) + L" - ";
        text = ReplaceControlCharsWithNamesW(text);
    }
    line += text;
    line += L'\n';
    return log->WriteW(line);
}

void CLogFile::SetFileName(const std::string& fileName)
{
    CMutexLock lock(&m_Mutex, nullptr, "", -1, false);
    m_FileName = fileName;
    m_Enabled = 1;
    m_Stream.reset();
}

std::string CLogFile::GetFileName()
{
    CMutexLock lock(&m_Mutex, nullptr, "", -1, false);
    return m_FileName;
}

void CLogFile::SetTimeStamping(BYTE on)
{
    CMutexLock lock(&m_Mutex, nullptr, "", -1, false);
    m_TimeStamping = on ? 1 : 0;
}

bool CLogFile::Open()
{
    CMutexLock lock(&m_Mutex, nullptr, "", -1, false);
    m_Stream = OpenForAppend(m_FileName);
    return static_cast<bool>(m_Stream);
}

bool CLogFile::IsOpen()
{
    CMutexLock lock(&m_Mutex, nullptr, "", -1, false);
    return static_cast<bool>(m_Stream);
}

void CLogFile::Close()
{
    CMutexLock lock(&m_Mutex, nullptr, "", -1, false);
    m_Stream.reset();
}

void WriteToLogCOMException(const _com_error& error, const std::string& function, CLogFile* log)
{
    if (!log)
        return;
    try
    {
        CLogFile::WriteLine(log, "EX: COM Exception raised\nFunction: " + function + "\nDescription: " +
                                     OrNoDescription(GetCOMErrorDescription(error)) + "\nHResult: " +
                                     SignedDecimal(error.Error()));
    }
    catch (...)
    {
        WriteFallbackEvent("WriteToLogSTLException failed");
    }
}

void WriteToLogException(const CGeneralException& error, const std::string& function, CLogFile* log,
                         const std::string& kind)
{
    if (!log)
        return;
    try
    {
        CLogFile::WriteLine(log, "EX: " + kind + "  Exception raised\nFunction: " + function + "\nDescription: " +
                                     OrNoDescription(error.GetDescription()) + "\nHResult: " +
                                     SignedDecimal(error.GetHResult()));
    }
    catch (...)
    {
        WriteFallbackEvent("WriteToLogException failed");
    }
}

void WriteToLogCommsException(const CCommsException& error, const std::string& function, CLogFile* log)
{
    WriteToLogException(error, function, log, "Comms");
}

void WriteToLogProtocolException(const CProtocolException& error, const std::string& function, CLogFile* log)
{
    WriteToLogException(error, function, log, "Protocol");
}

void WriteToLogTAPIException(const CTAPIException& error, const std::string& function, CLogFile* log)
{
    WriteToLogException(error, function, log, "TAPI");
}

void WriteToLogGeneralException(const CGeneralException& error, const std::string& function, CLogFile* log)
{
    WriteToLogException(error, function, log, "General");
}

void WriteToLogSTLException(const std::exception& error, const std::string& function, CLogFile* log)
{
    if (!log)
        return;
    try
    {
        CLogFile::WriteLine(log, "EX: Standard Exception raised\nFunction: " + function + "\nDescription: " +
                                     error.what());
    }
    catch (...)
    {
        WriteFallbackEvent("WriteToLogSTLException failed");
    }
}

void WriteToLogUnrecogniedException(const std::string& function, CLogFile* log)
{
    if (!log)
        return;
    try
    {
        CLogFile::WriteLine(log, "EX: Unrecognised Exception raised\nFunction: " + function);
    }
    catch (...)
    {
        WriteFallbackEvent("WriteToLogUnrecogniedException failed");
    }
}
