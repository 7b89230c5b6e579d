#include "core/XMLWriter.h"

#include "core/StringUtils.h"

#include "core/DateTimeUtils.h"

namespace
{
const char kLineEnd[] = "\r\n";

std::string EscapeText(const std::string& text)
{
    std::string escaped = ReplaceAll(text, "&", "&amp;");
    escaped = ReplaceAll(escaped, "<", "&lt;");
    return ReplaceAll(escaped, ">", "&gt;");
}
} // namespace

void CXMLWriter::AddStartElement(std::string& output, const std::string& name)
{
    output += '<';
    output += name;
    output += '>';
    output += kLineEnd;
}

void CXMLWriter::AddStartElementWithAttributes(std::string& output, const std::string& name,
                                               const AttributeList& attributes)
{
    output += '<';
    output += name;
    output += ' ';
    AddAttributes(output, attributes);
    output += '>';
    output += kLineEnd;
}

void CXMLWriter::AddEmptyElementWithAttributes(std::string& output, const std::string& name,
                                               const AttributeList& attributes)
{
    output += '<';
    output += name;
    output += ' ';
    AddAttributes(output, attributes);
    output += "/>";
    output += kLineEnd;
}

void CXMLWriter::AddEndElement(std::string& output, const std::string& name)
{
    output += "</";
    output += name;
    output += '>';
    output += kLineEnd;
}

void CXMLWriter::AddElement(std::string& output, const std::string& name, const std::string& value)
{
    output += '<';
    output += name;
    output += '>';
    AddInnerText(output, value);
    AddEndElement(output, name);
}

void CXMLWriter::AddAttributes(std::string& output, const AttributeList& attributes)
{
    for (const auto& attribute : attributes)
    {
        output += attribute.first;
        output += "=\"";
        output += ReplaceAll(EscapeText(attribute.second), "\"", "&quot;");
        output += "\" ";
    }
}

void CXMLWriter::AddInnerText(std::string& output, const std::string& text)
{
    output += EscapeText(text);
}

void CXMLWriter::AddElement_LocalTimeWithTimeZoneOffset(std::string& output, const std::string& name,
                                                        const SYSTEMTIME& localTime)
{
    std::string element = "<" + name + ">";
    AddInnerText_LocalTimeWithTimeZoneOffset(element, localTime);
    AddEndElement(element, name);
    output += element;
}

void CXMLWriter::AddInnerText_LocalTimeWithTimeZoneOffset(std::string& output, const SYSTEMTIME& localTime)
{
    AddInnerText(output, CDateTimeUtils::GetLocalTimeWithTimeZoneOffset(localTime));
}
