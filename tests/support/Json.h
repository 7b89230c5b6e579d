// A small JSON reader for test code (the gateway simulator's state files
// and control replies), and quoting for the JSON that tests write.
// Strings are UTF-8; \u escapes are decoded to UTF-8.
#pragma once

#include <string>
#include <utility>
#include <vector>

class CJsonValue
{
public:
    enum class Type
    {
        Null,
        Bool,
        Number,
        String,
        Array,
        Object
    };

    CJsonValue() = default;

    // Throws std::runtime_error for text that is not one JSON value.
    static CJsonValue Parse(const std::string& text);

    Type GetType() const { return m_Type; }
    bool IsNull() const { return m_Type == Type::Null; }

    // Each accessor throws std::runtime_error when the value is of another type.
    bool AsBool() const;
    double AsNumber() const;
    long long AsInteger() const;
    const std::string& AsString() const;
    const std::vector<CJsonValue>& AsArray() const;
    const std::vector<std::pair<std::string, CJsonValue>>& AsObject() const;

    bool Has(const std::string& key) const;
    // The member's value; throws std::runtime_error when there is none.
    const CJsonValue& operator[](const std::string& key) const;

private:
    friend class CJsonParser;

    Type m_Type = Type::Null;
    bool m_Bool = false;
    double m_Number = 0;
    std::string m_String;
    std::vector<CJsonValue> m_Array;
    std::vector<std::pair<std::string, CJsonValue>> m_Object;
};

// The text as a JSON string literal, quotes included. Bytes below 0x20 and
// 0x7F are escaped; other bytes are copied, so the text should be UTF-8.
std::string JsonQuote(const std::string& text);
