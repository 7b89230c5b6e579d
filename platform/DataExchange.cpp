#include "platform/DataExchange.h"

#include "platform/Window.h"

#include <climits>

namespace
{
bool IsBlank(char c) noexcept { return c == ' ' || c == '\t'; }

// GetDlgItemInt's signed reading, but strict on every system: blanks, an
// optional sign, decimal digits in range, blanks and nothing else (Wine's
// GetDlgItemInt takes "12a" as 12).
bool ParseSignedInt(const std::string& text, int& value) noexcept
{
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        ++at;
    const size_t digitsStart = at;
    long long magnitude = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
    {
        magnitude = magnitude * 10 + (text[at] - '0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1)
            return false;
        ++at;
    }
    if (at == digitsStart)
        return false;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    if (at != text.size())
        return false;
    const long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT_MAX)
        return false;
    value = static_cast<int>(signedValue);
    return true;
}
}

CDataExchange& CDataExchange::Fail(int control) noexcept
{
    m_Failed = true;
    m_FailedControl = control;
    ::MessageBeep(0xFFFFFFFF);
    if (HWND item = ::GetDlgItem(m_Dialog, control))
        ::SetFocus(item);
    return *this;
}

HWND CDataExchange::Control(int control) noexcept
{
    if (m_Failed)
        return nullptr;
    HWND item = ::GetDlgItem(m_Dialog, control);
    if (!item)
        Fail(control);
    return item;
}

CDataExchange& CDataExchange::Int(int control, int& value)
{
    const CWindow item(Control(control));
    if (!item)
        return *this;
    if (!m_Save)
        return ::SetDlgItemInt(m_Dialog, control, static_cast<UINT>(value), TRUE) ? *this : Fail(control);
    return ParseSignedInt(item.GetText(), value) ? *this : Fail(control);
}

CDataExchange& CDataExchange::Check(int control, bool& value)
{
    if (!Control(control))
        return *this;
    if (m_Save)
        value = ::IsDlgButtonChecked(m_Dialog, control) == BST_CHECKED;
    else
        ::CheckDlgButton(m_Dialog, control, value ? BST_CHECKED : BST_UNCHECKED);
    return *this;
}

CDataExchange& CDataExchange::Text(int control, std::string& value)
{
    const CWindow item(Control(control));
    if (!item)
        return *this;
    if (m_Save)
        value = item.GetText();
    else if (!item.SetText(value))
        return Fail(control);
    return *this;
}
