#include "core/StringUtils.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace
{
const char* const kWhitespace = " \n\r";

const char* const kControlNames[32] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

template <typename String>
String ReplaceAllT(const String& text, const String& search, const String& replacement)
{
    String result = text;
    if (search.empty())
        return result;
    typename String::size_type pos = 0;
    while ((pos = result.find(search, pos)) != String::npos)
    {
        result.replace(pos, search.size(), replacement);
        pos += replacement.size();
    }
    return result;
}

template <typename String>
String LeftT(const String& text, int n)
{
    if (n < 0 || static_cast<std::size_t>(n) >= text.size())
        return text;
    return text.substr(0, static_cast<std::size_t>(n));
}

template <typename String>
String RightT(const String& text, int n)
{
    if (n < 0 || static_cast<std::size_t>(n) >= text.size())
        return text;
    return text.substr(text.size() - static_cast<std::size_t>(n));
}

bool IsEmailAddressChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.' || c == '%';
}

std::wstring CodePageToWide(const std::string& text, UINT codePage)
{
    if (text.empty())
        return std::wstring();
    const int length = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (length > 0)
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::string WideToCodePage(const wchar_t* text, std::size_t size, UINT codePage)
{
    if (size == 0)
        return std::string();
    // Short texts, most of them, fit a buffer here even at four bytes a
    // character: one conversion instead of a measuring and a converting one.
    char buffer[256];
    if (size <= sizeof(buffer) / 4)
    {
        const int converted = ::WideCharToMultiByte(codePage, 0, text, static_cast<int>(size), buffer,
                                                     static_cast<int>(sizeof(buffer)), nullptr, nullptr);
        if (converted > 0)
            return std::string(buffer, static_cast<std::size_t>(converted));
    }
    const int length = ::WideCharToMultiByte(codePage, 0, text, static_cast<int>(size), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    if (length > 0)
        ::WideCharToMultiByte(codePage, 0, text, static_cast<int>(size), &narrow[0], length, nullptr, nullptr);
    return narrow;
}

std::string WideToCodePage(const std::wstring& text, UINT codePage)
{
    return WideToCodePage(text.data(), text.size(), codePage);
}
} // namespace

std::string Trim(const std::string& text)
{
    return TrimRight(TrimLeft(text));
}

std::string TrimLeft(const std::string& text, const std::string& set)
{
    const std::string::size_type first = text.find_first_not_of(set);
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string TrimRight(const std::string& text)
{
    const std::string::size_type last = text.find_last_not_of(kWhitespace);
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

std::string& ToLower(std::string& text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string& ToUpper(std::string& text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string ReplaceAll(const std::string& text, const std::string& search, const std::string& replacement)
{
    return ReplaceAllT(text, search, replacement);
}

std::wstring ReplaceAllW(const std::wstring& text, const std::wstring& search, const std::wstring& replacement)
{
    return ReplaceAllT(text, search, replacement);
}

std::string ReplaceChar(const std::string& text, char from, char to)
{
    std::string result = text;
    for (char& c : result)
        if (c == from)
            c = to;
    return result;
}

void SplitString(const std::string& text, std::string delimiters, std::vector<std::string>& pieces)
{
    pieces.clear();
    std::string::size_type pos = 0;
    for (;;)
    {
        const std::string::size_type found = text.find_first_of(delimiters, pos);
        const std::string::size_type end = found == std::string::npos ? text.size() : found;
        if (end > pos)
            pieces.push_back(text.substr(pos, end - pos));
        if (found == std::string::npos)
            return;
        pos = found + 1;
    }
}

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string Left(const std::string& text, int n)
{
    return LeftT(text, n);
}

std::string Right(const std::string& text, int n)
{
    return RightT(text, n);
}

std::wstring LeftW(const std::wstring& text, int n)
{
    return LeftT(text, n);
}

std::wstring RightW(const std::wstring& text, int n)
{
    return RightT(text, n);
}

std::string ExtractDigits(const std::string& text)
{
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9')
            digits += c;
    return digits;
}

std::string MakeIdentifierFromName(const std::string& name)
{
    std::string id;
    if (!name.empty() && name[0] >= '0' && name[0] <= '9')
        id += '_';
    for (const char c : name)
    {
        const unsigned char code = static_cast<unsigned char>(c);
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (code >= '_' && code <= 127))
            id += c;
        else if (c == ' ')
            id += '_';
    }
    return id;
}

std::wstring ConvertLFToCRLF(const std::wstring& text)
{
    std::wstring result;
    result.reserve(text.size());
    for (std::wstring::size_type i = 0; i < text.size(); ++i)
    {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
            result += L'\r';
        result += text[i];
    }
    return result;
}

std::string URLEncode(const std::string& text)
{
    return URLEncodeW(CodePageToWide(text, CP_ACP));
}

std::string URLEncodeW(const std::wstring& text)
{
    static const char kHex[] = "0123456789abcdef";
    const std::string utf8 = WideToCodePage(text, CP_UTF8);
    std::string encoded;
    encoded.reserve(utf8.size() * 3);
    for (char c : utf8)
    {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z'))
            encoded += c;
        else if (byte == ' ')
            encoded += '+';
        else
        {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

std::string FormatEmailAddress(const std::string& address, std::string displayName)
{
    displayName = Trim(ReplaceAll(displayName, "\"", "\\\""));
    if (displayName.empty())
        return address;
    return "\"" + displayName + "\" <" + address + ">";
}

void ParseEmailAddress(const std::string& text, std::string& address, std::string& displayName)
{
    address.clear();
    displayName.clear();
    const std::string::size_type at = text.rfind('@');
    if (at == std::string::npos)
        return;

    std::string::size_type begin = at;
    while (begin > 0 && IsEmailAddressChar(text[begin - 1]))
        --begin;
    std::string::size_type end = at + 1;
    while (end < text.size() && IsEmailAddressChar(text[end]))
        ++end;
    address = text.substr(begin, end - begin);

    if (begin == 0)
        return;
    const std::string::size_type blank = text.rfind(' ', begin - 1);
    if (blank == std::string::npos || blank == 0)
        return;

    std::string name = text.substr(0, blank);
    name = ReplaceAll(name, "\\\"", "~Quote~");
    name = ReplaceAll(name, "\\'", "~Apostrophe~");
    std::string cleaned;
    for (char c : name)
        if (c != '"' && c != '\'')
            cleaned += c;
    cleaned = ReplaceAll(cleaned, "~Quote~", "\"");
    cleaned = ReplaceAll(cleaned, "~Apostrophe~", "'");
    displayName = Trim(cleaned);
}

std::string ReplaceControlCharsWithNames(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text)
    {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 32)
        {
            result += '<';
            result += kControlNames[byte];
            result += '>';
        }
        else
            result += c;
    }
    return result;
}

std::wstring ReplaceControlCharsWithNamesW(const std::wstring& text)
{
    std::wstring result;
    result.reserve(text.size());
    for (wchar_t c : text)
    {
        if (c < 32)
        {
            result += L'<';
            for (const char* name = kControlNames[c]; *name; ++name)
                result += static_cast<wchar_t>(*name);
            result += L'>';
        }
        else
            result += c;
    }
    return result;
}

std::string FormatLogTimeStamp(const std::int64_t* time)
{
    const __time64_t value = static_cast<__time64_t>(*time);
    struct tm local = {};
    if (_localtime64_s(&local, &value) != 0)
        return std::string();
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%02d/%02d/%02d %02d:%02d:%02d", local.tm_mday, local.tm_mon + 1,
                  (local.tm_year + 1900) % 100, local.tm_hour, local.tm_min, local.tm_sec);
    return buffer;
}

std::wstring FormatLogTimeStampW(std::int64_t time)
{
    return WidenString(FormatLogTimeStamp(&time));
}

std::wstring WidenString(const std::string& text)
{
    std::wstring wide;
    wide.reserve(text.size());
    for (char c : text)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return wide;
}

std::string NarrowString(const std::wstring& text)
{
    std::string narrow;
    narrow.reserve(text.size());
    for (wchar_t c : text)
        narrow += static_cast<char>(c & 0xFF);
    return narrow;
}

std::wstring AnsiToWide(const std::string& text)
{
    return CodePageToWide(text, CP_ACP);
}

std::string WideToAnsi(const std::wstring& text)
{
    return WideToCodePage(text, CP_ACP);
}

std::string WideToAnsi(const wchar_t* text, std::size_t length)
{
    return WideToCodePage(text, length, CP_ACP);
}

std::vector<std::uint32_t> CharactersLostInAnsi(const std::wstring& text)
{
    std::vector<std::uint32_t> lost;
    // A UTF-8 code page carries everything (and takes no default-character flag).
    if (::GetACP() == CP_UTF8)
        return lost;
    for (std::size_t at = 0; at < text.size();)
    {
        const wchar_t first = text[at];
        const bool pair = first >= 0xD800 && first <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
                          text[at + 1] <= 0xDFFF;
        const int units = pair ? 2 : 1;
        const std::uint32_t codePoint =
            pair ? 0x10000u + ((static_cast<std::uint32_t>(first) - 0xD800u) << 10) + (text[at + 1] - 0xDC00u)
                 : static_cast<std::uint32_t>(first);
        at += static_cast<std::size_t>(units);
        if (codePoint < 0x80 || std::find(lost.begin(), lost.end(), codePoint) != lost.end())
            continue;
        char converted[8];
        BOOL usedDefault = FALSE;
        const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &text[at - units], units, converted,
                                                 sizeof(converted), nullptr, &usedDefault);
        if (length <= 0 || usedDefault)
            lost.push_back(codePoint);
    }
    return lost;
}
