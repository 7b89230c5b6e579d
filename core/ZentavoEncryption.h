// Enciphers the password and the secret key that the settings store keeps in
// the registry: two-key triple DES in CBC mode behind an enciphered random
// first block, PKCS #5 padding, Base64 text. The stored values depend on the
// keys and the format bit for bit.
#pragma once

#include <string>

class CZentavoEncryption
{
public:
    virtual ~CZentavoEncryption() = default;

    // The text up to its first NUL (which may leave nothing but the padding);
    // an empty text gives an empty result. The first block comes from
    // rand(), so enciphering twice gives two values.
    std::string Encrypt(const std::string& text) const;

    // The deciphered text up to its first zero byte. Never fails: a value
    // whose padding is bad (damaged, or enciphered under other keys) and one
    // too short to hold a data block give an empty text, as for no value.
    std::string Decrypt(const std::string& value) const;
};
