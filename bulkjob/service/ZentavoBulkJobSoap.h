// The bulk-job service's proxy and call functions. Each call function writes
// one request (SOAP 1.2, document/literal) to the endpoint and reads the
// reply into the given reply element, or the fault into the context's fault
// record; it returns the runtime's error number, 0 on success.
#pragma once

#include "bulkjob/service/BulkJobMessages.h"

// Call functions of the first binding (the one the client uses) and of the
// second, which writes and reads the same messages. A null action sends the
// operation's own; a null reply element ends the call after sending.
#define BULKJOB_DECLARE_CALL_FUNCTIONS(Op)                                                                   \
    int soap_call___ns2__##Op(struct soap* soap, const char* soap_endpoint, const char* soap_action,         \
                              _ns1__##Op* ns1__##Op, _ns1__##Op##Response* ns1__##Op##Response);             \
    int soap_call___ns3__##Op(struct soap* soap, const char* soap_endpoint, const char* soap_action,         \
                              _ns1__##Op* ns1__##Op, _ns1__##Op##Response* ns1__##Op##Response);

BULKJOB_FOR_EACH_OPERATION(BULKJOB_DECLARE_CALL_FUNCTIONS)

// Owns one gSOAP context (created here, with the service's namespace table)
// and names the endpoint every call is posted to. The context and every
// object it allocated are released with the proxy. Not copyable; one thread
// at a time.
class ZentavoBulkJobSoap
{
public:
    struct soap* soap;
    const char* endpoint;

    ZentavoBulkJobSoap();
    ZentavoBulkJobSoap(const ZentavoBulkJobSoap&) = delete;
    ZentavoBulkJobSoap& operator=(const ZentavoBulkJobSoap&) = delete;
    virtual ~ZentavoBulkJobSoap();

    // 20 (no memory) at once when there is no context.
    virtual int __ns2__CreateSMSTextBulkJob(_ns1__CreateSMSTextBulkJob* request, _ns1__CreateSMSTextBulkJobResponse* response);
    virtual int __ns2__AppendRecipients(_ns1__AppendRecipients* request, _ns1__AppendRecipientsResponse* response);
    virtual int __ns2__SetBulkJobReady(_ns1__SetBulkJobReady* request, _ns1__SetBulkJobReadyResponse* response);
    virtual int __ns2__PauseBulkJob(_ns1__PauseBulkJob* request, _ns1__PauseBulkJobResponse* response);
    virtual int __ns2__RestartBulkJob(_ns1__RestartBulkJob* request, _ns1__RestartBulkJobResponse* response);
    virtual int __ns2__AbortBulkJob(_ns1__AbortBulkJob* request, _ns1__AbortBulkJobResponse* response);
    virtual int __ns2__GetBulkJobStatus(_ns1__GetBulkJobStatus* request, _ns1__GetBulkJobStatusResponse* response);
};
