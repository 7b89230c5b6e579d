#include "core/ConfigReg.h"

#include "tests/support/RegistryFixture.h"

#include <gmock/gmock.h>

#include <climits>
#include <cstdint>
#include <cstdlib>

namespace
{
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char* const kStore = "Store";

TEST(StringToInt32, FollowsTheAtoiRuleAndClamps)
{
    EXPECT_EQ(12, StringToInt32("12abc"));
    EXPECT_EQ(0, StringToInt32("abc"));
    EXPECT_EQ(0, StringToInt32(""));
    EXPECT_EQ(-7, StringToInt32(" -7"));
    EXPECT_EQ(42, StringToInt32("\t\n\v\f\r +42 7"));
    EXPECT_EQ(0, StringToInt32("- 7"));
    EXPECT_EQ(0, StringToInt32("+-7"));
    EXPECT_EQ(1, StringToInt32("0000000000000000000000001"));
    EXPECT_EQ(INT_MAX, StringToInt32("2147483647"));
    EXPECT_EQ(INT_MAX, StringToInt32("2147483648"));
    EXPECT_EQ(INT_MAX, StringToInt32("4294967295"));
    EXPECT_EQ(INT_MAX, StringToInt32("99999999999999999999999999999999"));
    EXPECT_EQ(INT_MIN, StringToInt32("-2147483648"));
    EXPECT_EQ(INT_MIN, StringToInt32("-2147483649"));
    EXPECT_EQ(INT_MIN, StringToInt32("-99999999999999999999999999999999"));
    EXPECT_EQ(5, StringToInt32(std::string("5\0" "9", 3)));
}

TEST(StringList, EncodesItemsInQuotesWithEscapes)
{
    EXPECT_EQ("\"a\",\"b\"", EncodeStringList({"a", "b"}));
    EXPECT_EQ("\"a\\\"b\"", EncodeStringList({"a\"b"}));
    EXPECT_EQ("\"a\\\\b\"", EncodeStringList({"a\\b"}));
    EXPECT_EQ("", EncodeStringList({}));
    EXPECT_EQ("\"\"", EncodeStringList({""}));
}

TEST(StringList, DecodesMalformedTextAsFarAsItCloses)
{
    std::vector<std::string> items;
    DecodeStringList("x\"p,q\"y,\"r", items);
    EXPECT_THAT(items, ElementsAre("p,q"));

    items.clear();
    DecodeStringList(" , \"a\"  ;\"b\"junk", items);
    EXPECT_THAT(items, ElementsAre("a", "b"));

    items.clear();
    DecodeStringList("\"ends in an escape\\\"", items);
    EXPECT_THAT(items, IsEmpty());

    items.clear();
    DecodeStringList("\"trailing backslash\\", items);
    EXPECT_THAT(items, IsEmpty());

    items = {"kept"};
    DecodeStringList("\"\",\"x\"", items);
    EXPECT_THAT(items, ElementsAre("kept", "", "x"));
}

// Random items from an alphabet rich in the characters the encoding treats
// specially; every list must come back whole, and every truncation of its
// text must give back a leading part of the list.
TEST(StringList, RoundTripsRandomListsAndTruncationsGiveAPrefix)
{
    const char alphabet[] = {'"', '\\', ',', ' ', 'a', 'Z', '\x80', '\xff', '"', '\\'};
    std::srand(1234);
    for (int round = 0; round < 500; ++round)
    {
        std::vector<std::string> list(static_cast<std::size_t>(std::rand() % 5));
        for (std::string& item : list)
        {
            const int length = std::rand() % 8;
            for (int i = 0; i < length; ++i)
                item += alphabet[std::rand() % sizeof(alphabet)];
        }
        const std::string text = EncodeStringList(list);
        std::vector<std::string> decoded;
        DecodeStringList(text, decoded);
        ASSERT_EQ(list, decoded) << text;

        for (std::size_t cut = 0; cut < text.size(); ++cut)
        {
            std::vector<std::string> partial;
            DecodeStringList(text.substr(0, cut), partial);
            ASSERT_LE(partial.size(), list.size());
            ASSERT_TRUE(std::equal(partial.begin(), partial.end(), list.begin())) << text.substr(0, cut);
        }
    }
}

TEST(StringList, RandomBytesNeverBreakTheDecoder)
{
    std::srand(99);
    for (int round = 0; round < 2000; ++round)
    {
        std::string text;
        const int length = std::rand() % 40;
        for (int i = 0; i < length; ++i)
            text += static_cast<char>("\"\\,x\0"[std::rand() % 5]);
        std::vector<std::string> items;
        DecodeStringList(text, items);
        for (const std::string& item : items)
            ASSERT_LE(item.size(), text.size());
    }
}

class ConfigRegTest : public RegistryFixture
{
protected:
    void SetUp() override
    {
        RegistryFixture::SetUp();
        store.OpenKey(HKEY_CURRENT_USER, kStore);
    }

    std::string errorText;
    CConfigReg store{&errorText};
};

TEST_F(ConfigRegTest, OpenKeyCreatesTheKeyForWriting)
{
    ASSERT_NE(nullptr, store.GetKey());
    EXPECT_TRUE(KeyExists(kStore));
    store.SetString(store.GetKey(), "v", "x");
    EXPECT_EQ("x", ReadText(kStore, "v"));
    store.CloseKey();
    EXPECT_EQ(nullptr, store.GetKey());
}

TEST_F(ConfigRegTest, TextIsStoredAsItStandsAndReadUpToTheFirstNul)
{
    store.SetStringForOpenKey("plain", "a b\t\xe9");
    const auto raw = ReadRaw(kStore, "plain");
    ASSERT_TRUE(raw);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), raw->type);
    EXPECT_EQ("a b\t\xe9", raw->text);
    EXPECT_EQ("a b\t\xe9", store.GetStringForOpenKey("plain", false, "", false));

    store.SetStringForOpenKey("empty", "");
    EXPECT_EQ("", ReadText(kStore, "empty"));
    EXPECT_EQ("", store.GetStringForOpenKey("empty", true, "default", false));

    WriteRaw(kStore, "binary", std::string("ab\0cd", 5), REG_BINARY);
    EXPECT_EQ("ab", store.GetStringForOpenKey("binary", false, "", false));
}

TEST_F(ConfigRegTest, ValuesOfAnyLengthReadWhole)
{
    for (const std::size_t length : {999u, 1000u, 1001u, 5000u, 70000u})
    {
        std::string text;
        for (std::size_t i = 0; i < length; ++i)
            text += static_cast<char>('a' + i % 26);
        store.SetStringForOpenKey("long", text);
        EXPECT_EQ(text, store.GetStringForOpenKey("long", false, "", true)) << length;
    }
    EXPECT_THAT(Events(), IsEmpty());
}

TEST_F(ConfigRegTest, MissingValuesTakeTheDefaultOrFail)
{
    EXPECT_EQ("fallback", store.GetStringForOpenKey("missing", true, "fallback", false));
    EXPECT_THAT(Events(), IsEmpty());

    EXPECT_EQ("fallback", store.GetStringForOpenKey("missing", true, "fallback", true));
    ASSERT_EQ(1u, Events().size());
    EXPECT_EQ(EVENTLOG_ERROR_TYPE, Events()[0].type);
    EXPECT_EQ("Could not find reg value: missing", Events()[0].text);
    EXPECT_EQ("CorvasseServer", Events()[0].source);

    EXPECT_COM_ERROR(store.GetStringForOpenKey("missing", false, "", false), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                     "Could not open missing string value");
    EXPECT_FALSE(store.ValueExists(store.GetKey(), "missing"));
    store.SetStringForOpenKey("present", "");
    EXPECT_TRUE(store.ValueExists(store.GetKey(), "present"));
}

TEST_F(ConfigRegTest, AClosedKeyIsRefused)
{
    store.CloseKey();
    EXPECT_COM_ERROR(store.GetStringForOpenKey("v", true, "", false), E_FAIL, "Reg key not open");
    EXPECT_COM_ERROR(store.SetStringForOpenKey("v", "x"), E_FAIL, "Reg key not open");
    EXPECT_COM_ERROR(store.DeleteValue(nullptr, "v", true), E_FAIL, "Reg key not open");
    EXPECT_COM_ERROR(store.ValueExists(nullptr, "v"), E_FAIL, "Reg key not open");
}

TEST_F(ConfigRegTest, FlagsAreExactlyOneOrZero)
{
    const HKEY key = store.GetKey();
    store.SetBool(key, "on", true);
    store.SetBool(key, "off", false);
    EXPECT_EQ("1", ReadText(kStore, "on"));
    EXPECT_EQ("0", ReadText(kStore, "off"));
    EXPECT_TRUE(store.GetBool(key, "on", false, false, false));
    EXPECT_FALSE(store.GetBool(key, "off", false, true, false));

    for (const char* text : {"true", " 1", "01", "", "1 ", "2"})
    {
        WriteRaw(kStore, "flag", text);
        EXPECT_FALSE(store.GetBool(key, "flag", false, true, false)) << text;
    }
    EXPECT_TRUE(store.GetBool(key, "missing", true, true, false));
    EXPECT_FALSE(store.GetBool(key, "missing", true, false, false));

}

// What an administrator or another version may leave: numbers and flags as
// REG_DWORD read as the number they hold.
TEST_F(ConfigRegTest, DwordValuesReadAsTheirNumber)
{
    const HKEY key = store.GetKey();
    const auto writeDword = [this](const char* name, DWORD value) {
        WriteRaw(kStore, name, std::string(reinterpret_cast<const char*>(&value), sizeof(value)), REG_DWORD);
    };
    const struct
    {
        DWORD stored;
        std::int32_t number;
        bool flag;
    } cases[] = {{1, 1, true}, {0, 0, false}, {3, 3, false}, {0xFFFFFFFFu, INT_MAX, false}};
    for (const auto& c : cases)
    {
        writeDword("dword", c.stored);
        EXPECT_EQ(c.number, store.GetDWORD(key, "dword", false, 9, false)) << c.stored;
        EXPECT_EQ(c.flag, store.GetBool(key, "dword", false, !c.flag, false)) << c.stored;
        EXPECT_EQ(std::to_string(c.stored), store.GetStringForOpenKey("dword", false, "", false));
    }
}

// Stored texts end in their NUL, the empty text too, as other readers of the
// key expect of a REG_SZ.
TEST_F(ConfigRegTest, TextsAreWrittenWithTheirTerminator)
{
    for (const std::string text : {"", "x", "a longer text"})
    {
        store.SetStringForOpenKey("v", text);
        const auto raw = ReadRaw(kStore, "v");
        ASSERT_TRUE(raw);
        EXPECT_TRUE(raw->terminated) << '"' << text << '"';
        EXPECT_EQ(text, raw->text);
        EXPECT_EQ(text, store.GetStringForOpenKey("v", false, "", false));

        RegWriteStringValue(store.GetKey(), "w", text, false);
        EXPECT_TRUE(ReadRaw(kStore, "w")->terminated) << '"' << text << '"';
    }
}

TEST_F(ConfigRegTest, NumbersAreUnsignedDecimalReadBySignedRule)
{
    const HKEY key = store.GetKey();
    store.SetDWORD(key, "max", 0xFFFFFFFFu);
    store.SetDWORD(key, "zero", 0);
    store.SetDWORD(key, "five", 5);
    EXPECT_EQ("4294967295", ReadText(kStore, "max"));
    EXPECT_EQ("0", ReadText(kStore, "zero"));
    EXPECT_EQ("5", ReadText(kStore, "five"));
    EXPECT_EQ(INT_MAX, store.GetDWORD(key, "max", false, 0, false));
    EXPECT_EQ(5, store.GetDWORD(key, "five", false, 0, false));

    WriteRaw(kStore, "n", "12abc");
    EXPECT_EQ(12, store.GetDWORD(key, "n", false, 0, false));
    WriteRaw(kStore, "n", "abc");
    EXPECT_EQ(0, store.GetDWORD(key, "n", false, 7, false));
    WriteRaw(kStore, "n", " -7");
    EXPECT_EQ(-7, store.GetDWORD(key, "n", false, 0, false));
    WriteRaw(kStore, "n", "-123456789012");
    EXPECT_EQ(INT_MIN, store.GetDWORD(key, "n", false, 0, false));
    EXPECT_EQ(INT_MAX, store.GetDWORD(key, "missing", true, 0x80000000u, false));
    EXPECT_EQ(15, store.GetDWORD(key, "missing", true, 15, false));
}

// A number of a range: what the store writes and what an earlier version
// left read as the number; anything else as the default.
TEST_F(ConfigRegTest, NumbersOfARangeReadOtherValuesAsTheDefault)
{
    const auto bytes = [](auto value) { return std::string(reinterpret_cast<const char*>(&value), sizeof(value)); };
    const struct
    {
        const char* what;
        DWORD type;
        std::string data;
        std::int32_t number;  // read with default 5 and the range 2 to 10
    } cases[] = {
        {"text", REG_SZ, "7", 7},
        {"the lowest", REG_SZ, "2", 2},
        {"the highest", REG_SZ, "10", 10},
        {"text by the atoi rule", REG_SZ, " +7 parts", 7},
        {"REG_DWORD", REG_DWORD, bytes(DWORD{7}), 7},
        {"REG_QWORD", REG_QWORD, bytes(std::uint64_t{7}), 5},
        {"REG_BINARY", REG_BINARY, bytes(DWORD{7}), 5},
        {"REG_EXPAND_SZ", REG_EXPAND_SZ, "7", 5},
        {"REG_MULTI_SZ", REG_MULTI_SZ, std::string("7\0", 3), 5},
        {"empty", REG_SZ, "", 5},
        {"no digit", REG_SZ, "seven", 5},
        {"below", REG_SZ, "1", 5},
        {"above", REG_SZ, "11", 5},
        {"negative", REG_SZ, "-1", 5},
        {"past 32 bits", REG_SZ, "4294967303", 5},
        {"REG_DWORD above", REG_DWORD, bytes(DWORD{0xFFFFFFFFu}), 5},
    };
    for (const auto& c : cases)
    {
        WriteRaw(kStore, "n", c.data, c.type);
        EXPECT_EQ(c.number, store.GetNumber(store.GetKey(), "n", 5, 2, 10)) << c.what;
    }
    EXPECT_EQ(5, store.GetNumber(store.GetKey(), "missing", 5, 2, 10));
    WriteRaw(kStore, "n", "-2147483648");
    EXPECT_EQ(INT_MIN, store.GetNumber(store.GetKey(), "n", 0, INT_MIN, INT_MAX));
    EXPECT_THAT(Events(), IsEmpty());
}

TEST_F(ConfigRegTest, EncipheredTextRoundTripsAndEmptyStaysEmpty)
{
    const HKEY key = store.GetKey();
    store.SetEncryptedString(key, "secret", "pa55word");
    const auto first = ReadText(kStore, "secret");
    ASSERT_TRUE(first);
    EXPECT_NE("pa55word", *first);
    EXPECT_EQ("pa55word", store.GetEncryptedString(key, "secret", false, "", false));

    store.SetEncryptedString(key, "secret", "pa55word");
    EXPECT_NE(first, ReadText(kStore, "secret"));
    EXPECT_EQ("pa55word", store.GetEncryptedString(key, "secret", false, "", false));

    store.SetEncryptedString(key, "empty", "");
    EXPECT_EQ("", ReadText(kStore, "empty"));
    EXPECT_EQ("", store.GetEncryptedString(key, "empty", false, "", false));
    EXPECT_EQ("", store.GetEncryptedString(key, "missing", true, "", false));
    EXPECT_EQ("pa55word", store.GetEncryptedString(key, "missing", true, *first, false));
}

TEST_F(ConfigRegTest, ListsAreStoredEncodedAndAppendedOnRead)
{
    const HKEY key = store.GetKey();
    store.SetStringList(key, "list", {"a", "b,c", "d\"e", "f\\g"});
    EXPECT_EQ("\"a\",\"b,c\",\"d\\\"e\",\"f\\\\g\"", ReadText(kStore, "list"));

    std::vector<std::string> items{"old"};
    store.GetStringList("list", items, false, "", false);
    EXPECT_THAT(items, ElementsAre("old", "a", "b,c", "d\"e", "f\\g"));

    store.SetStringList(key, "list", {});
    EXPECT_EQ("", ReadText(kStore, "list"));
    items.clear();
    store.GetStringList("list", items, false, "", false);
    EXPECT_THAT(items, IsEmpty());

    store.GetStringList("missing", items, true, "\"x\",\"y\"", false);
    EXPECT_THAT(items, ElementsAre("x", "y"));
}

TEST_F(ConfigRegTest, WideTextMapsEachByteToOneCharacter)
{
    const HKEY key = store.GetKey();
    store.SetStringW(key, "wide", L"A\u00e9\u00ff");
    EXPECT_EQ("A\xe9\xff", ReadText(kStore, "wide"));
    EXPECT_EQ(L"A\u00e9\u00ff", store.GetStringW(key, "wide", false, L"", false));
    EXPECT_EQ(L"d\u00e9f", store.GetStringW(key, "missing", true, L"d\u00e9f", false));
}

TEST_F(ConfigRegTest, DeletingAMissingValueFailsUnlessIgnored)
{
    const HKEY key = store.GetKey();
    store.SetStringForOpenKey("v", "x");
    store.DeleteValue(key, "v", false);
    EXPECT_FALSE(ReadRaw(kStore, "v"));
    store.DeleteValue(key, "v", true);
    EXPECT_COM_ERROR(store.DeleteValue(key, "v", false), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                     "Could not delete v string value");
}

TEST_F(ConfigRegTest, SubKeysAreAppendedInRegistryOrder)
{
    WriteRaw("Store\\b", "v", "");
    WriteRaw("Store\\a", "v", "");
    WriteRaw("Store\\a\\nested", "v", "");
    std::vector<std::string> names{"kept"};
    store.EnumerateSubKeys(store.GetKey(), names);
    ASSERT_EQ(3u, names.size());
    EXPECT_EQ("kept", names[0]);
    EXPECT_EQ(SubKeyNames(kStore), std::vector<std::string>(names.begin() + 1, names.end()));
    EXPECT_COM_ERROR(store.EnumerateSubKeys(nullptr, names), HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE),
                     "Could not enumerate transports");
}

TEST_F(ConfigRegTest, AKeyThatMayOnlyBeReadOpensReadOnlyAndRefusesChanges)
{
    store.SetStringForOpenKey("v", "before");
    store.CloseKey();
    LockKey(kStore);

    ASSERT_NE(nullptr, store.OpenKey(HKEY_CURRENT_USER, kStore));
    EXPECT_EQ("before", store.GetStringForOpenKey("v", false, "", false));
    EXPECT_COM_ERROR(store.SetStringForOpenKey("v", "after"), E_FAIL, "Insufficent rights to write to the registry");
    EXPECT_COM_ERROR(store.DeleteValue(store.GetKey(), "v", true), E_FAIL,
                     "Insufficent rights to delete value in the registry");
    EXPECT_COM_ERROR(store.SetBool(store.GetKey(), "flag", true), E_FAIL,
                     "Insufficent rights to write to the registry");
    EXPECT_EQ("before", ReadText(kStore, "v"));
    EXPECT_FALSE(ReadRaw(kStore, "flag"));

    // The flag stays with the object until the next open.
    store.CloseKey();
    EXPECT_COM_ERROR(store.SetString(Root(), "v", "x"), E_FAIL, "Insufficent rights to write to the registry");
}

TEST_F(ConfigRegTest, OpenOrCreateFallsBackToReadingAndFailsWhenBothAreRefused)
{
    bool readOnly = true;
    CScopedRegKey created = RegOpenOrCreateKey(HKEY_CURRENT_USER, "Fresh\\Path", readOnly, false);
    EXPECT_TRUE(created);
    EXPECT_FALSE(readOnly);
    EXPECT_TRUE(KeyExists("Fresh\\Path"));

    LockKey("Fresh\\Path");
    CScopedRegKey readable = RegOpenOrCreateKey(HKEY_CURRENT_USER, "Fresh\\Path", readOnly, false);
    EXPECT_TRUE(readable);
    EXPECT_TRUE(readOnly);

    WriteRaw("Closed", "v", "");
    LockKey("Closed", false);
    EXPECT_FALSE(RegOpenOrCreateKey(HKEY_CURRENT_USER, "Closed", readOnly, true));
    EXPECT_FALSE(readOnly);
    EXPECT_COM_ERROR(RegOpenOrCreateKey(HKEY_CURRENT_USER, "Closed", readOnly, false),
                     HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), "Could not open Closed key");
}

TEST_F(ConfigRegTest, StandaloneValueHelpers)
{
    const HKEY key = store.GetKey();
    RegWriteStringValue(key, "v", "text", false);
    EXPECT_EQ("text", ReadText(kStore, "v"));
    EXPECT_EQ("text", RegReadStringValue(key, "v", false));
    EXPECT_EQ("", RegReadStringValue(key, "missing", true));
    EXPECT_COM_ERROR(RegReadStringValue(key, "missing", false), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                     "Could not open missing string value");
    EXPECT_COM_ERROR(RegWriteStringValue(nullptr, "v", "x", false), HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE),
                     "Could not open v key");
    RegWriteStringValue(nullptr, "v", "x", true);
}
}  // namespace
