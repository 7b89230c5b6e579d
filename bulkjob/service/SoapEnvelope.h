// The SOAP envelope records that the gSOAP runtime keeps in its context:
// soap->header and soap->fault. The runtime knows them only by name; their
// layout is ours, in the form gSOAP's code generator gives them, so that
// soap->fault->SOAP_ENV__Reason->SOAP_ENV__Text is the SOAP 1.2 reason text.
//
// The records and every text they point to live in the context's memory:
// they are valid until soap_end() or soap_free() on that context, and the
// runtime drops both pointers when it starts to read the next reply.
#pragma once

#include <stdsoap2.h>

// Header blocks are not used: a header read from a reply is skipped (blocks
// marked mustUnderstand for us refuse the message), and nothing is written.
struct SOAP_ENV__Header
{
};

// SOAP 1.2 fault code: a QName value and an optional subcode of the same shape.
struct SOAP_ENV__Code
{
    char* SOAP_ENV__Value;
    struct SOAP_ENV__Code* SOAP_ENV__Subcode;
};

// SOAP 1.2 Detail or SOAP 1.1 detail: the element content as literal XML.
struct SOAP_ENV__Detail
{
    char* __any;
    int __type;  // type of the object in fault; 0 while the detail is literal XML
    void* fault;
};

// SOAP 1.2 fault reason; the first Text is kept.
struct SOAP_ENV__Reason
{
    char* SOAP_ENV__Text;
};

// One record for both versions: the first four members are SOAP 1.1's, the
// rest SOAP 1.2's. Only the members of the context's SOAP version are filled.
struct SOAP_ENV__Fault
{
    char* faultcode;
    char* faultstring;
    char* faultactor;
    struct SOAP_ENV__Detail* detail;
    // Members named after their types, as the generator names them; the
    // elaborated "struct" keeps the type names usable.
    struct SOAP_ENV__Code* SOAP_ENV__Code;
    struct SOAP_ENV__Reason* SOAP_ENV__Reason;
    char* SOAP_ENV__Node;
    char* SOAP_ENV__Role;
    struct SOAP_ENV__Detail* SOAP_ENV__Detail;
};
