#include "gateway/ZentavoSMSGatewayAuthenticationManager.h"

#include "gateway/SMSGatewayHTTPInterfaceClientUIHelper.h"
#include "tests/submission/SubmissionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace
{
using CServiceConnectionException = CSMSGatewayHTTPInterfaceClientUIHelper::CServiceConnectionException;
using namespace GatewaySimulatorSeed;
using SubmissionTest::FieldOf;
using SubmissionTest::PrimaryRelay;

// The login state as saved in the registry, read by an object of its own.
struct SavedState
{
    int authMode;
    std::string username;
    std::string password;
    std::string accessKey;
    std::string secretKey;
};

SavedState ReadSavedState()
{
    std::string errorText;
    CConfigZentavoSMSOutlookAddin_Config config(&errorText);
    config.Load();
    return SavedState{config.m_AuthMode, config.GetUsername(), config.GetPassword(), config.GetAccessKey(),
                      config.GetSecretKey()};
}

void ExpectLoggedOutSaved()
{
    const SavedState saved = ReadSavedState();
    EXPECT_EQ(0, saved.authMode);
    EXPECT_EQ("", saved.username);
    EXPECT_EQ("", saved.accessKey);
    EXPECT_EQ("", saved.secretKey);
}

void ExpectSeededLoginSaved()
{
    const SavedState saved = ReadSavedState();
    EXPECT_EQ(5, saved.authMode);
    EXPECT_EQ(kUsername, saved.username);
    EXPECT_EQ(kAccessKey, saved.accessKey);
    EXPECT_EQ(kSecretKey, saved.secretKey);
}

class AuthenticationManagerTest : public CGatewayTest
{
protected:
    CZentavoSMSGatewayAuthenticationResult Login(const std::string& username, const std::string& password)
    {
        CZentavoSMSGatewayAuthenticationResult result;
        result.m_ResultCode = 77;
        AuthManager().Authentication(username, password, result);
        return result;
    }

    // The factors the gateway holds for an account, by name.
    std::vector<std::string> FactorNames(const std::string& username)
    {
        std::vector<std::string> names;
        const CJsonValue state = m_Primary.State();
        for (const CJsonValue& factor : state["factors"].AsArray())
            if (factor["username"].AsString() == username)
                names.push_back(factor["name"].AsString());
        return names;
    }

    bool GatewayKnowsPair(const std::string& accessKey)
    {
        const CJsonValue state = m_Primary.State();
        for (const CJsonValue& factor : state["factors"].AsArray())
            if (factor["access_key"].AsString() == accessKey)
                return true;
        return false;
    }

    const std::string m_BaseName = CZentavoSMSGatewayAuthenticationManager::GetAuthFactorBaseName();
};

TEST_F(AuthenticationManagerTest, LoginCreatesAFactorAndSavesItsPair)
{
    const CZentavoSMSGatewayAuthenticationResult result = Login("TestUser", kPassword);
    EXPECT_EQ(1u, result.m_ResultCode);
    ASSERT_FALSE(result.m_AccessKeys.m_AccessKey.empty());
    ASSERT_FALSE(result.m_AccessKeys.m_SecretKey.empty());

    // Not logged in before: no balance check, no delete.
    const std::vector<CLoggedRequest> requests = m_Primary.Requests();
    ASSERT_EQ(1u, requests.size());
    const CLoggedRequest& create = requests[0];
    EXPECT_EQ("api/https/createauthfactor.aspx", create.m_Page);
    EXPECT_EQ("https", create.m_Scheme);
    EXPECT_EQ("536870913", FieldOf(create, "interface"));
    EXPECT_EQ("testuser", FieldOf(create, "username"));
    EXPECT_EQ(kPassword, FieldOf(create, "password"));
    EXPECT_EQ("536870913", FieldOf(create, "af_intf"));
    EXPECT_EQ("5", FieldOf(create, "af_authmode"));
    EXPECT_EQ(0u, m_BaseName.find("ZentavoSMS Outlook Addin ("));
    EXPECT_EQ(m_BaseName, FieldOf(create, "af_name"));
    EXPECT_EQ("0", FieldOf(create, "mfasupported"));
    EXPECT_EQ("ZentavoSMS", FieldOf(create, "clientid"));
    EXPECT_EQ("ZentavSMSOutlookAddin", FieldOf(create, "appid"));
    EXPECT_TRUE(m_Backup.Requests().empty());

    const SavedState saved = ReadSavedState();
    EXPECT_EQ(5, saved.authMode);
    EXPECT_EQ("testuser", saved.username);
    EXPECT_EQ("", saved.password);
    EXPECT_EQ(result.m_AccessKeys.m_AccessKey, saved.accessKey);
    EXPECT_EQ(result.m_AccessKeys.m_SecretKey, saved.secretKey);
    EXPECT_TRUE(GatewayKnowsPair(saved.accessKey));

    CZentavoSMSGatewayLoginDetails details;
    AuthManager().GetLoginDetails(details);
    EXPECT_EQ(1, details.m_LoggedIn);
    EXPECT_EQ("testuser", details.m_Username);
}

TEST_F(AuthenticationManagerTest, ReloginOfTheSameUserWithAWorkingPairChangesNothing)
{
    StoreSeededLogin();
    const CZentavoSMSGatewayAuthenticationResult result = Login("TESTUSER", "not even checked");
    EXPECT_EQ(1u, result.m_ResultCode);
    EXPECT_EQ("", result.m_AccessKeys.m_AccessKey);
    EXPECT_EQ("", result.m_AccessKeys.m_SecretKey);

    const std::vector<CLoggedRequest> requests = m_Primary.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("api/https/getbalance.aspx", requests[0].m_Page);
    EXPECT_EQ(kAccessKey, FieldOf(requests[0], "accesskey"));
    EXPECT_EQ(kSecretKey, FieldOf(requests[0], "secretkey"));
    ExpectSeededLoginSaved();
}

TEST_F(AuthenticationManagerTest, LoginAsAnotherUserReplacesTheStoredFactor)
{
    StoreSeededLogin();
    const CZentavoSMSGatewayAuthenticationResult result = Login("EmptyUser", kEmptyPassword);
    ASSERT_EQ(1u, result.m_ResultCode);

    const std::vector<CLoggedRequest> requests = m_Primary.Requests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_EQ("api/https/getbalance.aspx", requests[0].m_Page);
    EXPECT_EQ("api/https/deleteauthfactor.aspx", requests[1].m_Page);
    EXPECT_EQ("5", FieldOf(requests[1], "authmode"));
    EXPECT_EQ(kAccessKey, FieldOf(requests[1], "accesskey"));
    EXPECT_EQ(kSecretKey, FieldOf(requests[1], "secretkey"));
    EXPECT_EQ("api/https/createauthfactor.aspx", requests[2].m_Page);
    EXPECT_EQ("emptyuser", FieldOf(requests[2], "username"));

    EXPECT_FALSE(GatewayKnowsPair(kAccessKey));
    const SavedState saved = ReadSavedState();
    EXPECT_EQ("emptyuser", saved.username);
    EXPECT_EQ(result.m_AccessKeys.m_AccessKey, saved.accessKey);
}

TEST_F(AuthenticationManagerTest, StoredPairNoLongerValidIsReplacedEvenWhenItsDeleteFails)
{
    StoreLogin(kUsername, "GONEACCESSKEY", "GONESECRETKEY");
    const CZentavoSMSGatewayAuthenticationResult result = Login(kUsername, kPassword);
    ASSERT_EQ(1u, result.m_ResultCode);

    const std::vector<CLoggedRequest> requests = m_Primary.Requests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_EQ("ERR:LOGIN_INVALID", requests[0].m_ReplyBody);
    EXPECT_EQ("api/https/deleteauthfactor.aspx", requests[1].m_Page);
    EXPECT_EQ("ERR:LOGIN_INVALID", requests[1].m_ReplyBody);
    EXPECT_EQ("api/https/createauthfactor.aspx", requests[2].m_Page);
    EXPECT_EQ(result.m_AccessKeys.m_AccessKey, ReadSavedState().accessKey);
}

TEST_F(AuthenticationManagerTest, DuplicateNamesGetANumberedSuffix)
{
    // One name taken at the gateway, then a scripted refusal of the next.
    m_Primary.Control("POST", "factors",
                      R"({"username": "testuser", "access_key": "AK9", "secret_key": "SK9", "name": )" +
                          JsonQuote(m_BaseName) + "}");
    m_Primary.Script("createauthfactor.aspx", {CScriptedReply::Normal(), CScriptedReply::Error("DUPLICATE_NAME")});
    const CZentavoSMSGatewayAuthenticationResult result = Login(kUsername, kPassword);
    ASSERT_EQ(1u, result.m_ResultCode);

    const std::vector<CLoggedRequest> creates = m_Primary.Requests("createauthfactor.aspx");
    ASSERT_EQ(3u, creates.size());
    EXPECT_EQ(m_BaseName, FieldOf(creates[0], "af_name"));
    EXPECT_EQ(m_BaseName + " (1)", FieldOf(creates[1], "af_name"));
    EXPECT_EQ(m_BaseName + " (2)", FieldOf(creates[2], "af_name"));
    const std::vector<std::string> names = FactorNames(kUsername);
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), m_BaseName + " (2)"));
    EXPECT_EQ(result.m_AccessKeys.m_AccessKey, ReadSavedState().accessKey);
}

TEST_F(AuthenticationManagerTest, NoFreeNameAfter101Tries)
{
    m_Primary.Script("createauthfactor.aspx", CScriptedReply::Error("DUPLICATE_NAME").Repeat(101));
    try
    {
        Login(kUsername, kPassword);
        FAIL() << "no exception";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_STREQ("ZentavoSMSGatewayAuthenticationManager::CreateAuthFactor - Failed to generate unique name",
                     e.what());
        EXPECT_EQ(E_FAIL, e.GetHResult());
    }
    const std::vector<CLoggedRequest> creates = m_Primary.Requests("createauthfactor.aspx");
    ASSERT_EQ(101u, creates.size());
    EXPECT_EQ(m_BaseName + " (100)", FieldOf(creates.back(), "af_name"));
    EXPECT_EQ(2, ReadSavedState().authMode);
}

TEST_F(AuthenticationManagerTest, RefusedLoginsReturnTheirCodeAndStoreNothing)
{
    struct Case
    {
        const char* username;
        const char* password;
        std::uint32_t code;
    };
    const Case cases[] = {{kUsername, "wrong", 6}, {kMfaUsername, kMfaPassword, 25}, {"", "x", 2}};
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.code, Login(c.username, c.password).m_ResultCode) << c.username;
        const SavedState saved = ReadSavedState();
        EXPECT_EQ(2, saved.authMode);
        EXPECT_EQ("", saved.username);
    }
}

TEST_F(AuthenticationManagerTest, AValidOldFactorThatCannotBeDeletedStopsTheLogin)
{
    StoreSeededLogin();
    m_Primary.Script("deleteauthfactor.aspx", CScriptedReply::Error("GATEWAY_ERROR"));
    try
    {
        Login(kEmptyUsername, kEmptyPassword);
        FAIL() << "no exception";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_STREQ("ZentavoSMSGatewayAuthenticationManager::Authentication - Could not delete old AuthFactor "
                     "(which is known to be valid)",
                     e.what());
    }
    EXPECT_TRUE(m_Primary.Requests("createauthfactor.aspx").empty());
    ExpectSeededLoginSaved();
}

// The stored pair is gone at the gateway once it was deleted: a failed
// login then leaves the account logged out rather than holding a dead pair.
TEST_F(AuthenticationManagerTest, FailedLoginAfterTheOldFactorWasDeletedLogsOut)
{
    StoreSeededLogin();
    EXPECT_EQ(6u, Login(kEmptyUsername, "wrong").m_ResultCode);
    EXPECT_FALSE(GatewayKnowsPair(kAccessKey));
    ExpectLoggedOutSaved();

    m_Primary.Reset();
    StoreSeededLogin();
    m_Primary.Script("createauthfactor.aspx", CScriptedReply::Body("<html>busy</html>"));
    EXPECT_EQ(10u, Login(kEmptyUsername, kEmptyPassword).m_ResultCode);
    ExpectLoggedOutSaved();
}

TEST_F(AuthenticationManagerTest, PairWithAnEmptyHalfOrAnUnknownReplyIsAFailedLogin)
{
    // The last is a reply of no known form: a result, not a connection failure.
    const char* const replies[] = {"PUBLICFIELD:AK1", "PUBLICFIELD:AK1\nSECRETFIELD:", "PUBLICFIELD:\nSECRETFIELD:SK1",
                                   "PUBLICFIELD:\r\nSECRETFIELD:SK1\r\n", "<html>Service Unavailable</html>"};
    for (const char* reply : replies)
    {
        m_Primary.Script("createauthfactor.aspx", CScriptedReply::Body(reply));
        const CZentavoSMSGatewayAuthenticationResult result = Login(kUsername, kPassword);
        EXPECT_EQ(10u, result.m_ResultCode) << reply;
        EXPECT_EQ("", result.m_AccessKeys.m_AccessKey);
        EXPECT_EQ("", result.m_AccessKeys.m_SecretKey);
        EXPECT_EQ(2, ReadSavedState().authMode) << reply;
    }
}

TEST_F(AuthenticationManagerTest, OneTrailingCarriageReturnIsTrimmedFromEachKey)
{
    m_Primary.Script("createauthfactor.aspx", CScriptedReply::Body("PUBLICFIELD:AK1\r\nSECRETFIELD:SK1\r\n"));
    const CZentavoSMSGatewayAuthenticationResult result = Login(kUsername, kPassword);
    ASSERT_EQ(1u, result.m_ResultCode);
    EXPECT_EQ("AK1", result.m_AccessKeys.m_AccessKey);
    EXPECT_EQ("SK1", result.m_AccessKeys.m_SecretKey);
    const SavedState saved = ReadSavedState();
    EXPECT_EQ("AK1", saved.accessKey);
    EXPECT_EQ("SK1", saved.secretKey);
}

TEST_F(AuthenticationManagerTest, UnexpectedBalanceAnswerWhileCheckingTheStoredPairRaises)
{
    StoreSeededLogin();
    m_Primary.Script("getbalance.aspx", CScriptedReply::Error("INTERNAL_ERROR"));
    try
    {
        Login(kUsername, kPassword);
        FAIL() << "no exception";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_STREQ("ZentavoSMSGatewayAuthenticationManager::TestAuthentication - Unable to check "
                     "CheckLoginDetails (9)",
                     e.what());
    }
    ExpectSeededLoginSaved();
}

TEST_F(AuthenticationManagerTest, LogoutDeletesTheFactorAndSavesTheLoggedOutState)
{
    StoreSeededLogin();
    AuthManager().Logout();
    const std::vector<CLoggedRequest> requests = m_Primary.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("api/https/deleteauthfactor.aspx", requests[0].m_Page);
    EXPECT_EQ("OK", requests[0].m_ReplyBody);
    EXPECT_FALSE(GatewayKnowsPair(kAccessKey));
    ExpectLoggedOutSaved();
}

TEST_F(AuthenticationManagerTest, LogoutAcceptsOnlyDeletedOrUnknownPairs)
{
    StoreLogin(kUsername, "GONEACCESSKEY", "GONESECRETKEY");
    AuthManager().Logout();
    EXPECT_EQ("ERR:LOGIN_INVALID", m_Primary.Requests().at(0).m_ReplyBody);
    ExpectLoggedOutSaved();

    StoreSeededLogin();
    m_Primary.Script("deleteauthfactor.aspx", CScriptedReply::Error("GATEWAY_ERROR"));
    try
    {
        AuthManager().Logout();
        FAIL() << "no exception";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_STREQ("CZentavoSMSGatewayAuthenticationManager::Logout - Call to DeleteAuthFactor failed (ResultCode=8)",
                     e.what());
        EXPECT_EQ(E_FAIL, e.GetHResult());
    }
    ExpectSeededLoginSaved();
}

TEST_F(AuthenticationManagerTest, LogoutWhenNotLoggedInOnlyClearsTheState)
{
    Config().SetUsername("someone");
    Config().SetPassword("secret");
    Config().Save();
    AuthManager().Logout();
    EXPECT_TRUE(m_Primary.Requests().empty());
    ExpectLoggedOutSaved();
    EXPECT_EQ("", ReadSavedState().password);
}

TEST_F(AuthenticationManagerTest, UnreachableGatewayRaisesAServiceConnectionExceptionNamingTheStep)
{
    PrimaryRelay().SetReachable(false);
    struct Step
    {
        const char* name;
        bool loggedIn;
        std::function<void()> run;
    };
    const Step steps[] = {
        {"CreateAuthFactor", false, [this] { Login(kUsername, kPassword); }},
        {"TestAuthentication", true, [this] { Login(kUsername, kPassword); }},
        {"DeleteAuthFactor", true, [] { AuthManager().Logout(); }},
    };
    for (const Step& step : steps)
    {
        ResetSettings();
        if (step.loggedIn)
            StoreSeededLogin();
        try
        {
            step.run();
            ADD_FAILURE() << step.name << ": no exception";
        }
        catch (const CServiceConnectionException& e)
        {
            EXPECT_EQ(1, e.m_RetryAllowed);
            EXPECT_EQ(step.name, e.m_Text);
            // The transport turned the failure into a result: no inner exception.
            EXPECT_EQ(S_OK, e.m_Exception.GetHResult());
            EXPECT_STREQ("", e.m_Exception.what());
        }
        if (step.loggedIn)
            ExpectSeededLoginSaved();
        else
            EXPECT_EQ(2, ReadSavedState().authMode);
    }
    EXPECT_GE(PrimaryRelay().Connections(), 3);
    EXPECT_TRUE(m_Primary.Requests().empty());
    EXPECT_TRUE(m_Backup.Requests().empty());
}

// What the login and logout controls do: repeat the whole operation while
// the user asks to. The gateway comes back before the third attempt.
int RunWithRetries(const std::function<void()>& operation)
{
    for (int attempts = 1;; ++attempts)
    {
        if (attempts == 3)
            PrimaryRelay().SetReachable(true);
        try
        {
            operation();
            return attempts;
        }
        catch (const CServiceConnectionException& e)
        {
            if (!CSMSGatewayHTTPInterfaceClientUIHelper::ShowServiceConnectionError(nullptr, e))
                return attempts;
        }
    }
}

TEST_F(AuthenticationManagerTest, ConnectionFailureOffersARetryThatRepeatsTheOperation)
{
    StoreSeededLogin();
    PrimaryRelay().SetReachable(false);
    m_Boxes.QueueAnswers({IDNO});
    EXPECT_EQ(1, RunWithRetries([] { AuthManager().Logout(); }));
    ExpectSeededLoginSaved();

    ResetSettings();
    PrimaryRelay().SetReachable(false);
    m_Boxes.QueueAnswers({IDYES, IDYES});
    CZentavoSMSGatewayAuthenticationResult result;
    EXPECT_EQ(3, RunWithRetries([&] {
        AuthManager().Authentication(kUsername, kPassword, result);
    }));
    EXPECT_EQ(1u, result.m_ResultCode);
    EXPECT_EQ(5, ReadSavedState().authMode);
    const std::vector<CapturedMessageBox> boxes = m_Boxes.Boxes();
    ASSERT_EQ(3u, boxes.size());
    for (const CapturedMessageBox& box : boxes)
    {
        EXPECT_EQ(nullptr, box.owner);
        EXPECT_EQ("Error occurred connecting to the ZentavoSoftware Service.\n\nPlease check you internet connection "
                  "and firewall settings\n\nDo you want to try again?",
                  box.text);
        EXPECT_EQ("ZentavoSMS Outlook Add-in", box.caption);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONSTOP), box.style);
    }
}
} // namespace
