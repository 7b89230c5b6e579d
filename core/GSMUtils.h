// GSM 03.38 default alphabet: the length rules by which the Send SMS window
// counts a message, and the conversion between code page 1252 and GSM codes.
// Narrow text is code page 1252, one byte per character. GSM text is
// unpacked: one byte per septet, an escaped character as 0x1B and its
// extension code.
#pragma once

#include <string>

class CGSMUtils
{
public:
    virtual ~CGSMUtils() = default;

    // Septets that the given number of parts holds: 160 for one part, 153 per
    // part above that, 0 for none.
    static int GetMaxMessageLength(int parts);

    // Septet length of the text. Above 160 septets, each two-septet character
    // that falls on a part boundary costs one more septet, since an escape
    // sequence cannot be split across two parts. The boundaries are walked by
    // character position (152, then 153 on, or 151 on after an escaped one);
    // the window's numbers rely on this walk as it stands.
    static int GetMessageLength(const std::string& text);

    // One part up to 160 septets, else 153 septets per part, rounded up.
    static int GetNumberOfParts(int septets);

    static int GetNumberOfPartsForText(const std::string& text);
};

class CGSMCharConverter
{
public:
    virtual ~CGSMCharConverter() = default;

    // 2 for the characters of the extension table (form feed, [ \ ] ^ { } ~ |
    // and the euro sign 0x80), 1 for every other byte, whether or not it is in
    // the alphabet.
    static int GetCharacterLength(unsigned char c)
    {
        switch (c)
        {
        case 0x0C: case '[': case '\\': case ']': case '^':
        case '{': case '}': case '~': case '|': case 0x80:
            return 2;
        default:
            return 1;
        }
    }

    // True when the code page 1252 byte has a GSM code. The byte 0 counts,
    // since the Greek capitals and the lone escape have no 1252 character.
    static bool IsGSMCharacter(unsigned char c);

    // True when every character is at most 0xFF and IsGSMCharacter holds.
    static bool IsGSMConvertible(const std::wstring& text);

    // Bytes without a GSM code are copied unchanged.
    static std::string ConvertToGSM(const std::string& text);

    // Codes without a 1252 character (the Greek capitals, a lone escape) and
    // bytes 0x80 and above are copied unchanged.
    static std::string ConvertFromGSM(const std::string& gsm);
};
