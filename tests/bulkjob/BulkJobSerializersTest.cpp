// The message classes and their serializer families: defaults, the
// enumeration converters, allocation by type, copying, marking, and a write
// and read of every kind of member.
#include "bulkjob/service/BulkJobElements.h"
#include "bulkjob/service/BulkJobSerializers.h"
#include "tests/bulkjob/FakeSoapTransport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// A context with the service's namespaces and a fake transport, freed with
// everything it allocated.
class SoapContext
{
public:
    SoapContext()
        : m_Soap(soap_new())
        , m_Transport(m_Soap)
    {
        m_Soap->namespaces = bulkjob_namespaces;
    }
    ~SoapContext()
    {
        soap_destroy(m_Soap);
        soap_end(m_Soap);
        soap_free(m_Soap);
    }
    SoapContext(const SoapContext&) = delete;
    SoapContext& operator=(const SoapContext&) = delete;

    struct soap* get() const { return m_Soap; }
    CFakeSoapTransport& Transport() { return m_Transport; }

    // Starts reading the given XML as if it were a reply's body.
    void BeginReading(const std::string& xml)
    {
        m_Transport.SetReply(xml);
        soap_begin(m_Soap);
        ASSERT_EQ(SOAP_OK, soap_begin_recv(m_Soap));
    }

private:
    struct soap* m_Soap;
    CFakeSoapTransport m_Transport;
};

const char kNs[] = "xmlns:ns1=\"http://www.zentavosms.com/api/webservices/\" "
                   "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"";

TEST(BulkJobMessages, DefaultsAreEmptyPointersAndZeroValues)
{
    const ns1__GetBulkJobStatusOutput status;
    EXPECT_EQ(ns1__BulkJobStatus__Unknown, status.StatusId);
    EXPECT_EQ(0, status.ScheduledDate);
    EXPECT_EQ(0, status.TotalRecipients + status.MsgProcessed + status.MsgSent);
    EXPECT_EQ(ns1__ExceptionTypes__OK, status.ErrorCode);
    EXPECT_EQ(nullptr, status.soap);

    const ns1__ReportingSettings settings;
    EXPECT_EQ(0, settings.StatusFlags); // no flag at all, not None
    EXPECT_EQ(ns1__RoutingTypes__Unknown, settings.RoutingType);

    const ns1__BulkJobDetails details;
    EXPECT_EQ(nullptr, details.BulkJobName);
    EXPECT_EQ(nullptr, details.Message);
    EXPECT_EQ(nullptr, details.From);
    EXPECT_EQ(nullptr, details.ScheduledDate);
    EXPECT_EQ(ns1__MessageTypes__Unknown, details.MessageType);
    EXPECT_EQ(ns1__OATypes__Unspecified, details.OAType);
    EXPECT_EQ(0, details.MaxConCatMsgs);

    SoapContext context;
    std::wstring key = L"key";
    ns1__AuthenticationCredentialsAccessKeyAndSecretKey credentials;
    credentials.SubmittedInterface = ns1__Interfaces__HTTP;
    credentials.AccessKey = &key;
    credentials.soap_default(context.get());
    EXPECT_EQ(ns1__Interfaces__None, credentials.SubmittedInterface);
    EXPECT_EQ(nullptr, credentials.AccessKey);
    EXPECT_EQ(context.get(), credentials.soap);
    EXPECT_EQ(SOAP_TYPE_ns1__AuthenticationCredentialsAccessKeyAndSecretKey, credentials.soap_type());
}

TEST(BulkJobConverters, EnumerationsToTextUseNamesElseNumbers)
{
    SoapContext context;
    struct soap* soap = context.get();
    EXPECT_STREQ("UPGRADE_CLIENTAPP", soap_ns1__ExceptionTypes2s(soap, ns1__ExceptionTypes__UPGRADE_CLIENTAPP));
    EXPECT_STREQ("26", soap_ns1__ExceptionTypes2s(soap, static_cast<ns1__ExceptionTypes>(26)));
    EXPECT_STREQ("-1", soap_ns1__ExceptionTypes2s(soap, static_cast<ns1__ExceptionTypes>(-1)));
    EXPECT_STREQ("ZentavoSMSOutlookAddin", soap_ns1__Interfaces2s(soap, ns1__Interfaces__ZentavoSMSOutlookAddin));
    EXPECT_STREQ("DynamicRouting", soap_ns1__OATypes2s(soap, ns1__OATypes__DynamicRouting));
    EXPECT_STREQ("None DeliverySuccess", soap_ns1__StatusCodeFlags2s(soap, static_cast<ns1__StatusCodeFlags>(5)));
    EXPECT_STREQ("None All", soap_ns1__StatusCodeFlags2s(soap, static_cast<ns1__StatusCodeFlags>(33)));
    EXPECT_STREQ("", soap_ns1__StatusCodeFlags2s(soap, static_cast<ns1__StatusCodeFlags>(64)));
    EXPECT_STREQ("None MessageSent DeliverySuccess DeliveryFailure MessageExpired",
                 soap_ns1__StatusCodeFlags2s(soap, static_cast<ns1__StatusCodeFlags>(31)));
}

TEST(BulkJobConverters, TextToEnumerationsTakesExactNamesOrWholeNumbers)
{
    SoapContext context;
    struct soap* soap = context.get();
    ns1__BulkJobStatus status = ns1__BulkJobStatus__Pending;
    EXPECT_EQ(SOAP_OK, soap_s2ns1__BulkJobStatus(soap, "Paused", &status));
    EXPECT_EQ(ns1__BulkJobStatus__Paused, status);
    EXPECT_EQ(SOAP_OK, soap_s2ns1__BulkJobStatus(soap, "7", &status));
    EXPECT_EQ(7, status);
    EXPECT_EQ(SOAP_OK, soap_s2ns1__BulkJobStatus(soap, "", &status));
    EXPECT_EQ(0, status);
    EXPECT_EQ(SOAP_OK, soap_s2ns1__BulkJobStatus(soap, " 3", &status));
    EXPECT_EQ(3, status);
    for (const char* wrong : {"3 ", "paused", "Pending!", "99999999999999999999"})
    {
        soap->error = SOAP_OK;
        status = ns1__BulkJobStatus__Completed;
        EXPECT_EQ(SOAP_TYPE, soap_s2ns1__BulkJobStatus(soap, wrong, &status)) << wrong;
        EXPECT_EQ(ns1__BulkJobStatus__Completed, status) << wrong;
    }

    // A null text changes nothing and reports the context's error.
    soap->error = SOAP_OK;
    EXPECT_EQ(SOAP_OK, soap_s2ns1__BulkJobStatus(soap, nullptr, &status));
    EXPECT_EQ(ns1__BulkJobStatus__Completed, status);

    // Strict mode keeps numbers inside the enumeration.
    soap->mode |= SOAP_XML_STRICT;
    EXPECT_EQ(SOAP_TYPE, soap_s2ns1__BulkJobStatus(soap, "7", &status));
    soap->error = SOAP_OK;
    EXPECT_EQ(SOAP_TYPE, soap_s2ns1__BulkJobStatus(soap, "-1", &status));
    soap->error = SOAP_OK;
    EXPECT_EQ(SOAP_OK, soap_s2ns1__BulkJobStatus(soap, "6", &status));
}

TEST(BulkJobConverters, FlagListsNeverFailAndAnUnknownWordClearsThem)
{
    SoapContext context;
    struct soap* soap = context.get();
    ns1__StatusCodeFlags flags = ns1__StatusCodeFlags__All;
    const struct
    {
        const char* text;
        int expected;
    } cases[] = {{"None  DeliverySuccess", 5}, {"None,DeliverySuccess", 0}, {"DeliverySuccessX", 0},
                 {"MessageSent Nothing", 0}, {"", 0}, {"MessageExpired\n", 16}, {" MessageSent", 0}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(SOAP_OK, soap_s2ns1__StatusCodeFlags(soap, c.text, &flags)) << c.text;
        EXPECT_EQ(c.expected, flags) << c.text;
    }
    flags = ns1__StatusCodeFlags__All;
    EXPECT_EQ(SOAP_OK, soap_s2ns1__StatusCodeFlags(soap, nullptr, &flags));
    EXPECT_EQ(0, flags);
}

TEST(BulkJobAllocation, ADerivedTypeIsCreatedByItsXsiTypeAndDeletedWithTheContext)
{
    SoapContext context;
    struct soap* soap = context.get();
    context.BeginReading(std::string("<ns1:Message ") + kNs + " xsi:type=\"ns1:TextMessage\">"
                         "<ns1:MessageBody>Hi</ns1:MessageBody><ns1:MaxConCat>3</ns1:MaxConCat></ns1:Message>");
    ns1__Message* message = nullptr;
    ASSERT_NE(nullptr, soap_in_PointerTons1__Message(soap, "ns1:Message", &message, nullptr));
    ASSERT_EQ(SOAP_TYPE_ns1__TextMessage, message->soap_type());
    const auto* text = dynamic_cast<ns1__TextMessage*>(message);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(L"Hi", *text->MessageBody);
    EXPECT_EQ(3, text->MaxConCat);
    EXPECT_EQ(soap, text->soap);

    bool found = false;
    for (struct soap_clist* entry = soap->clist; entry; entry = entry->next)
        found = found || (entry->ptr == message && entry->type == SOAP_TYPE_ns1__TextMessage);
    EXPECT_TRUE(found);

    // Without a type attribute the base is made.
    context.BeginReading(std::string("<ns1:Message ") + kNs + "/>");
    message = nullptr;
    ASSERT_NE(nullptr, soap_in_PointerTons1__Message(soap, "ns1:Message", &message, nullptr));
    EXPECT_EQ(SOAP_TYPE_ns1__Message, message->soap_type());
}

TEST(BulkJobAllocation, ArraysUnknownTypesAndCopies)
{
    SoapContext context;
    struct soap* soap = context.get();
    size_t size = 1;
    ns1__ClientDetails* none = soap_instantiate_ns1__ClientDetails(soap, 0, nullptr, nullptr, &size);
    EXPECT_NE(nullptr, none);
    EXPECT_EQ(0u, size);
    ns1__InterfaceEndPoint* three = soap_instantiate_ns1__InterfaceEndPoint(soap, 3, nullptr, nullptr, &size);
    ASSERT_NE(nullptr, three);
    EXPECT_EQ(3 * sizeof(ns1__InterfaceEndPoint), size);
    EXPECT_EQ(soap, three[2].soap);
    EXPECT_EQ(nullptr, soap_instantiate(soap, 9999, nullptr, nullptr, nullptr));

    struct soap_clist unknown = {};
    unknown.type = 9999;
    EXPECT_EQ(SOAP_ERR, soap_fdelete(soap, &unknown));

    std::wstring id = L"a", version = L"b";
    ns1__ClientDetails source;
    source.ClientId = &id;
    source.AppVersion = &version;
    ns1__ClientDetails target;
    soap_copy_ns1__ClientDetails(soap, 0, 0, &target, 0, &source, sizeof(source));
    EXPECT_EQ(&id, target.ClientId);
    EXPECT_EQ(&version, target.AppVersion);
    EXPECT_EQ(nullptr, target.AppId);

    EXPECT_TRUE(soap_fbase(SOAP_TYPE_ns1__TextMessage, SOAP_TYPE_ns1__Message));
    EXPECT_FALSE(soap_fbase(SOAP_TYPE_ns1__Message, SOAP_TYPE_ns1__TextMessage));
}

TEST(BulkJobMarking, AnObjectReachedTwiceIsVisitedOnce)
{
    SoapContext context;
    struct soap* soap = context.get();
    std::wstring id = L"me@example.com";
    ns1__InterfaceEndPoint endPoint;
    endPoint.Id = &id;
    ns1__BulkJobDetails details;
    details.ReplyTo = &endPoint;
    details.MessageSource = &endPoint;
    soap_begin(soap);
    details.soap_serialize(soap);

    struct soap_plist* entry = nullptr;
    ASSERT_NE(0, soap_pointer_lookup(soap, &endPoint, SOAP_TYPE_ns1__InterfaceEndPoint, &entry));
    EXPECT_EQ(2, entry->mark1); // referred to twice
    ASSERT_NE(0, soap_pointer_lookup(soap, &id, SOAP_TYPE_std__wstring, &entry));
    EXPECT_EQ(0, entry->mark1); // but its members were marked once
}

// Writes an element with its put function and reads it back with get, as
// one message on the wire.
template <class T>
T* RoundTrip(SoapContext& context, const T& value, const char* tag)
{
    struct soap* soap = context.get();
    soap_begin(soap);
    soap->encodingStyle = nullptr;
    EXPECT_EQ(SOAP_OK, soap_begin_send(soap));
    EXPECT_EQ(SOAP_OK, value.soap_put(soap, tag, nullptr));
    EXPECT_EQ(SOAP_OK, soap_end_send(soap));
    const std::string written = context.Transport().Sent();
    context.BeginReading(written);
    T* read = static_cast<T*>(soap_instantiate(soap, value.soap_type(), nullptr, nullptr, nullptr));
    read->soap_default(soap);
    return static_cast<T*>(read->soap_get(soap, tag, nullptr));
}

TEST(BulkJobElements, EveryKindOfMemberSurvivesAWriteAndARead)
{
    SoapContext context;
    SoapContext other;
    // The writer's date form carries a local offset: any zone reads back alike.
    ns1__GetBulkJobStatusOutput status;
    status.StatusId = ns1__BulkJobStatus__Paused;
    status.ScheduledDate = 1796722200; // 2026-12-08T09:30:00Z
    status.TotalRecipients = 2500;
    status.MsgProcessed = -1;
    status.MsgSent = 2147483647;
    status.ErrorCode = static_cast<ns1__ExceptionTypes>(26);
    const ns1__GetBulkJobStatusOutput* read = RoundTrip(context, status, "ns1:GetBulkJobStatusResult");
    ASSERT_NE(nullptr, read);
    EXPECT_EQ(ns1__BulkJobStatus__Paused, read->StatusId);
    EXPECT_EQ(1796722200, read->ScheduledDate);
    EXPECT_EQ(2500, read->TotalRecipients);
    EXPECT_EQ(-1, read->MsgProcessed);
    EXPECT_EQ(2147483647, read->MsgSent);
    EXPECT_EQ(26, read->ErrorCode);

    std::wstring name = L"Caf\u00e9 <&> \u20ac\r\n\"x\"";
    std::wstring empty;
    time_t when = 1796722200;
    ns1__TextMessage text;
    text.MessageBody = &name;
    ns1__ReportingSettings settings;
    settings.StatusFlags = static_cast<ns1__StatusCodeFlags>(31);
    settings.RoutingType = ns1__RoutingTypes__MsgSource;
    ns1__BulkJobDetails details;
    details.BulkJobName = &name;
    details.From = &empty;
    details.Message = &text;
    details.ScheduledDate = &when;
    details.ReportSettings = &settings;
    details.OAType = ns1__OATypes__DynamicRouting;
    const ns1__BulkJobDetails* back = RoundTrip(other, details, "ns1:BulkJobDetails");
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(name, *back->BulkJobName);
    ASSERT_NE(nullptr, back->From);
    EXPECT_EQ(L"", *back->From);
    ASSERT_NE(nullptr, back->Message);
    EXPECT_EQ(name, *dynamic_cast<const ns1__TextMessage&>(*back->Message).MessageBody);
    ASSERT_NE(nullptr, back->ScheduledDate);
    EXPECT_EQ(when, *back->ScheduledDate);
    EXPECT_EQ(31, back->ReportSettings->StatusFlags);
    EXPECT_EQ(ns1__RoutingTypes__MsgSource, back->ReportSettings->RoutingType);
    EXPECT_EQ(ns1__OATypes__DynamicRouting, back->OAType);
    EXPECT_EQ(nullptr, back->ReplyTo);
    EXPECT_EQ(nullptr, back->ClientDetails);
}

TEST(BulkJobElements, DateTimesReadInTheirForms)
{
    SoapContext context;
    struct soap* soap = context.get();
    const struct
    {
        const char* text;
        time_t expected;
    } cases[] = {{"2026-12-08T09:30:00Z", 1796722200},
                 {"2026-12-08T10:30:00+01:00", 1796722200},
                 {"2026-12-08T04:00:00-05:30", 1796722200},
                 {"2026-12-08T10:30:00+0100", 1796722200},
                 {"20261208T093000Z", 1796722200},
                 {"2026-12-08T09:30:00.999Z", 1796722200},
                 {"1969-12-31T23:59:59Z", -1},
                 {"1601-01-01T00:00:00Z", -11644473600LL}};
    for (const auto& c : cases)
    {
        time_t value = 0;
        EXPECT_EQ(SOAP_OK, soap_bulkjob_s2dateTime(soap, c.text, &value)) << c.text;
        EXPECT_EQ(c.expected, value) << c.text;
    }
    for (const char* wrong : {"", "2026-12-08", "2026-12-08T09:30", "2026-13-08T09:30:00Z", "2026-12-08T09:30:00Q",
                              "2026-12-08T25:30:00Z", "garbage", "2026-12-08T09:30:00+1"})
    {
        soap->error = SOAP_OK;
        time_t value = 7;
        EXPECT_EQ(SOAP_TYPE, soap_bulkjob_s2dateTime(soap, wrong, &value)) << wrong;
    }
    // The runtime refuses instants before 1970: the writer's fixed text.
    EXPECT_STREQ("1969-12-31T23:59:59Z", soap_bulkjob_dateTime2s(soap, -86400 * 400));
}

} // namespace
