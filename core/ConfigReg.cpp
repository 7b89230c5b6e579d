#include "core/ConfigReg.h"

#include "core/ErrorReports.h"
#include "core/Exceptions.h"
#include "core/StringUtils.h"
#include "core/ZentavoEncryption.h"

#include <comdef.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace
{
const char* const kMissingValueEventSource = "CorvasseServer";

[[noreturn]] void RaiseError(HRESULT hr, const std::string& message)
{
    ThrowCOMError(hr, _bstr_t(message.c_str()));
}

void RequireOpenKey(HKEY key)
{
    if (key == nullptr)
        RaiseError(E_FAIL, "Reg key not open");
}

// Reads a value of any type and any length as narrow text: the data up to
// its length or its first NUL. A REG_DWORD (an administrator's or another
// version's number or flag) reads as its unsigned decimal text. The size is
// asked for first, and asked again should the value grow between the two
// calls. The value's registry type goes to type when asked for.
LONG ReadValueText(HKEY key, const std::string& name, std::string& text, DWORD* type = nullptr)
{
    DWORD size = 0;
    LONG status = ::RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, &size);
    for (int attempt = 0; status == ERROR_SUCCESS && attempt < 8; ++attempt)
    {
        // One spare byte, so text stored without a terminator still fits.
        std::vector<char> buffer(static_cast<std::size_t>(size) + 1, '\0');
        DWORD read = static_cast<DWORD>(buffer.size());
        DWORD valueType = REG_NONE;
        status = ::RegQueryValueExA(key, name.c_str(), nullptr, &valueType, reinterpret_cast<BYTE*>(buffer.data()),
                                    &read);
        if (type != nullptr)
            *type = valueType;
        if (status == ERROR_SUCCESS && valueType == REG_DWORD && read == sizeof(DWORD))
        {
            DWORD number = 0;
            std::memcpy(&number, buffer.data(), sizeof(number));
            text = std::to_string(number);
            return ERROR_SUCCESS;
        }
        if (status == ERROR_SUCCESS)
        {
            const auto end = buffer.begin() + std::min<std::size_t>(read, buffer.size());
            text.assign(buffer.begin(), std::find(buffer.begin(), end, '\0'));
            return ERROR_SUCCESS;
        }
        if (status == ERROR_MORE_DATA)
        {
            size = std::max<DWORD>(read, size * 2);
            status = ERROR_SUCCESS;
        }
    }
    return status == ERROR_SUCCESS ? ERROR_MORE_DATA : status;
}

// A REG_SZ with its terminating NUL, as other readers of the key expect; an
// empty text is then one NUL rather than no data at all.
LONG WriteText(HKEY key, const std::string& name, const std::string& text)
{
    return ::RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1));
}

HRESULT HResultOfStatus(LONG status)
{
    return HResultFromWin32(static_cast<DWORD>(status));
}
}  // namespace

CScopedRegKey RegOpenOrCreateKey(HKEY root, const std::string& path, bool& readOnly, bool ignoreErrors)
{
    readOnly = false;
    CScopedRegKey key;
    char emptyClass[] = "";
    LONG status = ::RegCreateKeyExA(root, path.c_str(), 0, emptyClass, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                                    nullptr, key.put(), nullptr);
    if (status == ERROR_SUCCESS)
        return key;

    status = ::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put());
    if (status == ERROR_SUCCESS)
    {
        readOnly = true;
        return key;
    }
    if (!ignoreErrors)
        RaiseError(HResultOfStatus(status), "Could not open " + path + " key");
    return CScopedRegKey();
}

std::string RegReadStringValue(HKEY key, const std::string& name, bool ignoreMissing)
{
    std::string text;
    const LONG status = ReadValueText(key, name, text);
    if (status == ERROR_SUCCESS)
        return text;
    if (!ignoreMissing)
        RaiseError(HResultOfStatus(status), "Could not open " + name + " string value");
    return std::string();
}

void RegWriteStringValue(HKEY key, const std::string& name, const std::string& text, bool ignoreFailure)
{
    const LONG status = WriteText(key, name, text);
    if (status != ERROR_SUCCESS && !ignoreFailure)
        RaiseError(HResultOfStatus(status), "Could not open " + name + " key");
}

namespace
{
// The atoi rule without its clamp: the value (its magnitude capped just past
// the 32-bit range) and whether any digit was read.
std::int64_t ParseDecimal(const std::string& text, bool& anyDigit)
{
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r')))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';

    // Accumulate the magnitude, stopping once it is past every 32-bit value.
    const std::int64_t limit = static_cast<std::int64_t>(INT32_MAX) + 1;
    std::int64_t magnitude = 0;
    anyDigit = false;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
    {
        anyDigit = true;
        if (magnitude <= limit)
            magnitude = magnitude * 10 + (text[pos] - '0');
    }
    return negative ? -magnitude : magnitude;
}
}  // namespace

std::int32_t StringToInt32(const std::string& text)
{
    bool anyDigit = false;
    const std::int64_t value = ParseDecimal(text, anyDigit);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

std::string EncodeStringList(const std::vector<std::string>& items)
{
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i)
    {
        if (i != 0)
            text += ',';
        text += '"';
        text += ReplaceAll(ReplaceAll(items[i], "\\", "\\\\"), "\"", "\\\"");
        text += '"';
    }
    return text;
}

void DecodeStringList(const std::string& text, std::vector<std::string>& items)
{
    std::size_t pos = 0;
    while (pos < text.size())
    {
        if (text[pos++] != '"')
            continue;
        const std::size_t start = pos;
        bool closed = false;
        while (pos < text.size())
        {
            const char c = text[pos++];
            if (c == '\\')
                ++pos;  // an escaped character never ends the item
            else if (c == '"')
            {
                closed = true;
                break;
            }
        }
        if (!closed)
            return;
        const std::string escaped = text.substr(start, pos - 1 - start);
        items.push_back(ReplaceAll(ReplaceAll(escaped, "\\\\", "\\"), "\\\"", "\""));
    }
}

CConfigReg::CConfigReg(std::string* errorText) : m_ReadOnly(false), m_ErrorText(errorText)
{
}

CConfigReg::~CConfigReg()
{
    m_Key.reset();
}

CMutexLock CConfigReg::LockSettings()
{
    return CMutexLock(&m_Mutex, nullptr, std::string(), -1, false);
}

void CConfigReg::Load()
{
    CloseKey();
}

HKEY CConfigReg::OpenKey(HKEY root, const std::string& path)
{
    CloseKey();
    m_Key = RegOpenOrCreateKey(root, path, m_ReadOnly, false);
    return m_Key.get();
}

void CConfigReg::CloseKey()
{
    m_Key.reset();
}

void CConfigReg::CloseKeyHandle(CScopedRegKey& key)
{
    key.reset();
}

std::string CConfigReg::GetString(HKEY key, const std::string& name, bool useDefault, const std::string& defaultText,
                                  bool logIfMissing)
{
    RequireOpenKey(key);
    std::string text;
    const LONG status = ReadValueText(key, name, text);
    if (status == ERROR_SUCCESS)
        return text;

    if (logIfMissing)
        CEventLogger::WriteEvent(EVENTLOG_ERROR_TYPE, "Could not find reg value: " + name, kMissingValueEventSource);
    if (!useDefault)
        RaiseError(HResultOfStatus(status), "Could not open " + name + " string value");
    return defaultText;
}

std::string CConfigReg::GetStringForOpenKey(const std::string& name, bool useDefault, const std::string& defaultText,
                                            bool logIfMissing)
{
    return GetString(m_Key.get(), name, useDefault, defaultText, logIfMissing);
}

void CConfigReg::SetString(HKEY key, const std::string& name, const std::string& text)
{
    if (m_ReadOnly)
        RaiseError(E_FAIL, "Insufficent rights to write to the registry");
    RequireOpenKey(key);
    const LONG status = WriteText(key, name, text);
    if (status != ERROR_SUCCESS)
        RaiseError(HResultOfStatus(status), "Could not set " + name + " string value");
}

void CConfigReg::SetStringForOpenKey(const std::string& name, const std::string& text)
{
    SetString(m_Key.get(), name, text);
}

void CConfigReg::DeleteValue(HKEY key, const std::string& name, bool ignoreFailure)
{
    if (m_ReadOnly)
        RaiseError(E_FAIL, "Insufficent rights to delete value in the registry");
    RequireOpenKey(key);
    const LONG status = ::RegDeleteValueA(key, name.c_str());
    if (status != ERROR_SUCCESS && !ignoreFailure)
        RaiseError(HResultOfStatus(status), "Could not delete " + name + " string value");
}

bool CConfigReg::ValueExists(HKEY key, const std::string& name)
{
    RequireOpenKey(key);
    return ::RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void CConfigReg::EnumerateSubKeys(HKEY key, std::vector<std::string>& names)
{
    char name[1000];
    for (DWORD index = 0;; ++index)
    {
        DWORD length = sizeof(name);
        const LONG status = ::RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return;
        if (status != ERROR_SUCCESS)
            RaiseError(HResultOfStatus(status), "Could not enumerate transports");
        names.emplace_back(name, length);
    }
}

bool CConfigReg::GetBool(HKEY key, const std::string& name, bool useDefault, bool defaultValue, bool logIfMissing)
{
    return GetString(key, name, useDefault, defaultValue ? "1" : "0", logIfMissing) == "1";
}

std::int32_t CConfigReg::GetDWORD(HKEY key, const std::string& name, bool useDefault, std::uint32_t defaultValue,
                                  bool logIfMissing)
{
    return StringToInt32(GetString(key, name, useDefault, std::to_string(defaultValue), logIfMissing));
}

std::int32_t CConfigReg::GetNumber(HKEY key, const std::string& name, std::int32_t defaultValue, std::int32_t minimum,
                                   std::int32_t maximum)
{
    RequireOpenKey(key);
    std::string text;
    DWORD type = REG_NONE;
    if (ReadValueText(key, name, text, &type) != ERROR_SUCCESS || (type != REG_SZ && type != REG_DWORD))
        return defaultValue;
    bool anyDigit = false;
    const std::int64_t value = ParseDecimal(text, anyDigit);
    return anyDigit && value >= minimum && value <= maximum ? static_cast<std::int32_t>(value) : defaultValue;
}

std::string CConfigReg::GetEncryptedString(HKEY key, const std::string& name, bool useDefault,
                                           const std::string& defaultEnciphered, bool logIfMissing)
{
    const std::string stored = GetString(key, name, useDefault, defaultEnciphered, logIfMissing);
    return CZentavoEncryption().Decrypt(stored);
}

void CConfigReg::GetStringList(const std::string& name, std::vector<std::string>& list, bool useDefault,
                               std::string defaultText, bool logIfMissing)
{
    DecodeStringList(GetString(m_Key.get(), name, useDefault, defaultText, logIfMissing), list);
}

std::wstring CConfigReg::GetStringW(HKEY key, const std::string& name, bool useDefault,
                                    const std::wstring& defaultText, bool logIfMissing)
{
    return WidenString(GetString(key, name, useDefault, NarrowString(defaultText), logIfMissing));
}

void CConfigReg::SetBool(HKEY key, const std::string& name, bool value)
{
    SetString(key, name, value ? "1" : "0");
}

void CConfigReg::SetDWORD(HKEY key, const std::string& name, std::uint32_t value)
{
    SetString(key, name, std::to_string(value));
}

void CConfigReg::SetEncryptedString(HKEY key, const std::string& name, const std::string& text)
{
    SetString(key, name, CZentavoEncryption().Encrypt(text));
}

void CConfigReg::SetStringList(HKEY key, const std::string& name, const std::vector<std::string>& list)
{
    SetString(key, name, EncodeStringList(list));
}

void CConfigReg::SetStringW(HKEY key, const std::string& name, const std::wstring& text)
{
    SetString(key, name, NarrowString(text));
}
