#include "bulkjob/ZentavoSMSBulkSMSWebServiceClient.h"

#include "core/Exceptions.h"
#include "core/GatewayAddresses.h"

#include <vector>

namespace
{
const char kServiceName[] = "ZentavoBulkJob";

// Automation arguments in natural order; Arguments() hands them to Invoke
// last first. Each variant owns its value.
class CArgumentList
{
public:
    CArgumentList& Text(const std::string& text)
    {
        m_Arguments.emplace_back(text.c_str());
        return *this;
    }
    CArgumentList& Int(int value)
    {
        _variant_t argument;
        V_VT(&argument) = VT_INT;
        V_INT(&argument) = value;
        m_Arguments.push_back(argument);
        return *this;
    }
    CArgumentList& Date(DATE value)
    {
        m_Arguments.emplace_back(value, VT_DATE);
        return *this;
    }
    // A by-reference argument the service writes; the storage must outlive
    // the call.
    CArgumentList& DateRef(DATE* value)
    {
        _variant_t argument;
        V_VT(&argument) = VT_DATE | VT_BYREF;
        V_DATEREF(&argument) = value;
        m_Arguments.push_back(argument);
        return *this;
    }
    CArgumentList& LongRef(long* value)
    {
        _variant_t argument;
        V_VT(&argument) = VT_I4 | VT_BYREF;
        V_I4REF(&argument) = value;
        m_Arguments.push_back(argument);
        return *this;
    }

    VARIANT* Arguments()
    {
        if (m_Reversed.empty())
            m_Reversed.assign(m_Arguments.rbegin(), m_Arguments.rend());
        return m_Reversed.data();
    }
    UINT Count() const { return static_cast<UINT>(m_Arguments.size()); }

private:
    std::vector<_variant_t> m_Arguments;
    std::vector<_variant_t> m_Reversed;
};

std::string ResultText(const _variant_t& result)
{
    if (V_VT(&result) == VT_EMPTY || V_VT(&result) == VT_NULL)
        return std::string();
    const _bstr_t text(result);
    const char* narrow = static_cast<const char*>(text);
    return narrow ? narrow : std::string();
}

CArgumentList Credentials(const std::string& accessKey, const std::string& secretKey)
{
    CArgumentList arguments;
    arguments.Text(accessKey).Text(secretKey);
    return arguments;
}
} // namespace

CZentavoSMSBulkSMSWebServiceClient::CZentavoSMSBulkSMSWebServiceClient()
{
    // The service's address with "?wsdl" gives its description.
    if (!Init(GetBulkJobServiceURL(), kServiceName, std::string()))
    {
        throw CGeneralException(
            "CZentavoSMSBulkSMSWebServiceClient::~CZentavoSMSBulkSMSWebServiceClient - Init returned (" +
                GetErrorMessage() + ")",
            E_FAIL);
    }
}

CZentavoSMSBulkSMSWebServiceClient::~CZentavoSMSBulkSMSWebServiceClient() = default;

HRESULT CZentavoSMSBulkSMSWebServiceClient::Invoke(const wchar_t* methodName, VARIANT* arguments,
                                                   UINT argumentCount, VARIANT* result)
{
    m_hr = SoapClientBase::Invoke(methodName, arguments, argumentCount, result);
    if (FAILED(m_hr))
        throw CGeneralException("CZentavoSMSBulkSMSWebServiceClient::Invoke - SoapClientBase::Invoke failed", m_hr);
    return m_hr;
}

std::string CZentavoSMSBulkSMSWebServiceClient::CreateSMSTextBulkJob(const std::string& accessKey,
                                                                     const std::string& secretKey,
                                                                     const std::string& bulkJobName,
                                                                     const std::string& from,
                                                                     const std::string& messageText)
{
    CArgumentList arguments = Credentials(accessKey, secretKey);
    arguments.Text(bulkJobName).Text(from).Text(messageText);
    _variant_t result;
    Invoke(L"CreateSMSTextBulkJob", arguments.Arguments(), arguments.Count(), &result);
    return ResultText(result);
}

void CZentavoSMSBulkSMSWebServiceClient::AppendRecipients(const std::string& accessKey, const std::string& secretKey,
                                                          const std::string& bulkJobId,
                                                          const std::string& recipientList)
{
    CArgumentList arguments = Credentials(accessKey, secretKey);
    arguments.Text(bulkJobId).Text(recipientList);
    Invoke(L"AppendRecipients", arguments.Arguments(), arguments.Count(), nullptr);
}

void CZentavoSMSBulkSMSWebServiceClient::SetBulkJobUserContext(const std::string& accessKey,
                                                               const std::string& secretKey,
                                                               const std::string& bulkJobId,
                                                               const std::string& userContext)
{
    CArgumentList arguments = Credentials(accessKey, secretKey);
    arguments.Text(bulkJobId).Text(userContext);
    Invoke(L"SetBulkJobUserContext", arguments.Arguments(), arguments.Count(), nullptr);
}

void CZentavoSMSBulkSMSWebServiceClient::SetBulkJobReady(const std::string& accessKey, const std::string& secretKey,
                                                         const std::string& bulkJobId)
{
    CArgumentList arguments = Credentials(accessKey, secretKey);
    arguments.Text(bulkJobId);
    Invoke(L"SetBulkJobReady", arguments.Arguments(), arguments.Count(), nullptr);
}

void CZentavoSMSBulkSMSWebServiceClient::PauseBulkJob(const std::string& accessKey, const std::string& secretKey,
                                                      const std::string& bulkJobId)
{
    CArgumentList arguments = Credentials(accessKey, secretKey);
    arguments.Text(bulkJobId);
    Invoke(L"PauseBulkJob", arguments.Arguments(), arguments.Count(), nullptr);
}

void CZentavoSMSBulkSMSWebServiceClient::RestartBulkJob(const std::string& accessKey, const std::string& secretKey,
                                                        const std::string& bulkJobId)
{
    CArgumentList arguments = Credentials(accessKey, secretKey);
    arguments.Text(bulkJobId);
    Invoke(L"RestartBulkJob", arguments.Arguments(), arguments.Count(), nullptr);
}

void CZentavoSMSBulkSMSWebServiceClient::AbortBulkJob(const std::string& accessKey, const std::string& secretKey,
                                                      const std::string& bulkJobId)
{
    CArgumentList arguments = Credentials(accessKey, secretKey);
    arguments.Text(bulkJobId);
    Invoke(L"AbortBulkJob", arguments.Arguments(), arguments.Count(), nullptr);
}

void CZentavoSMSBulkSMSWebServiceClient::SetBulkJobMaxConCatMsgs(const std::string& accessKey,
                                                                 const std::string& secretKey,
                                                                 const std::string& bulkJobId, int maxConCatMsgs)
{
    CArgumentList arguments = Credentials(accessKey, secretKey);
    arguments.Text(bulkJobId).Int(maxConCatMsgs);
    Invoke(L"SetBulkJobMaxConCatMsgs", arguments.Arguments(), arguments.Count(), nullptr);
}

void CZentavoSMSBulkSMSWebServiceClient::SetBulkJobReplyRouting(const std::string& accessKey,
                                                                const std::string& secretKey,
                                                                const std::string& bulkJobId,
                                                                const std::string& replyTo, int routingType)
{
    CArgumentList arguments = Credentials(accessKey, secretKey);
    arguments.Text(bulkJobId).Text(replyTo).Int(routingType);
    Invoke(L"SetBulkJobReplyRouting", arguments.Arguments(), arguments.Count(), nullptr);
}

void CZentavoSMSBulkSMSWebServiceClient::SetBulkJobScheduledDate(const std::string& accessKey,
                                                                 const std::string& secretKey,
                                                                 const std::string& bulkJobId, DATE scheduledDate)
{
    CArgumentList arguments = Credentials(accessKey, secretKey);
    arguments.Text(bulkJobId).Date(scheduledDate);
    Invoke(L"SetBulkJobScheduledDate", arguments.Arguments(), arguments.Count(), nullptr);
}

std::string CZentavoSMSBulkSMSWebServiceClient::GetBulkJobStatus(const std::string& accessKey,
                                                                 const std::string& secretKey,
                                                                 const std::string& bulkJobId, DATE& scheduledDate,
                                                                 long& totalRecipients, long& msgProcessed,
                                                                 long& msgSent)
{
    // The service writes into these; the caller's values change only after a
    // successful call.
    DATE date = 0;
    long total = 0;
    long processed = 0;
    long sent = 0;
    CArgumentList arguments = Credentials(accessKey, secretKey);
    arguments.Text(bulkJobId).DateRef(&date).LongRef(&total).LongRef(&processed).LongRef(&sent);
    _variant_t result;
    Invoke(L"GetBulkJobStatus", arguments.Arguments(), arguments.Count(), &result);
    scheduledDate = date;
    totalRecipients = total;
    msgProcessed = processed;
    msgSent = sent;
    return ResultText(result);
}
