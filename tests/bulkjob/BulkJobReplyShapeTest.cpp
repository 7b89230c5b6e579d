// Replies that are not the service's SOAP message, and replies nested deeper
// than any message of the service: each fails its call, cleanly.
#include "bulkjob/ZentavoSMSBulkSMSWebServiceClient_gSoap.h"
#include "bulkjob/service/BulkJobSerializers.h"
#include "core/Exceptions.h"
#include "core/ScopedHandle.h"
#include "tests/bulkjob/FakeSoapTransport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace
{
using Client = CZentavoSMSBulkSMSWebServiceClient_gSoap;

const char kServiceNs[] = "http://www.zentavosms.com/api/webservices/";

std::string Envelope(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
           "<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><soap:Body>" +
           body + "</soap:Body></soap:Envelope>";
}

// The reply element of an operation, as the service puts it into the body.
std::string ReplyElement(const std::string& operation, const std::string& children)
{
    return "<" + operation + "Response xmlns=\"" + kServiceNs + "\"><" + operation + "Result>" + children + "</" +
           operation + "Result></" + operation + "Response>";
}

struct WrapperCall
{
    const char* operation;
    std::function<void(Client&)> call;
};

const WrapperCall kWrapperCalls[] = {
    {"CreateSMSTextBulkJob",
     [](Client& client) {
         CZentavoSMSGatewaySubmission submission;
         submission.m_DeliveryReportSetting = 3;
         std::string jobId = "stale";
         try
         {
             client.CreateSMSTextBulkJob("a", "s", "n", submission, &jobId);
         }
         catch (...)
         {
             EXPECT_EQ("", jobId);
             throw;
         }
     }},
    {"AppendRecipients",
     [](Client& client) {
         const std::wstring numbers = L"447700900001";
         client.AppendRecipients("a", "s", "1", &numbers);
     }},
    {"SetBulkJobReady", [](Client& client) { client.SetBulkJobReady("a", "s", "1"); }},
    {"PauseBulkJob", [](Client& client) { client.PauseBulkJob("a", "s", "1"); }},
    {"RestartBulkJob", [](Client& client) { client.RestartBulkJob("a", "s", "1"); }},
    {"AbortBulkJob", [](Client& client) { client.AbortBulkJob("a", "s", "1"); }},
    {"GetBulkJobStatus",
     [](Client& client) {
         BulkJobStatusDetails details;
         try
         {
             client.GetBulkJobStatus("a", "s", "1", details);
         }
         catch (...)
         {
             EXPECT_EQ(0, details.TotalRecipients);
             throw;
         }
     }},
};

// What the call throws; empty when it returns.
std::string Failure(Client& client, const WrapperCall& call)
{
    try
    {
        call.call(client);
    }
    catch (const CGeneralException& error)
    {
        EXPECT_EQ(E_FAIL, error.GetHResult());
        return error.what();
    }
    return std::string();
}

TEST(BulkJobReplyShape, AReplyElementWithoutItsEnvelopeFailsEveryCall)
{
    Client client;
    CFakeSoapTransport transport(client.GetProxy().soap);
    const struct
    {
        const char* name;
        const char* children;
    } results[] = {{"success", "<BulkJobId>J1</BulkJobId><TotalRecipients>4</TotalRecipients><ErrorCode>OK</ErrorCode>"},
                   {"refusal", "<ErrorCode>LOGIN_INVALID</ErrorCode>"},
                   {"no code", ""}};
    for (const WrapperCall& call : kWrapperCalls)
    {
        for (const auto& result : results)
        {
            const std::string bare = ReplyElement(call.operation, result.children);
            const std::string expected = std::string("CZentavoSMSBulkSMSWebServiceClient_gSoap::") + call.operation +
                                         " - Soap call failed (Unknown Soap Fault, Error:3)";
            transport.SetReply(bare);
            EXPECT_EQ(expected, Failure(client, call)) << call.operation << " " << result.name;
            transport.SetReply("<?xml version=\"1.0\"?>\r\n" + bare);
            EXPECT_EQ(expected, Failure(client, call)) << call.operation << " " << result.name << " declared";
            // The same element in its envelope is the service's answer.
            transport.SetReply(Envelope(bare));
            EXPECT_EQ("", Failure(client, call)) << call.operation << " " << result.name << " enveloped";
        }
    }
}

TEST(BulkJobReplyShape, AnErrorPageStillFails)
{
    Client client;
    CFakeSoapTransport transport(client.GetProxy().soap);
    for (const char* page : {"<html><body><h1>502 Bad Gateway</h1></body></html>",
                             "<!DOCTYPE html><html><body>Service Unavailable</body></html>"})
    {
        transport.SetReply(page);
        for (const WrapperCall& call : kWrapperCalls)
        {
            const std::string start = std::string("CZentavoSMSBulkSMSWebServiceClient_gSoap::") + call.operation +
                                      " - Soap call failed (Unknown Soap Fault, Error:";
            EXPECT_EQ(0u, Failure(client, call).find(start)) << call.operation << " " << page;
        }
    }
}

// Runs call on a thread of its own whose stack is 1 MiB, the size Windows
// gives a thread by default; -1 when the thread did not finish the call.
int OnSmallStack(const std::function<int()>& call)
{
    struct Job
    {
        const std::function<int()>* call;
        int result;
    } job{&call, -1};
    CScopedKernelHandle thread(::CreateThread(
        nullptr, 1 << 20,
        [](void* parameter) -> DWORD {
            Job* job = static_cast<Job*>(parameter);
            job->result = (*job->call)();
            return 0;
        },
        &job, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    EXPECT_TRUE(thread);
    if (!thread)
        return job.result;
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.get(), 60000));
    // A thread that overflowed its stack ends with the exception's code.
    DWORD exitCode = STILL_ACTIVE;
    EXPECT_TRUE(::GetExitCodeThread(thread.get(), &exitCode));
    EXPECT_EQ(0u, exitCode);
    return job.result;
}

// count elements, one inside the other, with or without ids; readers know
// TextMessage by its name, so the ones with ids are read by that type.
std::string Nested(int count, bool withIds)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += withIds ? "<TextMessage id=\"m" + std::to_string(i) + "\">" : std::string("<Unknown>");
    for (int i = 0; i < count; ++i)
        text += withIds ? "</TextMessage>" : "</Unknown>";
    return text;
}

TEST(BulkJobReplyShape, NestingBeyondTheBoundFailsWithOrWithoutIds)
{
    // Envelope, Body, reply and result element take the first four levels.
    const int deepestAllowed = static_cast<int>(kBulkJobMaxElementLevel) - 4;
    const struct
    {
        const char* name;
        std::string children;
        int error;
    } cases[] = {
        {"the service's own depth", "<StatusId>Completed</StatusId><TotalRecipients>3</TotalRecipients>"
                                    "<ErrorCode>OK</ErrorCode>", SOAP_OK},
        {"ids, deepest allowed", Nested(deepestAllowed, true) + "<ErrorCode>OK</ErrorCode>", SOAP_OK},
        {"ids, one level deeper", Nested(deepestAllowed + 1, true), SOAP_LEVEL},
        {"ids, thousands deep", Nested(20000, true), SOAP_LEVEL},
        {"no ids, deepest allowed", Nested(deepestAllowed, false), SOAP_OK},
        {"no ids, one level deeper", Nested(deepestAllowed + 1, false), SOAP_LEVEL},
        {"ids inside unknown content", "<Unknown>" + Nested(20000, true) + "</Unknown>", SOAP_LEVEL},
    };
    for (const auto& c : cases)
    {
        ZentavoBulkJobSoap proxy;
        proxy.endpoint = "https://gateway.test/api/webservices/bulkjob.asmx?wsdl";
        CFakeSoapTransport transport(proxy.soap);
        transport.SetReply(Envelope(ReplyElement("GetBulkJobStatus", c.children)));
        _ns1__GetBulkJobStatusResponse response;
        const int error = OnSmallStack([&] {
            _ns1__GetBulkJobStatus request;
            return proxy.__ns2__GetBulkJobStatus(&request, &response);
        });
        EXPECT_EQ(c.error, error) << c.name;
        if (c.error != SOAP_OK)
            continue;
        ASSERT_NE(nullptr, response.GetBulkJobStatusResult) << c.name;
        EXPECT_EQ(ns1__ExceptionTypes__OK, response.GetBulkJobStatusResult->ErrorCode) << c.name;
    }
}

} // namespace
