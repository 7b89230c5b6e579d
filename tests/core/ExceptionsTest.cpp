#include "core/Exceptions.h"

#include <gtest/gtest.h>

namespace
{
TEST(Exceptions, WhatAndDescriptionCarryTheText)
{
    const CGeneralException e("CHTTPConnection::HTTPRequest - HttpSendRequest Failed", E_FAIL);
    EXPECT_STREQ("CHTTPConnection::HTTPRequest - HttpSendRequest Failed", e.what());
    EXPECT_EQ("CHTTPConnection::HTTPRequest - HttpSendRequest Failed", e.GetDescription());
    EXPECT_EQ(E_FAIL, e.GetHResult());

    const CGeneralException empty("", S_OK);
    EXPECT_STREQ("", empty.what());
    EXPECT_EQ("", empty.GetDescription());
}

TEST(Exceptions, TAPIExceptionAppendsCodesOnlyToTheDescription)
{
    try
    {
        throw CTAPIException("Line failed", 26, 255);
    }
    catch (const CGeneralException& e)
    {
        EXPECT_EQ("Line failed (TAPI Result Code: 0xff, TAPI Error: 1a)", e.GetDescription());
        EXPECT_STREQ("Line failed", e.what());
        EXPECT_EQ(static_cast<HRESULT>(0x80004005), e.GetHResult());
    }
}

TEST(Exceptions, TAPIExceptionPrintsFullWidthCodes)
{
    const CTAPIException e("", 0xFFFFFFFFu, 0);
    EXPECT_EQ(" (TAPI Result Code: 0x0, TAPI Error: ffffffff)", e.GetDescription());
}

TEST(Exceptions, EverySubclassIsCaughtByTheBaseAndStandardClauses)
{
    auto caughtAsBase = [](auto thrower) {
        try
        {
            thrower();
        }
        catch (const CGeneralException&)
        {
            return true;
        }
        return false;
    };
    auto caughtAsStd = [](auto thrower) {
        try
        {
            thrower();
        }
        catch (const std::exception&)
        {
            return true;
        }
        return false;
    };
    auto comms = [] { throw CCommsException("c", E_FAIL); };
    auto http = [] { throw CHTTPException("h", E_FAIL); };
    auto protocol = [] { throw CProtocolException("p", E_FAIL, 7); };
    auto tapi = [] { throw CTAPIException("t", 1, 2); };
    auto gateway = [] { throw CZentavoSMSGatewayException("g", 4, E_FAIL); };
    EXPECT_TRUE(caughtAsBase(comms) && caughtAsStd(comms));
    EXPECT_TRUE(caughtAsBase(http) && caughtAsStd(http));
    EXPECT_TRUE(caughtAsBase(protocol) && caughtAsStd(protocol));
    EXPECT_TRUE(caughtAsBase(tapi) && caughtAsStd(tapi));
    EXPECT_TRUE(caughtAsBase(gateway) && caughtAsStd(gateway));
}

TEST(Exceptions, SubclassFieldsSurviveCopying)
{
    try
    {
        throw CProtocolException("bad frame", E_FAIL, 0xDEADBEEFu);
    }
    catch (const CProtocolException& e)
    {
        const CProtocolException copy(e);
        EXPECT_EQ(0xDEADBEEFu, copy.GetProtocolError());
        EXPECT_EQ("bad frame", copy.GetDescription());
    }
    try
    {
        throw CZentavoSMSGatewayException("Error occured - x", 4, E_FAIL);
    }
    catch (const CZentavoSMSGatewayException& e)
    {
        EXPECT_EQ(4u, e.m_GatewayErrorCode);
        EXPECT_EQ(E_FAIL, e.GetHResult());
    }
}

TEST(Exceptions, HResultFromWin32)
{
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), HResultFromWin32(ERROR_ACCESS_DENIED));
    EXPECT_EQ(S_OK, HResultFromWin32(0));
    EXPECT_EQ(static_cast<HRESULT>(0x80072EE2), HResultFromWin32(12002)); // WinINet time-out
    // Values that are already negative pass through unchanged.
    EXPECT_EQ(static_cast<HRESULT>(0x80004005), HResultFromWin32(0x80004005));
}
} // namespace
