#include "tests/support/SelectorWindow.h"

#include "resources/resource.h"
#include "tests/support/TestMessageWindow.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace
{
const DWORD kGenerousMs = 20000;

std::string ComboText(HWND combo, int index)
{
    char buffer[256] = {};
    ::SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}
} // namespace

std::string RowText(const std::string& name, const std::string& number)
{
    return name + " [" + number + "]";
}

void CSelectorWindow::Pump(DWORD milliseconds)
{
    PumpThreadMessages(milliseconds);
}

bool CSelectorWindow::WaitUntil(const std::function<bool()>& condition)
{
    const DWORD start = ::GetTickCount();
    while (!condition())
    {
        if (::GetTickCount() - start > kGenerousMs)
            return false;
        Pump(20);
    }
    return true;
}

std::vector<std::string> CSelectorWindow::Rows(int listId) const
{
    const auto text = [this, listId](int row, int column) {
        char buffer[256] = {};
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = sizeof(buffer);
        ::SendMessageA(Item(listId), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return std::string(buffer);
    };
    std::vector<std::string> rows;
    const int count = static_cast<int>(::SendMessageA(Item(listId), LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row)
        rows.push_back(RowText(text(row, 0), text(row, 1)));
    return rows;
}

int CSelectorWindow::RowImage(int listId, int row) const
{
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    ::SendMessageA(Item(listId), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

bool CSelectorWindow::WaitForRows(int listId, size_t count) const
{
    return WaitUntil([&] { return Rows(listId).size() >= count; });
}

std::vector<std::string> CSelectorWindow::Books() const
{
    std::vector<std::string> books;
    const int count = static_cast<int>(::SendMessageA(Item(IDC_SELECTOR_ADDRESSBOOK), CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index)
        books.push_back(ComboText(Item(IDC_SELECTOR_ADDRESSBOOK), index));
    return books;
}

std::string CSelectorWindow::SelectedBook() const
{
    const LRESULT index = ::SendMessageA(Item(IDC_SELECTOR_ADDRESSBOOK), CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? "<none>" : ComboText(Item(IDC_SELECTOR_ADDRESSBOOK), static_cast<int>(index));
}

void CSelectorWindow::Type(const std::string& text) const
{
    ::SetWindowTextA(Item(IDC_SELECTOR_SEARCH), text.c_str());
    ::SendMessageA(m_Dialog, WM_COMMAND, MAKEWPARAM(IDC_SELECTOR_SEARCH, EN_CHANGE),
                   reinterpret_cast<LPARAM>(Item(IDC_SELECTOR_SEARCH)));
}

void CSelectorWindow::Choose(const std::string& book) const
{
    const HWND combo = Item(IDC_SELECTOR_ADDRESSBOOK);
    ::SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(book.c_str()));
    ::SendMessageA(m_Dialog, WM_COMMAND, MAKEWPARAM(IDC_SELECTOR_ADDRESSBOOK, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
}

void CSelectorWindow::Click(int id) const
{
    ::SendMessageA(Item(id), BM_CLICK, 0, 0);
}

void CSelectorWindow::Select(int listId, const std::vector<int>& rows) const
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    ::SendMessageA(Item(listId), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    for (int row : rows)
        ::SendMessageA(Item(listId), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void CSelectorWindow::SelectNamed(int listId, const std::vector<std::string>& names) const
{
    std::vector<int> rows;
    const std::vector<std::string> listed = Rows(listId);
    for (const std::string& name : names)
        for (size_t row = 0; row < listed.size(); ++row)
            if (listed[row].compare(0, name.size() + 2, name + " [") == 0)
                rows.push_back(static_cast<int>(row));
    EXPECT_EQ(names.size(), rows.size()) << "not every name is listed once";
    Select(listId, rows);
}

void CSelectorWindow::DoubleClick(int listId) const
{
    NMITEMACTIVATE activate = {};
    activate.hdr.hwndFrom = Item(listId);
    activate.hdr.idFrom = static_cast<UINT_PTR>(listId);
    activate.hdr.code = NM_DBLCLK;
    activate.iItem = -1;
    ::SendMessageA(m_Dialog, WM_NOTIFY, static_cast<WPARAM>(listId), reinterpret_cast<LPARAM>(&activate));
}

void CSelectorWindow::Press(int id) const
{
    ::PostMessageA(m_Dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
}

std::function<void(HWND)> AddFirstAvailableAndPress(int button, std::vector<std::string>& shown)
{
    return [button, &shown](HWND dialog) {
        const CSelectorWindow w(dialog);
        shown = w.Rows(IDC_SELECTOR_RECIPIENTS);
        // Without a book (none could be opened) nothing is ever listed.
        if (w.SelectedBook() != "<none>" && w.WaitForRows(IDC_SELECTOR_AVAILABLE, 1))
        {
            w.Select(IDC_SELECTOR_AVAILABLE, {0});
            w.Click(IDC_SELECTOR_ADD);
        }
        w.Press(button);
    };
}
