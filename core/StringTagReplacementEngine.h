// Fills the tags of a wide template from a map of tag names to values. A tag
// is a name between the opening and closing characters, optionally followed
// by the width separator and a maximum width: with '[' and ']', "[Name]" or
// "[Name:20]". There is no escape: a delimiter that does not form a tag with a
// known name is copied as it stands.
#pragma once

#include <map>
#include <string>

class CStringTagReplacementEngine
{
public:
    CStringTagReplacementEngine();
    virtual ~CStringTagReplacementEngine() = default;

    // Names are looked up exactly as they stand (case-sensitive, untrimmed).
    // A width of 0 or more cuts the value to that many characters; a negative
    // width is ignored. Reads only the engine's fields, so one engine may
    // serve several threads.
    std::wstring ReplaceTags(const std::wstring& templateText,
                             const std::map<std::wstring, std::wstring>& values) const;

    // Set directly by the user after construction; compared with the
    // template's wide characters by value.
    char m_TagOpenChar;
    char m_TagCloseChar;
    char m_TagWidthSeparator;
};
