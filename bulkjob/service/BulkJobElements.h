// Element writers and readers of the bulk-job messages (one element of a type
// under a given tag), the dispatchers by type, the xsd:dateTime form the
// service uses, and the namespace table the context needs.
//
// Writing: a value member is always written, a null pointer member is left
// out, a derived object carries its xsi:type. Reading: children in any order,
// a repeated or unknown element skipped, a missing member left at its default.
#pragma once

#include "bulkjob/service/BulkJobMessages.h"

// Namespaces in the order they are declared on every envelope.
extern struct Namespace bulkjob_namespaces[];

// The service namespace (the ns1 prefix).
extern const char* const kBulkJobServiceNamespace;

int soap_out_int(struct soap* soap, const char* tag, int id, const int* a, const char* type);
int* soap_in_int(struct soap* soap, const char* tag, int* a, const char* type);

// xsd:dateTime. Written as the local time of the instant's UTC calendar
// fields followed by the local zone's offset; read with or without a zone.
int soap_out_time(struct soap* soap, const char* tag, int id, const time_t* a, const char* type);
time_t* soap_in_time(struct soap* soap, const char* tag, time_t* a, const char* type);
int soap_out_PointerTotime(struct soap* soap, const char* tag, int id, time_t* const* a, const char* type);
time_t** soap_in_PointerTotime(struct soap* soap, const char* tag, time_t** a, const char* type);
const char* soap_bulkjob_dateTime2s(struct soap* soap, time_t n);
int soap_bulkjob_s2dateTime(struct soap* soap, const char* s, time_t* a);

// Wide text is written as UTF-8 text content, handed to the runtime in runs
// of at most this many bytes.
constexpr size_t kBulkJobTextRunBytes = 4096;
int soap_out_std__wstring(struct soap* soap, const char* tag, int id, const std::wstring* a, const char* type);
std::wstring* soap_in_std__wstring(struct soap* soap, const char* tag, std::wstring* a, const char* type);
int soap_out_PointerTostd__wstring(struct soap* soap, const char* tag, int id, std::wstring* const* a, const char* type);
std::wstring** soap_in_PointerTostd__wstring(struct soap* soap, const char* tag, std::wstring** a, const char* type);

#define BULKJOB_DECLARE_ENUM_ELEMENTS(E)                                                  \
    int soap_out_##E(struct soap* soap, const char* tag, int id, const enum E* a, const char* type); \
    enum E* soap_in_##E(struct soap* soap, const char* tag, enum E* a, const char* type);

BULKJOB_DECLARE_ENUM_ELEMENTS(ns1__BulkJobStatus)
BULKJOB_DECLARE_ENUM_ELEMENTS(ns1__ExceptionTypes)
BULKJOB_DECLARE_ENUM_ELEMENTS(ns1__Interfaces)
BULKJOB_DECLARE_ENUM_ELEMENTS(ns1__MessageTypes)
BULKJOB_DECLARE_ENUM_ELEMENTS(ns1__OATypes)
BULKJOB_DECLARE_ENUM_ELEMENTS(ns1__RoutingTypes)
BULKJOB_DECLARE_ENUM_ELEMENTS(ns1__StatusCodeFlags)

#define BULKJOB_DECLARE_CLASS_ELEMENTS(T)                                                          \
    int soap_out_##T(struct soap* soap, const char* tag, int id, const T* a, const char* type);    \
    T* soap_in_##T(struct soap* soap, const char* tag, T* a, const char* type);                    \
    int soap_out_PointerTo##T(struct soap* soap, const char* tag, int id, T* const* a, const char* type); \
    T** soap_in_PointerTo##T(struct soap* soap, const char* tag, T** a, const char* type);

BULKJOB_FOR_EACH_CLASS(BULKJOB_DECLARE_CLASS_ELEMENTS)

// The operation structures write and read their request element only.
#define BULKJOB_DECLARE_OPERATION_ELEMENTS(Op)                                                                  \
    int soap_out___ns2__##Op(struct soap* soap, const char* tag, int id, const struct __ns2__##Op* a, const char* type); \
    struct __ns2__##Op* soap_in___ns2__##Op(struct soap* soap, const char* tag, struct __ns2__##Op* a, const char* type); \
    int soap_out___ns3__##Op(struct soap* soap, const char* tag, int id, const struct __ns3__##Op* a, const char* type); \
    struct __ns3__##Op* soap_in___ns3__##Op(struct soap* soap, const char* tag, struct __ns3__##Op* a, const char* type);

BULKJOB_FOR_EACH_OPERATION(BULKJOB_DECLARE_OPERATION_ELEMENTS)

// Dispatchers by type identifier (writing, marking) and by the element's
// xsi:type or tag (reading).
int soap_putelement(struct soap* soap, const void* ptr, const char* tag, int id, int type);
void soap_markelement(struct soap* soap, const void* ptr, int type);
void* soap_getelement(struct soap* soap, const char* tag, int* type);
