#include "core/ErrorReports.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "tests/support/EventCapture.h"

namespace
{
// Restores the default source name after each test.
class ErrorReports : public ::testing::Test
{
protected:
    void TearDown() override { SetEventLogSourceName(""); }
    CEventLogCapture m_Events;
};

std::string DescriptionOf(const _com_error& error)
{
    return GetCOMErrorDescription(error);
}

TEST_F(ErrorReports, SourceNameDefaultsUntilSetAndIsUsedByReports)
{
    SetEventLogSourceName("");
    EXPECT_EQ("CorvasseServer", GetEventLogSourceName());
    ReportUnrecognisedException("A::B");
    SetEventLogSourceName("ZentavoSMSOutlookAddin");
    ReportUnrecognisedException("A::C");

    const auto events = m_Events.Events();
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ("CorvasseServer", events[0].source);
    EXPECT_EQ("ZentavoSMSOutlookAddin", events[1].source);
    EXPECT_EQ(EVENTLOG_ERROR_TYPE, events[0].type);
    EXPECT_EQ("Unrecognised Exception raised\nFunction: A::B", events[0].text);
}

TEST_F(ErrorReports, ExceptionReportsHaveTheirExactTexts)
{
    ReportCOMException(_com_error(E_FAIL), "F1");
    try
    {
        ThrowCOMError(static_cast<HRESULT>(0x80070005), L"Access denied here");
    }
    catch (const _com_error& e)
    {
        ReportCOMException(e, "F2");
    }
    ReportCommsException(CCommsException("link down", E_FAIL), "F3");
    ReportProtocolException(CProtocolException("", S_OK, 9), "F4");
    ReportTAPIException(CTAPIException("line", 26, 255), "F5");
    ReportGeneralException(CGeneralException("general", static_cast<HRESULT>(0x80070002)), "F6");
    ReportStandardException(std::runtime_error("bad thing"), "F7");
    ReportGeneralExceptionOfKind(CGeneralException("d", E_FAIL), "F8", "HTTP", "\nExtra: body");
    ReportError(EVENTLOG_WARNING_TYPE, "F9", "what");

    const std::vector<std::string> expected = {
        "COM Exception raised\nFunction: F1\nDescription: No description available\nHResult: -2147467259",
        "COM Exception raised\nFunction: F2\nDescription: Access denied here\nHResult: -2147024891",
        "Comms  Exception raised\nFunction: F3\nDescription: link down\nHResult: -2147467259",
        "Protocol  Exception raised\nFunction: F4\nDescription: No description available\nHResult: 0",
        "TAPI  Exception raised\nFunction: F5\nDescription: line (TAPI Result Code: 0xff, TAPI Error: 1a)\n"
        "HResult: -2147467259",
        "General  Exception raised\nFunction: F6\nDescription: general\nHResult: -2147024894",
        "Standard Exception raised\nFunction: F7\nDescription: bad thing",
        "HTTP  Exception raised\nFunction: F8\nDescription: d\nExtra: body\nHResult: -2147467259",
        "Function: F9\nDescription: what",
    };
    EXPECT_EQ(expected, m_Events.Texts());
    EXPECT_EQ(EVENTLOG_WARNING_TYPE, m_Events.Events().back().type);
}

TEST_F(ErrorReports, ThrowCOMErrorCarriesHResultAndDescription)
{
    try
    {
        ThrowCOMError(static_cast<HRESULT>(0x80070057), L"CThing::Do - failed");
        FAIL() << "ThrowCOMError returned";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(static_cast<HRESULT>(0x80070057), e.Error());
        EXPECT_EQ("CThing::Do - failed", DescriptionOf(e));
    }
}

TEST_F(ErrorReports, RethrowHelpersNameTheirContext)
{
    auto rethrown = [](auto rethrow) -> _com_error {
        try
        {
            rethrow();
        }
        catch (const _com_error& e)
        {
            return e;
        }
        return _com_error(S_OK);
    };

    // The caught HRESULT survives the COM boundary.
    const _com_error fromWin32 = rethrown([] {
        try
        {
            ThrowCOMError(static_cast<HRESULT>(0x80070005), L"RegOpenKeyEx failed");
        }
        catch (const _com_error& e)
        {
            RethrowCOMExceptionWithContext(e, "CAddin::OnConnection");
        }
    });
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), fromWin32.Error());
    EXPECT_EQ("COM exception thrown (Context:CAddin::OnConnection) - RegOpenKeyEx failed", DescriptionOf(fromWin32));

    const _com_error bare = rethrown([] { RethrowCOMExceptionWithContext(_com_error(E_NOINTERFACE), "X"); });
    EXPECT_EQ(E_NOINTERFACE, bare.Error());
    EXPECT_EQ("COM exception thrown (Context:X) - Error description was not available", DescriptionOf(bare));

    const _com_error standard =
        rethrown([] { RethrowStandardExceptionAsCOMError(CGeneralException("gen", E_POINTER), "Y::Z"); });
    EXPECT_EQ(E_FAIL, standard.Error());
    EXPECT_EQ("Standard exception thrown (Context:Y::Z, Description:gen)", DescriptionOf(standard));

    const _com_error unknown = rethrown([] { RethrowUnknownExceptionAsCOMError("Step 3"); });
    EXPECT_EQ(E_FAIL, unknown.Error());
    EXPECT_EQ("Unknown exception thrown (Context:Step 3)", DescriptionOf(unknown));
}

TEST_F(ErrorReports, ErrorMessageBoxTextAndCaption)
{
    CMessageBoxCapture boxes;
    ShowErrorMessageBox("Disk full (0x80070070)", "CSendSMSDlg::OnSend");
    SetEventLogSourceName("ZentavoSMSOutlookAddin");
    ShowErrorMessageBox("plain", "");

    const auto shown = boxes.Boxes();
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ("An error has occured (Ctrl-C to copy)\n\nDisk full (0x80070070)\n\nFunction: CSendSMSDlg::OnSend",
              shown[0].text);
    EXPECT_EQ("CorvasseServer - Error Occurred", shown[0].caption);
    EXPECT_EQ(nullptr, shown[0].owner);
    EXPECT_EQ(static_cast<UINT>(MB_OK), shown[0].style);
    EXPECT_EQ("An error has occured (Ctrl-C to copy)\n\nplain", shown[1].text);
    EXPECT_EQ("ZentavoSMSOutlookAddin - Error Occurred", shown[1].caption);
}

// The user-interface family's text for each kind of exception.
TEST_F(ErrorReports, CurrentExceptionTextsOfTheUserInterfaceFamily)
{
    struct Case
    {
        const char* name;
        std::function<void()> raise;
        std::string text;
    };
    const Case cases[] = {
        {"COM error with description", [] { ThrowCOMError(E_ACCESSDENIED, L"Access denied here"); },
         "Access denied here\n\n(-2147024891)"},
        {"COM error E_FAIL", [] { ThrowCOMError(E_FAIL, L"Failed"); }, "Failed"},
        {"COM error without description", [] { throw _com_error(E_POINTER); },
         "Error Occurred (No description available)\n\n(-2147467261)"},
        {"general exception", [] { throw CGeneralException("Disk full", HRESULT_FROM_WIN32(ERROR_DISK_FULL)); },
         "Disk full (0x80070070)"},
        {"general exception without text", [] { throw CGeneralException("", E_FAIL); }, " (0x80004005)"},
        {"standard exception", [] { throw std::runtime_error("bad input"); }, "bad input"},
        {"standard exception without text", [] { throw std::runtime_error(""); },
         "Error Occurred (No description available)"},
        {"anything else", [] { throw 42; }, "Unrecognised Exception occurred"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        try
        {
            c.raise();
            ADD_FAILURE() << "nothing raised";
        }
        catch (...)
        {
            EXPECT_EQ(c.text, DescribeCurrentException());
        }
    }

    CMessageBoxCapture boxes;
    try
    {
        throw 1;
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CTest::Handler");
    }
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("An error has occured (Ctrl-C to copy)\n\nUnrecognised Exception occurred\n\nFunction: CTest::Handler",
              boxes.Boxes()[0].text);
}

// Without a sink the real event log is used; whatever Wine makes of it, the
// writer goes on and answers 1.
TEST(EventLogger, RealWriterNeverFails)
{
    EXPECT_EQ(1, CEventLogger::WriteEvent(EVENTLOG_ERROR_TYPE, "test event", "CorvasseServer"));
    EXPECT_EQ(1, CEventLogger::WriteEvent(EVENTLOG_WARNING_TYPE, "test event", ""));
}
} // namespace
