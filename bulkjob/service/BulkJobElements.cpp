#include "bulkjob/service/BulkJobElements.h"

#include "bulkjob/service/BulkJobMembers.h"
#include "bulkjob/service/BulkJobSerializers.h"
#include "core/DateTimeUtils.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

const char* const kBulkJobServiceNamespace = "http://www.zentavosms.com/api/webservices/";

// The runtime declares every entry on the envelope, in this order. Input
// accepts the schema namespaces of any year.
struct Namespace bulkjob_namespaces[] = {
    {"SOAP-ENV", "http://www.w3.org/2003/05/soap-envelope", "http://www.w3.org/2003/05/soap-envelope", nullptr},
    {"SOAP-ENC", "http://www.w3.org/2003/05/soap-encoding", "http://www.w3.org/2003/05/soap-encoding", nullptr},
    {"xsi", "http://www.w3.org/2001/XMLSchema-instance", "http://www.w3.org/*/XMLSchema-instance", nullptr},
    {"xsd", "http://www.w3.org/2001/XMLSchema", "http://www.w3.org/*/XMLSchema", nullptr},
    {"ns2", "http://www.zentavosms.com/api/webservices/ZentavoBulkJobSoap", nullptr, nullptr},
    {"ns1", "http://www.zentavosms.com/api/webservices/", nullptr, nullptr},
    {"ns3", "http://www.zentavosms.com/api/webservices/ZentavoBulkJobSoap12", nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr}};

namespace
{

// Writes a pointer member: nothing for a null pointer, else the object
// through its virtual writer, so that a derived object names its own type.
template <class T>
int WritePointer(struct soap* soap, const char* tag, int id, T* const* a, const char* type, int typeId)
{
    id = soap_element_id(soap, tag, id, *a, nullptr, 0, type, typeId, nullptr);
    if (id < 0)
        return soap->error;
    return (*a)->soap_out(soap, tag, id, type);
}

inline int WriteEnum(struct soap* soap, const char* tag, const enum ns1__BulkJobStatus* a) { return soap_out_ns1__BulkJobStatus(soap, tag, -1, a, ""); }
inline int WriteEnum(struct soap* soap, const char* tag, const enum ns1__ExceptionTypes* a) { return soap_out_ns1__ExceptionTypes(soap, tag, -1, a, ""); }
inline int WriteEnum(struct soap* soap, const char* tag, const enum ns1__Interfaces* a) { return soap_out_ns1__Interfaces(soap, tag, -1, a, ""); }
inline int WriteEnum(struct soap* soap, const char* tag, const enum ns1__MessageTypes* a) { return soap_out_ns1__MessageTypes(soap, tag, -1, a, ""); }
inline int WriteEnum(struct soap* soap, const char* tag, const enum ns1__OATypes* a) { return soap_out_ns1__OATypes(soap, tag, -1, a, ""); }
inline int WriteEnum(struct soap* soap, const char* tag, const enum ns1__RoutingTypes* a) { return soap_out_ns1__RoutingTypes(soap, tag, -1, a, ""); }
inline int WriteEnum(struct soap* soap, const char* tag, const enum ns1__StatusCodeFlags* a) { return soap_out_ns1__StatusCodeFlags(soap, tag, -1, a, ""); }

inline enum ns1__BulkJobStatus* ReadEnum(struct soap* soap, const char* tag, enum ns1__BulkJobStatus* a) { return soap_in_ns1__BulkJobStatus(soap, tag, a, "ns1:BulkJobStatus"); }
inline enum ns1__ExceptionTypes* ReadEnum(struct soap* soap, const char* tag, enum ns1__ExceptionTypes* a) { return soap_in_ns1__ExceptionTypes(soap, tag, a, "ns1:ExceptionTypes"); }
inline enum ns1__Interfaces* ReadEnum(struct soap* soap, const char* tag, enum ns1__Interfaces* a) { return soap_in_ns1__Interfaces(soap, tag, a, "ns1:Interfaces"); }
inline enum ns1__MessageTypes* ReadEnum(struct soap* soap, const char* tag, enum ns1__MessageTypes* a) { return soap_in_ns1__MessageTypes(soap, tag, a, "ns1:MessageTypes"); }
inline enum ns1__OATypes* ReadEnum(struct soap* soap, const char* tag, enum ns1__OATypes* a) { return soap_in_ns1__OATypes(soap, tag, a, "ns1:OATypes"); }
inline enum ns1__RoutingTypes* ReadEnum(struct soap* soap, const char* tag, enum ns1__RoutingTypes* a) { return soap_in_ns1__RoutingTypes(soap, tag, a, "ns1:RoutingTypes"); }
inline enum ns1__StatusCodeFlags* ReadEnum(struct soap* soap, const char* tag, enum ns1__StatusCodeFlags* a) { return soap_in_ns1__StatusCodeFlags(soap, tag, a, "ns1:StatusCodeFlags"); }

// Class pointers by their declared pointee.
#define BULKJOB_READ_POINTER(T)                                                    \
    inline T** ReadPointer(struct soap* soap, const char* tag, T** a)              \
    {                                                                              \
        return soap_in_PointerTo##T(soap, tag, a, "");                             \
    }
BULKJOB_FOR_EACH_CLASS(BULKJOB_READ_POINTER)
#undef BULKJOB_READ_POINTER

// Writes the members in schema order and stops at the first failure.
struct OutVisitor
{
    struct soap* soap;
    bool failed = false;

    void String(const char* tag, std::wstring* p)
    {
        failed = failed || soap_out_PointerTostd__wstring(soap, tag, -1, &p, "");
    }
    void Int(const char* tag, int& n) { failed = failed || soap_out_int(soap, tag, -1, &n, ""); }
    template <class E> void Enum(const char* tag, E& e) { failed = failed || WriteEnum(soap, tag, &e); }
    void Time(const char* tag, time_t& t) { failed = failed || soap_out_time(soap, tag, -1, &t, ""); }
    void TimePointer(const char* tag, time_t* p)
    {
        failed = failed || soap_out_PointerTotime(soap, tag, -1, &p, "");
    }
    template <class C> void Object(const char* tag, C* p)
    {
        failed = failed || (p && WritePointer(soap, tag, -1, &p, "", p->soap_type()));
    }
};

// One pass over the members for the next child element: the first member
// not yet read whose tag matches takes it. Leaves SOAP_TAG_MISMATCH when none
// does, SOAP_OK after a read, any other error as the failed read left it.
struct InVisitor
{
    struct soap* soap;
    unsigned int index = 0;
    unsigned int done = 0;

    bool Wanted()
    {
        const unsigned int bit = 1u << index++;
        return !(done & bit) && soap->error == SOAP_TAG_MISMATCH;
    }
    void Took(bool read)
    {
        if (read)
            done |= 1u << (index - 1);
    }

    void String(const char* tag, std::wstring*& p)
    {
        if (Wanted())
            Took(soap_in_PointerTostd__wstring(soap, tag, &p, "xsd:string") != nullptr);
    }
    void Int(const char* tag, int& n)
    {
        if (Wanted())
            Took(soap_in_int(soap, tag, &n, "xsd:int") != nullptr);
    }
    template <class E> void Enum(const char* tag, E& e)
    {
        if (Wanted())
            Took(ReadEnum(soap, tag, &e) != nullptr);
    }
    void Time(const char* tag, time_t& t)
    {
        if (Wanted())
            Took(soap_in_time(soap, tag, &t, "xsd:dateTime") != nullptr);
    }
    void TimePointer(const char* tag, time_t*& p)
    {
        if (Wanted())
            Took(soap_in_PointerTotime(soap, tag, &p, "xsd:dateTime") != nullptr);
    }
    template <class C> void Object(const char* tag, C*& p)
    {
        if (Wanted())
            Took(ReadPointer(soap, tag, &p) != nullptr);
    }
};

template <class T>
int WriteObject(struct soap* soap, const char* tag, int id, const T* a, const char* type, int typeId)
{
    if (soap_element_begin_out(soap, tag, soap_embedded_id(soap, id, a, typeId), type))
        return soap->error;
    OutVisitor visitor{soap};
    BulkJobMembers::Visit(const_cast<T&>(*a), visitor);
    if (visitor.failed)
        return soap->error;
    return soap_element_end_out(soap, tag);
}

// Reads one element of class T into a, or into a new object when a is null
// (of a derived class when the element's xsi:type names one).
template <class T>
T* ReadObject(struct soap* soap, const char* tag, T* a, const char* type, int typeId)
{
    if (soap_element_begin_in(soap, tag, 0, nullptr))
        return nullptr;
    a = static_cast<T*>(soap_class_id_enter(soap, soap->id, a, typeId, sizeof(T), soap->type, soap->arrayType));
    if (!a)
        return nullptr;
    if (soap->alloced && soap->alloced != typeId)
    {
        soap_revert(soap);
        *soap->id = '\0';
        return static_cast<T*>(a->soap_in(soap, tag, type));
    }
    if (soap->alloced)
        a->soap_default(soap);
    if (soap->body && *soap->href != '#')
    {
        InVisitor visitor{soap};
        for (;;)
        {
            soap->error = SOAP_TAG_MISMATCH;
            visitor.index = 0;
            BulkJobMembers::Visit(*a, visitor);
            if (soap->error == SOAP_TAG_MISMATCH)
                soap->error = soap_ignore_element(soap);
            if (soap->error == SOAP_NO_TAG)
                break;
            if (soap->error)
                return nullptr;
        }
        if (soap_element_end_in(soap, tag))
            return nullptr;
    }
    else
    {
        a = static_cast<T*>(soap_container_id_forward(soap, soap->href, a, 0, typeId, typeId, sizeof(T), 0));
        if (soap->body && soap_element_end_in(soap, tag))
            return nullptr;
    }
    return a;
}

// Reads a pointer member: a new object (its class chosen by xsi:type), or
// the object that an href names.
template <class T>
T** ReadObjectPointer(struct soap* soap, const char* tag, T** a, int typeId,
                      T* (*instantiate)(struct soap*, int, const char*, const char*, size_t*))
{
    if (soap_element_begin_in(soap, tag, 1, nullptr))
        return nullptr;
    if (!a && !(a = static_cast<T**>(soap_malloc(soap, sizeof(T*)))))
        return nullptr;
    *a = nullptr;
    if (!soap->null && *soap->href != '#')
    {
        soap_revert(soap);
        *a = instantiate(soap, -1, soap->type, soap->arrayType, nullptr);
        if (!*a)
            return nullptr;
        (*a)->soap_default(soap);
        if (!(*a)->soap_in(soap, tag, nullptr))
        {
            *a = nullptr;
            return nullptr;
        }
    }
    else
    {
        a = static_cast<T**>(soap_id_lookup(soap, soap->href, reinterpret_cast<void**>(a), typeId, sizeof(T), 0, soap_fbase));
        if (soap->body && soap_element_end_in(soap, tag))
            return nullptr;
    }
    return a;
}

// Simple values read from the element's text through a converter.
template <class V>
V* ReadSimple(struct soap* soap, const char* tag, V* a, const char* type, int typeId,
              int (*convert)(struct soap*, const char*, V*))
{
    if (soap_element_begin_in(soap, tag, 0, type))
        return nullptr;
    a = static_cast<V*>(soap_id_enter(soap, soap->id, a, typeId, sizeof(V), nullptr, nullptr, nullptr, nullptr));
    if (!a)
        return nullptr;
    if (*soap->href != '#')
    {
        const int error = convert(soap, soap_value(soap), a);
        if ((soap->body && soap_element_end_in(soap, tag)) || error)
            return nullptr;
    }
    else
    {
        a = static_cast<V*>(soap_id_forward(soap, soap->href, a, 0, typeId, typeId, sizeof(V), 0, nullptr, nullptr));
        if (soap->body && soap_element_end_in(soap, tag))
            return nullptr;
    }
    return a;
}

int WriteText(struct soap* soap, const char* tag, int id, const void* a, const char* type, int typeId, const char* text)
{
    if (soap_element_begin_out(soap, tag, soap_embedded_id(soap, id, a, typeId), type) ||
        soap_send(soap, text))
        return soap->error;
    return soap_element_end_out(soap, tag);
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long DaysFromCivil(long long year, unsigned int month, unsigned int day)
{
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const unsigned int yearOfEra = static_cast<unsigned int>(year - era * 400);
    const unsigned int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

bool ReadNumber(const char*& s, int minDigits, int maxDigits, int& value)
{
    int digits = 0;
    value = 0;
    while (*s >= '0' && *s <= '9' && digits < maxDigits)
    {
        value = value * 10 + (*s++ - '0');
        ++digits;
    }
    return digits >= minDigits;
}

bool Skip(const char*& s, char c)
{
    if (*s != c)
        return false;
    ++s;
    return true;
}

struct DateTimeFields
{
    int year, month, day, hour, minute, second;
    bool hasZone;
    int zoneMinutes; // east of UTC
};

// "YYYY-MM-DDThh:mm:ss" or "YYYYMMDDThhmmss", optional fraction, optional
// "Z" or +hh:mm / +hhmm.
bool ParseDateTime(const char* s, DateTimeFields& f)
{
    const bool separated = std::strchr(s, '-') && std::strchr(s, '-') < std::strchr(s, 'T');
    const int minField = separated ? 1 : 2;
    if (!ReadNumber(s, separated ? 4 : 4, separated ? 9 : 4, f.year) || (separated && !Skip(s, '-')) ||
        !ReadNumber(s, minField, 2, f.month) || (separated && !Skip(s, '-')) ||
        !ReadNumber(s, minField, 2, f.day) || !Skip(s, 'T') ||
        !ReadNumber(s, minField, 2, f.hour) || (separated && !Skip(s, ':')) ||
        !ReadNumber(s, minField, 2, f.minute) || (separated && !Skip(s, ':')) ||
        !ReadNumber(s, minField, 2, f.second))
        return false;
    if (*s == '.' || *s == ',')
    {
        ++s;
        while (*s >= '0' && *s <= '9')
            ++s;
    }
    f.hasZone = false;
    f.zoneMinutes = 0;
    if (Skip(s, 'Z'))
    {
        f.hasZone = true;
    }
    else if (*s == '+' || *s == '-')
    {
        const int sign = *s++ == '-' ? -1 : 1;
        int hours = 0, minutes = 0;
        if (!ReadNumber(s, 2, 2, hours))
            return false;
        Skip(s, ':');
        if (*s && !ReadNumber(s, 2, 2, minutes))
            return false;
        f.hasZone = true;
        f.zoneMinutes = sign * (hours * 60 + minutes);
    }
    return *s == '\0' && f.month >= 1 && f.month <= 12 && f.day >= 1 && f.day <= 31 && f.hour <= 23 &&
           f.minute <= 59 && f.second <= 60;
}

// Local wall-clock fields to seconds since 1970, through the current zone's
// rules at that date.
bool LocalFieldsToUnixTime(const DateTimeFields& f, time_t& result)
{
    if (f.year < 1601 || f.year > 30827)
        return false;
    SYSTEMTIME local = {};
    local.wYear = static_cast<WORD>(f.year);
    local.wMonth = static_cast<WORD>(f.month);
    local.wDay = static_cast<WORD>(f.day);
    local.wHour = static_cast<WORD>(f.hour);
    local.wMinute = static_cast<WORD>(f.minute);
    local.wSecond = static_cast<WORD>(f.second > 59 ? 59 : f.second);
    SYSTEMTIME utc = {};
    try
    {
        if (!IsTzSpecificLocalTimeToSystemTimeAvailable() ||
            !CallTzSpecificLocalTimeToSystemTime(nullptr, &local, &utc))
            return false;
    }
    catch (...)
    {
        return false;
    }
    std::int64_t seconds = 0;
    CDateTimeUtils::SystemTimeToUnixTime(utc, seconds);
    result = static_cast<time_t>(seconds + (f.second > 59 ? 1 : 0));
    return true;
}

// Text content as the runtime's soap_wstring_out writes it (UTF-8; "&",
// "<" and ">" escaped; tab and line feed as they are; other controls and
// U+0080..U+009F as hexadecimal references; a surrogate pair as one code
// point, a lone surrogate as itself), converted in runs of a local buffer:
// the runtime's writer sends each character on its own.
int SendTextContent(struct soap* soap, const wchar_t* s)
{
    // Room for the longest form of one character, a reference.
    constexpr size_t kLongest = 8;
    char run[kBulkJobTextRunBytes];
    size_t used = 0;
    for (; *s; ++s)
    {
        if (sizeof run - used < kLongest)
        {
            if (soap_send_raw(soap, run, used))
                return soap->error;
            used = 0;
        }
        char* out = run + used;
        unsigned long c = static_cast<unsigned long>(*s);
        if (c >= 0x20 && c < 0x80)
        {
            const char* escape = c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : nullptr;
            if (!escape)
            {
                *out = static_cast<char>(c);
                ++used;
                continue;
            }
            const size_t length = std::strlen(escape);
            std::memcpy(out, escape, length);
            used += length;
            continue;
        }
        if (c == 0x09 || c == 0x0A)
        {
            *out = static_cast<char>(c);
            ++used;
            continue;
        }
        if ((c & 0xFC00) == 0xD800 && (s[1] & 0xFC00) == 0xDC00)
        {
            c = ((c - 0xD800) << 10) + (static_cast<unsigned long>(*++s) - 0xDC00) + 0x10000;
        }
        if (c <= 0x9F)
        {
            used += static_cast<size_t>(std::snprintf(out, kLongest, "&#x%lX;", c));
        }
        else if (c < 0x800)
        {
            out[0] = static_cast<char>(0xC0 | (c >> 6));
            out[1] = static_cast<char>(0x80 | (c & 0x3F));
            used += 2;
        }
        else if (c < 0x10000)
        {
            out[0] = static_cast<char>(0xE0 | (c >> 12));
            out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out[2] = static_cast<char>(0x80 | (c & 0x3F));
            used += 3;
        }
        else
        {
            out[0] = static_cast<char>(0xF0 | (c >> 18));
            out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out[3] = static_cast<char>(0x80 | (c & 0x3F));
            used += 4;
        }
    }
    return soap_send_raw(soap, run, used);
}

} // namespace

// int

int soap_out_int(struct soap* soap, const char* tag, int id, const int* a, const char* type)
{
    return soap_outint(soap, tag, id, a, type, SOAP_TYPE_int);
}

int* soap_in_int(struct soap* soap, const char* tag, int* a, const char* type)
{
    return soap_inint(soap, tag, a, type, SOAP_TYPE_int);
}

// xsd:dateTime

const char* soap_bulkjob_dateTime2s(struct soap* soap, time_t n)
{
    struct tm fields = {};
    if (_gmtime64_s(&fields, &n) != 0)
        return "1969-12-31T23:59:59Z";
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(fields.tm_year + 1900);
    time.wMonth = static_cast<WORD>(fields.tm_mon + 1);
    time.wDay = static_cast<WORD>(fields.tm_mday);
    time.wHour = static_cast<WORD>(fields.tm_hour);
    time.wMinute = static_cast<WORD>(fields.tm_min);
    time.wSecond = static_cast<WORD>(fields.tm_sec);
    try
    {
        const std::string text = CDateTimeUtils::GetLocalTimeWithTimeZoneOffset(time);
        soap_strcpy(soap->tmpbuf, sizeof(soap->tmpbuf), text.c_str());
    }
    catch (...)
    {
        soap->error = SOAP_TYPE;
        return nullptr;
    }
    return soap->tmpbuf;
}

int soap_bulkjob_s2dateTime(struct soap* soap, const char* s, time_t* a)
{
    if (!s)
        return soap->error;
    DateTimeFields f = {};
    if (!ParseDateTime(s, f))
        return soap->error = SOAP_TYPE;
    if (!f.hasZone)
    {
        if (!LocalFieldsToUnixTime(f, *a))
            return soap->error = SOAP_TYPE;
        return SOAP_OK;
    }
    const long long days = DaysFromCivil(f.year, static_cast<unsigned int>(f.month), static_cast<unsigned int>(f.day));
    *a = static_cast<time_t>(days * 86400 + f.hour * 3600 + f.minute * 60 + f.second - f.zoneMinutes * 60LL);
    return SOAP_OK;
}

int soap_out_time(struct soap* soap, const char* tag, int id, const time_t* a, const char* type)
{
    const char* text = soap_bulkjob_dateTime2s(soap, *a);
    if (!text)
        return soap->error;
    return WriteText(soap, tag, id, a, type, SOAP_TYPE_time, text);
}

time_t* soap_in_time(struct soap* soap, const char* tag, time_t* a, const char* type)
{
    return ReadSimple(soap, tag, a, type, SOAP_TYPE_time, soap_bulkjob_s2dateTime);
}

int soap_out_PointerTotime(struct soap* soap, const char* tag, int id, time_t* const* a, const char* type)
{
    id = soap_element_id(soap, tag, id, *a, nullptr, 0, type, SOAP_TYPE_time, nullptr);
    if (id < 0)
        return soap->error;
    return soap_out_time(soap, tag, id, *a, type);
}

time_t** soap_in_PointerTotime(struct soap* soap, const char* tag, time_t** a, const char* type)
{
    if (soap_element_begin_in(soap, tag, 1, nullptr))
        return nullptr;
    if (!a && !(a = static_cast<time_t**>(soap_malloc(soap, sizeof(time_t*)))))
        return nullptr;
    *a = nullptr;
    if (!soap->null && *soap->href != '#')
    {
        soap_revert(soap);
        if (!(*a = soap_in_time(soap, tag, *a, type)))
            return nullptr;
    }
    else
    {
        a = static_cast<time_t**>(soap_id_lookup(soap, soap->href, reinterpret_cast<void**>(a), SOAP_TYPE_time, sizeof(time_t), 0, nullptr));
        if (soap->body && soap_element_end_in(soap, tag))
            return nullptr;
    }
    return a;
}

// std::wstring: UTF-8 on the wire; an empty string is an element without content.

int soap_out_std__wstring(struct soap* soap, const char* tag, int id, const std::wstring* a, const char* type)
{
    if (soap_element_begin_out(soap, tag, soap_embedded_id(soap, id, a, SOAP_TYPE_std__wstring), type))
        return soap->error;
    if (SendTextContent(soap, a->c_str()))
        return soap->error;
    return soap_element_end_out(soap, tag);
}

std::wstring* soap_in_std__wstring(struct soap* soap, const char* tag, std::wstring* a, const char* type)
{
    (void)type;
    if (soap_element_begin_in(soap, tag, 1, nullptr))
        return nullptr;
    a = static_cast<std::wstring*>(soap_class_id_enter(soap, soap->id, a, SOAP_TYPE_std__wstring, sizeof(std::wstring), soap->type, soap->arrayType));
    if (!a)
        return nullptr;
    if (soap->null)
        a->clear();
    if (soap->body && *soap->href != '#')
    {
        const wchar_t* text = soap_wstring_in(soap, 1, 0, -1, nullptr);
        if (!text)
            return nullptr;
        a->assign(text);
    }
    else
    {
        a = static_cast<std::wstring*>(soap_container_id_forward(soap, soap->href, a, 0, SOAP_TYPE_std__wstring, SOAP_TYPE_std__wstring, sizeof(std::wstring), 0));
        if (!a)
            return nullptr;
    }
    if (soap->body && soap_element_end_in(soap, tag))
        return nullptr;
    return a;
}

int soap_out_PointerTostd__wstring(struct soap* soap, const char* tag, int id, std::wstring* const* a, const char* type)
{
    id = soap_element_id(soap, tag, id, *a, nullptr, 0, type, SOAP_TYPE_std__wstring, nullptr);
    if (id < 0)
        return soap->error;
    return soap_out_std__wstring(soap, tag, id, *a, type);
}

std::wstring** soap_in_PointerTostd__wstring(struct soap* soap, const char* tag, std::wstring** a, const char* type)
{
    if (soap_element_begin_in(soap, tag, 1, nullptr))
        return nullptr;
    if (!a && !(a = static_cast<std::wstring**>(soap_malloc(soap, sizeof(std::wstring*)))))
        return nullptr;
    *a = nullptr;
    if (!soap->null && *soap->href != '#')
    {
        soap_revert(soap);
        if (!(*a = soap_in_std__wstring(soap, tag, *a, type)))
            return nullptr;
    }
    else
    {
        a = static_cast<std::wstring**>(soap_id_lookup(soap, soap->href, reinterpret_cast<void**>(a), SOAP_TYPE_std__wstring, sizeof(std::wstring), 0, soap_fbase));
        if (soap->body && soap_element_end_in(soap, tag))
            return nullptr;
    }
    return a;
}

// Enumerations: the name of the value, or the number.

#define BULKJOB_DEFINE_ENUM_ELEMENTS(E)                                                              \
    int soap_out_##E(struct soap* soap, const char* tag, int id, const enum E* a, const char* type) \
    {                                                                                                \
        return WriteText(soap, tag, id, a, type, SOAP_TYPE_##E, soap_##E##2s(soap, *a));             \
    }                                                                                                \
    enum E* soap_in_##E(struct soap* soap, const char* tag, enum E* a, const char* type)            \
    {                                                                                                \
        return ReadSimple(soap, tag, a, type, SOAP_TYPE_##E, soap_s2##E);                            \
    }

BULKJOB_DEFINE_ENUM_ELEMENTS(ns1__BulkJobStatus)
BULKJOB_DEFINE_ENUM_ELEMENTS(ns1__ExceptionTypes)
BULKJOB_DEFINE_ENUM_ELEMENTS(ns1__Interfaces)
BULKJOB_DEFINE_ENUM_ELEMENTS(ns1__MessageTypes)
BULKJOB_DEFINE_ENUM_ELEMENTS(ns1__OATypes)
BULKJOB_DEFINE_ENUM_ELEMENTS(ns1__RoutingTypes)
BULKJOB_DEFINE_ENUM_ELEMENTS(ns1__StatusCodeFlags)

// Classes. The two derived classes always name their type on the wire.

namespace
{
template <class T> const char* WrittenType(const char* type) { return type; }
template <> const char* WrittenType<ns1__AuthenticationCredentialsAccessKeyAndSecretKey>(const char*)
{
    return "ns1:AuthenticationCredentialsAccessKeyAndSecretKey";
}
template <> const char* WrittenType<ns1__TextMessage>(const char*)
{
    return "ns1:TextMessage";
}
} // namespace

#define BULKJOB_DEFINE_CLASS_ELEMENTS(T)                                                                        \
    int soap_out_##T(struct soap* soap, const char* tag, int id, const T* a, const char* type)                 \
    {                                                                                                           \
        return WriteObject(soap, tag, id, a, WrittenType<T>(type), SOAP_TYPE_##T);                              \
    }                                                                                                           \
    T* soap_in_##T(struct soap* soap, const char* tag, T* a, const char* type)                                 \
    {                                                                                                           \
        return ReadObject(soap, tag, a, type, SOAP_TYPE_##T);                                                   \
    }                                                                                                           \
    int soap_out_PointerTo##T(struct soap* soap, const char* tag, int id, T* const* a, const char* type)       \
    {                                                                                                           \
        return WritePointer(soap, tag, id, a, type, SOAP_TYPE_##T);                                             \
    }                                                                                                           \
    T** soap_in_PointerTo##T(struct soap* soap, const char* tag, T** a, const char*)                           \
    {                                                                                                           \
        return ReadObjectPointer(soap, tag, a, SOAP_TYPE_##T, soap_instantiate_##T);                            \
    }                                                                                                           \
    int T::soap_out(struct soap* soap, const char* tag, int id, const char* type) const                        \
    {                                                                                                           \
        return soap_out_##T(soap, tag, id, this, type);                                                         \
    }                                                                                                           \
    void* T::soap_in(struct soap* soap, const char* tag, const char* type)                                     \
    {                                                                                                           \
        return soap_in_##T(soap, tag, this, type);                                                              \
    }

BULKJOB_FOR_EACH_CLASS(BULKJOB_DEFINE_CLASS_ELEMENTS)

// Operation structures: only their request element, which they hold.

#define BULKJOB_DEFINE_OPERATION_ELEMENTS(Op, ns)                                                                \
    int soap_out___##ns##__##Op(struct soap* soap, const char*, int, const struct __##ns##__##Op* a, const char*) \
    {                                                                                                            \
        return soap_out_PointerTo_ns1__##Op(soap, "ns1:" #Op, -1, &a->ns1__##Op, "");                            \
    }                                                                                                            \
    struct __##ns##__##Op* soap_in___##ns##__##Op(struct soap* soap, const char*, struct __##ns##__##Op* a, const char*) \
    {                                                                                                            \
        if (!a && !(a = soap_instantiate___##ns##__##Op(soap, -1, nullptr, nullptr, nullptr)))                  \
            return nullptr;                                                                                      \
        a->ns1__##Op = nullptr;                                                                                  \
        soap->error = SOAP_TAG_MISMATCH;                                                                         \
        if (!soap_in_PointerTo_ns1__##Op(soap, "ns1:" #Op, &a->ns1__##Op, ""))                                   \
            return nullptr;                                                                                      \
        return a;                                                                                                \
    }

#define BULKJOB_DEFINE_BOTH_OPERATION_ELEMENTS(Op) \
    BULKJOB_DEFINE_OPERATION_ELEMENTS(Op, ns2)     \
    BULKJOB_DEFINE_OPERATION_ELEMENTS(Op, ns3)

BULKJOB_FOR_EACH_OPERATION(BULKJOB_DEFINE_BOTH_OPERATION_ELEMENTS)

// Dispatchers.

int soap_putelement(struct soap* soap, const void* ptr, const char* tag, int id, int type)
{
    switch (type)
    {
#define BULKJOB_PUT_CASE(T) \
    case SOAP_TYPE_##T:     \
        return static_cast<const T*>(ptr)->soap_out(soap, tag, id, "");
        BULKJOB_FOR_EACH_CLASS(BULKJOB_PUT_CASE)
#undef BULKJOB_PUT_CASE
    case SOAP_TYPE_std__wstring:
        return soap_out_std__wstring(soap, tag, id, static_cast<const std::wstring*>(ptr), "xsd:string");
    case SOAP_TYPE_int:
        return soap_out_int(soap, tag, id, static_cast<const int*>(ptr), "xsd:int");
    case SOAP_TYPE_time:
        return soap_out_time(soap, tag, id, static_cast<const time_t*>(ptr), "xsd:dateTime");
    default:
        return SOAP_OK;
    }
}

void soap_markelement(struct soap* soap, const void* ptr, int type)
{
    switch (type)
    {
#define BULKJOB_MARK_CASE(T) \
    case SOAP_TYPE_##T:      \
        static_cast<const T*>(ptr)->soap_serialize(soap); \
        break;
        BULKJOB_FOR_EACH_CLASS(BULKJOB_MARK_CASE)
#undef BULKJOB_MARK_CASE
    default:
        break;
    }
}

namespace
{
// Reads the peeked element as the type whose identifier is known.
void* ReadByTypeId(struct soap* soap, const char* tag, int type)
{
    switch (type)
    {
#define BULKJOB_GET_CASE(T) \
    case SOAP_TYPE_##T:     \
        return soap_in_##T(soap, tag, nullptr, nullptr);
        BULKJOB_FOR_EACH_CLASS(BULKJOB_GET_CASE)
#undef BULKJOB_GET_CASE
    case SOAP_TYPE_std__wstring:
        return soap_in_std__wstring(soap, tag, nullptr, nullptr);
    case SOAP_TYPE_int:
        return soap_in_int(soap, tag, nullptr, nullptr);
    case SOAP_TYPE_time:
        return soap_in_time(soap, tag, nullptr, nullptr);
    default:
        soap->error = SOAP_TAG_MISMATCH;
        return nullptr;
    }
}

struct NamedType
{
    const char* name;
    int type;
};

// Type names (as xsi:type or as a tag) and element names that identify a
// type without an id.
const NamedType kNamedTypes[] = {
    {"xsd:string", SOAP_TYPE_std__wstring},
    {"xsd:int", SOAP_TYPE_int},
    {"xsd:dateTime", SOAP_TYPE_time},
    {"ns1:AuthenticationCredentials", SOAP_TYPE_ns1__AuthenticationCredentials},
    {"ns1:AuthenticationCredentialsAccessKeyAndSecretKey", SOAP_TYPE_ns1__AuthenticationCredentialsAccessKeyAndSecretKey},
    {"ns1:Message", SOAP_TYPE_ns1__Message},
    {"ns1:TextMessage", SOAP_TYPE_ns1__TextMessage},
    {"ns1:ReportingSettings", SOAP_TYPE_ns1__ReportingSettings},
    {"ns1:InterfaceEndPoint", SOAP_TYPE_ns1__InterfaceEndPoint},
    {"ns1:ClientDetails", SOAP_TYPE_ns1__ClientDetails},
    {"ns1:BulkJobDetails", SOAP_TYPE_ns1__BulkJobDetails},
#define BULKJOB_NAMED_OPERATION_TYPES(Op)                          \
    {"ns1:" #Op "Input", SOAP_TYPE_ns1__##Op##Input},              \
    {"ns1:" #Op "Output", SOAP_TYPE_ns1__##Op##Output},            \
    {"ns1:" #Op, SOAP_TYPE__ns1__##Op},                            \
    {"ns1:" #Op "Response", SOAP_TYPE__ns1__##Op##Response},
    BULKJOB_FOR_EACH_OPERATION(BULKJOB_NAMED_OPERATION_TYPES)
#undef BULKJOB_NAMED_OPERATION_TYPES
};
} // namespace

void* soap_getelement(struct soap* soap, const char* tag, int* type)
{
    if (soap_peek_element(soap))
        return nullptr;
    *type = 0;
    if (*soap->id)
        *type = soap_lookup_type(soap, soap->id);
    if (!*type && *soap->href)
        *type = soap_lookup_type(soap, soap->href);
    if (*type)
        return ReadByTypeId(soap, tag, *type);
    const char* name = *soap->type ? soap->type : soap->tag;
    for (const NamedType& named : kNamedTypes)
    {
        if (!soap_match_tag(soap, name, named.name))
        {
            *type = named.type;
            return ReadByTypeId(soap, tag, named.type);
        }
    }
    soap->error = SOAP_TAG_MISMATCH;
    return nullptr;
}
