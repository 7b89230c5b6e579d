// A modeless dialog holding one multi-line edit (id 211, as the Send SMS
// window's To field) with a CACEdit over it in separator mode, fed by a
// scripted provider. The dialog forwards EN_CHANGE to OnUpdate as its owner
// would, and records the notifications the edit sends it. The dialog is in
// front and the edit has the focus, so the caret is the edit's.
#pragma once

#include "platform/DialogImpl.h"
#include "tests/autocomplete/ScriptedListProvider.h"
#include "ui/ACEdit.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

class CACHostDlg : public CDialogImpl<CACHostDlg>
{
public:
    static constexpr int kEditId = 211;

    CACHostDlg() : CDialogImpl(::GetModuleHandleA(nullptr)) {}
    static CMessageTable<CACHostDlg> GetMessageTable();

    CACEdit m_Edit;
    std::vector<std::pair<WPARAM, LPARAM>> m_Notifications;

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnEditChange(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnNotify(UINT, WPARAM wParam, LPARAM lParam, bool&);
};

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
    static void Pump(DWORD milliseconds);

    CScriptedListProvider m_Provider;
    CACHostDlg m_Host;
    HWND m_Window = nullptr;
};
