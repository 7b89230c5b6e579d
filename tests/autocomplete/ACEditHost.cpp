#include "tests/autocomplete/ACEditHost.h"

void ACEditWindow::SetUp()
{
    m_Window = OpenACHost(m_Host, &m_Provider);
    ASSERT_NE(nullptr, m_Window);
    Pump(20);
}

void ACEditWindow::TearDown()
{
    if (::IsWindow(m_Window))
        ::DestroyWindow(m_Window);
    Pump(10);
}

void ACEditWindow::Type(const std::string& text)
{
    for (char c : text)
        ::SendMessageA(Edit(), WM_CHAR, static_cast<unsigned char>(c), 1);
}

void ACEditWindow::Key(UINT key)
{
    ::SendMessageA(Edit(), WM_KEYDOWN, key, 1);
}

std::string ACEditWindow::Text() const
{
    return CWindow(Edit()).GetText();
}

std::vector<std::string> ACEditWindow::Lookups() const
{
    std::vector<std::string> texts;
    for (const auto& lookup : m_Provider.m_Lookups)
        texts.push_back(lookup.text);
    return texts;
}

LPARAM ACEditWindow::RowPoint(int row)
{
    const int y = List().GetRowHeight() * (row - List().GetTopIndex()) + List().GetRowHeight() / 2;
    return MAKELPARAM(10, y);
}
