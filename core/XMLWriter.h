// Appends pieces of XML text to a caller's narrow string. Keeps no state: no
// declaration, no stack of open elements, no indentation. Every tag ends with
// CR LF; the caller writes the elements in order and closes what it opens.
// Element and attribute names are written unchanged.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

class CXMLWriter
{
public:
    // (name, value) pairs, written in order.
    using AttributeList = std::vector<std::pair<std::string, std::string>>;

    virtual ~CXMLWriter() = default;

    // <name>
    static void AddStartElement(std::string& output, const std::string& name);
    // <name a="1" b="x" > : a blank follows every attribute and the name.
    static void AddStartElementWithAttributes(std::string& output, const std::string& name,
                                              const AttributeList& attributes);
    // <name a="1" />
    static void AddEmptyElementWithAttributes(std::string& output, const std::string& name,
                                              const AttributeList& attributes);
    // </name>
    static void AddEndElement(std::string& output, const std::string& name);
    // <name>escaped value</name>
    static void AddElement(std::string& output, const std::string& name, const std::string& value);
    // <name>YYYY-MM-DDThh:mm:ss+hh:mm</name> from a local time.
    static void AddElement_LocalTimeWithTimeZoneOffset(std::string& output, const std::string& name,
                                                       const SYSTEMTIME& localTime);

    // name="value" followed by a blank, per attribute. Values are escaped
    // like inner text and their double quotes too, so a sender id or user
    // name cannot end the attribute.
    static void AddAttributes(std::string& output, const AttributeList& attributes);

    // Escapes &, < and > (quotes, apostrophes and control characters stay).
    static void AddInnerText(std::string& output, const std::string& text);
    // Raises what CDateTimeUtils::GetLocalTimeWithTimeZoneOffset raises.
    static void AddInnerText_LocalTimeWithTimeZoneOffset(std::string& output, const SYSTEMTIME& localTime);
};
