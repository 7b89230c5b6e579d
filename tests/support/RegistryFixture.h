// A scratch registry for tests that touch the settings. HKEY_CURRENT_USER is redirected
// (RegOverridePredefKey) to a throwaway key for the length of each test, so
// the product's own key paths land there and nothing of the real user's
// settings is read or changed. Events written to the event log are captured.
#pragma once

#include "core/ConfigZentavoSMSOutlookAddin.h"
#include "core/ScopedHandle.h"
#include "tests/support/EventCapture.h"

#include <comdef.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

struct RawValue
{
    DWORD type = REG_NONE;
    std::string text;  // the stored data, through the ANSI code page
    // The stored data ends in a NUL. RegSetValueExA stores one when the
    // byte after the given length is a NUL, as it is after std::string data.
    bool terminated = false;
};

class RegistryFixture : public ::testing::Test
{
public:
    static constexpr const char* kSettings = CConfigZentavoSMSOutlookAddin::SettingsKeyPath;
    static constexpr const char* kTemplates =
        "SOFTWARE\\ZentavoSoftware\\ZentavoSMSOutlookPlugin\\AppointmentTemplates";

    static std::vector<CapturedEvent>& Events();

protected:

    void SetUp() override;
    void TearDown() override;

    // Paths are relative to the redirected HKEY_CURRENT_USER.
    HKEY Root() const { return m_Scratch.get(); }
    CScopedRegKey OpenTestKey(const std::string& path);
    void WriteRaw(const std::string& path, const std::string& name, const std::string& text, DWORD type = REG_SZ);
    std::optional<RawValue> ReadRaw(const std::string& path, const std::string& name);
    std::optional<std::string> ReadText(const std::string& path, const std::string& name);
    std::vector<std::string> ValueNames(const std::string& path);
    std::vector<std::string> SubKeyNames(const std::string& path);
    bool KeyExists(const std::string& path);
    // Grants everyone read access only ("KR"), or nothing at all.
    void LockKey(const std::string& path, bool allowRead = true);

private:
    void SetDacl(const std::string& path, const char* sddl);
    void DeleteScratch();

    CScopedRegKey m_Scratch;
    std::vector<std::string> m_LockedPaths;
};

// Description of a _com_error as narrow text.
std::string DescriptionOf(const _com_error& error);

// Runs an expression that must raise a _com_error with the given HRESULT and
// description.
#define EXPECT_COM_ERROR(statement, expectedHr, expectedText)                   \
    do                                                                          \
    {                                                                           \
        try                                                                     \
        {                                                                       \
            statement;                                                          \
            ADD_FAILURE() << "no _com_error from: " #statement;                 \
        }                                                                       \
        catch (const _com_error& error_)                                        \
        {                                                                       \
            EXPECT_EQ(static_cast<HRESULT>(expectedHr), error_.Error());        \
            EXPECT_EQ(std::string(expectedText), DescriptionOf(error_));        \
        }                                                                       \
    } while (false)
