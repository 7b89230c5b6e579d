// Late-bound access to a web service through the SOAP Toolkit's client
// object: Init creates the object and binds it to a service description,
// Invoke calls an operation of the service by name through IDispatch.
#pragma once

#include "platform/SoapToolkit.h"

#include <exception>
#include <string>

// A failed call that the toolkit described (DISP_E_EXCEPTION): the exception
// information of the call. Copies share the two strings.
class SoapClientException : public std::exception
{
public:
    // Takes copies of the texts; the caller still owns the EXCEPINFO.
    explicit SoapClientException(const EXCEPINFO& info);

    // The description as narrow text; "" when the toolkit gave none.
    const char* what() const noexcept override;

    const _bstr_t& GetDescription() const { return m_Description; }
    const _bstr_t& GetSource() const { return m_Source; }
    DWORD GetHelpContext() const { return m_HelpContext; }
    SCODE GetSCode() const { return m_SCode; }
    WORD GetWCode() const { return m_WCode; }

private:
    _bstr_t m_Description;
    _bstr_t m_Source;
    DWORD m_HelpContext;
    SCODE m_SCode;
    WORD m_WCode;
    std::string m_What;
};

class SoapClientBase
{
public:
    SoapClientBase();
    // Releases the client object.
    virtual ~SoapClientBase();
    SoapClientBase(const SoapClientBase&) = delete;
    SoapClientBase& operator=(const SoapClientBase&) = delete;

    // Creates a new client object (the calling thread must have joined COM)
    // and initialises it with the service description; an earlier object is
    // released first. False on failure, with GetErrorMessage saying which
    // step failed and GetHResult its HRESULT.
    bool Init(const std::string& wsdlLocation, const std::string& serviceName, const std::string& portName);

    // Calls the service operation methodName with the arguments, which are in
    // reverse order as IDispatch::Invoke takes them; result may be null.
    // Returns the HRESULT of the name lookup or of the call; a call that the
    // toolkit failed with exception information throws SoapClientException.
    virtual HRESULT Invoke(const wchar_t* methodName, VARIANT* arguments, UINT argumentCount, VARIANT* result);

    // The error text of the last Init; empty when it succeeded.
    const std::string& GetErrorMessage() const { return m_ErrorText; }
    HRESULT GetHResult() const { return m_hr; }

protected:
    ISoapClientPtr m_SoapClient;
    std::string m_ErrorText;
    HRESULT m_hr;

private:
    void Reset();
};
