#include "addin/ZentavoSMSOutlookPlugin.h"

#include "core/ErrorReports.h"
#include "core/Exceptions.h"
#include "core/StringUtils.h"
#include "gateway/SMSGatewayHTTPInterfaceClient.h"

#include <comdef.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <sstream>
#include <string>

CZentavoSMSOutlookPlugin CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin;

namespace
{
const char* const kNoDescription = "Error Occurred (No description available)";

// The error-box text of the exception being handled, in the form every
// user-interface handler of the add-in shows.
std::string DescribeCurrentException()
{
    try
    {
        throw;
    }
    catch (const _com_error& e)
    {
        std::string text = GetCOMErrorDescription(e);
        if (text.empty())
            text = kNoDescription;
        if (e.Error() != E_FAIL)
            text += "\n\n(" + std::to_string(static_cast<long>(e.Error())) + ")";
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
        return text.empty() ? std::string(kNoDescription) : text;
    }
    catch (...)
    {
        return "Unrecognised Exception occurred";
    }
}

// Called from a catch clause: nothing may escape to Outlook.
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

std::wstring TraceLogBanner()
{
    std::wostringstream banner;
    banner << L"Trace log started (ZentavoSMSOutlookAddin Ver:" << L"5.0.1"
           << (sizeof(void*) == 8 ? L" 64bit" : L" 32bit") << L' ' << __TIME__ << L' ' << __DATE__ << L')';
    return banner.str();
}
} // namespace

CZentavoSMSOutlookPlugin::CTraceLoggerOwner::~CTraceLoggerOwner()
{
    if (m_Logger && g_pTraceLogger == m_Logger.get())
        g_pTraceLogger = nullptr;
}

CZentavoSMSOutlookPlugin::CZentavoSMSOutlookPlugin()
    : m_Config(&m_ConfigErrorText), m_UserPreferences(&m_UserPreferencesErrorText)
{
}

CZentavoSMSOutlookPlugin::~CZentavoSMSOutlookPlugin() = default;

void CZentavoSMSOutlookPlugin::Initialise()
{
    try
    {
        m_Config.Load();
        m_UserPreferences.Load();
        StartTraceLog();
        m_BalanceClient.SetInterface(kZentavoSMSOutlookAddinInterfaceId);
        m_BalanceClient.Initialise();
        std::srand(static_cast<unsigned int>(static_cast<std::uint32_t>(std::time(nullptr))));
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CZentavoSMSOutlookPlugin::Initialise");
    }
}

// A trace log that cannot be started must not stop the add-in.
void CZentavoSMSOutlookPlugin::StartTraceLog()
{
    try
    {
        const std::string fileName = m_Config.GetTraceLogFilename();
        if (!fileName.empty() && !m_TraceLogger.m_Logger)
        {
            m_TraceLogger.m_Logger.reset(new CZentavoSMSTraceLogging(fileName));
            g_pTraceLogger = m_TraceLogger.m_Logger.get();
        }
        const std::wstring component = L"OLAddinCore";
        const std::wstring className = L"CZentavoSMSOutlookPlugin";
        if (g_pTraceLogger)
            g_pTraceLogger->Trace(1, component, className, L"");
        if (g_pTraceLogger)
            g_pTraceLogger->Trace(1, component, className, std::wstring(111, L'='));
        if (g_pTraceLogger)
            g_pTraceLogger->Trace(1, component, className, TraceLogBanner());
    }
    catch (...)
    {
    }
}

void CZentavoSMSOutlookPlugin::Uninitialise()
{
    try
    {
        m_UserPreferences.Save();
        m_BalanceClient.Uninitialise();
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CZentavoSMSOutlookPlugin::Uninitialise");
    }
}

void CZentavoSMSOutlookPlugin::InitialiseEventLogSource()
{
    SetEventLogSourceName("ZentavoSMSOutlookAddin");
}

void CZentavoSMSOutlookPlugin::ReplaceCompanyNameShortTag(std::string& text)
{
    text = ReplaceAll(text, "{CompanyNameShort}", "ZentavoSoftware");
}
