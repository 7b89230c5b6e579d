// Wide text content goes out in runs: byte for byte what the runtime's own
// character-by-character writer gives, at every length and for every code
// unit.
#include "bulkjob/service/BulkJobElements.h"
#include "bulkjob/service/BulkJobSerializers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

namespace
{

// One element written on a fresh context into a string.
template <class Write>
std::string Written(Write write)
{
    struct soap* soap = soap_new();
    soap->namespaces = bulkjob_namespaces;
    std::ostringstream out;
    soap->os = &out;
    EXPECT_EQ(SOAP_OK, soap_begin_send(soap));
    EXPECT_EQ(SOAP_OK, write(soap));
    EXPECT_EQ(SOAP_OK, soap_end_send(soap));
    soap_destroy(soap);
    soap_end(soap);
    soap_free(soap);
    return out.str();
}

std::string InRuns(const std::wstring& value)
{
    return Written([&](struct soap* soap) { return soap_out_std__wstring(soap, "ns1:Text", -1, &value, ""); });
}

std::string ByCharacter(const std::wstring& value)
{
    return Written([&](struct soap* soap) {
        if (soap_element_begin_out(soap, "ns1:Text", 0, "") || soap_wstring_out(soap, value.c_str(), 0))
            return soap->error;
        return soap_element_end_out(soap, "ns1:Text");
    });
}

std::wstring Repeated(const std::wstring& unit, size_t length)
{
    std::wstring text;
    while (text.size() < length)
        text += unit;
    text.resize(length);
    return text;
}

std::wstring EveryCodeUnit()
{
    std::wstring text;
    for (unsigned int c = 1; c <= 0xFFFF; ++c)
        text += static_cast<wchar_t>(c);
    return text;
}

TEST(BulkJobTextContent, IsWhatTheRuntimesWriterGives)
{
    const struct
    {
        const char* name;
        std::wstring value;
    } cases[] = {
        {"empty", L""},
        {"plain", L"447700900001,447700900002"},
        {"escapes", L"a & b < c > d \"e\" 'f'\t\n\r\x7F\x80\x9F\xA0"},
        {"every code unit", EveryCodeUnit()},
        {"beyond the plane", L"\xD83D\xDE00 x \xD800\xDC00\xDBFF\xDFFF"},
        {"lone surrogates", L"\xD83D x \xDE00 \xDC00\xD800"},
        {"pair cut by the end", L"abc\xD83D"},
        {"a run's length", Repeated(L"0123456789,", kBulkJobTextRunBytes)},
        {"one beyond a run", Repeated(L"0123456789,", kBulkJobTextRunBytes + 1)},
        {"a buffer's length", Repeated(L"0123456789,", SOAP_BUFLEN)},
        {"one beyond", Repeated(L"0123456789,", SOAP_BUFLEN + 1)},
        {"escapes in a long run", Repeated(L"&<>\"\x20AC\xD83D\xDE00", 3 * SOAP_BUFLEN + 7)},
    };
    for (const auto& c : cases)
    {
        const std::string expected = ByCharacter(c.value);
        const std::string actual = InRuns(c.value);
        EXPECT_EQ(expected.size(), actual.size()) << c.name;
        EXPECT_TRUE(expected == actual) << c.name;
    }
    // The element's content, after the namespace declarations of a first element.
    const auto content = [](const std::string& written) {
        const size_t start = written.find("\">") + 2;
        return written.substr(start, written.size() - start - std::strlen("</ns1:Text>"));
    };
    EXPECT_EQ("&amp;&lt;&gt;\"\xF0\x9F\x98\x80&#xD;", content(InRuns(L"&<>\"\xD83D\xDE00\r")));
    EXPECT_EQ("", content(InRuns(L"")));
}

// Each form of a character (plain, escape, two, three and four bytes, a
// reference) at every position around the end of a run.
TEST(BulkJobTextContent, EveryFormIsWholeAcrossTheEndOfARun)
{
    const std::wstring forms = L"&\x00E9\x20AC\xD83D\xDE00\x01<x";
    for (size_t lead = kBulkJobTextRunBytes - 24; lead <= kBulkJobTextRunBytes + 8; ++lead)
    {
        const std::wstring value = std::wstring(lead, L'a') + forms + forms;
        EXPECT_TRUE(ByCharacter(value) == InRuns(value)) << lead;
    }
}

} // namespace
