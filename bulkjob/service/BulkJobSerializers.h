// The free serializer families of the bulk-job messages: marking, writing
// with an id, reading with reference resolution, allocation on a context,
// deletion, copying, the identity glue that the runtime's id table needs, the
// multi-reference passes, the skipping of unknown elements, and the
// enumeration converters. The element writers and readers (soap_out_...,
// soap_in_...) are in BulkJobElements.h.
#pragma once

#include "bulkjob/service/BulkJobMessages.h"

// Enumerations to text: the name, else the number in decimal (in the
// context's temporary buffer, valid until its next use). The flag set gives
// the names of its set bits separated by blanks.
const char* soap_ns1__BulkJobStatus2s(struct soap* soap, enum ns1__BulkJobStatus n);
const char* soap_ns1__ExceptionTypes2s(struct soap* soap, enum ns1__ExceptionTypes n);
const char* soap_ns1__Interfaces2s(struct soap* soap, enum ns1__Interfaces n);
const char* soap_ns1__MessageTypes2s(struct soap* soap, enum ns1__MessageTypes n);
const char* soap_ns1__OATypes2s(struct soap* soap, enum ns1__OATypes n);
const char* soap_ns1__RoutingTypes2s(struct soap* soap, enum ns1__RoutingTypes n);
const char* soap_ns1__StatusCodeFlags2s(struct soap* soap, enum ns1__StatusCodeFlags n);

// Text to enumerations: an exact name, else a decimal number (an empty text
// reads as 0; any number is kept unless the context is in strict mode).
// Returns the context's error; on failure the value is left as it was.
int soap_s2ns1__BulkJobStatus(struct soap* soap, const char* s, enum ns1__BulkJobStatus* a);
int soap_s2ns1__ExceptionTypes(struct soap* soap, const char* s, enum ns1__ExceptionTypes* a);
int soap_s2ns1__Interfaces(struct soap* soap, const char* s, enum ns1__Interfaces* a);
int soap_s2ns1__MessageTypes(struct soap* soap, const char* s, enum ns1__MessageTypes* a);
int soap_s2ns1__OATypes(struct soap* soap, const char* s, enum ns1__OATypes* a);
int soap_s2ns1__RoutingTypes(struct soap* soap, const char* s, enum ns1__RoutingTypes* a);
// Never fails: a word that is no flag name makes the whole set 0.
int soap_s2ns1__StatusCodeFlags(struct soap* soap, const char* s, enum ns1__StatusCodeFlags* a);

// Marking of what a pointer reaches; each object is visited once.
void soap_serialize_PointerTostd__wstring(struct soap* soap, std::wstring* const* a);
void soap_serialize_PointerTotime(struct soap* soap, time_t* const* a);

// Allocation on the context's deallocation list (n < 0: one object, else an
// array of n) and its dispatcher by type identifier.
std::wstring* soap_instantiate_std__wstring(struct soap* soap, int n, const char* type, const char* arrayType, size_t* size);
void* soap_instantiate(struct soap* soap, int t, const char* type, const char* arrayType, size_t* n);
// Frees one entry of the deallocation list; SOAP_ERR for a type it does not know.
int soap_fdelete(struct soap* soap, struct soap_clist* p);
// True when type t derives from type tt.
int soap_fbase(int t, int tt);
// Completes an element that referred to an id defined later: copies the
// object in once the id has been read.
void soap_finsert(struct soap* soap, int t, int tt, void* p, size_t index, const void* q, void** x);

void soap_copy_std__wstring(struct soap* soap, int st, int tt, void* p, size_t len, const void* q, size_t n);

// Identity glue over the runtime's id table.
void* soap_class_id_enter(struct soap* soap, const char* id, void* p, int t, size_t n, const char* type, const char* arrayType);
void* soap_container_id_forward(struct soap* soap, const char* href, void* p, size_t len, int st, int tt, size_t n, unsigned int k);
void soap_container_insert(struct soap* soap, int st, int tt, void* p, size_t len, const void* q, size_t n);

// Deepest element level (the envelope's is 1) that a reply may reach; the
// service's replies use five. Deeper input fails the read with SOAP_LEVEL
// rather than risking the stack of the reading thread, which is Outlook's.
constexpr unsigned int kBulkJobMaxElementLevel = 64;

// Multi-reference passes (they act only for SOAP 1.1 encoded messages) and
// the skipping of an element that matches no member.
int soap_putindependent(struct soap* soap);
int soap_getindependent(struct soap* soap);
int soap_ignore_element(struct soap* soap);

#define BULKJOB_DECLARE_CLASS_SERIALIZERS(T)                                                             \
    void soap_serialize_PointerTo##T(struct soap* soap, T* const* a);                                    \
    int soap_put_##T(struct soap* soap, const T* a, const char* tag, const char* type);                   \
    T* soap_get_##T(struct soap* soap, T* p, const char* tag, const char* type);                         \
    int soap_put_PointerTo##T(struct soap* soap, T* const* a, const char* tag, const char* type);         \
    T** soap_get_PointerTo##T(struct soap* soap, T** p, const char* tag, const char* type);              \
    T* soap_instantiate_##T(struct soap* soap, int n, const char* type, const char* arrayType, size_t* size); \
    void soap_copy_##T(struct soap* soap, int st, int tt, void* p, size_t len, const void* q, size_t n);

BULKJOB_FOR_EACH_CLASS(BULKJOB_DECLARE_CLASS_SERIALIZERS)

#define BULKJOB_DECLARE_OPERATION_SERIALIZERS(Op)                                                                      \
    void soap_serialize___ns2__##Op(struct soap* soap, const struct __ns2__##Op* a);                                   \
    int soap_put___ns2__##Op(struct soap* soap, const struct __ns2__##Op* a, const char* tag, const char* type);       \
    struct __ns2__##Op* soap_instantiate___ns2__##Op(struct soap* soap, int n, const char* type, const char* arrayType, size_t* size); \
    void soap_copy___ns2__##Op(struct soap* soap, int st, int tt, void* p, size_t len, const void* q, size_t n);      \
    void soap_serialize___ns3__##Op(struct soap* soap, const struct __ns3__##Op* a);                                   \
    int soap_put___ns3__##Op(struct soap* soap, const struct __ns3__##Op* a, const char* tag, const char* type);       \
    struct __ns3__##Op* soap_instantiate___ns3__##Op(struct soap* soap, int n, const char* type, const char* arrayType, size_t* size); \
    void soap_copy___ns3__##Op(struct soap* soap, int st, int tt, void* p, size_t len, const void* q, size_t n);

BULKJOB_FOR_EACH_OPERATION(BULKJOB_DECLARE_OPERATION_SERIALIZERS)
