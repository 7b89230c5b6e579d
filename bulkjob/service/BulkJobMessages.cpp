#include "bulkjob/service/BulkJobMessages.h"

#include "bulkjob/service/BulkJobMembers.h"

// Construction calls the class's own soap_default directly (not through the
// virtual slot), so that a base constructor never reaches a derived member.
#define BULKJOB_DEFINE_CLASS_BASICS(T)            \
    T::T()                                        \
    {                                             \
        T::soap_default(nullptr);                 \
    }                                             \
    T::~T() = default;                            \
    int T::soap_type() const                      \
    {                                             \
        return SOAP_TYPE_##T;                     \
    }                                             \
    void T::soap_default(struct soap* soap)       \
    {                                             \
        this->soap = soap;                        \
        BulkJobMembers::DefaultVisitor visitor;   \
        BulkJobMembers::Visit(*this, visitor);    \
    }

BULKJOB_FOR_EACH_CLASS(BULKJOB_DEFINE_CLASS_BASICS)

void soap_default_int(struct soap*, int* a)
{
    *a = 0;
}

void soap_default_byte(struct soap*, char* a)
{
    *a = 0;
}

void soap_default_time(struct soap*, time_t* a)
{
    *a = 0;
}

void soap_default_std__wstring(struct soap*, std::wstring* a)
{
    a->clear();
}

#define BULKJOB_DEFINE_ENUM_DEFAULT(E)                 \
    void soap_default_##E(struct soap*, enum E* a)     \
    {                                                  \
        *a = static_cast<enum E>(0);                   \
    }

BULKJOB_DEFINE_ENUM_DEFAULT(ns1__BulkJobStatus)
BULKJOB_DEFINE_ENUM_DEFAULT(ns1__ExceptionTypes)
BULKJOB_DEFINE_ENUM_DEFAULT(ns1__Interfaces)
BULKJOB_DEFINE_ENUM_DEFAULT(ns1__MessageTypes)
BULKJOB_DEFINE_ENUM_DEFAULT(ns1__OATypes)
BULKJOB_DEFINE_ENUM_DEFAULT(ns1__RoutingTypes)
BULKJOB_DEFINE_ENUM_DEFAULT(ns1__StatusCodeFlags)

#define BULKJOB_DEFINE_OPERATION_STRUCT_DEFAULTS(Op)                    \
    void soap_default___ns2__##Op(struct soap*, struct __ns2__##Op* a)  \
    {                                                                   \
        a->ns1__##Op = nullptr;                                         \
    }                                                                   \
    void soap_default___ns3__##Op(struct soap*, struct __ns3__##Op* a)  \
    {                                                                   \
        a->ns1__##Op = nullptr;                                         \
    }

BULKJOB_FOR_EACH_OPERATION(BULKJOB_DEFINE_OPERATION_STRUCT_DEFAULTS)
