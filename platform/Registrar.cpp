#include "platform/Registrar.h"

#include "core/ScopedHandle.h"

#include <cwctype>
#include <memory>

namespace
{
enum class KeyFlag
{
    Plain,
    NoRemove,
    ForceRemove,
    Delete
};

struct Value
{
    bool isSet = false;
    DWORD type = REG_SZ;
    std::wstring text;
    DWORD number = 0;
};

struct NamedValue
{
    std::wstring name;
    Value value;
};

struct KeyNode
{
    KeyFlag flag = KeyFlag::Plain;
    std::wstring name;
    Value defaultValue;
    std::vector<NamedValue> values;
    std::vector<KeyNode> children;
};

struct RootNode
{
    HKEY root;
    std::vector<KeyNode> keys;
};

struct SyntaxError
{
};

bool EqualNoCase(const std::wstring& a, const wchar_t* b)
{
    return ::CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

class CScriptReader
{
public:
    explicit CScriptReader(const std::wstring& text)
    {
        std::size_t i = 0;
        while (i < text.size())
        {
            if (std::iswspace(text[i]))
            {
                ++i;
                continue;
            }
            std::wstring token;
            bool quoted = false;
            if (text[i] == L'\'')
            {
                quoted = true;
                for (++i;; ++i)
                {
                    if (i >= text.size())
                        throw SyntaxError();
                    if (text[i] == L'\'')
                    {
                        if (i + 1 < text.size() && text[i + 1] == L'\'')
                        {
                            token += L'\'';
                            ++i;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    token += text[i];
                }
            }
            else
            {
                while (i < text.size() && !std::iswspace(text[i]))
                    token += text[i++];
            }
            m_Tokens.push_back({token, quoted});
        }
    }

    bool AtEnd() const { return m_Next >= m_Tokens.size(); }
    // True for an unquoted token equal to the text.
    bool Peek(const wchar_t* text) const
    {
        return !AtEnd() && !m_Tokens[m_Next].quoted && EqualNoCase(m_Tokens[m_Next].text, text);
    }
    std::wstring Take()
    {
        if (AtEnd())
            throw SyntaxError();
        return m_Tokens[m_Next++].text;
    }
    void Expect(const wchar_t* text)
    {
        if (!Peek(text))
            throw SyntaxError();
        ++m_Next;
    }

private:
    struct Token
    {
        std::wstring text;
        bool quoted;
    };
    std::vector<Token> m_Tokens;
    std::size_t m_Next = 0;
};

HKEY RootOf(const std::wstring& name)
{
    struct RootName
    {
        const wchar_t* shortName;
        const wchar_t* longName;
        HKEY root;
    };
    static const RootName roots[] = {
        {L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HKU", L"HKEY_USERS", HKEY_USERS},
    };
    for (const RootName& root : roots)
        if (EqualNoCase(name, root.shortName) || EqualNoCase(name, root.longName))
            return root.root;
    throw SyntaxError();
}

Value ReadValue(CScriptReader& reader)
{
    Value value;
    value.isSet = true;
    const std::wstring type = reader.Take();
    const std::wstring text = reader.Take();
    if (EqualNoCase(type, L"s"))
    {
        value.type = REG_SZ;
        value.text = text;
    }
    else if (EqualNoCase(type, L"d"))
    {
        value.type = REG_DWORD;
        wchar_t* end = nullptr;
        value.number = static_cast<DWORD>(std::wcstoul(text.c_str(), &end, 0));
        if (text.empty() || *end != L'\0')
            throw SyntaxError();
    }
    else
        throw SyntaxError();
    return value;
}


KeyNode ReadKey(CScriptReader& reader)
{
    KeyNode node;
    if (reader.Peek(L"NoRemove"))
        node.flag = KeyFlag::NoRemove;
    else if (reader.Peek(L"ForceRemove"))
        node.flag = KeyFlag::ForceRemove;
    else if (reader.Peek(L"Delete"))
        node.flag = KeyFlag::Delete;
    if (node.flag != KeyFlag::Plain)
        reader.Take();
    node.name = reader.Take();
    if (node.name == L"{" || node.name == L"}" || node.name == L"=")
        throw SyntaxError();
    if (reader.Peek(L"="))
    {
        reader.Take();
        node.defaultValue = ReadValue(reader);
    }
    if (reader.Peek(L"{"))
    {
        reader.Take();
        while (!reader.Peek(L"}"))
        {
            if (reader.Peek(L"val"))
            {
                reader.Take();
                NamedValue named;
                named.name = reader.Take();
                reader.Expect(L"=");
                named.value = ReadValue(reader);
                node.values.push_back(named);
            }
            else
                node.children.push_back(ReadKey(reader));
        }
        reader.Take();
    }
    return node;
}

std::vector<RootNode> ReadScript(const std::wstring& text)
{
    CScriptReader reader(text);
    std::vector<RootNode> roots;
    while (!reader.AtEnd())
    {
        RootNode root{RootOf(reader.Take()), {}};
        reader.Expect(L"{");
        while (!reader.Peek(L"}"))
            root.keys.push_back(ReadKey(reader));
        reader.Take();
        roots.push_back(std::move(root));
    }
    return roots;
}

struct RegistryFailure
{
    LONG status;
};

void Check(LONG status)
{
    if (status != ERROR_SUCCESS)
        throw RegistryFailure{status};
}

void SetValue(HKEY key, const wchar_t* name, const Value& value)
{
    if (value.type == REG_DWORD)
        Check(::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number), sizeof(DWORD)));
    else
        Check(::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                               static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t))));
}

// The key with everything under it; a missing key is already gone.
void DeleteTree(HKEY parent, const std::wstring& name)
{
    const LONG status = ::RegDeleteTreeW(parent, name.c_str());
    if (status != ERROR_FILE_NOT_FOUND)
        Check(status);
}

void Register(HKEY parent, const KeyNode& node)
{
    if (node.flag == KeyFlag::Delete)
    {
        DeleteTree(parent, node.name);
        return;
    }
    if (node.flag == KeyFlag::ForceRemove)
        DeleteTree(parent, node.name);
    CScopedRegKey key;
    Check(::RegCreateKeyExW(parent, node.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            key.put(), nullptr));
    if (node.defaultValue.isSet)
        SetValue(key.get(), nullptr, node.defaultValue);
    for (const NamedValue& named : node.values)
        SetValue(key.get(), named.name.c_str(), named.value);
    for (const KeyNode& child : node.children)
        Register(key.get(), child);
}

bool HasSubKeys(HKEY key)
{
    DWORD subKeys = 0;
    Check(::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr));
    return subKeys != 0;
}

void Unregister(HKEY parent, const KeyNode& node)
{
    if (node.flag == KeyFlag::Delete)
        return;
    if (node.flag == KeyFlag::ForceRemove)
    {
        DeleteTree(parent, node.name);
        return;
    }
    bool empty = false;
    {
        CScopedRegKey key;
        const LONG status = ::RegOpenKeyExW(parent, node.name.c_str(), 0, KEY_ALL_ACCESS, key.put());
        if (status == ERROR_FILE_NOT_FOUND)
            return;
        Check(status);
        for (const KeyNode& child : node.children)
            Unregister(key.get(), child);
        for (const NamedValue& named : node.values)
        {
            const LONG deleted = ::RegDeleteValueW(key.get(), named.name.c_str());
            if (deleted != ERROR_FILE_NOT_FOUND)
                Check(deleted);
        }
        empty = node.flag == KeyFlag::Plain && !HasSubKeys(key.get());
    }
    if (empty)
        Check(::RegDeleteKeyW(parent, node.name.c_str()));
}
} // namespace

void CRegistrar::AddReplacement(const std::wstring& name, const std::wstring& value)
{
    m_Replacements.emplace_back(name, value);
}

bool CRegistrar::Expand(const std::wstring& script, std::wstring& expanded) const
{
    expanded.clear();
    for (std::size_t i = 0; i < script.size(); ++i)
    {
        if (script[i] != L'%')
        {
            expanded += script[i];
            continue;
        }
        const std::size_t end = script.find(L'%', i + 1);
        if (end == std::wstring::npos)
            return false;
        const std::wstring name = script.substr(i + 1, end - i - 1);
        if (name.empty())
            expanded += L'%';
        else
        {
            bool found = false;
            for (const auto& replacement : m_Replacements)
                if (EqualNoCase(name, replacement.first.c_str()))
                {
                    expanded += replacement.second;
                    found = true;
                    break;
                }
            if (!found)
                return false;
        }
        i = end;
    }
    return true;
}

HRESULT CRegistrar::UpdateFromScript(const std::wstring& script, bool doRegister) const
{
    std::vector<RootNode> roots;
    try
    {
        std::wstring expanded;
        if (!Expand(script, expanded))
            return DISP_E_EXCEPTION;
        roots = ReadScript(expanded);
    }
    catch (const SyntaxError&)
    {
        return DISP_E_EXCEPTION;
    }
    try
    {
        for (const RootNode& root : roots)
            for (const KeyNode& key : root.keys)
                doRegister ? Register(root.root, key) : Unregister(root.root, key);
    }
    catch (const RegistryFailure& failure)
    {
        return HRESULT_FROM_WIN32(failure.status);
    }
    return S_OK;
}

HRESULT CRegistrar::UpdateFromResource(HINSTANCE module, UINT id, const wchar_t* type, bool doRegister) const
{
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!resource)
        return HRESULT_FROM_WIN32(::GetLastError());
    HGLOBAL loaded = ::LoadResource(module, resource);
    const char* data = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    const DWORD size = ::SizeofResource(module, resource);
    if (!data)
        return HRESULT_FROM_WIN32(::GetLastError());
    std::wstring script;
    if (size > 0)
    {
        const int length = ::MultiByteToWideChar(CP_ACP, 0, data, static_cast<int>(size), nullptr, 0);
        script.resize(static_cast<std::size_t>(length));
        ::MultiByteToWideChar(CP_ACP, 0, data, static_cast<int>(size), &script[0], length);
    }
    return UpdateFromScript(script, doRegister);
}
