// The token rule and the replacement of separator mode, on text alone, with
// the Send SMS window's separators, prefix and postfix.
#include "ui/ACEdit.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
CACTextRules SendSMSRules(char stopChar = 0)
{
    CACTextRules rules;
    rules.separators = ",;\n\r";
    rules.stopChar = stopChar;
    rules.prefix = " ";
    rules.postfix = "; ";
    return rules;
}

const std::string kLong = std::string(40000, 'a') + "; bo";

struct TokenCase
{
    const char* what;
    std::string text;
    size_t caret;
    char stopChar;
    bool inserting;
    std::string token;
};

struct ReplaceCase
{
    const char* what;
    std::string text;
    size_t caret;
    size_t selectionStart;
    size_t selectionEnd;
    char stopChar;
    std::string result;
    size_t resultCaret;
};
} // namespace

TEST(ACTextRules, TokenRoundTheCaret)
{
    const TokenCase cases[] = {
        {"empty field", "", 0, 0, false, ""},
        {"first recipient", "al", 2, 0, false, "al"},
        {"the blank after a semicolon belongs to the token", "Bob [1]; al", 11, 0, false, " al"},
        {"a comma ends the token before it", "Bob [1], al", 11, 0, false, " al"},
        {"the token runs on to the next separator", "Bob; Al|ice; Dan", 6, 0, false, " Al|ice"},
        {"caret at the start", "Bob; Dan", 0, 0, false, "Bob"},
        {"caret at the start before a separator", ";Bob", 0, 0, false, ""},
        {"caret just after a separator", "Bob;", 4, 0, false, ""},
        {"second line", "Bob [1];\r\nal", 12, 0, false, "al"},
        {"third line, no separator on the line before", "Bob\r\nDan\r\nal", 12, 0, false, "al"},
        {"caret past the end is clamped", "ab;cd", 70000, 0, false, "cd"},
        {"caret beyond 32767 characters", kLong, kLong.size(), 0, false, " bo"},
        {"stop character starts the token when looking up", "x;foo@ba", 8, '@', false, "@ba"},
        {"stop character is left out when inserting", "x;foo@ba", 8, '@', true, "ba"},
        {"a separator nearer than the stop character wins", "a@b;cd", 6, '@', false, "cd"},
    };
    for (const TokenCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        const CACTextRules rules = SendSMSRules(c.stopChar);
        const CACTextRules::Range range = rules.Token(c.text, c.caret, c.inserting);
        ASSERT_LE(range.start, range.end);
        ASSERT_LE(range.end, c.text.size());
        EXPECT_EQ(c.token, c.text.substr(range.start, range.end - range.start));
    }
}

TEST(ACTextRules, ChoiceReplacesTokenOrSelection)
{
    const std::string entry = "Alice [2]";
    const ReplaceCase cases[] = {
        {"after a recipient", "Bob [1]; al", 11, 11, 11, 0, "Bob [1]; Alice [2]; ", 20},
        {"empty field takes no prefix", "", 0, 0, 0, 0, "Alice [2]; ", 11},
        {"first token takes no prefix", "al", 2, 2, 2, 0, "Alice [2]; ", 11},
        {"text after the token stays", "Bob; al; Dan", 7, 7, 7, 0, "Bob; Alice [2]; ; Dan", 16},
        {"caret inside the token replaces all of it", "Bob; alx", 6, 6, 6, 0, "Bob; Alice [2]; ", 16},
        {"a selection is replaced instead of the token", "Bob; Carl; al", 13, 4, 9, 0, "Bob; Alice [2]; ; al", 16},
        {"a selection at the start takes no prefix", "Carl; al", 8, 0, 4, 0, "Alice [2]; ; al", 11},
        {"a selection past the end counts as none", "Bob; al", 7, 5, 90, 0, "Bob; Alice [2]; ", 16},
        {"second line", "Bob [1];\r\nal", 12, 12, 12, 0, "Bob [1];\r\n Alice [2]; ", 22},
        {"stop character stays", "x;foo@ba", 8, 8, 8, '@', "x;foo@ Alice [2]; ", 18},
        {"caret beyond 32767 characters", kLong, kLong.size(), kLong.size(), kLong.size(), 0,
         std::string(40000, 'a') + "; Alice [2]; ", 40013},
    };
    for (const ReplaceCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        const CACTextRules rules = SendSMSRules(c.stopChar);
        const CACTextRules::Replacement result = rules.Replace(c.text, c.caret, c.selectionStart, c.selectionEnd, entry);
        EXPECT_EQ(c.result, result.text);
        EXPECT_EQ(c.resultCaret, result.caret);
    }
}
