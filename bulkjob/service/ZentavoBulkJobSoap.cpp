#include "bulkjob/service/ZentavoBulkJobSoap.h"

#include "bulkjob/service/BulkJobElements.h"
#include "bulkjob/service/BulkJobSerializers.h"

#include <cstring>
#include <string>

namespace
{

// A fault code, as the runtime stores it (a QName with the prefix of the
// context's own table, or the namespace in quotes when the table has no
// prefix for it), is an envelope code of that name. The runtime's tag match
// would resolve the prefix among the reply's declarations instead, which
// need not use the table's prefix.
bool IsEnvelopeCode(const char* code, const char* name)
{
    const char* colon = std::strrchr(code, ':');
    if (!colon || std::strcmp(colon + 1, name) != 0)
        return false;
    const std::string prefix(code, colon);
    return prefix == "SOAP-ENV" || prefix == "\"http://www.w3.org/2003/05/soap-envelope\"" ||
           prefix == "\"http://schemas.xmlsoap.org/soap/envelope/\"";
}

// The body held something other than the expected reply element: read it as
// a fault. A fault sets the error by its code; anything else keeps the
// error of the failed read, with the runtime's description of it as the
// fault text under the code Sender.
int ReceiveFault(struct soap* soap)
{
    int status = soap->error;
    soap->error = SOAP_OK;
    if (soap_getfault(soap))
    {
        *soap_faultcode(soap) = soap->version == 2 ? "SOAP-ENV:Sender" : "SOAP-ENV:Client";
        soap->error = status;
        soap_set_fault(soap);
        return soap_closesock(soap);
    }
    const char* code = *soap_faultcode(soap);
    if (!code)
        status = SOAP_FAULT;
    else if (IsEnvelopeCode(code, "Server") || IsEnvelopeCode(code, "Receiver"))
        status = SOAP_SVR_FAULT;
    else if (IsEnvelopeCode(code, "Client") || IsEnvelopeCode(code, "Sender"))
        status = SOAP_CLI_FAULT;
    else if (IsEnvelopeCode(code, "MustUnderstand"))
        status = SOAP_MUSTUNDERSTAND;
    else if (IsEnvelopeCode(code, "VersionMismatch"))
        status = SOAP_VERSIONMISMATCH;
    else
        status = SOAP_FAULT;
    if (soap_body_end_in(soap) || soap_envelope_end_in(soap) || soap_end_recv(soap))
        return soap_closesock(soap);
    soap->error = status;
    return soap_closesock(soap);
}

template <class OperationStruct>
int WriteEnvelope(struct soap* soap, const OperationStruct* operation,
                  int (*put)(struct soap*, const OperationStruct*, const char*, const char*), const char* operationTag)
{
    if (soap_envelope_begin_out(soap) || soap_putheader(soap) || soap_body_begin_out(soap) ||
        put(soap, operation, operationTag, "") || soap_body_end_out(soap) || soap_envelope_end_out(soap))
        return soap->error;
    return SOAP_OK;
}

template <class OperationStruct, class Response>
int Call(struct soap* soap, const char* endpoint, const char* action, const OperationStruct& operation,
         Response* response, int (*put)(struct soap*, const OperationStruct*, const char*, const char*),
         void (*mark)(struct soap*, const OperationStruct*), const char* operationTag, const char* responseTag)
{
    soap_begin(soap);
    soap->encodingStyle = nullptr;
    // Nothing of the previous reply may reach this call: no header goes out,
    // and a failure is never described by an earlier fault.
    soap->header = nullptr;
    soap->fault = nullptr;
    soap_serializeheader(soap);
    mark(soap, &operation);
    if (soap_begin_count(soap))
        return soap->error;
    if ((soap->mode & SOAP_IO_LENGTH) && WriteEnvelope(soap, &operation, put, operationTag))
        return soap->error;
    if (soap_end_count(soap))
        return soap->error;
    if (soap_connect(soap, endpoint, action) || WriteEnvelope(soap, &operation, put, operationTag) ||
        soap_end_send(soap))
        return soap_closesock(soap);
    if (!response)
        return soap_closesock(soap);
    response->soap_default(soap);
    if (soap_begin_recv(soap) || soap_envelope_begin_in(soap))
        return soap_closesock(soap);
    // The runtime lets XML without an envelope through as REST content, and
    // would then read a bare reply element as the reply. The service always
    // answers with an envelope: anything else stops at its first element.
    if (!soap->version)
    {
        soap->error = SOAP_TAG_MISMATCH;
        return soap_closesock(soap);
    }
    if (soap_recv_header(soap) || soap_body_begin_in(soap))
        return soap_closesock(soap);
    response->soap_get(soap, responseTag, nullptr);
    if (soap->error)
    {
        if (soap->error == SOAP_TAG_MISMATCH && soap->level == 2)
            return ReceiveFault(soap);
        return soap_closesock(soap);
    }
    if (soap_body_end_in(soap) || soap_envelope_end_in(soap) || soap_end_recv(soap))
        return soap_closesock(soap);
    return soap_closesock(soap);
}

} // namespace

#define BULKJOB_SERVICE_NAMESPACE "http://www.zentavosms.com/api/webservices/"

#define BULKJOB_DEFINE_CALL_FUNCTION(Op, ns)                                                                  \
    int soap_call___##ns##__##Op(struct soap* soap, const char* soap_endpoint, const char* soap_action,       \
                                 _ns1__##Op* ns1__##Op, _ns1__##Op##Response* ns1__##Op##Response)            \
    {                                                                                                         \
        struct __##ns##__##Op operation;                                                                      \
        operation.ns1__##Op = ns1__##Op;                                                                      \
        return Call(soap, soap_endpoint, soap_action ? soap_action : BULKJOB_SERVICE_NAMESPACE #Op, operation, \
                    ns1__##Op##Response, soap_put___##ns##__##Op, soap_serialize___##ns##__##Op,              \
                    "-" #ns ":" #Op, "ns1:" #Op "Response");                                                  \
    }

#define BULKJOB_DEFINE_BOTH_CALL_FUNCTIONS(Op) \
    BULKJOB_DEFINE_CALL_FUNCTION(Op, ns2)      \
    BULKJOB_DEFINE_CALL_FUNCTION(Op, ns3)

BULKJOB_FOR_EACH_OPERATION(BULKJOB_DEFINE_BOTH_CALL_FUNCTIONS)

ZentavoBulkJobSoap::ZentavoBulkJobSoap()
    : soap(soap_new())
    , endpoint(nullptr)
{
    if (soap && !soap->namespaces)
        soap->namespaces = bulkjob_namespaces;
}

ZentavoBulkJobSoap::~ZentavoBulkJobSoap()
{
    if (soap)
    {
        soap_destroy(soap);
        soap_end(soap);
        soap_free(soap);
    }
}

#define BULKJOB_DEFINE_PROXY_OPERATION(Op)                                                                   \
    int ZentavoBulkJobSoap::__ns2__##Op(_ns1__##Op* request, _ns1__##Op##Response* response)                 \
    {                                                                                                        \
        if (!soap)                                                                                           \
            return SOAP_EOM;                                                                                 \
        return soap_call___ns2__##Op(soap, endpoint, nullptr, request, response);                            \
    }

BULKJOB_FOR_EACH_OPERATION(BULKJOB_DEFINE_PROXY_OPERATION)
