// Shared by the e-mail route's tests: a private temporary folder, file
// reading, and SHA-1 through the Windows CryptoAPI, so that the digests the
// tests check are computed by code other than the add-in's.
#pragma once

#include "contacts/SMSContact.h"

#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Points TMP and TEMP at a new empty folder for the life of the object, so a
// test can see every file the code under test leaves behind.
class CPrivateTempFolder
{
public:
    CPrivateTempFolder()
    {
        m_OldTmp = Read("TMP");
        m_OldTemp = Read("TEMP");
        char base[MAX_PATH + 1] = {};
        ::GetTempPathA(MAX_PATH + 1, base);
        m_Path = std::string(base) + "zentavo_email_" + std::to_string(::GetCurrentProcessId()) + "_" +
                 std::to_string(++Counter());
        ::CreateDirectoryA(m_Path.c_str(), nullptr);
        Point(m_Path);
    }
    ~CPrivateTempFolder()
    {
        Restore("TMP", m_OldTmp);
        Restore("TEMP", m_OldTemp);
        for (const std::string& name : Files())
            ::DeleteFileA((m_Path + "\\" + name).c_str());
        ::RemoveDirectoryA(m_Path.c_str());
    }
    CPrivateTempFolder(const CPrivateTempFolder&) = delete;
    CPrivateTempFolder& operator=(const CPrivateTempFolder&) = delete;

    const std::string& Path() const { return m_Path; }

    // TMP and TEMP both at the text, which need not name a folder.
    static void Point(const std::string& folder)
    {
        ::SetEnvironmentVariableA("TMP", folder.c_str());
        ::SetEnvironmentVariableA("TEMP", folder.c_str());
    }
    void PointBack() const { Point(m_Path); }

    // The names of the files in the folder.
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        const HANDLE search = ::FindFirstFileA((m_Path + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do
        {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
        return names;
    }

private:
    static int& Counter()
    {
        static int counter = 0;
        return counter;
    }
    static std::pair<bool, std::string> Read(const char* name)
    {
        char value[32768];
        const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof(value));
        if (length == 0 || length >= sizeof(value))
            return {false, std::string()};
        return {true, std::string(value, length)};
    }
    static void Restore(const char* name, const std::pair<bool, std::string>& value)
    {
        ::SetEnvironmentVariableA(name, value.first ? value.second.c_str() : nullptr);
    }

    std::string m_Path;
    std::pair<bool, std::string> m_OldTmp;
    std::pair<bool, std::string> m_OldTemp;
};

inline std::string ReadFileBytes(const std::string& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

inline bool FileExistsAt(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Base64 of the SHA-1 of the bytes, by the CryptoAPI.
inline std::string CryptoApiSha1Base64(const std::string& bytes)
{
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    BYTE digest[20] = {};
    DWORD length = sizeof(digest);
    const bool hashed = ::CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
                        ::CryptCreateHash(provider, CALG_SHA1, 0, 0, &hash) &&
                        ::CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()),
                                        static_cast<DWORD>(bytes.size()), 0) &&
                        ::CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0);
    if (hash)
        ::CryptDestroyHash(hash);
    if (provider)
        ::CryptReleaseContext(provider, 0);
    if (!hashed)
        return std::string();

    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t i = 0; i < sizeof(digest); i += 3)
    {
        const unsigned value = (digest[i] << 16) | ((i + 1 < sizeof(digest) ? digest[i + 1] : 0) << 8) |
                               (i + 2 < sizeof(digest) ? digest[i + 2] : 0);
        text += alphabet[(value >> 18) & 63];
        text += alphabet[(value >> 12) & 63];
        text += i + 1 < sizeof(digest) ? alphabet[(value >> 6) & 63] : '=';
        text += i + 2 < sizeof(digest) ? alphabet[value & 63] : '=';
    }
    return text;
}

// The text between <name> and </name>, or "" when the element is missing.
inline std::string ElementText(const std::string& document, const std::string& name)
{
    const std::string open = "<" + name + ">";
    const std::string::size_type begin = document.find(open);
    if (begin == std::string::npos)
        return std::string();
    const std::string::size_type end = document.find("</" + name + ">", begin);
    if (end == std::string::npos)
        return std::string();
    return document.substr(begin + open.size(), end - begin - open.size());
}

inline CSMSContactVector NumberedContacts(size_t count, const std::string& namePrefix = "Person ")
{
    CSMSContactVector contacts;
    for (size_t i = 0; i < count; ++i)
    {
        const std::string number = "+44 7700 9" + std::to_string(10000 + i);
        contacts.emplace_back(namePrefix.empty() ? std::string() : namePrefix + std::to_string(i + 1), number);
    }
    return contacts;
}
