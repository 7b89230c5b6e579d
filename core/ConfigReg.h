// CConfigReg: the registry-backed base of the add-in's settings objects.
// It owns one open key and reads and writes REG_SZ values of it; flags,
// numbers, enciphered secrets and text lists are all stored as text.
// The store knows no value names or defaults: callers pass them each time.
//
// Failures are raised as _com_error (ThrowCOMError) with HRESULT_FROM_WIN32
// of the registry error, or E_FAIL. A value that cannot be read counts as
// missing: the caller's default is used, or the read fails.
#pragma once

#include "core/Mutex.h"
#include "core/ScopedHandle.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Opens root\path for reading and writing, creating it when missing; when
// that is refused, opens the existing key for reading only and sets
// readOnly. Returns an empty owner on a failure that ignoreErrors lets pass.
CScopedRegKey RegOpenOrCreateKey(HKEY root, const std::string& path, bool& readOnly, bool ignoreErrors);

// Standalone readers and writers of one value, without the read-only rule.
std::string RegReadStringValue(HKEY key, const std::string& name, bool ignoreMissing);
void RegWriteStringValue(HKEY key, const std::string& name, const std::string& text, bool ignoreFailure);

// The C library's atoi rule: leading white space, one optional sign, decimal
// digits up to the first other character, 0 when there are none; the value is
// clamped to the signed 32-bit range instead of overflowing.
std::int32_t StringToInt32(const std::string& text);

// Text-list form of the store: each item with backslashes doubled and quotes
// escaped, in double quotes, joined by single commas.
std::string EncodeStringList(const std::vector<std::string>& items);
// Appends the items of an encoded list; an unclosed last item is dropped and
// anything outside quotes is skipped.
void DecodeStringList(const std::string& text, std::vector<std::string>& items);

class CConfigReg
{
public:
    // errorText belongs to the owner and must outlive this object; derived
    // Load functions write into it when the key cannot be opened.
    explicit CConfigReg(std::string* errorText);
    virtual ~CConfigReg();

    CConfigReg(const CConfigReg&) = delete;
    CConfigReg& operator=(const CConfigReg&) = delete;

    // The open key (borrowed, owned by this object), null when closed.
    HKEY GetKey() const { return m_Key.get(); }

    // Closes the key; derived classes then open their own and read.
    virtual void Load();

    virtual std::string GetString(HKEY key, const std::string& name, bool useDefault, const std::string& defaultText,
                                  bool logIfMissing);
    virtual std::string GetStringForOpenKey(const std::string& name, bool useDefault, const std::string& defaultText,
                                            bool logIfMissing);
    virtual void SetString(HKEY key, const std::string& name, const std::string& text);
    virtual void SetStringForOpenKey(const std::string& name, const std::string& text);
    virtual void DeleteValue(HKEY key, const std::string& name, bool ignoreFailure);
    virtual bool ValueExists(HKEY key, const std::string& name);
    // Appends the names of the direct subkeys in registry order.
    virtual void EnumerateSubKeys(HKEY key, std::vector<std::string>& names);
    // Closes any open key, then opens or creates root\path; the returned
    // handle stays owned by this object.
    virtual HKEY OpenKey(HKEY root, const std::string& path);
    virtual void CloseKey();
    // Closes a key the caller obtained from RegOpenOrCreateKey.
    virtual void CloseKeyHandle(CScopedRegKey& key);

    bool GetBool(HKEY key, const std::string& name, bool useDefault, bool defaultValue, bool logIfMissing);
    std::int32_t GetDWORD(HKEY key, const std::string& name, bool useDefault, std::uint32_t defaultValue,
                          bool logIfMissing);
    // A number of the given range: a REG_SZ read by the atoi rule, or a
    // REG_DWORD another version left. Missing, of another type, without a
    // digit, or outside the range, it reads as defaultValue. Nothing logged.
    std::int32_t GetNumber(HKEY key, const std::string& name, std::int32_t defaultValue, std::int32_t minimum,
                           std::int32_t maximum);
    // The default is in stored (enciphered) form and is deciphered when used.
    std::string GetEncryptedString(HKEY key, const std::string& name, bool useDefault,
                                   const std::string& defaultEnciphered, bool logIfMissing);
    // Reads the object's own key; appends to list, which is not emptied.
    void GetStringList(const std::string& name, std::vector<std::string>& list, bool useDefault,
                       std::string defaultText, bool logIfMissing);
    std::wstring GetStringW(HKEY key, const std::string& name, bool useDefault, const std::wstring& defaultText,
                            bool logIfMissing);

    void SetBool(HKEY key, const std::string& name, bool value);
    void SetDWORD(HKEY key, const std::string& name, std::uint32_t value);
    void SetEncryptedString(HKEY key, const std::string& name, const std::string& text);
    void SetStringList(HKEY key, const std::string& name, const std::vector<std::string>& list);
    void SetStringW(HKEY key, const std::string& name, const std::wstring& text);

protected:
    // A scoped lock on m_Mutex: no time limit, no log, no reports.
    CMutexLock LockSettings();

    CScopedRegKey m_Key;
    // Set while the open key could only be opened for reading; every write
    // and delete is then refused before the registry is touched. Kept from
    // the last open; CloseKey does not clear it.
    bool m_ReadOnly;
    // Locked by the derived classes around their loads, saves and
    // accessors; a Win32 mutex, so the owning thread may lock it again.
    CMutex m_Mutex;
    std::string* m_ErrorText;
};
