// The functions that the gSOAP runtime calls by name and that gSOAP's code
// generator would otherwise write: access to the fault and header records of
// a context (SoapEnvelope.h), and their readers and writers, for SOAP 1.2 and
// SOAP 1.1. Everything is allocated in the context's memory.
#include "bulkjob/service/SoapEnvelope.h"

#include <cstring>
#include <new>

namespace
{
// A Subcode nests a Subcode; deeper levels than this are skipped rather than
// followed, so that a hostile reply cannot exhaust the stack.
constexpr int MaxSubcodeDepth = 8;

// gSOAP's string reader modes.
constexpr int PlainText = 1;
constexpr int QualifiedName = 2;

// Where the runtime's write goes when the fault record cannot be allocated:
// it writes through the pointer it asks for and must never get a null one.
thread_local const char* t_DiscardedField = nullptr;

const char** DiscardedField()
{
    t_DiscardedField = nullptr;
    return &t_DiscardedField;
}

const char** FieldOf(char*& field)
{
    return const_cast<const char**>(&field);
}

template <typename Record>
Record* NewRecord(struct soap* soap)
{
    void* memory = soap_malloc(soap, sizeof(Record));
    return memory ? new (memory) Record{} : nullptr;
}

// True while the element loop of a reader has not found its element yet.
bool StillLooking(const struct soap* soap)
{
    return soap->error == SOAP_TAG_MISMATCH || soap->error == SOAP_NO_TAG;
}

// Skips the next child element. Header blocks that are marked
// mustUnderstand for this node refuse the message.
int SkipElement(struct soap* soap, bool honourMustUnderstand)
{
    if (soap_peek_element(soap))
        return soap->error;
    if (honourMustUnderstand && soap->mustUnderstand && !soap->other && !soap->fignore)
        return soap->error = SOAP_MUSTUNDERSTAND;
    soap->peeked = 0;
    soap->error = soap->fignore ? soap->fignore(soap, soap->tag) : SOAP_OK;
    if (!soap->error && soap->body)
        soap_ignore(soap);
    return soap->error;
}

// Runs the element loop of a complex element whose start has been read:
// tryChild reads one known child and returns true, or leaves the error at
// SOAP_TAG_MISMATCH; anything else is skipped. Ends with the element's end.
template <typename TryChild>
bool ReadChildren(struct soap* soap, const char* tag, bool honourMustUnderstand, TryChild tryChild)
{
    if (!soap->body)
        return true;
    for (;;)
    {
        soap->error = SOAP_TAG_MISMATCH;
        if (tryChild())
            continue;
        if (soap->error == SOAP_TAG_MISMATCH)
            SkipElement(soap, honourMustUnderstand);
        if (soap->error == SOAP_NO_TAG)
            break;
        if (soap->error)
            return false;
    }
    return soap_element_end_in(soap, tag) == SOAP_OK;
}

bool ReadText(struct soap* soap, const char* tag, char** field, int mode)
{
    return StillLooking(soap) && soap_instring(soap, tag, field, nullptr, 0, mode, 0, -1, nullptr);
}

SOAP_ENV__Code* ReadCode(struct soap* soap, const char* tag, int depth)
{
    if (soap_element_begin_in(soap, tag, 0, nullptr))
        return nullptr;
    SOAP_ENV__Code* code = NewRecord<SOAP_ENV__Code>(soap);
    if (!code)
        return nullptr;
    bool haveValue = false;
    bool haveSubcode = false;
    const bool ok = ReadChildren(soap, tag, false, [&]() {
        if (!haveValue && ReadText(soap, "SOAP-ENV:Value", &code->SOAP_ENV__Value, QualifiedName))
            return haveValue = true;
        if (!haveSubcode && depth < MaxSubcodeDepth && StillLooking(soap))
        {
            code->SOAP_ENV__Subcode = ReadCode(soap, "SOAP-ENV:Subcode", depth + 1);
            if (code->SOAP_ENV__Subcode)
                return haveSubcode = true;
        }
        return false;
    });
    return ok ? code : nullptr;
}

SOAP_ENV__Reason* ReadReason(struct soap* soap, const char* tag)
{
    if (soap_element_begin_in(soap, tag, 0, nullptr))
        return nullptr;
    SOAP_ENV__Reason* reason = NewRecord<SOAP_ENV__Reason>(soap);
    if (!reason)
        return nullptr;
    bool haveText = false;
    const bool ok = ReadChildren(soap, tag, false, [&]() {
        if (!haveText && ReadText(soap, "SOAP-ENV:Text", &reason->SOAP_ENV__Text, PlainText))
            return haveText = true;
        return false;
    });
    return ok ? reason : nullptr;
}

// The detail's content is kept as literal XML: no detail type is known here.
SOAP_ENV__Detail* ReadDetail(struct soap* soap, const char* tag)
{
    char* content = nullptr;
    if (!soap_inliteral(soap, tag, &content))
        return nullptr;
    SOAP_ENV__Detail* detail = NewRecord<SOAP_ENV__Detail>(soap);
    if (detail)
        detail->__any = content;
    return detail;
}

// Reads one child record into slot; false leaves the loop's error as it is.
template <typename Record, typename Reader>
bool ReadRecord(struct soap* soap, Record*& slot, bool& found, Reader reader)
{
    if (found || !StillLooking(soap))
        return false;
    slot = reader();
    return found = (slot != nullptr);
}

SOAP_ENV__Fault* ReadFault(struct soap* soap, const char* tag)
{
    if (soap_element_begin_in(soap, tag, 0, nullptr))
        return nullptr;
    SOAP_ENV__Fault* fault = NewRecord<SOAP_ENV__Fault>(soap);
    if (!fault)
        return nullptr;
    bool faultcode = false, faultstring = false, faultactor = false, detail = false;
    bool code = false, reason = false, node = false, role = false, detail12 = false;
    const bool ok = ReadChildren(soap, tag, false, [&]() {
        if (!faultcode && ReadText(soap, "faultcode", &fault->faultcode, QualifiedName))
            return faultcode = true;
        if (!faultstring && ReadText(soap, "faultstring", &fault->faultstring, PlainText))
            return faultstring = true;
        if (!faultactor && ReadText(soap, "faultactor", &fault->faultactor, PlainText))
            return faultactor = true;
        if (ReadRecord(soap, fault->detail, detail, [&]() { return ReadDetail(soap, "detail"); }))
            return true;
        if (ReadRecord(soap, fault->SOAP_ENV__Code, code, [&]() { return ReadCode(soap, "SOAP-ENV:Code", 0); }))
            return true;
        if (ReadRecord(soap, fault->SOAP_ENV__Reason, reason, [&]() { return ReadReason(soap, "SOAP-ENV:Reason"); }))
            return true;
        if (!node && ReadText(soap, "SOAP-ENV:Node", &fault->SOAP_ENV__Node, PlainText))
            return node = true;
        if (!role && ReadText(soap, "SOAP-ENV:Role", &fault->SOAP_ENV__Role, PlainText))
            return role = true;
        return ReadRecord(soap, fault->SOAP_ENV__Detail, detail12, [&]() { return ReadDetail(soap, "SOAP-ENV:Detail"); });
    });
    return ok ? fault : nullptr;
}

// The runtime classifies a fault by matching its code, which the reader
// stores with the namespace table's prefix ("SOAP-ENV:Receiver"), against
// "SOAP-ENV:..." through the prefixes that the message declared. A server
// with a prefix of its own ("soap:Receiver") would never match; so the
// table's envelope prefix is declared here, until the end of the body.
void DeclareEnvelopePrefix(struct soap* soap)
{
    const struct Namespace* table = soap->local_namespaces;
    if (!table || !table->id || !table->ns || std::strcmp(table->id, "SOAP-ENV") != 0)
        return;
    for (const soap_nlist* declared = soap->nlist; declared; declared = declared->next)
        if (std::strcmp(declared->id, "SOAP-ENV") == 0)
            return;
    soap_push_namespace(soap, table->id, table->out ? table->out : table->ns);
}

int WriteText(struct soap* soap, const char* tag, const char* text)
{
    if (!text)
        return SOAP_OK;
    if (soap_element_begin_out(soap, tag, 0, nullptr) || soap_string_out(soap, text, 0) ||
        soap_element_end_out(soap, tag))
        return soap->error;
    return SOAP_OK;
}

int WriteQName(struct soap* soap, const char* tag, const char* qname)
{
    return qname ? WriteText(soap, tag, soap_QName2s(soap, qname)) : SOAP_OK;
}

int WriteCode(struct soap* soap, const char* tag, const SOAP_ENV__Code* code, int depth)
{
    if (soap_element_begin_out(soap, tag, 0, nullptr) || WriteQName(soap, "SOAP-ENV:Value", code->SOAP_ENV__Value))
        return soap->error;
    if (code->SOAP_ENV__Subcode && depth < MaxSubcodeDepth &&
        WriteCode(soap, "SOAP-ENV:Subcode", code->SOAP_ENV__Subcode, depth + 1))
        return soap->error;
    return soap_element_end_out(soap, tag);
}

int WriteReason(struct soap* soap, const SOAP_ENV__Reason* reason)
{
    const char* text = reason->SOAP_ENV__Text ? reason->SOAP_ENV__Text : "";
    if (soap_element_begin_out(soap, "SOAP-ENV:Reason", 0, nullptr) ||
        soap_set_attr(soap, "xml:lang", soap->lang ? soap->lang : "en", 1) ||
        WriteText(soap, "SOAP-ENV:Text", text) || soap_element_end_out(soap, "SOAP-ENV:Reason"))
        return soap->error;
    return SOAP_OK;
}

int WriteDetail(struct soap* soap, const char* tag, const SOAP_ENV__Detail* detail)
{
    return detail ? soap_outliteral(soap, tag, &detail->__any, nullptr) : SOAP_OK;
}

int WriteFault12(struct soap* soap, const SOAP_ENV__Fault* fault)
{
    if ((fault->SOAP_ENV__Code && WriteCode(soap, "SOAP-ENV:Code", fault->SOAP_ENV__Code, 0)) ||
        (fault->SOAP_ENV__Reason && WriteReason(soap, fault->SOAP_ENV__Reason)) ||
        WriteText(soap, "SOAP-ENV:Node", fault->SOAP_ENV__Node) ||
        WriteText(soap, "SOAP-ENV:Role", fault->SOAP_ENV__Role) ||
        WriteDetail(soap, "SOAP-ENV:Detail", fault->SOAP_ENV__Detail))
        return soap->error;
    return SOAP_OK;
}

int WriteFault11(struct soap* soap, const SOAP_ENV__Fault* fault)
{
    if (WriteQName(soap, "faultcode", fault->faultcode) || WriteText(soap, "faultstring", fault->faultstring) ||
        WriteText(soap, "faultactor", fault->faultactor) || WriteDetail(soap, "detail", fault->detail))
        return soap->error;
    return SOAP_OK;
}
}  // namespace

// Makes sure the context has a fault record, with the code and reason
// records that SOAP 1.2 requires.
SOAP_FMAC3 void SOAP_FMAC4 soap_fault(struct soap* soap)
{
    if (!soap->fault)
    {
        soap->fault = NewRecord<SOAP_ENV__Fault>(soap);
        if (!soap->fault)
            return;
    }
    if (soap->version == 2)
    {
        if (!soap->fault->SOAP_ENV__Code)
            soap->fault->SOAP_ENV__Code = NewRecord<SOAP_ENV__Code>(soap);
        if (!soap->fault->SOAP_ENV__Reason)
            soap->fault->SOAP_ENV__Reason = NewRecord<SOAP_ENV__Reason>(soap);
    }
}

SOAP_FMAC3 const char** SOAP_FMAC4 soap_faultcode(struct soap* soap)
{
    soap_fault(soap);
    SOAP_ENV__Fault* fault = soap->fault;
    if (!fault)
        return DiscardedField();
    if (soap->version == 2)
        return fault->SOAP_ENV__Code ? FieldOf(fault->SOAP_ENV__Code->SOAP_ENV__Value) : DiscardedField();
    return FieldOf(fault->faultcode);
}

SOAP_FMAC3 const char** SOAP_FMAC4 soap_faultsubcode(struct soap* soap)
{
    soap_fault(soap);
    SOAP_ENV__Fault* fault = soap->fault;
    if (!fault)
        return DiscardedField();
    if (soap->version != 2)
        return FieldOf(fault->faultcode);
    SOAP_ENV__Code* code = fault->SOAP_ENV__Code;
    if (!code)
        return DiscardedField();
    if (!code->SOAP_ENV__Subcode)
        code->SOAP_ENV__Subcode = NewRecord<SOAP_ENV__Code>(soap);
    return code->SOAP_ENV__Subcode ? FieldOf(code->SOAP_ENV__Subcode->SOAP_ENV__Value) : DiscardedField();
}

SOAP_FMAC3 const char** SOAP_FMAC4 soap_faultstring(struct soap* soap)
{
    soap_fault(soap);
    SOAP_ENV__Fault* fault = soap->fault;
    if (!fault)
        return DiscardedField();
    if (soap->version == 2)
        return fault->SOAP_ENV__Reason ? FieldOf(fault->SOAP_ENV__Reason->SOAP_ENV__Text) : DiscardedField();
    return FieldOf(fault->faultstring);
}

SOAP_FMAC3 const char** SOAP_FMAC4 soap_faultdetail(struct soap* soap)
{
    soap_fault(soap);
    SOAP_ENV__Fault* fault = soap->fault;
    if (!fault)
        return DiscardedField();
    SOAP_ENV__Detail*& detail = soap->version == 2 ? fault->SOAP_ENV__Detail : fault->detail;
    if (!detail)
        detail = NewRecord<SOAP_ENV__Detail>(soap);
    return detail ? FieldOf(detail->__any) : DiscardedField();
}

SOAP_FMAC3 const char* SOAP_FMAC4 soap_fault_subcode(struct soap* soap)
{
    soap_fault(soap);
    const SOAP_ENV__Fault* fault = soap->fault;
    if (!fault)
        return nullptr;
    if (soap->version != 2)
        return fault->faultcode;
    const SOAP_ENV__Code* code = fault->SOAP_ENV__Code;
    return code && code->SOAP_ENV__Subcode ? code->SOAP_ENV__Subcode->SOAP_ENV__Value : nullptr;
}

SOAP_FMAC3 const char* SOAP_FMAC4 soap_fault_string(struct soap* soap)
{
    soap_fault(soap);
    const SOAP_ENV__Fault* fault = soap->fault;
    if (!fault)
        return nullptr;
    if (soap->version == 2)
        return fault->SOAP_ENV__Reason ? fault->SOAP_ENV__Reason->SOAP_ENV__Text : nullptr;
    return fault->faultstring;
}

SOAP_FMAC3 const char* SOAP_FMAC4 soap_fault_detail(struct soap* soap)
{
    soap_fault(soap);
    const SOAP_ENV__Fault* fault = soap->fault;
    if (!fault)
        return nullptr;
    const SOAP_ENV__Detail* detail = soap->version == 2 ? fault->SOAP_ENV__Detail : fault->detail;
    return detail ? detail->__any : nullptr;
}

// Reads a SOAP-ENV:Fault into a new fault record; non-zero when the body
// holds none (the error says why).
SOAP_FMAC3 int SOAP_FMAC4 soap_getfault(struct soap* soap)
{
    soap->fault = ReadFault(soap, "SOAP-ENV:Fault");
    if (!soap->fault)
        return 1;
    DeclareEnvelopePrefix(soap);
    return 0;
}

SOAP_FMAC3 int SOAP_FMAC4 soap_putfault(struct soap* soap)
{
    const SOAP_ENV__Fault* fault = soap->fault;
    if (!fault)
        return SOAP_OK;
    if (soap_element_begin_out(soap, "SOAP-ENV:Fault", 0, nullptr))
        return soap->error;
    if ((soap->version == 2 ? WriteFault12(soap, fault) : WriteFault11(soap, fault)) != SOAP_OK)
        return soap->error;
    return soap_element_end_out(soap, "SOAP-ENV:Fault");
}

// Messages are literal and never share data, so there is nothing to mark
// for multi-reference serialization.
SOAP_FMAC3 void SOAP_FMAC4 soap_serializefault(struct soap*)
{
}

SOAP_FMAC3 void SOAP_FMAC4 soap_serializeheader(struct soap*)
{
}

SOAP_FMAC3 void SOAP_FMAC4 soap_header(struct soap* soap)
{
    if (!soap->header)
        soap->header = NewRecord<SOAP_ENV__Header>(soap);
}

// Reads an optional SOAP-ENV:Header; its blocks are skipped. Non-zero when
// there is none (SOAP_TAG_MISMATCH, which the runtime accepts) or when a
// block must be understood.
SOAP_FMAC3 int SOAP_FMAC4 soap_getheader(struct soap* soap)
{
    soap->part = SOAP_IN_HEADER;
    SOAP_ENV__Header* header = nullptr;
    if (!soap_element_begin_in(soap, "SOAP-ENV:Header", 0, nullptr))
    {
        header = soap->header ? soap->header : NewRecord<SOAP_ENV__Header>(soap);
        if (header && !ReadChildren(soap, "SOAP-ENV:Header", true, []() { return false; }))
            header = nullptr;
    }
    soap->header = header;
    soap->part = SOAP_END_HEADER;
    return soap->header == nullptr;
}

SOAP_FMAC3 int SOAP_FMAC4 soap_putheader(struct soap* soap)
{
    if (soap->version && soap->header)
    {
        soap->part = SOAP_IN_HEADER;
        if (soap_element_begin_out(soap, "SOAP-ENV:Header", 0, nullptr) ||
            soap_element_end_out(soap, "SOAP-ENV:Header"))
            return soap->error;
        soap->part = SOAP_END_HEADER;
    }
    return SOAP_OK;
}
