// The fault and header records that the gSOAP runtime reaches through the
// functions of bulkjob/service/SoapRuntimeSupport.cpp, read and written
// through memory streams.
#include "tests/soaptransport/SoapTestClient.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

namespace
{
const struct Namespace g_Soap11Namespaces[] = {
    {"SOAP-ENV", "http://schemas.xmlsoap.org/soap/envelope/", nullptr, nullptr},
    {"SOAP-ENC", "http://schemas.xmlsoap.org/soap/encoding/", nullptr, nullptr},
    {"xsi", "http://www.w3.org/2001/XMLSchema-instance", nullptr, nullptr},
    {"xsd", "http://www.w3.org/2001/XMLSchema", nullptr, nullptr},
    {"t", "urn:zentavo-transport-test", nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr}};

std::string Envelope(const std::string& body, const std::string& header = "")
{
    return "<?xml version=\"1.0\"?><e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\" "
           "xmlns:q=\"urn:zentavo-transport-test\"><e:Header>" +
           header + "</e:Header><e:Body>" + body + "</e:Body></e:Envelope>";
}

std::string Fault12(const std::string& code, const std::string& rest = "")
{
    return "<e:Fault><e:Code><e:Value>" + code + "</e:Value></e:Code><e:Reason><e:Text xml:lang=\"en\">" +
           "went wrong</e:Text></e:Reason>" + rest + "</e:Fault>";
}

// Reads a reply the way a call function does; returns the error, and the
// text of <q:Reply> when the body holds one.
int ReadMessage(struct soap* soap, const std::string& message, std::string* replyText = nullptr)
{
    std::istringstream in(message);
    soap->is = &in;
    int error = SOAP_OK;
    if (soap_begin_recv(soap) || soap_envelope_begin_in(soap) || soap_recv_header(soap) ||
        soap_body_begin_in(soap))
        error = soap_closesock(soap);
    else if (soap_recv_fault(soap, 1))
        error = soap->error;
    else
    {
        char* text = nullptr;
        if (!soap_instring(soap, "t:Reply", &text, nullptr, 0, 1, 0, -1, nullptr))
            error = soap_recv_fault(soap, 0);
        else if (replyText)
            *replyText = text ? text : "";
    }
    soap->is = nullptr;
    return error;
}

// Writes an envelope whose body holds the context's fault record.
std::string WriteFaultMessage(struct soap* soap)
{
    std::ostringstream out;
    soap->os = &out;
    EXPECT_EQ(SOAP_OK, soap_begin_send(soap));
    EXPECT_EQ(SOAP_OK, soap_envelope_begin_out(soap));
    EXPECT_EQ(SOAP_OK, soap_putheader(soap));
    EXPECT_EQ(SOAP_OK, soap_body_begin_out(soap));
    EXPECT_EQ(SOAP_OK, soap_putfault(soap));
    EXPECT_EQ(SOAP_OK, soap_body_end_out(soap));
    EXPECT_EQ(SOAP_OK, soap_envelope_end_out(soap));
    EXPECT_EQ(SOAP_OK, soap_end_send(soap));
    soap->os = nullptr;
    return out.str();
}
}  // namespace

TEST(SoapFaultRecord, SlotsLieInTheRecordsOfTheContextsVersion)
{
    SoapContext soap = NewContext(false);
    soap->version = 2;
    *soap_faultcode(soap.get()) = "SOAP-ENV:Sender";
    *soap_faultsubcode(soap.get()) = "t:Busy";
    *soap_faultstring(soap.get()) = "busy";
    *soap_faultdetail(soap.get()) = "<t:Wait>5</t:Wait>";
    SOAP_ENV__Fault* fault = soap->fault;
    ASSERT_NE(nullptr, fault);
    ASSERT_NE(nullptr, fault->SOAP_ENV__Code);
    ASSERT_NE(nullptr, fault->SOAP_ENV__Code->SOAP_ENV__Subcode);
    ASSERT_NE(nullptr, fault->SOAP_ENV__Reason);
    ASSERT_NE(nullptr, fault->SOAP_ENV__Detail);
    EXPECT_STREQ("SOAP-ENV:Sender", fault->SOAP_ENV__Code->SOAP_ENV__Value);
    EXPECT_STREQ("t:Busy", fault->SOAP_ENV__Code->SOAP_ENV__Subcode->SOAP_ENV__Value);
    EXPECT_STREQ("busy", fault->SOAP_ENV__Reason->SOAP_ENV__Text);
    EXPECT_STREQ("<t:Wait>5</t:Wait>", fault->SOAP_ENV__Detail->__any);
    EXPECT_EQ(nullptr, fault->faultcode);
    EXPECT_STREQ("t:Busy", soap_fault_subcode(soap.get()));

    // SOAP 1.1 keeps its own members.
    SoapContext soap11 = NewContext(false);
    soap11->version = 1;
    *soap_faultcode(soap11.get()) = "SOAP-ENV:Client";
    EXPECT_STREQ("SOAP-ENV:Client", soap11->fault->faultcode);
    EXPECT_EQ(nullptr, soap11->fault->SOAP_ENV__Code);
}

TEST(SoapFaultRecord, WrittenFaultsReadBackForBothVersions)
{
    SoapContext writer = NewContext(false);
    soap_set_namespaces(writer.get(), g_TestNamespaces);
    soap_begin_send(writer.get());
    soap_set_receiver_error(writer.get(), "Queue & store <down> \"now\"", "<t:Retry>30</t:Retry>",
                            SOAP_SVR_FAULT);
    *soap_faultsubcode(writer.get()) = "t:JobStore";
    const std::string message12 = WriteFaultMessage(writer.get());
    EXPECT_NE(std::string::npos, message12.find("<SOAP-ENV:Code><SOAP-ENV:Value>SOAP-ENV:Receiver</SOAP-ENV:Value>"
                                                "<SOAP-ENV:Subcode><SOAP-ENV:Value>t:JobStore</SOAP-ENV:Value>"))
        << message12;
    EXPECT_NE(std::string::npos, message12.find("<SOAP-ENV:Text xml:lang=\"en\">")) << message12;

    SoapContext reader = NewContext(false);
    EXPECT_EQ(SOAP_SVR_FAULT, ReadMessage(reader.get(), message12));
    ASSERT_NE(nullptr, reader->fault);
    ASSERT_NE(nullptr, reader->fault->SOAP_ENV__Reason);
    EXPECT_STREQ(*soap_faultstring(writer.get()), reader->fault->SOAP_ENV__Reason->SOAP_ENV__Text);
    EXPECT_STREQ("t:JobStore", soap_fault_subcode(reader.get()));
    EXPECT_STREQ("<t:Retry>30</t:Retry>", soap_fault_detail(reader.get()));

    SoapContext writer11 = NewContext(false);
    soap_set_namespaces(writer11.get(), g_Soap11Namespaces);
    soap_begin_send(writer11.get());
    soap_set_sender_error(writer11.get(), "no such job", "<t:Job>7</t:Job>", SOAP_CLI_FAULT);
    const std::string message11 = WriteFaultMessage(writer11.get());
    EXPECT_NE(std::string::npos, message11.find("<faultcode>SOAP-ENV:Client</faultcode>")) << message11;

    SoapContext reader11 = NewContext(false);
    soap_set_namespaces(reader11.get(), g_Soap11Namespaces);
    EXPECT_EQ(SOAP_CLI_FAULT, ReadMessage(reader11.get(), message11));
    EXPECT_STREQ("no such job", soap_fault_string(reader11.get()));
    EXPECT_STREQ("<t:Job>7</t:Job>", soap_fault_detail(reader11.get()));
}

TEST(SoapFaultRecord, CodesAreMatchedByNamespaceNotByPrefix)
{
    const struct
    {
        const char* code;
        int error;
    } cases[] = {{"e:Receiver", SOAP_SVR_FAULT},      {"e:Sender", SOAP_CLI_FAULT},
                 {"e:MustUnderstand", SOAP_MUSTUNDERSTAND}, {"e:VersionMismatch", SOAP_VERSIONMISMATCH},
                 {"q:Receiver", SOAP_FAULT},          {"Receiver", SOAP_FAULT}};
    for (const auto& c : cases)
    {
        SoapContext soap = NewContext(false);
        EXPECT_EQ(c.error, ReadMessage(soap.get(), Envelope(Fault12(c.code)))) << c.code;
        EXPECT_STREQ("went wrong", soap_fault_string(soap.get())) << c.code;
    }
}

TEST(SoapFaultRecord, ToleratesUnknownRepeatedAndDeepParts)
{
    std::string subcodes;
    for (int i = 0; i < 50; ++i)
        subcodes += "<e:Subcode><e:Value>q:Level" + std::to_string(i) + "</e:Value>";
    for (int i = 0; i < 50; ++i)
        subcodes += "</e:Subcode>";
    const std::string fault =
        "<e:Fault><q:Extra><q:Nested>x</q:Nested></q:Extra><e:Code><e:Value>e:Receiver</e:Value>" + subcodes +
        "</e:Code><e:Reason><e:Text xml:lang=\"en\">first</e:Text><e:Text xml:lang=\"de\">zweite</e:Text>"
        "</e:Reason><e:Reason><e:Text>again</e:Text></e:Reason><e:Node>http://node</e:Node>"
        "<e:Role>http://role</e:Role><e:Detail/></e:Fault>";
    SoapContext soap = NewContext(false);
    EXPECT_EQ(SOAP_SVR_FAULT, ReadMessage(soap.get(), Envelope(fault)));
    EXPECT_STREQ("first", soap_fault_string(soap.get()));
    EXPECT_STREQ("t:Level0", soap_fault_subcode(soap.get()));
    EXPECT_STREQ("http://node", soap->fault->SOAP_ENV__Node);
    EXPECT_STREQ("http://role", soap->fault->SOAP_ENV__Role);
    int depth = 0;
    for (const SOAP_ENV__Code* code = soap->fault->SOAP_ENV__Code; code; code = code->SOAP_ENV__Subcode)
        ++depth;
    EXPECT_EQ(9, depth);
}

TEST(SoapHeaderRecord, BlocksAreSkippedUnlessTheyMustBeUnderstood)
{
    SoapContext soap = NewContext(false);
    std::string reply;
    EXPECT_EQ(SOAP_OK, ReadMessage(soap.get(),
                                   Envelope("<q:Reply>fine</q:Reply>",
                                            "<q:Trace><q:Hop>a</q:Hop></q:Trace>"
                                            "<q:Other e:mustUnderstand=\"true\" e:role=\"http://elsewhere\"/>"),
                                   &reply));
    EXPECT_EQ("fine", reply);
    EXPECT_NE(nullptr, soap->header);

    EXPECT_EQ(SOAP_OK, ReadMessage(soap.get(),
                                   "<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\" "
                                   "xmlns:q=\"urn:zentavo-transport-test\"><e:Body><q:Reply>no header</q:Reply>"
                                   "</e:Body></e:Envelope>",
                                   &reply));
    EXPECT_EQ("no header", reply);
    EXPECT_EQ(nullptr, soap->header);

    EXPECT_EQ(SOAP_MUSTUNDERSTAND,
              ReadMessage(soap.get(), Envelope("<q:Reply>x</q:Reply>", "<q:Session e:mustUnderstand=\"true\"/>")));
}

TEST(SoapHeaderRecord, WrittenOnlyWhenTheContextHasOne)
{
    SoapContext soap = NewContext(false);
    soap_begin_send(soap.get());
    EXPECT_EQ(std::string::npos, WriteFaultMessage(soap.get()).find("Header"));
    soap_header(soap.get());
    ASSERT_NE(nullptr, soap->header);
    EXPECT_NE(std::string::npos, WriteFaultMessage(soap.get()).find("<SOAP-ENV:Header></SOAP-ENV:Header>"));
}

// Broken and cut-off replies end in an error, never in a crash or a hang.
TEST(SoapFaultRecord, SurvivesTruncatedAndMangledFaults)
{
    const std::string message =
        Envelope(Fault12("e:Receiver", "<e:Node>n</e:Node><e:Detail><q:A><q:B>text</q:B></q:A></e:Detail>"),
                 "<q:H>1</q:H>");
    std::srand(12345);
    for (size_t cut = 0; cut < message.size(); ++cut)
    {
        SoapContext soap = NewContext(false);
        EXPECT_NE(SOAP_OK, ReadMessage(soap.get(), message.substr(0, cut))) << cut;
    }
    const char noise[] = "<>/=\"'&;:e q\x01\xff";
    for (int round = 0; round < 2000; ++round)
    {
        std::string mangled = message;
        for (int changes = 1 + std::rand() % 4; changes > 0; --changes)
            mangled[std::rand() % mangled.size()] = noise[std::rand() % (sizeof noise - 1)];
        SoapContext soap = NewContext(false);
        ReadMessage(soap.get(), mangled);
    }
}
