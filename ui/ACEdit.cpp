#include "ui/ACEdit.h"

#include "core/ErrorReports.h"

#include <algorithm>
#include <cstring>

// Token and replacement.

CACTextRules::Range CACTextRules::Token(const std::string& text, size_t caret, bool inserting) const
{
    caret = std::min(caret, text.size());
    size_t start = 0;
    for (size_t at = caret; at > 0; --at)
    {
        const char c = text[at - 1];
        if (separators.find(c) != std::string::npos)
        {
            start = at;
            break;
        }
        if (stopChar && c == stopChar)
        {
            start = inserting ? at : at - 1;
            break;
        }
    }
    size_t end = text.find_first_of(separators, caret);
    if (end == std::string::npos || separators.empty())
        end = text.size();
    return {start, end};
}

CACTextRules::Replacement CACTextRules::Replace(const std::string& text, size_t caret, size_t selectionStart,
                                                size_t selectionEnd, const std::string& entry) const
{
    Range range = {selectionStart, selectionEnd};
    if (selectionStart >= selectionEnd || selectionEnd > text.size())
        range = Token(text, caret, true);
    Replacement result;
    result.text = text.substr(0, range.start);
    if (range.start > 0)
        result.text += prefix;
    result.text += entry;
    result.text += postfix;
    result.caret = result.text.size();
    result.text += text.substr(range.end);
    return result;
}

// The control.

CACEdit::CACEdit()
{
    SetHandlerExceptionHook(&ShowHandlerExceptionInErrorBox);
}

CACEdit::~CACEdit() = default;

CMessageTable<CACEdit> CACEdit::GetMessageTable()
{
    using Entry = CMessageEntry<CACEdit>;
    static const Entry entries[] = {
        Entry::Message(WM_KEYDOWN, &CACEdit::OnKeyDown, "CACEdit::OnKeyDown"),
        Entry::Message(WM_LBUTTONDOWN, &CACEdit::OnLButtonDown, "CACEdit::OnLButtonDown"),
        Entry::Message(WM_CHAR, &CACEdit::OnChar, "CACEdit::OnChar"),
        Entry::Message(WM_AC_NOTIFY, &CACEdit::OnListNotify, "CACEdit::OnListNotify"),
        Entry::Message(WM_DESTROY, &CACEdit::OnDestroy, "CACEdit::OnDestroy"),
    };
    return entries;
}

void CACEdit::Init()
{
    char className[32] = {};
    ::GetClassNameA(m_hWnd, className, sizeof(className));
    if (::_stricmp(className, "Edit") == 0)
    {
        m_Kind = kKindEdit;
        m_Edit = m_hWnd;
    }
    else if (::_stricmp(className, "ComboBox") == 0)
    {
        m_Kind = kKindComboBox;
        m_ComboEdit = ::GetWindow(m_hWnd, GW_CHILD);
    }
    if (m_Kind == kKindUnknown || m_List.m_hWnd)
        return;
    RECT control = {};
    ::GetWindowRect(m_hWnd, &control);
    const RECT rect = {control.left, control.top + 20, control.left + 200, control.top + 200};
    if (!m_List.CreateList(rect))
        return;
    m_List.Init(&m_hWnd);
    m_List.SetClaimCheck([this] { return IsInLookedUpToken(); });
}

void CACEdit::SetMode(UINT mode)
{
    if (m_Kind == kKindUnknown)
        Init();
    m_Mode = mode == kModeShowAllOnKey ? (kModeShowAllOnKey | kModeWholeText) : mode;
}

void CACEdit::CloseList()
{
    if (!m_Destroying && !m_Disabled)
        m_List.HideList();
}

// A box or dialog over the window takes the focus only while it is up (a
// lookup's own folder box among them): the name typed goes on, and the list
// shows again once it has gone.
void CACEdit::CloseListWindow()
{
    if (!m_List.m_hWnd || m_Destroying)
        return;
    if (m_List.IsCovered())
        m_List.HideWindow();
    else
        m_List.HideList();
}

size_t CACEdit::CaretIndex() const
{
    POINT caret = {};
    ::GetCaretPos(&caret);
    const LRESULT position =
        ::SendMessageA(TextWindow(), EM_CHARFROMPOS, 0, MAKELPARAM(static_cast<WORD>(caret.x), static_cast<WORD>(caret.y)));
    // Unsigned: a field of more than 32767 characters has no negative caret.
    return LOWORD(position);
}

void CACEdit::NotifyParent(WPARAM code)
{
    ::SendMessageA(::GetParent(m_hWnd), WM_AC_NOTIFY, code, ::GetDlgCtrlID(m_hWnd));
}

void CACEdit::OnUpdate()
{
    if (m_Destroying || m_Disabled)
        return;
    if (m_Kind != kKindUnknown)
    {
        m_Text = GetText();
        if ((m_Mode & kModeSeparators) && !m_Updating)
            LookUp(m_Rules.Token(m_Text, CaretIndex(), false));
        if ((m_Mode & kModeWholeText) && !m_Updating)
            LookUp({0, m_Text.size()});
    }
    // The lookup pumps messages, which may have closed the control.
    if (!m_Destroying && !m_Disabled && m_hWnd)
        NotifyParent(kNotifyLookupStarted);
}

// Noted first: a lookup started while this one's search pumps is the later.
void CACEdit::LookUp(const CACTextRules::Range& token)
{
    m_LookupText = m_Text;
    m_LookupToken = token;
    m_List.LookupText(-1, m_Text.substr(token.start, token.end - token.start), false);
}

bool CACEdit::IsInLookedUpToken() const
{
    if (GetText() != m_LookupText)
        return false;
    const auto inToken = [this](size_t index) { return index >= m_LookupToken.start && index <= m_LookupToken.end; };
    DWORD selectionStart = 0;
    DWORD selectionEnd = 0;
    ::SendMessageA(TextWindow(), EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart),
                   reinterpret_cast<LPARAM>(&selectionEnd));
    return inToken(CaretIndex()) && inToken(selectionStart) && inToken(selectionEnd);
}

void CACEdit::CloseListIfTokenLeft()
{
    if (m_List.HasLookup() && !IsInLookedUpToken())
        m_List.HideList();
}

bool CACEdit::InsertSelectedItem(UINT key, bool insert)
{
    if (key == VK_ESCAPE)
    {
        m_List.HideList();
        return true;
    }
    if (key != VK_PRIOR && key != VK_NEXT && key != VK_END && key != VK_HOME && key != VK_UP && key != VK_DOWN)
        return false;
    if (!m_List.IsListVisible())
    {
        if ((m_Mode & kModeShowAllOnKey) && GetText().empty())
        {
            m_List.ShowAll();
            return true;
        }
        return false;
    }
    if (!IsInLookedUpToken())
    {
        m_List.HideList();
        return false;
    }
    // The lookup's own entries are still to come.
    if (!m_List.HasCurrentEntries())
        return false;
    if (m_Mode & kModeWholeText)
    {
        ReplaceWholeText(key, insert);
        return true;
    }
    if (m_Mode & kModeSeparators)
    {
        ReplaceToken(key, insert);
        return true;
    }
    return false;
}

void CACEdit::ReplaceWholeText(UINT key, bool insert)
{
    m_Updating = true;
    const std::string text = insert ? m_List.GetSelectedText() : m_List.SelectByKey(key);
    m_List.SetSelectionHint(-1);
    SetText(text);
    // The text follows the highlight; the list stays that of the lookup.
    m_LookupText = text;
    m_LookupToken = {0, text.size()};
    ::SendMessageA(TextWindow(), EM_SETSEL, text.size(), text.size());
    ::SendMessageA(TextWindow(), EM_SETMODIFY, TRUE, 0);
    NotifyParent(kNotifyChosen);
    m_Updating = false;
}

// Navigation keys move the highlight only; a choice replaces the token or
// the selection.
void CACEdit::ReplaceToken(UINT key, bool insert)
{
    m_Updating = true;
    m_Text = GetText();
    const size_t caret = CaretIndex();
    DWORD selectionStart = 0;
    DWORD selectionEnd = 0;
    ::SendMessageA(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart),
                   reinterpret_cast<LPARAM>(&selectionEnd));
    const std::string entry = insert ? m_List.GetSelectedText() : m_List.SelectByKey(key);
    if (insert)
    {
        const CACTextRules::Replacement replacement = m_Rules.Replace(m_Text, caret, selectionStart, selectionEnd, entry);
        SetText(replacement.text);
        NotifyParent(kNotifyChosen);
        if (m_Kind == kKindEdit)
        {
            ::SendMessageA(m_Edit, EM_SETSEL, replacement.caret, replacement.caret);
            ::SendMessageA(m_Edit, EM_SCROLLCARET, 0, 0);
        }
    }
    ::SendMessageA(TextWindow(), EM_SETMODIFY, TRUE, 0);
    m_Updating = false;
}

int CACEdit::FilterKeyDown(const MSG& message)
{
    if (message.message != WM_KEYDOWN || !m_List.IsListVisible())
        return 1;
    const UINT key = static_cast<UINT>(message.wParam);
    if (m_Kind == kKindComboBox && (key == VK_UP || key == VK_DOWN))
        InsertSelectedItem(key, false);
    if (key == VK_ESCAPE || key == VK_RETURN)
        InsertSelectedItem(key, false);
    return 1;
}

// A key the list leaves (an arrow to the side, Delete) may take the caret
// out of the token: the lookup ends then, also while its entries are still
// to come.
LRESULT CACEdit::OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool&)
{
    if (InsertSelectedItem(static_cast<UINT>(wParam), false))
        return 0;
    const LRESULT result = DefaultProc(message, wParam, lParam);
    CloseListIfTokenLeft();
    return result;
}

LRESULT CACEdit::OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool&)
{
    const LRESULT result = DefaultProc(message, wParam, lParam);
    CloseListIfTokenLeft();
    return result;
}

// Enter the list does not take breaks the line.
LRESULT CACEdit::OnChar(UINT, WPARAM wParam, LPARAM, bool& handled)
{
    if (wParam != VK_RETURN || !m_List.IsListVisible())
    {
        handled = false;
        return 0;
    }
    handled = InsertSelectedItem(VK_DOWN, true);
    if (handled)
        m_List.HideList();
    return 0;
}

LRESULT CACEdit::OnListNotify(UINT, WPARAM wParam, LPARAM, bool& handled)
{
    if (wParam != CACListWnd::kNotifyChosen)
    {
        handled = false;
        return 0;
    }
    if (!InsertSelectedItem(VK_DOWN, true))
        return 0;
    if (m_Kind == kKindEdit)
    {
        ::SendMessageA(m_Edit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
        ::SendMessageA(m_Edit, EM_SCROLLCARET, 0, 0);
    }
    return 0;
}

LRESULT CACEdit::OnDestroy(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    m_Destroying = true;
    m_List.HideList();
    m_List.Shutdown();
    if (IAsyncListProvider* provider = m_List.GetAsyncListProvider())
        provider->Stop();
    return 0;
}
