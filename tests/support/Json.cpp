#include "tests/support/Json.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

class CJsonParser
{
public:
    explicit CJsonParser(const std::string& text) : m_Text(text) {}

    CJsonValue ParseDocument()
    {
        CJsonValue value = ParseValue(0);
        SkipBlanks();
        if (m_Position != m_Text.size())
            Fail("text after the value");
        return value;
    }

private:
    // Deep enough for any reply of the simulator, shallow enough for the stack.
    static constexpr int kMaxDepth = 64;

    [[noreturn]] void Fail(const char* what) const
    {
        throw std::runtime_error(std::string("JSON: ") + what + " at offset " + std::to_string(m_Position));
    }

    void SkipBlanks()
    {
        while (m_Position < m_Text.size() && std::string(" \t\r\n").find(m_Text[m_Position]) != std::string::npos)
            ++m_Position;
    }

    bool Consume(const char* literal)
    {
        const std::string expected(literal);
        if (m_Text.compare(m_Position, expected.size(), expected) != 0)
            return false;
        m_Position += expected.size();
        return true;
    }

    CJsonValue ParseValue(int depth)
    {
        if (depth > kMaxDepth)
            Fail("nesting too deep");
        SkipBlanks();
        if (m_Position >= m_Text.size())
            Fail("missing value");
        CJsonValue value;
        const char c = m_Text[m_Position];
        if (c == '{')
            ParseObject(value, depth);
        else if (c == '[')
            ParseArray(value, depth);
        else if (c == '"')
        {
            value.m_Type = CJsonValue::Type::String;
            value.m_String = ParseString();
        }
        else if (Consume("true"))
        {
            value.m_Type = CJsonValue::Type::Bool;
            value.m_Bool = true;
        }
        else if (Consume("false"))
            value.m_Type = CJsonValue::Type::Bool;
        else if (Consume("null"))
            value.m_Type = CJsonValue::Type::Null;
        else
            ParseNumber(value);
        return value;
    }

    void ParseObject(CJsonValue& value, int depth)
    {
        value.m_Type = CJsonValue::Type::Object;
        ++m_Position;
        SkipBlanks();
        if (Consume("}"))
            return;
        for (;;)
        {
            SkipBlanks();
            if (m_Position >= m_Text.size() || m_Text[m_Position] != '"')
                Fail("expected a member name");
            std::string key = ParseString();
            SkipBlanks();
            if (!Consume(":"))
                Fail("expected ':'");
            value.m_Object.emplace_back(std::move(key), ParseValue(depth + 1));
            SkipBlanks();
            if (Consume("}"))
                return;
            if (!Consume(","))
                Fail("expected ',' or '}'");
        }
    }

    void ParseArray(CJsonValue& value, int depth)
    {
        value.m_Type = CJsonValue::Type::Array;
        ++m_Position;
        SkipBlanks();
        if (Consume("]"))
            return;
        for (;;)
        {
            value.m_Array.push_back(ParseValue(depth + 1));
            SkipBlanks();
            if (Consume("]"))
                return;
            if (!Consume(","))
                Fail("expected ',' or ']'");
        }
    }

    void ParseNumber(CJsonValue& value)
    {
        const size_t start = m_Position;
        while (m_Position < m_Text.size() && std::string("+-0123456789.eE").find(m_Text[m_Position]) != std::string::npos)
            ++m_Position;
        if (start == m_Position)
            Fail("unexpected character");
        const std::string digits = m_Text.substr(start, m_Position - start);
        char* end = nullptr;
        value.m_Number = std::strtod(digits.c_str(), &end);
        if (end != digits.c_str() + digits.size())
            Fail("malformed number");
        value.m_Type = CJsonValue::Type::Number;
    }

    unsigned ParseHex4()
    {
        if (m_Position + 4 > m_Text.size())
            Fail("short \\u escape");
        unsigned code = 0;
        for (int i = 0; i < 4; ++i)
        {
            const char c = m_Text[m_Position++];
            code <<= 4;
            if (c >= '0' && c <= '9')
                code |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                code |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                code |= static_cast<unsigned>(c - 'A' + 10);
            else
                Fail("bad \\u escape");
        }
        return code;
    }

    static void AppendUtf8(std::string& out, unsigned code)
    {
        if (code < 0x80)
            out += static_cast<char>(code);
        else if (code < 0x800)
        {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        else if (code < 0x10000)
        {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    std::string ParseString()
    {
        ++m_Position;  // the opening quote
        std::string out;
        for (;;)
        {
            if (m_Position >= m_Text.size())
                Fail("unterminated string");
            const char c = m_Text[m_Position++];
            if (c == '"')
                return out;
            if (c != '\\')
            {
                out += c;
                continue;
            }
            if (m_Position >= m_Text.size())
                Fail("unterminated escape");
            const char escape = m_Text[m_Position++];
            switch (escape)
            {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u':
            {
                unsigned code = ParseHex4();
                if (code >= 0xD800 && code < 0xDC00 && Consume("\\u"))
                {
                    const unsigned low = ParseHex4();
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                AppendUtf8(out, code);
                break;
            }
            default: Fail("unknown escape");
            }
        }
    }

    const std::string& m_Text;
    size_t m_Position = 0;
};

CJsonValue CJsonValue::Parse(const std::string& text)
{
    return CJsonParser(text).ParseDocument();
}

namespace
{
[[noreturn]] void WrongType(const char* wanted)
{
    throw std::runtime_error(std::string("JSON: value is not ") + wanted);
}
}  // namespace

bool CJsonValue::AsBool() const
{
    if (m_Type != Type::Bool)
        WrongType("a boolean");
    return m_Bool;
}

double CJsonValue::AsNumber() const
{
    if (m_Type != Type::Number)
        WrongType("a number");
    return m_Number;
}

long long CJsonValue::AsInteger() const
{
    return static_cast<long long>(AsNumber());
}

const std::string& CJsonValue::AsString() const
{
    if (m_Type != Type::String)
        WrongType("a string");
    return m_String;
}

const std::vector<CJsonValue>& CJsonValue::AsArray() const
{
    if (m_Type != Type::Array)
        WrongType("an array");
    return m_Array;
}

const std::vector<std::pair<std::string, CJsonValue>>& CJsonValue::AsObject() const
{
    if (m_Type != Type::Object)
        WrongType("an object");
    return m_Object;
}

bool CJsonValue::Has(const std::string& key) const
{
    for (const auto& member : AsObject())
        if (member.first == key)
            return true;
    return false;
}

const CJsonValue& CJsonValue::operator[](const std::string& key) const
{
    for (const auto& member : AsObject())
        if (member.first == key)
            return member.second;
    throw std::runtime_error("JSON: no member \"" + key + "\"");
}

std::string JsonQuote(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text)
    {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
        {
            out += '\\';
            out += c;
        }
        else if (byte < 0x20 || byte == 0x7F)
        {
            char escape[8];
            std::snprintf(escape, sizeof(escape), "\\u%04x", byte);
            out += escape;
        }
        else
            out += c;
    }
    return out + "\"";
}
