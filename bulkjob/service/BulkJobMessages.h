// The message classes of the gateway's bulk-job web service, in the shape the
// gSOAP runtime expects of schema types: public members in schema order, the
// eight virtual operations, and a back pointer to the context that owns or
// writes the object. Objects never own what their pointers point to: request
// objects point into the caller's locals, reply objects into data that the
// context allocated and frees with soap_destroy / soap_end.
#pragma once

#include "stdsoap2.h"

#include <ctime>
#include <string>

// Type identifiers: the runtime keeps them in its mark and deallocation lists
// and hands them back to the dispatchers. The numbers mean nothing on the wire.
#define SOAP_TYPE_int (1)
#define SOAP_TYPE_byte (3)
#define SOAP_TYPE_string (4)
#define SOAP_TYPE__QName (5)
#define SOAP_TYPE_ns1__CreateSMSTextBulkJobInput (8)
#define SOAP_TYPE_ns1__AuthenticationCredentials (9)
#define SOAP_TYPE_ns1__AuthenticationCredentialsAccessKeyAndSecretKey (10)
#define SOAP_TYPE_ns1__BulkJobDetails (11)
#define SOAP_TYPE_ns1__Message (12)
#define SOAP_TYPE_ns1__TextMessage (13)
#define SOAP_TYPE_ns1__ReportingSettings (14)
#define SOAP_TYPE_ns1__InterfaceEndPoint (15)
#define SOAP_TYPE_ns1__ClientDetails (16)
#define SOAP_TYPE_ns1__CreateSMSTextBulkJobOutput (17)
#define SOAP_TYPE_ns1__AppendRecipientsInput (18)
#define SOAP_TYPE_ns1__AppendRecipientsOutput (19)
#define SOAP_TYPE_ns1__SetBulkJobReadyInput (20)
#define SOAP_TYPE_ns1__SetBulkJobReadyOutput (21)
#define SOAP_TYPE_ns1__PauseBulkJobInput (22)
#define SOAP_TYPE_ns1__PauseBulkJobOutput (23)
#define SOAP_TYPE_ns1__RestartBulkJobInput (24)
#define SOAP_TYPE_ns1__RestartBulkJobOutput (25)
#define SOAP_TYPE_ns1__AbortBulkJobInput (26)
#define SOAP_TYPE_ns1__AbortBulkJobOutput (27)
#define SOAP_TYPE_ns1__GetBulkJobStatusInput (28)
#define SOAP_TYPE_ns1__GetBulkJobStatusOutput (29)
#define SOAP_TYPE__ns1__CreateSMSTextBulkJob (30)
#define SOAP_TYPE__ns1__CreateSMSTextBulkJobResponse (31)
#define SOAP_TYPE__ns1__AppendRecipients (32)
#define SOAP_TYPE__ns1__AppendRecipientsResponse (33)
#define SOAP_TYPE__ns1__SetBulkJobReady (34)
#define SOAP_TYPE__ns1__SetBulkJobReadyResponse (35)
#define SOAP_TYPE__ns1__PauseBulkJob (36)
#define SOAP_TYPE__ns1__PauseBulkJobResponse (37)
#define SOAP_TYPE__ns1__RestartBulkJob (38)
#define SOAP_TYPE__ns1__RestartBulkJobResponse (39)
#define SOAP_TYPE__ns1__AbortBulkJob (40)
#define SOAP_TYPE__ns1__AbortBulkJobResponse (41)
#define SOAP_TYPE__ns1__GetBulkJobStatus (42)
#define SOAP_TYPE__ns1__GetBulkJobStatusResponse (43)
#define SOAP_TYPE_ns1__StatusCodeFlags (44)
#define SOAP_TYPE_ns1__Interfaces (45)
#define SOAP_TYPE_ns1__MessageTypes (46)
#define SOAP_TYPE_ns1__OATypes (47)
#define SOAP_TYPE_ns1__RoutingTypes (48)
#define SOAP_TYPE_ns1__ExceptionTypes (49)
#define SOAP_TYPE_ns1__BulkJobStatus (50)
#define SOAP_TYPE_std__wstring (54)
#define SOAP_TYPE_PointerTostd__wstring (55)
#define SOAP_TYPE_PointerTotime (56)
#define SOAP_TYPE_time (57)
#define SOAP_TYPE_PointerTons1__AuthenticationCredentials (58)
#define SOAP_TYPE_PointerTons1__Message (59)
#define SOAP_TYPE_PointerTons1__ReportingSettings (60)
#define SOAP_TYPE_PointerTons1__InterfaceEndPoint (61)
#define SOAP_TYPE_PointerTons1__ClientDetails (62)
#define SOAP_TYPE_PointerTons1__BulkJobDetails (63)
#define SOAP_TYPE_PointerTons1__CreateSMSTextBulkJobInput (64)
#define SOAP_TYPE_PointerTons1__CreateSMSTextBulkJobOutput (65)
#define SOAP_TYPE_PointerTons1__AppendRecipientsInput (66)
#define SOAP_TYPE_PointerTons1__AppendRecipientsOutput (67)
#define SOAP_TYPE_PointerTons1__SetBulkJobReadyInput (68)
#define SOAP_TYPE_PointerTons1__SetBulkJobReadyOutput (69)
#define SOAP_TYPE_PointerTons1__PauseBulkJobInput (70)
#define SOAP_TYPE_PointerTons1__PauseBulkJobOutput (71)
#define SOAP_TYPE_PointerTons1__RestartBulkJobInput (72)
#define SOAP_TYPE_PointerTons1__RestartBulkJobOutput (73)
#define SOAP_TYPE_PointerTons1__AbortBulkJobInput (74)
#define SOAP_TYPE_PointerTons1__AbortBulkJobOutput (75)
#define SOAP_TYPE_PointerTons1__GetBulkJobStatusInput (76)
#define SOAP_TYPE_PointerTons1__GetBulkJobStatusOutput (77)
#define SOAP_TYPE_PointerTo_ns1__CreateSMSTextBulkJob (78)
#define SOAP_TYPE___ns2__CreateSMSTextBulkJob (79)
#define SOAP_TYPE_PointerTo_ns1__AppendRecipients (82)
#define SOAP_TYPE___ns2__AppendRecipients (83)
#define SOAP_TYPE_PointerTo_ns1__SetBulkJobReady (86)
#define SOAP_TYPE___ns2__SetBulkJobReady (87)
#define SOAP_TYPE_PointerTo_ns1__PauseBulkJob (90)
#define SOAP_TYPE___ns2__PauseBulkJob (91)
#define SOAP_TYPE_PointerTo_ns1__RestartBulkJob (94)
#define SOAP_TYPE___ns2__RestartBulkJob (95)
#define SOAP_TYPE_PointerTo_ns1__AbortBulkJob (98)
#define SOAP_TYPE___ns2__AbortBulkJob (99)
#define SOAP_TYPE_PointerTo_ns1__GetBulkJobStatus (102)
#define SOAP_TYPE___ns2__GetBulkJobStatus (103)
#define SOAP_TYPE___ns3__CreateSMSTextBulkJob (105)
#define SOAP_TYPE___ns3__AppendRecipients (107)
#define SOAP_TYPE___ns3__SetBulkJobReady (109)
#define SOAP_TYPE___ns3__PauseBulkJob (111)
#define SOAP_TYPE___ns3__RestartBulkJob (113)
#define SOAP_TYPE___ns3__AbortBulkJob (115)
#define SOAP_TYPE___ns3__GetBulkJobStatus (117)
#define SOAP_TYPE_PointerTons1__AuthenticationCredentialsAccessKeyAndSecretKey (130)
#define SOAP_TYPE_PointerTons1__TextMessage (131)
#define SOAP_TYPE_PointerTo_ns1__CreateSMSTextBulkJobResponse (132)
#define SOAP_TYPE_PointerTo_ns1__AppendRecipientsResponse (133)
#define SOAP_TYPE_PointerTo_ns1__SetBulkJobReadyResponse (134)
#define SOAP_TYPE_PointerTo_ns1__PauseBulkJobResponse (135)
#define SOAP_TYPE_PointerTo_ns1__RestartBulkJobResponse (136)
#define SOAP_TYPE_PointerTo_ns1__AbortBulkJobResponse (137)
#define SOAP_TYPE_PointerTo_ns1__GetBulkJobStatusResponse (138)

// Enumerations of the service. The fixed underlying type keeps any number a
// reply carries (the wrapper judges it), and is 32 bits wide.
enum ns1__BulkJobStatus : int
{
    ns1__BulkJobStatus__Unknown = 0,
    ns1__BulkJobStatus__Initialising = 1,
    ns1__BulkJobStatus__Pending = 2,
    ns1__BulkJobStatus__Processing = 3,
    ns1__BulkJobStatus__Completed = 4,
    ns1__BulkJobStatus__Aborted = 5,
    ns1__BulkJobStatus__Paused = 6,
};

enum ns1__ExceptionTypes : int
{
    ns1__ExceptionTypes__OK = 0,
    ns1__ExceptionTypes__GATEWAY_ERROR = 1,
    ns1__ExceptionTypes__INVALID_NUMBER = 2,
    ns1__ExceptionTypes__INVALID_REQUEST = 3,
    ns1__ExceptionTypes__UNKNOWN = 4,
    ns1__ExceptionTypes__NO_TO = 5,
    ns1__ExceptionTypes__NO_USERNAME = 6,
    ns1__ExceptionTypes__NO_PASSWORD = 7,
    ns1__ExceptionTypes__NO_TEXT = 8,
    ns1__ExceptionTypes__TOO_MANY_NUMBERS = 9,
    ns1__ExceptionTypes__INSUFFICIENT_CREDIT = 10,
    ns1__ExceptionTypes__LOGIN_INVALID = 11,
    ns1__ExceptionTypes__INTERNAL_ERROR = 12,
    ns1__ExceptionTypes__PARAMETER_MISSING = 13,
    ns1__ExceptionTypes__PARAMETER_INVALID = 14,
    ns1__ExceptionTypes__ACCOUNT_EXISTS = 15,
    ns1__ExceptionTypes__NO_MSGID = 16,
    ns1__ExceptionTypes__MSGID_INVALID = 17,
    ns1__ExceptionTypes__DAILY_ALLOWANCE_EXCEEDED = 18,
    ns1__ExceptionTypes__MONTHLY_ALLOWANCE_EXCEEDED = 19,
    ns1__ExceptionTypes__AUTH_PARAMETER_MISSING = 20,
    ns1__ExceptionTypes__AUTH_PARAMETER_INVALID = 21,
    ns1__ExceptionTypes__CONNECTION_NOT_SECURE = 22,
    ns1__ExceptionTypes__MFA_REQUIRED = 23,
    ns1__ExceptionTypes__DUPLICATE_NAME = 24,
    ns1__ExceptionTypes__UPGRADE_CLIENTAPP = 25,
};

enum ns1__Interfaces : int
{
    ns1__Interfaces__None = 0,
    ns1__Interfaces__HTTP = 1,
    ns1__Interfaces__SMTP = 2,
    ns1__Interfaces__WebService = 3,
    ns1__Interfaces__ZentavoSMSOutlookAddin = 4,
};

enum ns1__MessageTypes : int
{
    ns1__MessageTypes__Unknown = 0,
    ns1__MessageTypes__Text = 1,
    ns1__MessageTypes__Unicode = 2,
    ns1__MessageTypes__Binary = 3,
    ns1__MessageTypes__WAPPush = 4,
};

enum ns1__OATypes : int
{
    ns1__OATypes__Unspecified = 0,
    ns1__OATypes__UserDefined = 1,
    ns1__OATypes__DynamicRouting = 2,
};

enum ns1__RoutingTypes : int
{
    ns1__RoutingTypes__Unknown = 0,
    ns1__RoutingTypes__Default = 1,
    ns1__RoutingTypes__MsgSource = 2,
    ns1__RoutingTypes__Binding = 3,
};

// A set of flags: a value holds the OR of several of them.
enum ns1__StatusCodeFlags : int
{
    ns1__StatusCodeFlags__None = 1,
    ns1__StatusCodeFlags__MessageSent = 2,
    ns1__StatusCodeFlags__DeliverySuccess = 4,
    ns1__StatusCodeFlags__DeliveryFailure = 8,
    ns1__StatusCodeFlags__MessageExpired = 16,
    ns1__StatusCodeFlags__All = 32,
};

// The eight virtual operations of every message class, in slot order.
#define BULKJOB_SOAP_CLASS_OPERATIONS(T)                                                    \
    T();                                                                                     \
    virtual int soap_type() const;                                                           \
    virtual void soap_default(struct soap* soap);                                            \
    virtual void soap_serialize(struct soap* soap) const;                                    \
    virtual int soap_put(struct soap* soap, const char* tag, const char* type) const;        \
    virtual int soap_out(struct soap* soap, const char* tag, int id, const char* type) const; \
    virtual void* soap_get(struct soap* soap, const char* tag, const char* type);            \
    virtual void* soap_in(struct soap* soap, const char* tag, const char* type);             \
    virtual ~T()

class ns1__AuthenticationCredentials
{
public:
    enum ns1__Interfaces SubmittedInterface;
    struct soap* soap;
    BULKJOB_SOAP_CLASS_OPERATIONS(ns1__AuthenticationCredentials);
};

class ns1__AuthenticationCredentialsAccessKeyAndSecretKey : public ns1__AuthenticationCredentials
{
public:
    std::wstring* AccessKey;
    std::wstring* SecretKey;
    BULKJOB_SOAP_CLASS_OPERATIONS(ns1__AuthenticationCredentialsAccessKeyAndSecretKey);
};

// The schema's abstract message body; only its derived TextMessage is sent.
class ns1__Message
{
public:
    struct soap* soap;
    BULKJOB_SOAP_CLASS_OPERATIONS(ns1__Message);
};

class ns1__TextMessage : public ns1__Message
{
public:
    std::wstring* MessageBody;
    int MaxConCat;
    BULKJOB_SOAP_CLASS_OPERATIONS(ns1__TextMessage);
};

class ns1__ReportingSettings
{
public:
    enum ns1__StatusCodeFlags StatusFlags;
    enum ns1__RoutingTypes RoutingType;
    struct soap* soap;
    BULKJOB_SOAP_CLASS_OPERATIONS(ns1__ReportingSettings);
};

class ns1__InterfaceEndPoint
{
public:
    enum ns1__Interfaces Interface;
    std::wstring* Id;
    std::wstring* Name;
    struct soap* soap;
    BULKJOB_SOAP_CLASS_OPERATIONS(ns1__InterfaceEndPoint);
};

class ns1__ClientDetails
{
public:
    std::wstring* ClientId;
    std::wstring* ClientVersion;
    std::wstring* AppId;
    std::wstring* AppVersion;
    std::wstring* AppLicence;
    struct soap* soap;
    BULKJOB_SOAP_CLASS_OPERATIONS(ns1__ClientDetails);
};

class ns1__BulkJobDetails
{
public:
    std::wstring* BulkJobName;
    enum ns1__MessageTypes MessageType;
    ns1__Message* Message;
    std::wstring* From;
    enum ns1__OATypes OAType;
    int MaxConCatMsgs;
    time_t* ScheduledDate;
    ns1__ReportingSettings* ReportSettings;
    ns1__InterfaceEndPoint* ReplyTo;
    ns1__InterfaceEndPoint* MessageSource;
    ns1__ClientDetails* ClientDetails;
    struct soap* soap;
    BULKJOB_SOAP_CLASS_OPERATIONS(ns1__BulkJobDetails);
};

class ns1__CreateSMSTextBulkJobInput
{
public:
    ns1__AuthenticationCredentials* AuthenticationCredentials;
    ns1__BulkJobDetails* BulkJobDetails;
    struct soap* soap;
    BULKJOB_SOAP_CLASS_OPERATIONS(ns1__CreateSMSTextBulkJobInput);
};

class ns1__CreateSMSTextBulkJobOutput
{
public:
    std::wstring* BulkJobId;
    enum ns1__ExceptionTypes ErrorCode;
    struct soap* soap;
    BULKJOB_SOAP_CLASS_OPERATIONS(ns1__CreateSMSTextBulkJobOutput);
};

class ns1__AppendRecipientsInput
{
public:
    ns1__AuthenticationCredentials* AuthenticationCredentials;
    std::wstring* BulkJobId;
    std::wstring* RecipientList;
    struct soap* soap;
    BULKJOB_SOAP_CLASS_OPERATIONS(ns1__AppendRecipientsInput);
};

// The five job operations that take only credentials and a job id, and the
// five outputs that hold only an error code, share their shapes.
#define BULKJOB_JOB_ID_INPUT_CLASS(T)                        \
    class T                                                  \
    {                                                        \
    public:                                                  \
        ns1__AuthenticationCredentials* AuthenticationCredentials; \
        std::wstring* BulkJobId;                             \
        struct soap* soap;                                   \
        BULKJOB_SOAP_CLASS_OPERATIONS(T);                    \
    }

#define BULKJOB_ERROR_CODE_OUTPUT_CLASS(T)                   \
    class T                                                  \
    {                                                        \
    public:                                                  \
        enum ns1__ExceptionTypes ErrorCode;                  \
        struct soap* soap;                                   \
        BULKJOB_SOAP_CLASS_OPERATIONS(T);                    \
    }

BULKJOB_JOB_ID_INPUT_CLASS(ns1__SetBulkJobReadyInput);
BULKJOB_JOB_ID_INPUT_CLASS(ns1__PauseBulkJobInput);
BULKJOB_JOB_ID_INPUT_CLASS(ns1__RestartBulkJobInput);
BULKJOB_JOB_ID_INPUT_CLASS(ns1__AbortBulkJobInput);
BULKJOB_JOB_ID_INPUT_CLASS(ns1__GetBulkJobStatusInput);

BULKJOB_ERROR_CODE_OUTPUT_CLASS(ns1__AppendRecipientsOutput);
BULKJOB_ERROR_CODE_OUTPUT_CLASS(ns1__SetBulkJobReadyOutput);
BULKJOB_ERROR_CODE_OUTPUT_CLASS(ns1__PauseBulkJobOutput);
BULKJOB_ERROR_CODE_OUTPUT_CLASS(ns1__RestartBulkJobOutput);
BULKJOB_ERROR_CODE_OUTPUT_CLASS(ns1__AbortBulkJobOutput);

class ns1__GetBulkJobStatusOutput
{
public:
    enum ns1__BulkJobStatus StatusId;
    time_t ScheduledDate;
    int TotalRecipients;
    int MsgProcessed;
    int MsgSent;
    enum ns1__ExceptionTypes ErrorCode;
    struct soap* soap;
    BULKJOB_SOAP_CLASS_OPERATIONS(ns1__GetBulkJobStatusOutput);
};

// Request element (_ns1__<Op>) and reply element (_ns1__<Op>Response) of
// each operation: each holds its input or its result.
#define BULKJOB_OPERATION_ELEMENT_CLASSES(Op)                \
    class _ns1__##Op                                         \
    {                                                        \
    public:                                                  \
        ns1__##Op##Input* Op##Input;                         \
        struct soap* soap;                                   \
        BULKJOB_SOAP_CLASS_OPERATIONS(_ns1__##Op);           \
    };                                                       \
    class _ns1__##Op##Response                               \
    {                                                        \
    public:                                                  \
        ns1__##Op##Output* Op##Result;                       \
        struct soap* soap;                                   \
        BULKJOB_SOAP_CLASS_OPERATIONS(_ns1__##Op##Response); \
    }

BULKJOB_OPERATION_ELEMENT_CLASSES(CreateSMSTextBulkJob);
BULKJOB_OPERATION_ELEMENT_CLASSES(AppendRecipients);
BULKJOB_OPERATION_ELEMENT_CLASSES(SetBulkJobReady);
BULKJOB_OPERATION_ELEMENT_CLASSES(PauseBulkJob);
BULKJOB_OPERATION_ELEMENT_CLASSES(RestartBulkJob);
BULKJOB_OPERATION_ELEMENT_CLASSES(AbortBulkJob);
BULKJOB_OPERATION_ELEMENT_CLASSES(GetBulkJobStatus);

// Operation structures of the two bindings: the call functions write these,
// and they write no element of their own.
#define BULKJOB_OPERATION_STRUCTS(Op)   \
    struct __ns2__##Op                  \
    {                                   \
        _ns1__##Op* ns1__##Op;          \
    };                                  \
    struct __ns3__##Op                  \
    {                                   \
        _ns1__##Op* ns1__##Op;          \
    }

BULKJOB_OPERATION_STRUCTS(CreateSMSTextBulkJob);
BULKJOB_OPERATION_STRUCTS(AppendRecipients);
BULKJOB_OPERATION_STRUCTS(SetBulkJobReady);
BULKJOB_OPERATION_STRUCTS(PauseBulkJob);
BULKJOB_OPERATION_STRUCTS(RestartBulkJob);
BULKJOB_OPERATION_STRUCTS(AbortBulkJob);
BULKJOB_OPERATION_STRUCTS(GetBulkJobStatus);

// The whole list of classes, for code that does the same thing to each.
#define BULKJOB_FOR_EACH_CLASS(X)                          \
    X(ns1__AuthenticationCredentials)                      \
    X(ns1__AuthenticationCredentialsAccessKeyAndSecretKey) \
    X(ns1__Message)                                        \
    X(ns1__TextMessage)                                    \
    X(ns1__ReportingSettings)                              \
    X(ns1__InterfaceEndPoint)                              \
    X(ns1__ClientDetails)                                  \
    X(ns1__BulkJobDetails)                                 \
    X(ns1__CreateSMSTextBulkJobInput)                      \
    X(ns1__CreateSMSTextBulkJobOutput)                     \
    X(ns1__AppendRecipientsInput)                          \
    X(ns1__AppendRecipientsOutput)                         \
    X(ns1__SetBulkJobReadyInput)                           \
    X(ns1__SetBulkJobReadyOutput)                          \
    X(ns1__PauseBulkJobInput)                              \
    X(ns1__PauseBulkJobOutput)                             \
    X(ns1__RestartBulkJobInput)                            \
    X(ns1__RestartBulkJobOutput)                           \
    X(ns1__AbortBulkJobInput)                              \
    X(ns1__AbortBulkJobOutput)                             \
    X(ns1__GetBulkJobStatusInput)                          \
    X(ns1__GetBulkJobStatusOutput)                         \
    X(_ns1__CreateSMSTextBulkJob)                          \
    X(_ns1__CreateSMSTextBulkJobResponse)                  \
    X(_ns1__AppendRecipients)                              \
    X(_ns1__AppendRecipientsResponse)                      \
    X(_ns1__SetBulkJobReady)                               \
    X(_ns1__SetBulkJobReadyResponse)                       \
    X(_ns1__PauseBulkJob)                                  \
    X(_ns1__PauseBulkJobResponse)                          \
    X(_ns1__RestartBulkJob)                                \
    X(_ns1__RestartBulkJobResponse)                        \
    X(_ns1__AbortBulkJob)                                  \
    X(_ns1__AbortBulkJobResponse)                          \
    X(_ns1__GetBulkJobStatus)                              \
    X(_ns1__GetBulkJobStatusResponse)

#define BULKJOB_FOR_EACH_OPERATION(X) \
    X(CreateSMSTextBulkJob)           \
    X(AppendRecipients)               \
    X(SetBulkJobReady)                \
    X(PauseBulkJob)                   \
    X(RestartBulkJob)                 \
    X(AbortBulkJob)                   \
    X(GetBulkJobStatus)

// Free default functions: one value to its default.
void soap_default_int(struct soap* soap, int* a);
void soap_default_byte(struct soap* soap, char* a);
void soap_default_time(struct soap* soap, time_t* a);
void soap_default_std__wstring(struct soap* soap, std::wstring* a);
void soap_default_ns1__BulkJobStatus(struct soap* soap, enum ns1__BulkJobStatus* a);
void soap_default_ns1__ExceptionTypes(struct soap* soap, enum ns1__ExceptionTypes* a);
void soap_default_ns1__Interfaces(struct soap* soap, enum ns1__Interfaces* a);
void soap_default_ns1__MessageTypes(struct soap* soap, enum ns1__MessageTypes* a);
void soap_default_ns1__OATypes(struct soap* soap, enum ns1__OATypes* a);
void soap_default_ns1__RoutingTypes(struct soap* soap, enum ns1__RoutingTypes* a);
void soap_default_ns1__StatusCodeFlags(struct soap* soap, enum ns1__StatusCodeFlags* a);

#define BULKJOB_DECLARE_OPERATION_STRUCT_DEFAULTS(Op)                       \
    void soap_default___ns2__##Op(struct soap* soap, struct __ns2__##Op* a); \
    void soap_default___ns3__##Op(struct soap* soap, struct __ns3__##Op* a);

BULKJOB_FOR_EACH_OPERATION(BULKJOB_DECLARE_OPERATION_STRUCT_DEFAULTS)
