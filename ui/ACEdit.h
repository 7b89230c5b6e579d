// Auto-completion for an Edit or ComboBox of a dialog: the object
// subclasses the control, owns the drop-down list (ui/ACListWnd.h), starts a
// lookup whenever the owner reports a text change (OnUpdate on EN_CHANGE),
// lets the arrow and page keys move through the list from inside the
// control, and writes the chosen entry back into the text.
//
//   m_ToEdit.SubclassWindow(GetDlgItem(kToField));
//   m_ToEdit.Init();
//   m_ToEdit.SetMode(CACEdit::kModeSeparators);
//   m_ToEdit.m_SeparatorChars = ",;\n\r";
//   m_ToEdit.SetAsyncListProvider(&m_Provider);
//
// In separator mode only the token round the caret is looked up and
// replaced (CACTextRules). The list acts (a key moves its highlight, Enter
// or a click on a row writes the entry) only while its entries are those of
// the latest lookup and the text and the caret are still those the lookup
// was made for; once the caret leaves that token the lookup ends, whether
// the list shows or still waits for its entries, and nothing of it shows. The
// provider is borrowed: detach it before it goes. The list window lives as
// long as this object. Same thread as the control.
#pragma once

#include <windows.h>

#include <string>

#include "platform/WindowSubclass.h"
#include "ui/ACListWnd.h"

// The token rule and the replacement of separator mode, on text alone.
struct CACTextRules
{
    struct Range
    {
        size_t start;
        size_t end;
    };
    struct Replacement
    {
        std::string text;
        size_t caret;
    };

    // The token round the caret (clamped to the text): from just after the
    // last separator before it, or from the stop character (just after it
    // when inserting), to the next separator at or after it.
    Range Token(const std::string& text, size_t caret, bool inserting) const;
    // The entry in place of the selection when that is a non-empty range
    // within the text, else in place of the token: the prefix before it
    // unless it starts the text, the postfix after it; the caret goes after
    // the postfix.
    Replacement Replace(const std::string& text, size_t caret, size_t selectionStart, size_t selectionEnd,
                        const std::string& entry) const;

    std::string separators;
    char stopChar = 0;
    std::string prefix;
    std::string postfix;
};

class CACEdit : public CWindowSubclass<CACEdit>
{
public:
    enum : UINT
    {
        kModeWholeText = 1,
        kModeSeparators = 2,
        kModeShowAllOnKey = 16,
    };
    enum : int
    {
        kKindUnknown = -1,
        kKindEdit = 1,
        kKindComboBox = 2,
    };
    static constexpr WPARAM kNotifyChosen = 256;
    static constexpr WPARAM kNotifyLookupStarted = 1024;

    CACEdit();
    ~CACEdit() override;

    static CMessageTable<CACEdit> GetMessageTable();

    // After SubclassWindow: the list window and the control's kind. A
    // control of another class gets neither list nor lookups.
    void Init();
    // Runs Init when not done yet; 16 alone means 16 with whole-text mode.
    void SetMode(UINT mode);
    void SetAsyncListProvider(IAsyncListProvider* provider) { m_List.SetAsyncListProvider(provider); }
    void SetNoDuplicates(bool noDuplicates) { m_List.SetNoDuplicates(noDuplicates); }
    void SetPrefix(const std::string& prefix) { m_Rules.prefix = prefix; }
    void SetPostfix(const std::string& postfix) { m_Rules.postfix = postfix; }
    void SetSeparators(const std::string& separators) { m_Rules.separators = separators; }
    void SetStopChar(char stopChar) { m_Rules.stopChar = stopChar; }
    // Auto-completion off: the control behaves as a plain one.
    void SetDisabled(bool disabled) { m_Disabled = disabled; }

    // Hides the list (and cancels its lookup) unless the control is going
    // or auto-completion is off.
    void CloseList();
    // The focus has left the control: hides the list unless the control is
    // going; the lookup ends unless a box or dialog over the window took it.
    void CloseListWindow();

    // The owner's EN_CHANGE or CBN_EDITCHANGE: looks the text up, unless the
    // change is the control's own write.
    void OnUpdate();
    // A navigation key, Escape, or (insert) the choice of the highlighted
    // entry; true when the key was used up. A list whose lookup the text or
    // the caret has left is closed, and the key is not used up.
    bool InsertSelectedItem(UINT key, bool insert);
    // For an owner's message filter; always 1.
    int FilterKeyDown(const MSG& message);

    CACListWnd& List() { return m_List; }
    UINT GetMode() const { return m_Mode; }
    int GetKind() const { return m_Kind; }

private:
    LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnChar(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnListNotify(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    // The window that holds the text and the caret: the Edit, or the
    // ComboBox's edit.
    HWND TextWindow() const { return m_Kind == kKindComboBox ? m_ComboEdit : m_Edit; }
    size_t CaretIndex() const;
    void NotifyParent(WPARAM code);
    void ReplaceWholeText(UINT key, bool insert);
    void ReplaceToken(UINT key, bool insert);
    void LookUp(const CACTextRules::Range& token);
    // The text is the one the latest lookup was made for and the caret (and
    // a selection) lie within its token.
    bool IsInLookedUpToken() const;
    // After the control's own handling of a key or a click: ends the
    // lookup, shown or waiting, once the caret has left its token.
    void CloseListIfTokenLeft();

    CACListWnd m_List;
    std::string m_Text;
    // The text and the token of the latest lookup.
    std::string m_LookupText;
    CACTextRules::Range m_LookupToken = {0, 0};
    CACTextRules m_Rules;
    UINT m_Mode = kModeWholeText;
    bool m_Updating = false;
    int m_Kind = kKindUnknown;
    HWND m_ComboEdit = nullptr;
    HWND m_Edit = nullptr;
    bool m_Destroying = false;
    bool m_Disabled = false;
};
