#include <comdef.h>

#include <gtest/gtest.h>

namespace
{
TEST(ComUtil, BstrFromNarrowUsesTheAnsiCodePage)
{
    const _bstr_t text("caf\xE9 \x80");
    EXPECT_STREQ(L"caf\u00e9 \u20ac", static_cast<const wchar_t*>(text));
    EXPECT_EQ(6u, text.length());
    EXPECT_STREQ("caf\xE9 \x80", static_cast<const char*>(text));
}

TEST(ComUtil, NarrowFromBstrKeepsEmbeddedLengthAndEmptyText)
{
    const _bstr_t empty("");
    EXPECT_EQ(0u, empty.length());
    EXPECT_STREQ("", static_cast<const char*>(empty));

    const _bstr_t wide(L"\u00c7a va");
    EXPECT_STREQ("\xC7"
                 "a va",
                 static_cast<const char*>(wide));

    const _bstr_t null(static_cast<const char*>(nullptr));
    EXPECT_EQ(nullptr, static_cast<const wchar_t*>(null));
}

TEST(ComUtil, VariantFromNarrowText)
{
    const _variant_t value("abc");
    ASSERT_EQ(VT_BSTR, V_VT(&value));
    EXPECT_STREQ(L"abc", V_BSTR(&value));
}

TEST(ComUtil, ComErrorCarriesDescriptionFromErrorInfo)
{
    ICreateErrorInfo* create = nullptr;
    ASSERT_EQ(S_OK, CreateErrorInfo(&create));
    create->SetDescription(const_cast<LPOLESTR>(L"went wrong"));
    IErrorInfo* info = nullptr;
    ASSERT_EQ(S_OK, create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)));
    create->Release();
    try
    {
        _com_raise_error(E_POINTER, info);
        FAIL() << "no exception";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(E_POINTER, e.Error());
        EXPECT_STREQ(L"went wrong", static_cast<const wchar_t*>(e.Description()));
    }
}

TEST(ComUtil, IssueErrorExWithoutErrorInfoRaisesTheHResult)
{
    try
    {
        _com_issue_errorex(E_NOINTERFACE, nullptr, IID_IUnknown);
        FAIL() << "no exception";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(E_NOINTERFACE, e.Error());
        EXPECT_EQ(nullptr, e.ErrorInfo());
    }
}
} // namespace
