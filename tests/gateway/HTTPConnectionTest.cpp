#include "gateway/HTTPConnection.h"

#include "core/Exceptions.h"

#include <gtest/gtest.h>

namespace
{
struct Cracked
{
    std::string host;
    std::string path;
    std::string extra;
    INTERNET_PORT port;
};

Cracked Crack(const std::string& url)
{
    Cracked c{"x", "x", "x", 1};
    CHTTPConnection::CrackURL(url, c.host, c.path, c.extra, c.port);
    return c;
}

TEST(HTTPConnection, CrackURLSplitsHostPortPathAndQuery)
{
    Cracked c = Crack("https://api1.zentavosms.com/api/https/sendmsg.aspx");
    EXPECT_EQ("api1.zentavosms.com", c.host);
    EXPECT_EQ("/api/https/sendmsg.aspx", c.path);
    EXPECT_EQ("", c.extra);
    EXPECT_EQ(443, c.port);

    c = Crack("http://localhost:8080/a/b.aspx?x=1&y=2");
    EXPECT_EQ("localhost", c.host);
    EXPECT_EQ("/a/b.aspx", c.path);
    EXPECT_EQ("?x=1&y=2", c.extra);
    EXPECT_EQ(8080, c.port);

    EXPECT_EQ(80, Crack("http://localhost/").port);
}

TEST(HTTPConnection, CrackURLRejectsWhatIsNoURL)
{
    try
    {
        Crack("not a url");
        FAIL() << "no exception";
    }
    catch (const CHTTPException& e)
    {
        EXPECT_STREQ("CHTTPConnection::HTTPRequest - InternetCrackUrl Failed", e.what());
    }
}

TEST(HTTPConnection, SecureFlagFollowsPortOrLowerCaseScheme)
{
    const DWORD plain = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION;
    const DWORD secure = plain | INTERNET_FLAG_SECURE;
    EXPECT_EQ(0x04400000u, plain);
    EXPECT_EQ(secure, CHTTPConnection::GetRequestFlags("https://host/", 443));
    EXPECT_EQ(secure, CHTTPConnection::GetRequestFlags("http://host:443/", 443));
    EXPECT_EQ(secure, CHTTPConnection::GetRequestFlags("https://host:8443/", 8443));
    EXPECT_EQ(plain, CHTTPConnection::GetRequestFlags("http://host/", 80));
    EXPECT_EQ(plain, CHTTPConnection::GetRequestFlags("HTTPS://host:8443/", 8443));
}

TEST(HTTPConnection, RequestWithoutSessionFailsToConnect)
{
    CHTTPConnection connection;
    CHTTPRequestOptions options;
    options.m_TimeoutMs = 1000;
    options.m_Win32Error = 77;
    try
    {
        connection.Post(&options, "http://localhost:1/x", "a=1");
        FAIL() << "no exception";
    }
    catch (const CHTTPException& e)
    {
        EXPECT_STREQ("CHTTPConnection::HTTPRequest - InternetConnection Failed", e.what());
    }
    EXPECT_EQ(1, options.m_Failed);
    EXPECT_EQ(1, options.m_Win32ErrorKnown);
    EXPECT_NE(77u, options.m_Win32Error);
}
} // namespace
