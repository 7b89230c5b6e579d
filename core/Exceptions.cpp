#include "core/Exceptions.h"

#include <cstdio>
#include <utility>

CGeneralException::CGeneralException(std::string description, HRESULT hr)
    : m_Description(std::move(description)), m_HResult(hr)
{
}

CGeneralException::~CGeneralException() = default;

const char* CGeneralException::what() const noexcept
{
    return m_Description.c_str();
}

std::string CGeneralException::GetDescription() const
{
    return m_Description;
}

CCommsException::CCommsException(std::string description, HRESULT hr)
    : CGeneralException(std::move(description), hr)
{
}

CHTTPException::CHTTPException(std::string description, HRESULT hr)
    : CGeneralException(std::move(description), hr)
{
}

CHTTPRefusalException::CHTTPRefusalException(std::string description, DWORD httpStatus)
    : CHTTPException(std::move(description), E_FAIL), m_HTTPStatus(httpStatus)
{
}

CProtocolException::CProtocolException(std::string description, HRESULT hr, std::uint32_t protocolError)
    : CGeneralException(std::move(description), hr), m_ProtocolError(protocolError)
{
}

CTAPIException::CTAPIException(std::string description, std::uint32_t tapiError, std::uint32_t tapiResultCode)
    : CGeneralException(std::move(description), E_FAIL), m_TAPIError(tapiError), m_TAPIResultCode(tapiResultCode)
{
}

std::string CTAPIException::GetDescription() const
{
    char suffix[80];
    std::snprintf(suffix, sizeof(suffix), " (TAPI Result Code: 0x%x, TAPI Error: %x)",
                  static_cast<unsigned>(m_TAPIResultCode), static_cast<unsigned>(m_TAPIError));
    return CGeneralException::GetDescription() + suffix;
}

CZentavoSMSGatewayException::CZentavoSMSGatewayException(std::string description, std::uint32_t gatewayErrorCode,
                                                         HRESULT hr)
    : CGeneralException(std::move(description), hr), m_GatewayErrorCode(gatewayErrorCode)
{
}
