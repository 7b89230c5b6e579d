// The auto-complete edit in its host dialog (ACHostDlg.h), fed by a scripted
// provider. The dialog is in front and the edit has the focus, so the caret
// is the edit's.
#pragma once

#include "tests/autocomplete/ScriptedListProvider.h"
#include "tests/support/TestMessageWindow.h"
#include "tests/autocomplete/ACHostDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

class ACEditWindow : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Keystrokes as the keyboard would deliver them to the focused edit.
    void Type(const std::string& text);
    void Key(UINT key);
    // The edit's text.
    std::string Text() const;
    HWND Edit() const { return m_Host.m_Edit.m_hWnd; }
    CACListWnd& List() { return m_Host.m_Edit.List(); }
    std::vector<std::string> Lookups() const;
    // Client point of a row of the list.
    LPARAM RowPoint(int row);
    static void Pump(DWORD milliseconds) { PumpThreadMessages(milliseconds); }

    CScriptedListProvider m_Provider;
    CACHostDlg m_Host;
    HWND m_Window = nullptr;
};
