// The plug-in core's web pages reach the browser as one argument each: a
// recorder program stands in as the prefix's http command.
#include "addin/ZentavoSMSOutlookPlugin.h"

#include "core/ScopedComApartment.h"
#include "tests/support/HttpCommand.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace
{
constexpr char kOutputVariable[] = "ZENTAVO_RECORDER_OUTPUT";

class WebPages : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Output = TempFilePath("zentavo_recorded_arguments.txt");
        ::DeleteFileA(m_Output.c_str());
        ::SetEnvironmentVariableA(kOutputVariable, m_Output.c_str());
        m_SavedMode = Plugin().m_Config.m_AuthMode;
        m_SavedUser = Plugin().m_Config.GetUsername();
    }
    void TearDown() override
    {
        Plugin().m_Config.m_AuthMode = m_SavedMode;
        Plugin().m_Config.SetUsername(m_SavedUser);
        ::SetEnvironmentVariableA(kOutputVariable, nullptr);
        ::DeleteFileA(m_Output.c_str());
    }

    static CZentavoSMSOutlookPlugin& Plugin() { return CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin; }

    // The arguments the browser was started with, once it has written them.
    std::vector<std::string> RecordedArguments()
    {
        for (int wait = 0; wait < 600 && ::GetFileAttributesA(m_Output.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait)
            ::Sleep(100);
        std::vector<std::string> arguments;
        {
            std::ifstream file(m_Output);
            for (std::string line; std::getline(file, line);)
                arguments.push_back(line);
        }
        ::DeleteFileA(m_Output.c_str());
        return arguments;
    }

    std::string m_Output;
    int m_SavedMode = 0;
    std::string m_SavedUser;
    const CScopedComApartment m_Apartment{COINIT_APARTMENTTHREADED};
    const CScopedHttpCommand m_Command{"\"" + ProgramBesideTest("command_line_recorder.exe") + "\" %1"};
};

const std::string kRedirect = "www.zentavosms.com/redir?page=";
const std::string kRefer = "&refer=oladdin&ver=5.0.1";
} // namespace

TEST_F(WebPages, EachPageOpensAtItsOwnAddress)
{
    struct Case
    {
        void (CZentavoSMSOutlookPlugin::*open)();
        std::string address;
    };
    const Case cases[] = {
        {&CZentavoSMSOutlookPlugin::ShowGetSMSAccountPage, "https://" + kRedirect + "getsmsaccount" + kRefer},
        {&CZentavoSMSOutlookPlugin::ShowAuthModesHelpPage, "http://" + kRedirect + "oladdin_help_authmodes" + kRefer},
        {&CZentavoSMSOutlookPlugin::ShowContactSelectorHelpPage,
         "http://" + kRedirect + "oladdin_help_contactselector" + kRefer},
        {&CZentavoSMSOutlookPlugin::ShowSendSMSHelpPage, "http://" + kRedirect + "oladdin_help_sendsms" + kRefer},
    };
    for (const Case& c : cases)
    {
        (Plugin().*c.open)();
        EXPECT_EQ(std::vector<std::string>{c.address}, RecordedArguments());
    }
}

TEST_F(WebPages, TheCreditPageNamesTheUserEncodedInThePasswordAndKeyModes)
{
    const std::string page = "https://" + kRedirect + "buysmscredits" + kRefer;
    const std::string user = "&username=ann+%26+co%3dx";
    struct Case
    {
        int mode;
        std::string address;
    };
    const Case cases[] = {
        {0, page}, {1, page + user}, {2, page + user}, {3, page}, {4, page}, {5, page + user},
    };
    Plugin().m_Config.SetUsername("ann & co=x");
    for (const Case& c : cases)
    {
        Plugin().m_Config.m_AuthMode = c.mode;
        Plugin().ShowBuySMSCreditsPage();
        EXPECT_EQ(std::vector<std::string>{c.address}, RecordedArguments()) << "mode " << c.mode;
    }
}
