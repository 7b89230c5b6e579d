// Base64 of RFC 4648 (standard alphabet, '=' padding) in one unbroken line.
#pragma once

#include <string>

class CBase64
{
public:
    virtual ~CBase64() = default;

    // A length of 0 or less gives an empty text.
    static std::string Encode(const unsigned char* data, int length);

    // Accepts exactly what Encode writes: reading stops, without an error, at
    // the first '=' or foreign character (line breaks and blanks included).
    // The result may hold zero bytes.
    static std::string Decode(const std::string& text);
};
