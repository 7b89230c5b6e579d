// A setup-building tool that captures registration runs as regcap.exe: this
// executable is built under that name, loads the DLL and registers it as the
// tool would. The add-in says so in a box and keeps Outlook's key and the
// event-log source out of the capture, in both directions.
#include "core/ScopedHandle.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace
{
const char kAddinKey[] = "Software\\Microsoft\\Office\\Outlook\\Addins\\ZentavoSMSOutlookAddin.Addin";
const char kEventSourceKey[] = "SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\ZentavoSMSOutlookAddin";

std::string AddinPath()
{
    const char* unixPath = std::getenv("ZENTAVO_ADDIN_DLL");
    std::string path = unixPath ? std::string("Z:") + unixPath : std::string();
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool KeyExists(HKEY root, const char* path)
{
    CScopedRegKey key;
    return ::RegOpenKeyExA(root, path, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::string ExpectedBoxText()
{
    char buffer[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path = buffer;
    std::transform(path.begin(), path.end(), path.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return "Being called during VS Installer (by RegCap Utility)\nWill hide Outlook Addin reg keys\nCalling Process: " +
           path;
}

using ServerFn = HRESULT(STDAPICALLTYPE*)();

TEST(RegCap, RegistrationUnderTheCaptureToolLeavesOutlooksKeysAlone)
{
    ASSERT_NE(std::string::npos, ExpectedBoxText().find("regcap.exe"));
    HMODULE module = ::LoadLibraryA(AddinPath().c_str());
    ASSERT_NE(nullptr, module) << AddinPath();
    const auto registerServer =
        reinterpret_cast<ServerFn>(reinterpret_cast<void*>(::GetProcAddress(module, "DllRegisterServer")));
    const auto unregisterServer =
        reinterpret_cast<ServerFn>(reinterpret_cast<void*>(::GetProcAddress(module, "DllUnregisterServer")));
    ASSERT_TRUE(registerServer && unregisterServer);

    {
        CWindowDriver driver;
        driver.Expect().Caption("Outlook Addin (CAddin::UpdateRegistry)").Text(ExpectedBoxText()).Press(IDOK);
        EXPECT_EQ(S_OK, registerServer());
        EXPECT_EQ("", driver.Problems());
    }
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "ZentavoSMSOutlookAddin.Addin"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEventSourceKey));

    // A key written by an earlier install is not the capture's to remove.
    CScopedRegKey planted;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, kAddinKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                               planted.put(), nullptr));
    planted.reset();
    {
        CWindowDriver driver;
        driver.Expect().Caption("Outlook Addin (CAddin::UpdateRegistry)").Press(IDOK);
        EXPECT_EQ(S_OK, unregisterServer());
        EXPECT_EQ("", driver.Problems());
    }
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "ZentavoSMSOutlookAddin.Addin"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kAddinKey);
    ::FreeLibrary(module);
}
} // namespace
