// The recipient selector's window as a window driver's script works it,
// from inside the dialog's modal loop: its lists and address books read
// back, and its controls worked as the user would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The open dialog, for the script.
class CSelectorWindow
{
public:
    explicit CSelectorWindow(HWND dialog) : m_Dialog(dialog) {}

    HWND Handle() const { return m_Dialog; }
    HWND Item(int id) const { return ::GetDlgItem(m_Dialog, id); }

    // Dispatches this thread's messages for the time, or until the
    // condition holds (false when it never did within a generous bound).
    static void Pump(DWORD milliseconds);
    static bool WaitUntil(const std::function<bool()>& condition);
    // The list's rows as "name [number]", in the list's order.
    std::vector<std::string> Rows(int listId) const;
    int RowImage(int listId, int row) const;
    bool WaitForRows(int listId, size_t count) const;
    std::vector<std::string> Books() const;
    std::string SelectedBook() const;

    // As the user would: each sends the control's notification.
    void Type(const std::string& text) const;
    void Choose(const std::string& book) const;
    void Click(int id) const;
    // Only these rows selected; row -1 is every row.
    void Select(int listId, const std::vector<int>& rows) const;
    void SelectNamed(int listId, const std::vector<std::string>& names) const;
    void DoubleClick(int listId) const;
    // Ends the run with the button (posted, as a click is).
    void Press(int id) const;

private:
    HWND m_Dialog;
};

// A list row's text as Rows gives it.
std::string RowText(const std::string& name, const std::string& number);

// A driver step's action for the callers' round trips: notes the
// recipients the selector opened with, adds the first available row (once
// one is listed, when the selector chose a book) and ends with the button.
std::function<void(HWND)> AddFirstAvailableAndPress(int button, std::vector<std::string>& shown);
