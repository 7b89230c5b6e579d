#include "bulkjob/service/BulkJobSerializers.h"

#include "bulkjob/service/BulkJobElements.h"
#include "bulkjob/service/BulkJobMembers.h"

#include <cerrno>
#include <cstdlib>
#include <new>

namespace
{

// Wire names of the enumerations, ended by an empty entry.
const struct soap_code_map kBulkJobStatusCodes[] = {
    {0, "Unknown"}, {1, "Initialising"}, {2, "Pending"}, {3, "Processing"},
    {4, "Completed"}, {5, "Aborted"}, {6, "Paused"}, {0, nullptr}};

const struct soap_code_map kExceptionTypesCodes[] = {
    {0, "OK"}, {1, "GATEWAY_ERROR"}, {2, "INVALID_NUMBER"}, {3, "INVALID_REQUEST"},
    {4, "UNKNOWN"}, {5, "NO_TO"}, {6, "NO_USERNAME"}, {7, "NO_PASSWORD"},
    {8, "NO_TEXT"}, {9, "TOO_MANY_NUMBERS"}, {10, "INSUFFICIENT_CREDIT"}, {11, "LOGIN_INVALID"},
    {12, "INTERNAL_ERROR"}, {13, "PARAMETER_MISSING"}, {14, "PARAMETER_INVALID"}, {15, "ACCOUNT_EXISTS"},
    {16, "NO_MSGID"}, {17, "MSGID_INVALID"}, {18, "DAILY_ALLOWANCE_EXCEEDED"},
    {19, "MONTHLY_ALLOWANCE_EXCEEDED"}, {20, "AUTH_PARAMETER_MISSING"}, {21, "AUTH_PARAMETER_INVALID"},
    {22, "CONNECTION_NOT_SECURE"}, {23, "MFA_REQUIRED"}, {24, "DUPLICATE_NAME"},
    {25, "UPGRADE_CLIENTAPP"}, {0, nullptr}};

const struct soap_code_map kInterfacesCodes[] = {
    {0, "None"}, {1, "HTTP"}, {2, "SMTP"}, {3, "WebService"}, {4, "ZentavoSMSOutlookAddin"}, {0, nullptr}};

const struct soap_code_map kMessageTypesCodes[] = {
    {0, "Unknown"}, {1, "Text"}, {2, "Unicode"}, {3, "Binary"}, {4, "WAPPush"}, {0, nullptr}};

const struct soap_code_map kOATypesCodes[] = {
    {0, "Unspecified"}, {1, "UserDefined"}, {2, "DynamicRouting"}, {0, nullptr}};

const struct soap_code_map kRoutingTypesCodes[] = {
    {0, "Unknown"}, {1, "Default"}, {2, "MsgSource"}, {3, "Binding"}, {0, nullptr}};

const struct soap_code_map kStatusCodeFlagsCodes[] = {
    {1, "None"}, {2, "MessageSent"}, {4, "DeliverySuccess"}, {8, "DeliveryFailure"},
    {16, "MessageExpired"}, {32, "All"}, {0, nullptr}};

const char* EnumToText(struct soap* soap, const struct soap_code_map* codes, long n)
{
    const char* name = soap_code_str(codes, n);
    if (name)
        return name;
    return soap_long2s(soap, n);
}

// A decimal number as the service's older runtime read it: leading blanks
// skipped, an empty text is 0, anything after the digits is a type error.
int TextToLong(struct soap* soap, const char* s, long* n)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(s, &end, 10);
    if (*end || errno == ERANGE)
        return soap->error = SOAP_TYPE;
    *n = value;
    return SOAP_OK;
}

template <class E>
int TextToEnum(struct soap* soap, const char* s, E* a, const struct soap_code_map* codes, unsigned long largest)
{
    if (!s)
        return soap->error;
    if (const struct soap_code_map* code = soap_code(codes, s))
    {
        *a = static_cast<E>(code->code);
        return SOAP_OK;
    }
    long n = 0;
    if (TextToLong(soap, s, &n))
        return soap->error;
    if ((soap->mode & SOAP_XML_STRICT) && static_cast<unsigned long>(n) > largest)
        return soap->error = SOAP_TYPE;
    *a = static_cast<E>(n);
    return SOAP_OK;
}

// Registers a pointer in the context's pointer table and tells whether it
// was there already (or is null): 1 means there is nothing more to mark.
// Marks are kept in literal messages too, where they never produce ids.
int Reference(struct soap* soap, const void* p, int t)
{
    if (!p || (soap->mode & SOAP_XML_TREE))
        return 1;
    struct soap_plist* pp = nullptr;
    if (soap_pointer_lookup(soap, p, t, &pp))
    {
        if (pp->mark1 == 0)
        {
            pp->mark1 = 2;
            pp->mark2 = 2;
        }
    }
    else if (!soap_pointer_enter(soap, p, nullptr, 0, t, &pp))
    {
        return 1;
    }
    return pp->mark1;
}

template <class T>
void MarkObject(struct soap* soap, const T* p, int t)
{
    if (!Reference(soap, p, t))
        p->soap_serialize(soap);
}

struct MarkVisitor
{
    struct soap* soap;

    void String(const char*, std::wstring* p) { Reference(soap, p, SOAP_TYPE_std__wstring); }
    void Int(const char*, int&) {}
    template <class E> void Enum(const char*, E&) {}
    void Time(const char*, time_t& t) { soap_embedded(soap, &t, SOAP_TYPE_time); }
    void TimePointer(const char*, time_t* p) { Reference(soap, p, SOAP_TYPE_time); }
    template <class C> void Object(const char*, C* p)
    {
        if (p)
            MarkObject(soap, p, p->soap_type());
    }
};

// Writes an object as an element with an id (the id is 0 in literal
// messages), then the multi-reference pass.
template <class T>
int PutObject(struct soap* soap, const T* a, const char* tag, const char* defaultTag, const char* type)
{
    const int id = soap_embed(soap, a, nullptr, 0, a->soap_type());
    if (a->soap_out(soap, tag && *tag ? tag : defaultTag, id, type))
        return soap->error;
    return soap_putindependent(soap);
}

template <class T>
T* GetResolved(struct soap* soap, T* p)
{
    if (p && soap_getindependent(soap))
        return nullptr;
    return p;
}

template <class T>
T* Instantiate(struct soap* soap, int typeId, int n, size_t* size)
{
    struct soap_clist* cp = soap_link(soap, typeId, n, soap_fdelete);
    if (!cp && n != SOAP_NO_LINK_TO_DELETE)
        return nullptr;
    T* p = nullptr;
    size_t bytes = sizeof(T);
    if (n < 0)
    {
        p = new (std::nothrow) T;
        if (p)
            p->soap = soap;
    }
    else
    {
        p = new (std::nothrow) T[n];
        bytes *= static_cast<size_t>(n);
        for (int i = 0; p && i < n; ++i)
            p[i].soap = soap;
    }
    if (size)
        *size = bytes;
    if (!p)
        soap->error = SOAP_EOM;
    else if (cp)
        cp->ptr = p;
    return p;
}

// Plain types: no back pointer to set.
template <class T>
T* InstantiatePlain(struct soap* soap, int typeId, int n, size_t* size)
{
    struct soap_clist* cp = soap_link(soap, typeId, n, soap_fdelete);
    if (!cp && n != SOAP_NO_LINK_TO_DELETE)
        return nullptr;
    T* p = nullptr;
    size_t bytes = sizeof(T);
    if (n < 0)
    {
        p = new (std::nothrow) T();
    }
    else
    {
        p = new (std::nothrow) T[n]();
        bytes *= static_cast<size_t>(n);
    }
    if (size)
        *size = bytes;
    if (!p)
        soap->error = SOAP_EOM;
    else if (cp)
        cp->ptr = p;
    return p;
}

template <class T>
void Delete(const struct soap_clist* p)
{
    if (p->size < 0)
        delete static_cast<T*>(p->ptr);
    else
        delete[] static_cast<T*>(p->ptr);
}

} // namespace

// Enumerations to text.

const char* soap_ns1__BulkJobStatus2s(struct soap* soap, enum ns1__BulkJobStatus n)
{
    return EnumToText(soap, kBulkJobStatusCodes, n);
}

const char* soap_ns1__ExceptionTypes2s(struct soap* soap, enum ns1__ExceptionTypes n)
{
    return EnumToText(soap, kExceptionTypesCodes, n);
}

const char* soap_ns1__Interfaces2s(struct soap* soap, enum ns1__Interfaces n)
{
    return EnumToText(soap, kInterfacesCodes, n);
}

const char* soap_ns1__MessageTypes2s(struct soap* soap, enum ns1__MessageTypes n)
{
    return EnumToText(soap, kMessageTypesCodes, n);
}

const char* soap_ns1__OATypes2s(struct soap* soap, enum ns1__OATypes n)
{
    return EnumToText(soap, kOATypesCodes, n);
}

const char* soap_ns1__RoutingTypes2s(struct soap* soap, enum ns1__RoutingTypes n)
{
    return EnumToText(soap, kRoutingTypesCodes, n);
}

const char* soap_ns1__StatusCodeFlags2s(struct soap* soap, enum ns1__StatusCodeFlags n)
{
    return soap_code_list(soap, kStatusCodeFlagsCodes, n);
}

// Text to enumerations.

int soap_s2ns1__BulkJobStatus(struct soap* soap, const char* s, enum ns1__BulkJobStatus* a)
{
    return TextToEnum(soap, s, a, kBulkJobStatusCodes, 6);
}

int soap_s2ns1__ExceptionTypes(struct soap* soap, const char* s, enum ns1__ExceptionTypes* a)
{
    return TextToEnum(soap, s, a, kExceptionTypesCodes, 25);
}

int soap_s2ns1__Interfaces(struct soap* soap, const char* s, enum ns1__Interfaces* a)
{
    return TextToEnum(soap, s, a, kInterfacesCodes, 4);
}

int soap_s2ns1__MessageTypes(struct soap* soap, const char* s, enum ns1__MessageTypes* a)
{
    return TextToEnum(soap, s, a, kMessageTypesCodes, 4);
}

int soap_s2ns1__OATypes(struct soap* soap, const char* s, enum ns1__OATypes* a)
{
    return TextToEnum(soap, s, a, kOATypesCodes, 2);
}

int soap_s2ns1__RoutingTypes(struct soap* soap, const char* s, enum ns1__RoutingTypes* a)
{
    return TextToEnum(soap, s, a, kRoutingTypesCodes, 3);
}

int soap_s2ns1__StatusCodeFlags(struct soap*, const char* s, enum ns1__StatusCodeFlags* a)
{
    *a = static_cast<enum ns1__StatusCodeFlags>(soap_code_bits(kStatusCodeFlagsCodes, s));
    return SOAP_OK;
}

// Marking.

void soap_serialize_PointerTostd__wstring(struct soap* soap, std::wstring* const* a)
{
    Reference(soap, *a, SOAP_TYPE_std__wstring);
}

void soap_serialize_PointerTotime(struct soap* soap, time_t* const* a)
{
    Reference(soap, *a, SOAP_TYPE_time);
}

// Per class: the virtual marking, writing and reading with ids, and the free
// families over the class and its pointer type.
#define BULKJOB_DEFINE_CLASS_SERIALIZERS(T)                                                         \
    void T::soap_serialize(struct soap* soap) const                                                 \
    {                                                                                               \
        MarkVisitor visitor{soap};                                                                  \
        BulkJobMembers::Visit(const_cast<T&>(*this), visitor);                                      \
    }                                                                                               \
    int T::soap_put(struct soap* soap, const char* tag, const char* type) const                     \
    {                                                                                               \
        return PutObject(soap, this, tag, kDefaultTag_##T, type);                                   \
    }                                                                                               \
    void* T::soap_get(struct soap* soap, const char* tag, const char* type)                         \
    {                                                                                               \
        return soap_get_##T(soap, this, tag, type);                                                 \
    }                                                                                               \
    void soap_serialize_PointerTo##T(struct soap* soap, T* const* a)                                \
    {                                                                                               \
        if (!Reference(soap, *a, SOAP_TYPE_##T))                                                    \
            (*a)->soap_serialize(soap);                                                             \
    }                                                                                               \
    int soap_put_##T(struct soap* soap, const T* a, const char* tag, const char* type)              \
    {                                                                                               \
        const int id = soap_embed(soap, a, nullptr, 0, SOAP_TYPE_##T);                             \
        if (soap_out_##T(soap, tag && *tag ? tag : kDefaultTag_##T, id, a, type))                   \
            return soap->error;                                                                     \
        return soap_putindependent(soap);                                                           \
    }                                                                                               \
    T* soap_get_##T(struct soap* soap, T* p, const char* tag, const char* type)                     \
    {                                                                                               \
        return GetResolved(soap, soap_in_##T(soap, tag, p, type));                                  \
    }                                                                                               \
    int soap_put_PointerTo##T(struct soap* soap, T* const* a, const char* tag, const char* type)    \
    {                                                                                               \
        const int id = soap_embed(soap, a, nullptr, 0, SOAP_TYPE_PointerTo##T);                     \
        if (soap_out_PointerTo##T(soap, tag && *tag ? tag : kDefaultTag_##T, id, a, type))          \
            return soap->error;                                                                     \
        return soap_putindependent(soap);                                                           \
    }                                                                                               \
    T** soap_get_PointerTo##T(struct soap* soap, T** p, const char* tag, const char* type)          \
    {                                                                                               \
        return GetResolved(soap, soap_in_PointerTo##T(soap, tag, p, type));                         \
    }                                                                                               \
    void soap_copy_##T(struct soap*, int, int, void* p, size_t, const void* q, size_t)              \
    {                                                                                               \
        *static_cast<T*>(p) = *static_cast<const T*>(q);                                            \
    }

#define BULKJOB_DEFAULT_TAG(T, tag) const char* const kDefaultTag_##T = tag;

namespace
{
BULKJOB_DEFAULT_TAG(ns1__AuthenticationCredentials, "ns1:AuthenticationCredentials")
BULKJOB_DEFAULT_TAG(ns1__AuthenticationCredentialsAccessKeyAndSecretKey, "ns1:AuthenticationCredentialsAccessKeyAndSecretKey")
BULKJOB_DEFAULT_TAG(ns1__Message, "ns1:Message")
BULKJOB_DEFAULT_TAG(ns1__TextMessage, "ns1:TextMessage")
BULKJOB_DEFAULT_TAG(ns1__ReportingSettings, "ns1:ReportingSettings")
BULKJOB_DEFAULT_TAG(ns1__InterfaceEndPoint, "ns1:InterfaceEndPoint")
BULKJOB_DEFAULT_TAG(ns1__ClientDetails, "ns1:ClientDetails")
BULKJOB_DEFAULT_TAG(ns1__BulkJobDetails, "ns1:BulkJobDetails")
#define BULKJOB_OPERATION_DEFAULT_TAGS(Op)                           \
    BULKJOB_DEFAULT_TAG(ns1__##Op##Input, "ns1:" #Op "Input")        \
    BULKJOB_DEFAULT_TAG(ns1__##Op##Output, "ns1:" #Op "Output")      \
    BULKJOB_DEFAULT_TAG(_ns1__##Op, "ns1:" #Op)                      \
    BULKJOB_DEFAULT_TAG(_ns1__##Op##Response, "ns1:" #Op "Response")
BULKJOB_FOR_EACH_OPERATION(BULKJOB_OPERATION_DEFAULT_TAGS)
} // namespace

BULKJOB_FOR_EACH_CLASS(BULKJOB_DEFINE_CLASS_SERIALIZERS)

// Operation structures: their tag is the operation behind "-ns2:" or "-ns3:",
// which writes no element of its own; no id and no independent pass.
#define BULKJOB_DEFINE_OPERATION_SERIALIZERS(Op, ns)                                                          \
    void soap_serialize___##ns##__##Op(struct soap* soap, const struct __##ns##__##Op* a)                      \
    {                                                                                                          \
        soap_serialize_PointerTo_ns1__##Op(soap, &a->ns1__##Op);                                               \
    }                                                                                                          \
    int soap_put___##ns##__##Op(struct soap* soap, const struct __##ns##__##Op* a, const char* tag, const char* type) \
    {                                                                                                          \
        return soap_out___##ns##__##Op(soap, tag && *tag ? tag : "-" #ns ":" #Op, -2, a, type);                \
    }                                                                                                          \
    struct __##ns##__##Op* soap_instantiate___##ns##__##Op(struct soap* soap, int n, const char*, const char*, size_t* size) \
    {                                                                                                          \
        return InstantiatePlain<struct __##ns##__##Op>(soap, SOAP_TYPE___##ns##__##Op, n, size);               \
    }                                                                                                          \
    void soap_copy___##ns##__##Op(struct soap*, int, int, void* p, size_t, const void* q, size_t)             \
    {                                                                                                          \
        *static_cast<struct __##ns##__##Op*>(p) = *static_cast<const struct __##ns##__##Op*>(q);               \
    }

#define BULKJOB_DEFINE_BOTH_OPERATION_SERIALIZERS(Op) \
    BULKJOB_DEFINE_OPERATION_SERIALIZERS(Op, ns2)     \
    BULKJOB_DEFINE_OPERATION_SERIALIZERS(Op, ns3)

BULKJOB_FOR_EACH_OPERATION(BULKJOB_DEFINE_BOTH_OPERATION_SERIALIZERS)

// Allocation.

ns1__AuthenticationCredentials* soap_instantiate_ns1__AuthenticationCredentials(
    struct soap* soap, int n, const char* type, const char* arrayType, size_t* size)
{
    if (soap && type && *type && !soap_match_tag(soap, type, "ns1:AuthenticationCredentialsAccessKeyAndSecretKey"))
        return soap_instantiate_ns1__AuthenticationCredentialsAccessKeyAndSecretKey(soap, n, nullptr, arrayType, size);
    return Instantiate<ns1__AuthenticationCredentials>(soap, SOAP_TYPE_ns1__AuthenticationCredentials, n, size);
}

ns1__Message* soap_instantiate_ns1__Message(struct soap* soap, int n, const char* type, const char* arrayType, size_t* size)
{
    if (soap && type && *type && !soap_match_tag(soap, type, "ns1:TextMessage"))
        return soap_instantiate_ns1__TextMessage(soap, n, nullptr, arrayType, size);
    return Instantiate<ns1__Message>(soap, SOAP_TYPE_ns1__Message, n, size);
}

#define BULKJOB_DEFINE_PLAIN_INSTANTIATE(T)                                                          \
    T* soap_instantiate_##T(struct soap* soap, int n, const char*, const char*, size_t* size)       \
    {                                                                                                \
        return Instantiate<T>(soap, SOAP_TYPE_##T, n, size);                                         \
    }

BULKJOB_DEFINE_PLAIN_INSTANTIATE(ns1__AuthenticationCredentialsAccessKeyAndSecretKey)
BULKJOB_DEFINE_PLAIN_INSTANTIATE(ns1__TextMessage)
BULKJOB_DEFINE_PLAIN_INSTANTIATE(ns1__ReportingSettings)
BULKJOB_DEFINE_PLAIN_INSTANTIATE(ns1__InterfaceEndPoint)
BULKJOB_DEFINE_PLAIN_INSTANTIATE(ns1__ClientDetails)
BULKJOB_DEFINE_PLAIN_INSTANTIATE(ns1__BulkJobDetails)
#define BULKJOB_DEFINE_OPERATION_INSTANTIATES(Op)        \
    BULKJOB_DEFINE_PLAIN_INSTANTIATE(ns1__##Op##Input)   \
    BULKJOB_DEFINE_PLAIN_INSTANTIATE(ns1__##Op##Output)  \
    BULKJOB_DEFINE_PLAIN_INSTANTIATE(_ns1__##Op)         \
    BULKJOB_DEFINE_PLAIN_INSTANTIATE(_ns1__##Op##Response)
BULKJOB_FOR_EACH_OPERATION(BULKJOB_DEFINE_OPERATION_INSTANTIATES)

std::wstring* soap_instantiate_std__wstring(struct soap* soap, int n, const char*, const char*, size_t* size)
{
    return InstantiatePlain<std::wstring>(soap, SOAP_TYPE_std__wstring, n, size);
}

void soap_copy_std__wstring(struct soap*, int, int, void* p, size_t, const void* q, size_t)
{
    *static_cast<std::wstring*>(p) = *static_cast<const std::wstring*>(q);
}

void* soap_instantiate(struct soap* soap, int t, const char* type, const char* arrayType, size_t* n)
{
    switch (t)
    {
#define BULKJOB_INSTANTIATE_CASE(T) \
    case SOAP_TYPE_##T:             \
        return soap_instantiate_##T(soap, -1, type, arrayType, n);
        BULKJOB_FOR_EACH_CLASS(BULKJOB_INSTANTIATE_CASE)
#define BULKJOB_INSTANTIATE_OPERATION_CASES(Op) \
    BULKJOB_INSTANTIATE_CASE(__ns2__##Op)       \
    BULKJOB_INSTANTIATE_CASE(__ns3__##Op)
        BULKJOB_FOR_EACH_OPERATION(BULKJOB_INSTANTIATE_OPERATION_CASES)
        BULKJOB_INSTANTIATE_CASE(std__wstring)
#undef BULKJOB_INSTANTIATE_OPERATION_CASES
#undef BULKJOB_INSTANTIATE_CASE
    default:
        return nullptr;
    }
}

// Deletion, by the entry's type identifier.
int soap_fdelete(struct soap*, struct soap_clist* p)
{
    switch (p->type)
    {
#define BULKJOB_DELETE_CASE(T) \
    case SOAP_TYPE_##T:        \
        Delete<T>(p);          \
        break;
        BULKJOB_FOR_EACH_CLASS(BULKJOB_DELETE_CASE)
#define BULKJOB_DELETE_OPERATION_CASES(Op) \
    BULKJOB_DELETE_CASE(__ns2__##Op)       \
    BULKJOB_DELETE_CASE(__ns3__##Op)
        BULKJOB_FOR_EACH_OPERATION(BULKJOB_DELETE_OPERATION_CASES)
    case SOAP_TYPE_std__wstring:
        Delete<std::wstring>(p);
        break;
#undef BULKJOB_DELETE_OPERATION_CASES
#undef BULKJOB_DELETE_CASE
    default:
        return SOAP_ERR;
    }
    return SOAP_OK;
}

int soap_fbase(int t, int tt)
{
    for (;;)
    {
        if (t == tt)
            return 1;
        switch (t)
        {
        case SOAP_TYPE_ns1__AuthenticationCredentialsAccessKeyAndSecretKey:
            t = SOAP_TYPE_ns1__AuthenticationCredentials;
            break;
        case SOAP_TYPE_ns1__TextMessage:
            t = SOAP_TYPE_ns1__Message;
            break;
        default:
            return 0;
        }
    }
}

void soap_finsert(struct soap* soap, int t, int tt, void* p, size_t index, const void* q, void**)
{
    switch (tt)
    {
#define BULKJOB_COPY_CASE(T)                                   \
    case SOAP_TYPE_##T:                                        \
        soap_copy_##T(soap, t, tt, p, index, q, sizeof(T));    \
        break;
        BULKJOB_FOR_EACH_CLASS(BULKJOB_COPY_CASE)
#undef BULKJOB_COPY_CASE
    case SOAP_TYPE_std__wstring:
        soap_copy_std__wstring(soap, t, tt, p, index, q, sizeof(std::wstring));
        break;
    default:
        break;
    }
}

// Identity glue.

void* soap_class_id_enter(struct soap* soap, const char* id, void* p, int t, size_t n, const char* type, const char* arrayType)
{
    return soap_id_enter(soap, id, p, t, n, type, arrayType, soap_instantiate, soap_fbase);
}

void* soap_container_id_forward(struct soap* soap, const char* href, void* p, size_t len, int st, int tt, size_t n, unsigned int k)
{
    return soap_id_forward(soap, href, p, len, st, tt, n, k, soap_finsert, soap_fbase);
}

void soap_container_insert(struct soap*, int, int, void*, size_t, const void*, size_t)
{
    // No member is a container.
}

// Multi-reference passes.

int soap_putindependent(struct soap* soap)
{
    if (soap->version == 1 && soap->encodingStyle && !(soap->mode & (SOAP_XML_TREE | SOAP_XML_GRAPH)))
    {
        for (int i = 0; i < SOAP_PTRHASH; ++i)
        {
            for (struct soap_plist* pp = soap->pht[i]; pp; pp = pp->next)
            {
                if ((pp->mark1 == 2 || pp->mark2 == 2) && soap_putelement(soap, pp->ptr, "id", pp->id, pp->type))
                    return soap->error;
            }
        }
    }
    return SOAP_OK;
}

int soap_getindependent(struct soap* soap)
{
    if (soap->version == 1)
    {
        for (;;)
        {
            int t = 0;
            if (!soap_getelement(soap, nullptr, &t))
            {
                if ((soap->error && soap->error != SOAP_TAG_MISMATCH) || soap_ignore_element(soap))
                    break;
            }
        }
    }
    if (soap->error == SOAP_NO_TAG || soap->error == SOAP_EOF)
        soap->error = SOAP_OK;
    return soap->error;
}

int soap_ignore_element(struct soap* soap)
{
    if (soap_peek_element(soap))
        return soap->error;
    if (soap->mustUnderstand && !soap->other)
        return soap->error = SOAP_MUSTUNDERSTAND;
    if (((soap->mode & SOAP_XML_STRICT) && soap->part != SOAP_IN_HEADER) || !soap_match_tag(soap, soap->tag, "SOAP-ENV:"))
        return soap->error = SOAP_TAG_MISMATCH;
    // Every way down leads back here: an element with an id is read by its
    // type, whose readers skip its unknown children through this function.
    // So the level is bounded here, before the element is taken either way.
    if (soap->level >= kBulkJobMaxElementLevel || soap->level >= soap->maxlevel)
        return soap->error = SOAP_LEVEL;
    if (*soap->id)
    {
        const unsigned int level = soap->level;
        int t = 0;
        if (soap_getelement(soap, nullptr, &t))
            return soap->error;
        // A read by type that took the element's start and then failed has
        // left the input somewhere inside it: nothing can be skipped from
        // there. Only an element of no known type is still waiting.
        if (soap->level != level || !soap->peeked)
            return soap->error ? soap->error : (soap->error = SOAP_SYNTAX_ERROR);
    }
    soap->peeked = 0;
    soap->error = soap->fignore ? soap->fignore(soap, soap->tag) : SOAP_OK;
    if (!soap->error && soap->body)
    {
        ++soap->level;
        while (!soap_ignore_element(soap))
        {
        }
        if (soap->error == SOAP_NO_TAG)
            soap->error = soap_element_end_in(soap, nullptr);
    }
    return soap->error;
}
