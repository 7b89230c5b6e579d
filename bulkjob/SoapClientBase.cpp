#include "bulkjob/SoapClientBase.h"

#include "platform/ExceptionInfo.h"

namespace
{
// GetIDsOfNames and Invoke take the locale of the user (LOCALE_USER_DEFAULT).
const LCID kLocale = 1024;

} // namespace

SoapClientException::SoapClientException(const EXCEPINFO& info)
    : m_Description(info.bstrDescription, true), m_Source(info.bstrSource, true), m_HelpContext(info.dwHelpContext),
      m_SCode(info.scode), m_WCode(info.wCode)
{
    // Converted once here, so what() neither allocates nor fails.
    const char* description = static_cast<const char*>(m_Description);
    if (description)
        m_What = description;
}

const char* SoapClientException::what() const noexcept
{
    return m_What.c_str();
}

SoapClientBase::SoapClientBase() : m_hr(S_OK) {}

SoapClientBase::~SoapClientBase()
{
    Reset();
}

void SoapClientBase::Reset()
{
    m_SoapClient = nullptr;
    m_ErrorText.clear();
    m_hr = S_OK;
}

bool SoapClientBase::Init(const std::string& wsdlLocation, const std::string& serviceName,
                          const std::string& portName)
{
    Reset();

    m_hr = ::CoCreateInstance(CLSID_SoapClient30, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ISoapClient),
                              reinterpret_cast<void**>(&m_SoapClient));
    if (!m_SoapClient)
    {
        m_ErrorText = "Create soap client object fail";
        return false;
    }

    const _variant_t wsdl(wsdlLocation.c_str());
    const _variant_t wsml(L"");
    const _bstr_t service(serviceName.c_str());
    const _bstr_t port(portName.c_str());
    const _bstr_t serviceNamespace(L"");
    m_hr = m_SoapClient->MSSoapInit2(wsdl, wsml, service, port, serviceNamespace);
    if (FAILED(m_hr))
    {
        m_ErrorText = "Error calling MSSoapInit2";
        return false;
    }
    return true;
}

HRESULT SoapClientBase::Invoke(const wchar_t* methodName, VARIANT* arguments, UINT argumentCount, VARIANT* result)
{
    if (!m_SoapClient)
        return E_POINTER;

    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(methodName)};
    HRESULT hr = m_SoapClient->GetIDsOfNames(IID_NULL, names, 1, kLocale, &id);
    if (FAILED(hr))
        return hr;

    DISPPARAMS parameters = {};
    parameters.rgvarg = argumentCount ? arguments : nullptr;
    parameters.cArgs = argumentCount;
    CScopedExceptionInfo exception;
    UINT argumentError = 0;
    hr = m_SoapClient->Invoke(id, IID_NULL, kLocale, DISPATCH_METHOD, &parameters, result, &exception,
                              &argumentError);
    if (hr == DISP_E_EXCEPTION)
    {
        exception.Complete();
        throw SoapClientException(exception);
    }
    return hr;
}
