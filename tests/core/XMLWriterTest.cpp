#include "core/XMLWriter.h"

#include <gtest/gtest.h>

#include "core/DateTimeUtils.h"

namespace
{
TEST(XMLWriter, TagsEndWithCrLf)
{
    std::string out = "x";
    CXMLWriter::AddStartElement(out, "Submission");
    CXMLWriter::AddEndElement(out, "Submission");
    EXPECT_EQ("x<Submission>\r\n</Submission>\r\n", out);
}

TEST(XMLWriter, AttributesAreFollowedByABlank)
{
    std::string out;
    CXMLWriter::AddStartElementWithAttributes(out, "Content", {{"a", "1"}, {"b", "x"}});
    CXMLWriter::AddEmptyElementWithAttributes(out, "Recipients", {{"source", "attachment"}});
    CXMLWriter::AddStartElementWithAttributes(out, "Empty", {});
    CXMLWriter::AddEmptyElementWithAttributes(out, "Empty", {});
    EXPECT_EQ("<Content a=\"1\" b=\"x\" >\r\n"
              "<Recipients source=\"attachment\" />\r\n"
              "<Empty >\r\n"
              "<Empty />\r\n",
              out);
}

TEST(XMLWriter, ElementValuesAreEscaped)
{
    std::string out;
    CXMLWriter::AddElement(out, "Text", "a<b & c>d");
    CXMLWriter::AddElement(out, "Again", "&amp;");
    CXMLWriter::AddElement(out, "Quotes", "say \"hi\" 'there'\t\x01");
    CXMLWriter::AddElement(out, "None", "");
    EXPECT_EQ("<Text>a&lt;b &amp; c&gt;d</Text>\r\n"
              "<Again>&amp;amp;</Again>\r\n"
              "<Quotes>say \"hi\" 'there'\t\x01</Quotes>\r\n"
              "<None></None>\r\n",
              out);
}

TEST(XMLWriter, AttributeValuesCannotBreakOut)
{
    std::string out;
    CXMLWriter::AddEmptyElementWithAttributes(
        out, "Sender", {{"id", "x\" admin=\"1"}, {"name", "<a&b>"}, {"plain", "Jo's"}});
    EXPECT_EQ("<Sender id=\"x&quot; admin=&quot;1\" name=\"&lt;a&amp;b&gt;\" plain=\"Jo's\" />\r\n", out);
}

TEST(XMLWriter, NamesAreWrittenUnchanged)
{
    std::string out;
    CXMLWriter::AddElement(out, "a b<", "v");
    CXMLWriter::AddAttributes(out, {{"n&m", "v"}});
    EXPECT_EQ("<a b<>v</a b<>\r\nn&m=\"v\" ", out);
}

TEST(XMLWriter, LocalTimeElementCarriesTheZoneOffset)
{
    SYSTEMTIME time = {};
    time.wYear = 2024;
    time.wMonth = 3;
    time.wDay = 5;
    time.wHour = 9;
    time.wMinute = 7;
    const std::string text = CDateTimeUtils::GetLocalTimeWithTimeZoneOffset(time);
    ASSERT_EQ(25u, text.size());
    EXPECT_EQ("2024-03-05T09:07:00", text.substr(0, 19));

    std::string out;
    CXMLWriter::AddElement_LocalTimeWithTimeZoneOffset(out, "StartAt", time);
    EXPECT_EQ("<StartAt>" + text + "</StartAt>\r\n", out);
}
} // namespace
