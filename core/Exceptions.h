// The system's own exception family. Every failure that is not a gateway
// answer travels as one of these, a _com_error or a standard exception.
// Exceptions are thrown by value and caught by reference; catch lists name
// the subclasses before CGeneralException.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>

// HRESULT_FROM_WIN32 as the system computes it: the error itself when it is 0
// or less, else its low 16 bits under the Win32 facility.
inline HRESULT HResultFromWin32(DWORD error)
{
    const LONG value = static_cast<LONG>(error);
    if (value <= 0)
        return static_cast<HRESULT>(value);
    return static_cast<HRESULT>((error & 0x0000FFFFu) | 0x80070000u);
}

inline HRESULT HResultFromLastError()
{
    return HResultFromWin32(::GetLastError());
}

class CGeneralException : public std::exception
{
public:
    CGeneralException(std::string description, HRESULT hr);
    ~CGeneralException() override;

    const char* what() const noexcept override;
    virtual std::string GetDescription() const;
    HRESULT GetHResult() const { return m_HResult; }

private:
    std::string m_Description;
    HRESULT m_HResult;
};

class CCommsException : public CGeneralException
{
public:
    CCommsException(std::string description, HRESULT hr);
};

class CHTTPException : public CGeneralException
{
public:
    CHTTPException(std::string description, HRESULT hr);
};

// A request refused before it reached the gateway: its answer was no reply
// of the gateway's, under an HTTP status of 400 to 499, the page of a proxy,
// a firewall or a server in front of the gateway. Carries E_FAIL.
class CHTTPRefusalException : public CHTTPException
{
public:
    CHTTPRefusalException(std::string description, DWORD httpStatus);
    DWORD GetHTTPStatus() const { return m_HTTPStatus; }

    static bool IsRefusalStatus(DWORD httpStatus) { return httpStatus >= 400 && httpStatus <= 499; }

private:
    DWORD m_HTTPStatus;
};

class CProtocolException : public CGeneralException
{
public:
    CProtocolException(std::string description, HRESULT hr, std::uint32_t protocolError);
    std::uint32_t GetProtocolError() const { return m_ProtocolError; }

private:
    std::uint32_t m_ProtocolError;
};

// Always carries E_FAIL; the TAPI codes are appended by GetDescription only,
// so what() stays the bare description.
class CTAPIException : public CGeneralException
{
public:
    CTAPIException(std::string description, std::uint32_t tapiError, std::uint32_t tapiResultCode);
    std::string GetDescription() const override;
    std::uint32_t GetTAPIError() const { return m_TAPIError; }
    std::uint32_t GetTAPIResultCode() const { return m_TAPIResultCode; }

private:
    std::uint32_t m_TAPIError;
    std::uint32_t m_TAPIResultCode;
};

// Thrown by the bulk-job submitter; the catch clause of the submission
// manager reads the gateway status code directly.
class CZentavoSMSGatewayException : public CGeneralException
{
public:
    CZentavoSMSGatewayException(std::string description, std::uint32_t gatewayErrorCode, HRESULT hr);

    std::uint32_t m_GatewayErrorCode;
};
