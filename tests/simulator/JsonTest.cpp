#include "tests/support/Json.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace
{
TEST(JsonTest, ReadsNestedValues)
{
    const CJsonValue value = CJsonValue::Parse(
        R"( {"n": -12.5, "i": 40123, "t": true, "f": false, "z": null,
             "s": "a\"b\\c\n\u00e9\ud83d\ude00", "a": [1, [], {}], "o": {"k": "v"}} )");
    EXPECT_EQ(-12.5, value["n"].AsNumber());
    EXPECT_EQ(40123, value["i"].AsInteger());
    EXPECT_TRUE(value["t"].AsBool());
    EXPECT_FALSE(value["f"].AsBool());
    EXPECT_TRUE(value["z"].IsNull());
    EXPECT_EQ("a\"b\\c\n\xc3\xa9\xf0\x9f\x98\x80", value["s"].AsString());
    EXPECT_EQ(3u, value["a"].AsArray().size());
    EXPECT_EQ("v", value["o"]["k"].AsString());
    EXPECT_FALSE(value.Has("missing"));
    EXPECT_THROW(value["missing"], std::runtime_error);
    EXPECT_THROW(value["s"].AsNumber(), std::runtime_error);
}

TEST(JsonTest, QuotedTextReadsBack)
{
    const std::string text("x\"\\\x01\x7f\xc3\xa9\0end", 10);
    EXPECT_EQ(text, CJsonValue::Parse(JsonQuote(text)).AsString());
}

TEST(JsonTest, TruncatedAndRandomTextIsRefusedNotMisread)
{
    const std::string document = R"({"requests": [{"seq": 1, "body": "a\u0000b", "form": [["k", "v"]]}]})";
    for (size_t length = 0; length < document.size(); ++length)
        EXPECT_THROW(CJsonValue::Parse(document.substr(0, length)), std::runtime_error) << length;

    std::srand(7);
    const std::string alphabet = "{}[]\":,\\u0123456789.eE+-truefalsnl \t";
    for (int round = 0; round < 3000; ++round)
    {
        std::string text;
        for (int i = std::rand() % 24; i > 0; --i)
            text += alphabet[static_cast<size_t>(std::rand()) % alphabet.size()];
        try
        {
            CJsonValue::Parse(text);
        }
        catch (const std::runtime_error&)
        {
        }
    }
    EXPECT_THROW(CJsonValue::Parse(std::string(100, '[') + std::string(100, ']')), std::runtime_error);
}
}  // namespace
