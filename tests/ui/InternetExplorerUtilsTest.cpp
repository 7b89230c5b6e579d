// The browser's program from the prefix's http command.
#include "ui/InternetExplorerUtils.h"

#include "tests/support/HttpCommand.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

TEST(InternetExplorerUtils, TakesTheProgramOfTheHttpCommand)
{
    struct Case
    {
        std::optional<std::string> command;
        std::string expected;
    };
    const Case cases[] = {
        {R"("C:\Program Files\Browser\browser.exe" -nohome)", R"(C:\Program Files\Browser\browser.exe)"},
        {R"("C:\Program Files\Browser\browser.exe" "%1")", R"(C:\Program Files\Browser\browser.exe)"},
        {R"("C:\Program Files\My Browser\my browser.exe" -- "%1")", R"(C:\Program Files\My Browser\my browser.exe)"},
        {R"(C:\Browser\browser.exe -url %1)", R"(C:\Browser\browser.exe)"},
        {R"(C:\Browser\browser.exe)", R"(C:\Browser\browser.exe)"},
        {R"("C:\Browser\browser.exe)", R"("C:\Browser\browser.exe)"},
        {std::nullopt, ""},
    };
    for (const Case& c : cases)
    {
        const CScopedHttpCommand command(c.command);
        CInternetExplorerUtils browser;
        EXPECT_EQ(c.expected, browser.GetDefaultBrowserPath()) << c.command.value_or("(none)");
        // A later call gives the same path, not a second cut of it.
        EXPECT_EQ(c.expected, browser.GetDefaultBrowserPath()) << c.command.value_or("(none)");
    }
}
