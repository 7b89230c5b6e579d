#include "core/LogFile.h"
#include "core/TraceLogging.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/ErrorReports.h"
#include "core/ScopedHandle.h"

namespace
{
const char* const kStamp = R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d - )";

// A fresh file name in the temporary folder, deleted afterwards.
class LogFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char folder[MAX_PATH];
        ::GetTempPathA(MAX_PATH, folder);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_Path = std::string(folder) + "zentavo_" + info->name() + ".log";
        ::DeleteFileA(m_Path.c_str());
    }
    void TearDown() override { ::DeleteFileA(m_Path.c_str()); }

    std::string Contents() const
    {
        std::ifstream file(m_Path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    // The file's lines without their CR LF ends; the last line must end too.
    std::vector<std::string> Lines() const
    {
        const std::string text = Contents();
        std::vector<std::string> lines;
        std::string::size_type begin = 0;
        for (std::string::size_type end; (end = text.find("\r\n", begin)) != std::string::npos; begin = end + 2)
            lines.push_back(text.substr(begin, end - begin));
        EXPECT_EQ(text.size(), begin) << "unterminated last line";
        return lines;
    }

    std::string m_Path;
};

TEST_F(LogFile, TraceLinesCarryStampLevelThreadAndNames)
{
    CZentavoSMSTraceLogging logger(m_Path);
    EXPECT_EQ(1, logger.GetState());
    IZentavoSMSTraceLogging* trace = &logger;
    trace->Trace(1, L"OLAddinCore", L"CAddin::OnConnection", L"Entry");
    trace->Trace(2, L"C", L"K", L"w");
    trace->Trace(3, L"C", L"K", L"e");
    trace->Trace(4, L"C", L"K", L"line one\r\nline two");
    trace->Trace(0, L"C", L"K", L"no letter");
    trace->Trace(5, L"C", L"K", L"no letter");
    trace->Trace(1, L"C", L"K", L"caf\u00e9 \u20ac\u4e2d");

    const std::string tid = std::to_string(::GetCurrentThreadId());
    const std::vector<std::string> expected = {
        "I " + tid + " OLAddinCore CAddin::OnConnection Entry",
        "W " + tid + " C K w",
        "E " + tid + " C K e",
        "F " + tid + " C K line one<CR><LF>line two",
        " " + tid + " C K no letter",
        " " + tid + " C K no letter",
        "I " + tid + " C K caf\xe9 ??",
    };
    const auto lines = Lines();
    ASSERT_EQ(expected.size(), lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
    {
        EXPECT_TRUE(std::regex_search(lines[i], std::regex(std::string("^") + kStamp))) << lines[i];
        EXPECT_EQ(expected[i], lines[i].substr(lines[i].find(" - ") + 3));
    }
}

TEST_F(LogFile, EveryControlCharacterIsNamedOthersStay)
{
    CLogFile log(m_Path);
    std::string text;
    for (int c = 0; c < 32; ++c)
        text += static_cast<char>(c);
    text += "\x7f\x80\xff ~";
    EXPECT_EQ(1, CLogFile::WriteLine(&log, text));
    EXPECT_EQ(1, CLogFile::WriteLineW(&log, std::wstring(L"\x00\x1b\xff", 3)));

    const auto lines = Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("<NUL><SOH><STX><ETX><EOT><ENQ><ACK><BEL><BS><HT><LF><VT><FF><CR><SO><SI><DLE><DC1><DC2><DC3><DC4>"
              "<NAK><SYN><ETB><CAN><EM><SUB><ESC><FS><GS><RS><US>\x7f\x80\xff ~",
              lines[0].substr(20));
    EXPECT_EQ("<NUL><ESC>\xff", lines[1].substr(20));
}

TEST_F(LogFile, WithoutTimeStampingTextIsRawAndLineFeedsBecomeCRLF)
{
    CLogFile log(m_Path);
    log.SetTimeStamping(0);
    CLogFile::WriteLine(&log, "a\tb\nc");
    EXPECT_EQ("a\tb\r\nc\r\n", Contents());
}

TEST_F(LogFile, ExceptionWritersPutOneLinePerReport)
{
    CLogFile log(m_Path);
    try
    {
        ThrowCOMError(E_ACCESSDENIED, L"denied");
    }
    catch (const _com_error& e)
    {
        WriteToLogCOMException(e, "F1", &log);
    }
    WriteToLogCOMException(_com_error(E_FAIL), "F2", &log);
    WriteToLogCommsException(CCommsException("c", E_FAIL), "F3", &log);
    WriteToLogProtocolException(CProtocolException("p", E_FAIL, 1), "F4", &log);
    WriteToLogTAPIException(CTAPIException("t", 1, 2), "F5", &log);
    WriteToLogGeneralException(CGeneralException("", S_OK), "F6", &log);
    WriteToLogSTLException(std::logic_error("l"), "F7", &log);
    WriteToLogUnrecogniedException("F8", &log);
    WriteToLogUnrecogniedException("F9", nullptr);

    const std::vector<std::string> expected = {
        "EX: COM Exception raised<LF>Function: F1<LF>Description: denied<LF>HResult: -2147024891",
        "EX: COM Exception raised<LF>Function: F2<LF>Description: No description available<LF>HResult: -2147467259",
        "EX: Comms  Exception raised<LF>Function: F3<LF>Description: c<LF>HResult: -2147467259",
        "EX: Protocol  Exception raised<LF>Function: F4<LF>Description: p<LF>HResult: -2147467259",
        "EX: TAPI  Exception raised<LF>Function: F5<LF>Description: t (TAPI Result Code: 0x2, TAPI Error: 1)<LF>"
        "HResult: -2147467259",
        "EX: General  Exception raised<LF>Function: F6<LF>Description: No description available<LF>HResult: 0",
        "EX: Standard Exception raised<LF>Function: F7<LF>Description: l",
        "EX: Unrecognised Exception raised<LF>Function: F8",
    };
    std::vector<std::string> bodies;
    for (const std::string& line : Lines())
        bodies.push_back(line.substr(20));
    EXPECT_EQ(expected, bodies);
}

TEST_F(LogFile, NothingIsWrittenWithoutAFile)
{
    CLogFile unnamed;
    EXPECT_EQ(0, CLogFile::WriteLine(&unnamed, "x"));
    EXPECT_EQ(0, unnamed.Write("x"));
    EXPECT_EQ(0, CLogFile::WriteLine(nullptr, "x"));
    EXPECT_EQ(0, CLogFile::WriteLineW(nullptr, L"x"));

    CLogFile empty("");
    EXPECT_EQ(0, CLogFile::WriteLine(&empty, "x"));
    CLogFile missingFolder(m_Path + "\\no\\such\\folder.log");
    EXPECT_EQ(0, CLogFile::WriteLine(&missingFolder, "x"));
    CZentavoSMSTraceLogging lost(m_Path + "\\no\\such.log");
    lost.Trace(1, L"C", L"K", L"lost silently");

    unnamed.SetFileName(m_Path);
    EXPECT_EQ(1, CLogFile::WriteLine(&unnamed, "x"));
    EXPECT_EQ(m_Path, unnamed.GetFileName());
}

TEST_F(LogFile, AFileHeldOpenByAnotherWriterStillReceivesLines)
{
    CScopedFileHandle other(::CreateFileA(m_Path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(other);
    DWORD written = 0;
    ::WriteFile(other.get(), "first\r\n", 7, &written, nullptr);
    CLogFile log(m_Path);
    log.SetTimeStamping(0);
    EXPECT_EQ(1, CLogFile::WriteLine(&log, "second"));
    other.reset();
    EXPECT_EQ("first\r\nsecond\r\n", Contents());
}

TEST_F(LogFile, SetFileNameClosesThePersistentStream)
{
    CLogFile log(m_Path);
    ASSERT_TRUE(log.Open());
    EXPECT_TRUE(log.IsOpen());
    log.SetFileName(m_Path + ".other");
    EXPECT_FALSE(log.IsOpen());
    // Only possible when no handle on the file is left.
    CScopedFileHandle exclusive(
        ::CreateFileA(m_Path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(exclusive);
    ::DeleteFileA((m_Path + ".other").c_str());
}

TEST_F(LogFile, ConcurrentWritersProduceWholeLines)
{
    CZentavoSMSTraceLogging logger(m_Path);
    const int threads = 6;
    const int linesPerThread = 150;
    const std::wstring payload(200, L'x');
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t)
        writers.emplace_back([&, t] {
            for (int i = 0; i < linesPerThread; ++i)
                logger.Trace(1, L"T" + std::to_wstring(t), L"K", std::to_wstring(i) + L" " + payload);
        });
    for (std::thread& writer : writers)
        writer.join();

    const std::regex line(std::string("^") + kStamp + R"(I \d+ T(\d) K (\d+) x{200}$)");
    std::vector<int> next(threads, 0);
    const auto lines = Lines();
    ASSERT_EQ(static_cast<size_t>(threads * linesPerThread), lines.size());
    for (const std::string& text : lines)
    {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(text, match, line)) << text;
        const int t = std::stoi(match[1]);
        EXPECT_EQ(next[t]++, std::stoi(match[2]));
    }
}
} // namespace
