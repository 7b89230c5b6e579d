// The member lists of the message classes, in schema order, for the code of
// this folder only. Defaults, marking, writing and reading all walk these
// lists with a visitor, so the order and the tags live in one place.
//
// A visitor offers, each taking the element tag and a reference to the member:
//   String (std::wstring*&), Int (int&), Enum (an enumeration&),
//   Time (time_t&), TimePointer (time_t*&), Object (a class pointer&).
#pragma once

#include "bulkjob/service/BulkJobMessages.h"

namespace BulkJobMembers
{

template <class V>
void Visit(ns1__AuthenticationCredentials& a, V& v)
{
    v.Enum("ns1:SubmittedInterface", a.SubmittedInterface);
}

template <class V>
void Visit(ns1__AuthenticationCredentialsAccessKeyAndSecretKey& a, V& v)
{
    Visit(static_cast<ns1__AuthenticationCredentials&>(a), v);
    v.String("ns1:AccessKey", a.AccessKey);
    v.String("ns1:SecretKey", a.SecretKey);
}

template <class V>
void Visit(ns1__Message&, V&)
{
}

template <class V>
void Visit(ns1__TextMessage& a, V& v)
{
    v.String("ns1:MessageBody", a.MessageBody);
    v.Int("ns1:MaxConCat", a.MaxConCat);
}

template <class V>
void Visit(ns1__ReportingSettings& a, V& v)
{
    v.Enum("ns1:StatusFlags", a.StatusFlags);
    v.Enum("ns1:RoutingType", a.RoutingType);
}

template <class V>
void Visit(ns1__InterfaceEndPoint& a, V& v)
{
    v.Enum("ns1:Interface", a.Interface);
    v.String("ns1:Id", a.Id);
    v.String("ns1:Name", a.Name);
}

template <class V>
void Visit(ns1__ClientDetails& a, V& v)
{
    v.String("ns1:ClientId", a.ClientId);
    v.String("ns1:ClientVersion", a.ClientVersion);
    v.String("ns1:AppId", a.AppId);
    v.String("ns1:AppVersion", a.AppVersion);
    v.String("ns1:AppLicence", a.AppLicence);
}

template <class V>
void Visit(ns1__BulkJobDetails& a, V& v)
{
    v.String("ns1:BulkJobName", a.BulkJobName);
    v.Enum("ns1:MessageType", a.MessageType);
    v.Object("ns1:Message", a.Message);
    v.String("ns1:From", a.From);
    v.Enum("ns1:OAType", a.OAType);
    v.Int("ns1:MaxConCatMsgs", a.MaxConCatMsgs);
    v.TimePointer("ns1:ScheduledDate", a.ScheduledDate);
    v.Object("ns1:ReportSettings", a.ReportSettings);
    v.Object("ns1:ReplyTo", a.ReplyTo);
    v.Object("ns1:MessageSource", a.MessageSource);
    v.Object("ns1:ClientDetails", a.ClientDetails);
}

template <class V>
void Visit(ns1__CreateSMSTextBulkJobInput& a, V& v)
{
    v.Object("ns1:AuthenticationCredentials", a.AuthenticationCredentials);
    v.Object("ns1:BulkJobDetails", a.BulkJobDetails);
}

template <class V>
void Visit(ns1__AppendRecipientsInput& a, V& v)
{
    v.Object("ns1:AuthenticationCredentials", a.AuthenticationCredentials);
    v.String("ns1:BulkJobId", a.BulkJobId);
    v.String("ns1:RecipientList", a.RecipientList);
}

template <class T, class V>
void VisitJobIdInput(T& a, V& v)
{
    v.Object("ns1:AuthenticationCredentials", a.AuthenticationCredentials);
    v.String("ns1:BulkJobId", a.BulkJobId);
}

template <class V> void Visit(ns1__SetBulkJobReadyInput& a, V& v) { VisitJobIdInput(a, v); }
template <class V> void Visit(ns1__PauseBulkJobInput& a, V& v) { VisitJobIdInput(a, v); }
template <class V> void Visit(ns1__RestartBulkJobInput& a, V& v) { VisitJobIdInput(a, v); }
template <class V> void Visit(ns1__AbortBulkJobInput& a, V& v) { VisitJobIdInput(a, v); }
template <class V> void Visit(ns1__GetBulkJobStatusInput& a, V& v) { VisitJobIdInput(a, v); }

template <class V>
void Visit(ns1__CreateSMSTextBulkJobOutput& a, V& v)
{
    v.String("ns1:BulkJobId", a.BulkJobId);
    v.Enum("ns1:ErrorCode", a.ErrorCode);
}

template <class T, class V>
void VisitErrorCodeOutput(T& a, V& v)
{
    v.Enum("ns1:ErrorCode", a.ErrorCode);
}

template <class V> void Visit(ns1__AppendRecipientsOutput& a, V& v) { VisitErrorCodeOutput(a, v); }
template <class V> void Visit(ns1__SetBulkJobReadyOutput& a, V& v) { VisitErrorCodeOutput(a, v); }
template <class V> void Visit(ns1__PauseBulkJobOutput& a, V& v) { VisitErrorCodeOutput(a, v); }
template <class V> void Visit(ns1__RestartBulkJobOutput& a, V& v) { VisitErrorCodeOutput(a, v); }
template <class V> void Visit(ns1__AbortBulkJobOutput& a, V& v) { VisitErrorCodeOutput(a, v); }

template <class V>
void Visit(ns1__GetBulkJobStatusOutput& a, V& v)
{
    v.Enum("ns1:StatusId", a.StatusId);
    v.Time("ns1:ScheduledDate", a.ScheduledDate);
    v.Int("ns1:TotalRecipients", a.TotalRecipients);
    v.Int("ns1:MsgProcessed", a.MsgProcessed);
    v.Int("ns1:MsgSent", a.MsgSent);
    v.Enum("ns1:ErrorCode", a.ErrorCode);
}

#define BULKJOB_VISIT_OPERATION_ELEMENTS(Op)                                                 \
    template <class V> void Visit(_ns1__##Op& a, V& v) { v.Object("ns1:" #Op "Input", a.Op##Input); } \
    template <class V> void Visit(_ns1__##Op##Response& a, V& v) { v.Object("ns1:" #Op "Result", a.Op##Result); }

BULKJOB_VISIT_OPERATION_ELEMENTS(CreateSMSTextBulkJob)
BULKJOB_VISIT_OPERATION_ELEMENTS(AppendRecipients)
BULKJOB_VISIT_OPERATION_ELEMENTS(SetBulkJobReady)
BULKJOB_VISIT_OPERATION_ELEMENTS(PauseBulkJob)
BULKJOB_VISIT_OPERATION_ELEMENTS(RestartBulkJob)
BULKJOB_VISIT_OPERATION_ELEMENTS(AbortBulkJob)
BULKJOB_VISIT_OPERATION_ELEMENTS(GetBulkJobStatus)

#undef BULKJOB_VISIT_OPERATION_ELEMENTS

// Sets every member to its default: empty pointers, zero numbers and
// enumerations (flag set 0, not None).
struct DefaultVisitor
{
    void String(const char*, std::wstring*& p) { p = nullptr; }
    void Int(const char*, int& n) { n = 0; }
    template <class E> void Enum(const char*, E& e) { e = static_cast<E>(0); }
    void Time(const char*, time_t& t) { t = 0; }
    void TimePointer(const char*, time_t*& p) { p = nullptr; }
    template <class C> void Object(const char*, C*& p) { p = nullptr; }
};

} // namespace BulkJobMembers
