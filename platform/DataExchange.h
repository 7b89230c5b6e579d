// Data exchange between a dialog's controls and its members, one pass at a
// time: load (members into controls) or save (controls into members).
//
//   CDataExchange(m_hWnd, save).Int(kPartsRequired, m_PartsRequired).Check(kDoNotShow, m_DoNotShow)
//
// A control that fails to exchange (a missing control, a text that is no
// 32-bit signed number) beeps, takes the focus and ends the pass: the controls after
// it are left alone, and the member keeps its value.
#pragma once

#include <windows.h>

#include <string>

class CDataExchange
{
public:
    CDataExchange(HWND dialog, bool save) noexcept : m_Dialog(dialog), m_Save(save) {}

    // The signed decimal text of the control, as SetDlgItemInt writes it and
    // GetDlgItemInt reads it (blanks around, no other character).
    CDataExchange& Int(int control, int& value);
    // Checked or not; an indeterminate box saves as unchecked.
    CDataExchange& Check(int control, bool& value);
    CDataExchange& Text(int control, std::string& value);

    bool Succeeded() const noexcept { return !m_Failed; }
    explicit operator bool() const noexcept { return Succeeded(); }
    // The control that ended the pass; 0 when none did.
    int FailedControl() const noexcept { return m_FailedControl; }

private:
    CDataExchange& Fail(int control) noexcept;
    // The control, or null (the pass failed before, or it fails here).
    HWND Control(int control) noexcept;

    HWND m_Dialog;
    bool m_Save;
    bool m_Failed = false;
    int m_FailedControl = 0;
};
