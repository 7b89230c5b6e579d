#include "platform/DataExchange.h"

#include "platform/Window.h"

CDataExchange& CDataExchange::Fail(int control) noexcept
{
    m_Failed = true;
    m_FailedControl = control;
    ::MessageBeep(0xFFFFFFFF);
    if (HWND item = ::GetDlgItem(m_Dialog, control))
        ::SetFocus(item);
    return *this;
}

CDataExchange& CDataExchange::Int(int control, int& value)
{
    if (m_Failed)
        return *this;
    if (!m_Save)
        return ::SetDlgItemInt(m_Dialog, control, static_cast<UINT>(value), TRUE) ? *this : Fail(control);

    BOOL translated = FALSE;
    const int read = static_cast<int>(::GetDlgItemInt(m_Dialog, control, &translated, TRUE));
    if (!translated)
        return Fail(control);
    value = read;
    return *this;
}

CDataExchange& CDataExchange::Check(int control, bool& value)
{
    if (m_Failed)
        return *this;
    if (!::GetDlgItem(m_Dialog, control))
        return Fail(control);
    if (m_Save)
        value = ::IsDlgButtonChecked(m_Dialog, control) == BST_CHECKED;
    else
        ::CheckDlgButton(m_Dialog, control, value ? BST_CHECKED : BST_UNCHECKED);
    return *this;
}

CDataExchange& CDataExchange::Text(int control, std::string& value)
{
    if (m_Failed)
        return *this;
    const CWindow item(::GetDlgItem(m_Dialog, control));
    if (!item)
        return Fail(control);
    if (m_Save)
        value = item.GetText();
    else if (!item.SetText(value))
        return Fail(control);
    return *this;
}
