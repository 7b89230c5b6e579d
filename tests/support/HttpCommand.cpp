#include "tests/support/HttpCommand.h"

#include "core/ScopedHandle.h"

#include <windows.h>

#include <vector>

namespace
{
constexpr char kCommandKey[] = "http\\shell\\open\\command";

std::optional<std::string> ReadCommand()
{
    CScopedRegKey key;
    DWORD size = 0;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, kCommandKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
        ::RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<char> value(size + 1, '\0');
    ::RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()), &size);
    return std::string(value.data());
}
} // namespace

CScopedHttpCommand::CScopedHttpCommand(const std::optional<std::string>& command) : m_Saved(ReadCommand())
{
    Write(command);
}

CScopedHttpCommand::~CScopedHttpCommand()
{
    Write(m_Saved);
}

void CScopedHttpCommand::Write(const std::optional<std::string>& command)
{
    CScopedRegKey key;
    if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, kCommandKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return;
    if (command)
        ::RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command->c_str()),
                         static_cast<DWORD>(command->size() + 1));
    else
        ::RegDeleteValueA(key.get(), nullptr);
}
