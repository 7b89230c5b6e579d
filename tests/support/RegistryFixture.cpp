#include "tests/support/RegistryFixture.h"

#include "core/ErrorReports.h"
#include "core/StringUtils.h"

#include <sddl.h>

namespace
{
// One scratch key per process: test executables run side by side in one
// prefix, and a shared key would be deleted under another's feet.
const std::string& ScratchPath()
{
    static const std::string path = "Software\\ZentavoSettingsTests\\" + std::to_string(::GetCurrentProcessId());
    return path;
}

void CaptureEvent(WORD type, const std::string& text, const std::string& source)
{
    RegistryFixture::Events().push_back({type, text, source});
}
} // namespace

std::vector<CapturedEvent>& RegistryFixture::Events()
{
    static std::vector<CapturedEvent> events;
    return events;
}

void RegistryFixture::SetUp()
{
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    DeleteScratch();
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, ScratchPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, m_Scratch.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, ::RegOverridePredefKey(HKEY_CURRENT_USER, m_Scratch.get()));
    Events().clear();
    SetEventLogSink(&CaptureEvent);
}

void RegistryFixture::TearDown()
{
    SetEventLogSink(nullptr);
    for (const std::string& path : m_LockedPaths)
        SetDacl(path, "D:P(A;;KA;;;WD)");
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    m_Scratch.reset();
    DeleteScratch();
}

void RegistryFixture::DeleteScratch()
{
    const LONG status = ::RegDeleteTreeA(HKEY_CURRENT_USER, ScratchPath().c_str());
    ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << status;
}

// One component at a time: Wine refuses long paths that hold long names.
CScopedRegKey RegistryFixture::OpenTestKey(const std::string& path)
{
    CScopedRegKey key;
    HKEY parent = Root();
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t end = path.find('\\', start);
        const std::string name = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        CScopedRegKey child;
        if (::RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ, child.put()) != ERROR_SUCCESS)
            return CScopedRegKey();
        key = std::move(child);
        parent = key.get();
        if (end == std::string::npos)
            return key;
        start = end + 1;
    }
}

void RegistryFixture::WriteRaw(const std::string& path, const std::string& name, const std::string& text, DWORD type)
{
    CScopedRegKey key;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExA(Root(), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key.get(), name.c_str(), 0, type,
                                              reinterpret_cast<const BYTE*>(text.data()),
                                              static_cast<DWORD>(text.size())));
}

// Read through the wide API, which hands back the stored data exactly.
std::optional<RawValue> RegistryFixture::ReadRaw(const std::string& path, const std::string& name)
{
    CScopedRegKey key = OpenTestKey(path);
    if (!key)
        return std::nullopt;
    const std::wstring wideName(name.begin(), name.end());
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring data(size / sizeof(wchar_t), L'\0');
    if (::RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    data.resize(size / sizeof(wchar_t));
    RawValue value;
    value.type = type;
    value.terminated = !data.empty() && data.back() == L'\0';
    if (value.terminated)
        data.pop_back();
    value.text = WideToAnsi(data);
    return value;
}

std::optional<std::string> RegistryFixture::ReadText(const std::string& path, const std::string& name)
{
    const auto raw = ReadRaw(path, name);
    if (!raw)
        return std::nullopt;
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), raw->type) << name;
    return raw->text;
}

std::vector<std::string> RegistryFixture::ValueNames(const std::string& path)
{
    std::vector<std::string> names;
    CScopedRegKey key = OpenTestKey(path);
    char name[1024];
    for (DWORD index = 0; key; ++index)
    {
        DWORD length = sizeof(name);
        if (::RegEnumValueA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

std::vector<std::string> RegistryFixture::SubKeyNames(const std::string& path)
{
    std::vector<std::string> names;
    CScopedRegKey key = OpenTestKey(path);
    char name[1024];
    for (DWORD index = 0; key; ++index)
    {
        DWORD length = sizeof(name);
        if (::RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

bool RegistryFixture::KeyExists(const std::string& path)
{
    return static_cast<bool>(OpenTestKey(path));
}

void RegistryFixture::LockKey(const std::string& path, bool allowRead)
{
    m_LockedPaths.push_back(path);
    SetDacl(path, allowRead ? "D:P(A;;KR;;;WD)" : "D:P");
}

void RegistryFixture::SetDacl(const std::string& path, const char* sddl)
{
    CScopedRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(Root(), path.c_str(), 0, WRITE_DAC, key.put())) << path;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr));
    const LONG status = ::RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor);
    ::LocalFree(descriptor);
    ASSERT_EQ(ERROR_SUCCESS, status);
}

std::string DescriptionOf(const _com_error& error)
{
    const _bstr_t description = error.Description();
    return description.length() == 0 ? std::string() : std::string(static_cast<const char*>(description));
}
