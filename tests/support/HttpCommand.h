// The prefix's HKEY_CLASSES_ROOT "http\shell\open\command" set to a test's
// value (or removed) for one scope, then put back as it was. Tests that use
// it hold the CTest lock "http_association".
#pragma once

#include <optional>
#include <string>

class CScopedHttpCommand
{
public:
    // nullopt removes the value.
    explicit CScopedHttpCommand(const std::optional<std::string>& command);
    ~CScopedHttpCommand();
    CScopedHttpCommand(const CScopedHttpCommand&) = delete;
    CScopedHttpCommand& operator=(const CScopedHttpCommand&) = delete;

private:
    static void Write(const std::optional<std::string>& command);

    std::optional<std::string> m_Saved;
};
