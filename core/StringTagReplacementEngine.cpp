#include "core/StringTagReplacementEngine.h"

#include <climits>

namespace
{
wchar_t ToWide(char c)
{
    return static_cast<wchar_t>(static_cast<unsigned char>(c));
}

bool IsBlank(wchar_t c)
{
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

// Leading blanks and a sign, then decimal digits up to the first other
// character; no digits gives 0. Saturates instead of overflowing.
long long ParseWidth(const std::wstring& text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
    {
        if (value < INT_MAX)
            value = value * 10 + (text[i] - L'0');
    }
    return negative ? -value : value;
}
} // namespace

CStringTagReplacementEngine::CStringTagReplacementEngine()
    : m_TagOpenChar('<'), m_TagCloseChar('>'), m_TagWidthSeparator(':')
{
}

std::wstring CStringTagReplacementEngine::ReplaceTags(
    const std::wstring& templateText, const std::map<std::wstring, std::wstring>& values) const
{
    const wchar_t open = ToWide(m_TagOpenChar);
    const wchar_t close = ToWide(m_TagCloseChar);
    const wchar_t separator = ToWide(m_TagWidthSeparator);
    const size_t npos = std::wstring::npos;

    std::wstring output;
    output.reserve(templateText.size());
    size_t copied = 0;
    size_t scan = 0;

    while (scan < templateText.size())
    {
        const size_t p = templateText.find(open, scan);
        if (p == npos)
            break;
        if (p > copied)
        {
            output.append(templateText, copied, p - copied);
            copied = p;
        }
        if (p + 1 >= templateText.size())
            break;

        // The innermost opening character before a closing one starts the
        // tag; tags do not nest.
        const size_t c = templateText.find(close, p + 1);
        const size_t o = templateText.find(open, p + 1);
        if (c == npos || (o != npos && o <= c))
        {
            scan = p + 1;
            continue;
        }

        const size_t s = templateText.find(separator, p + 1);
        const bool hasWidth = s != npos && s < c;
        const std::wstring name = templateText.substr(p + 1, (hasWidth ? s : c) - (p + 1));

        const auto found = values.find(name);
        if (found == values.end())
        {
            scan = p + 1;
            continue;
        }

        const std::wstring& value = found->second;
        const long long width = hasWidth ? ParseWidth(templateText.substr(s + 1, c - s - 1)) : -1;
        if (width >= 0 && static_cast<unsigned long long>(width) < value.size())
            output.append(value, 0, static_cast<size_t>(width));
        else
            output += value;
        copied = scan = c + 1;
    }

    if (copied < templateText.size())
        output.append(templateText, copied, npos);
    return output;
}
