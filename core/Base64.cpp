#include "core/Base64.h"

namespace
{
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kPad = '=';

// The character's value, or -1 for anything outside the alphabet.
int CharValue(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}
} // namespace

std::string CBase64::Encode(const unsigned char* data, int length)
{
    std::string text;
    if (data == nullptr || length <= 0)
        return text;
    text.reserve((static_cast<size_t>(length) + 2) / 3 * 4);

    int i = 0;
    for (; i + 3 <= length; i += 3)
    {
        const unsigned group = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
        text += kAlphabet[(group >> 18) & 0x3F];
        text += kAlphabet[(group >> 12) & 0x3F];
        text += kAlphabet[(group >> 6) & 0x3F];
        text += kAlphabet[group & 0x3F];
    }

    const int rest = length - i;
    if (rest > 0)
    {
        const unsigned group = (data[i] << 16) | (rest == 2 ? data[i + 1] << 8 : 0);
        text += kAlphabet[(group >> 18) & 0x3F];
        text += kAlphabet[(group >> 12) & 0x3F];
        text += rest == 2 ? kAlphabet[(group >> 6) & 0x3F] : kPad;
        text += kPad;
    }
    return text;
}

std::string CBase64::Decode(const std::string& text)
{
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3 + 2);

    unsigned group = 0;
    int count = 0;
    for (const char c : text)
    {
        const int value = CharValue(c);
        if (value < 0)
            break;
        group = (group << 6) | static_cast<unsigned>(value);
        if (++count == 4)
        {
            bytes += static_cast<char>((group >> 16) & 0xFF);
            bytes += static_cast<char>((group >> 8) & 0xFF);
            bytes += static_cast<char>(group & 0xFF);
            group = 0;
            count = 0;
        }
    }

    // Two characters hold one byte, three hold two; one alone holds nothing.
    if (count == 2)
    {
        bytes += static_cast<char>((group >> 4) & 0xFF);
    }
    else if (count == 3)
    {
        bytes += static_cast<char>((group >> 10) & 0xFF);
        bytes += static_cast<char>((group >> 2) & 0xFF);
    }
    return bytes;
}
