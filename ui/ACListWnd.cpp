#include "ui/ACListWnd.h"

#include "core/ErrorReports.h"
#include "core/ScopedHandle.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

namespace
{
// _stricmp's order in the C locale the add-in runs in (bytes compared
// unsigned, ASCII letters folded), without the CRT's locale look-ups per
// character, which dominate sorting tens of thousands of entries.
int LowerAscii(char c)
{
    const int byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte;
}

bool LessNoCase(const std::string& left, const std::string& right)
{
    const size_t length = std::min(left.size(), right.size());
    for (size_t i = 0; i < length; ++i)
    {
        const int l = LowerAscii(left[i]);
        const int r = LowerAscii(right[i]);
        if (l != r)
            return l < r;
    }
    return left.size() < right.size();
}

// Equal under CRT tolower in the C locale: same length, same letters.
bool SameNoCase(const std::string& left, const std::string& right)
{
    return !LessNoCase(left, right) && !LessNoCase(right, left);
}

bool IsEmpty(const RECT& rect)
{
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

RECT WindowRect(HWND window)
{
    RECT rect = {};
    if (window)
        ::GetWindowRect(window, &rect);
    return rect;
}

bool SameRect(const RECT& left, const RECT& right)
{
    return left.left == right.left && left.top == right.top && left.right == right.right &&
           left.bottom == right.bottom;
}
} // namespace

CACListWnd::CACListWnd()
{
    SetHandlerExceptionHook(&ShowHandlerExceptionInErrorBox);
}

CACListWnd::~CACListWnd()
{
    // Destroyed here, while the handlers still run on a whole object.
    DestroyWindow();
}

CMessageTable<CACListWnd> CACListWnd::GetMessageTable()
{
    using Entry = CMessageEntry<CACListWnd>;
    static const Entry entries[] = {
        Entry::Message(WM_PAINT, &CACListWnd::OnPaint, "CACListWnd::OnPaint"),
        Entry::Message(WM_ERASEBKGND, &CACListWnd::OnEraseBkgnd, "CACListWnd::OnEraseBkgnd"),
        Entry::Message(WM_NCCALCSIZE, &CACListWnd::OnNcCalcSize, "CACListWnd::OnNcCalcSize"),
        Entry::Message(WM_NCPAINT, &CACListWnd::OnNcPaint, "CACListWnd::OnNcPaint"),
        Entry::Message(WM_NCHITTEST, &CACListWnd::OnNcHitTest, "CACListWnd::OnNcHitTest"),
        Entry::Message(WM_NCLBUTTONDOWN, &CACListWnd::OnNcLButtonDown, "CACListWnd::OnNcLButtonDown"),
        Entry::Message(WM_SIZE, &CACListWnd::OnSize, "CACListWnd::OnSize"),
        Entry::Message(WM_GETMINMAXINFO, &CACListWnd::OnGetMinMaxInfo, "CACListWnd::OnGetMinMaxInfo"),
        Entry::Message(WM_SETCURSOR, &CACListWnd::OnSetCursor, "CACListWnd::OnSetCursor"),
        Entry::Message(WM_MOUSEMOVE, &CACListWnd::OnMouseMove, "CACListWnd::OnMouseMove"),
        Entry::Message(WM_LBUTTONDOWN, &CACListWnd::OnLButtonDown, "CACListWnd::OnLButtonDown"),
        Entry::Message(WM_RBUTTONDOWN, &CACListWnd::OnHide, "CACListWnd::OnRButtonDown"),
        Entry::Message(WM_KEYDOWN, &CACListWnd::OnKeyDown, "CACListWnd::OnKeyDown"),
        Entry::Message(WM_ACTIVATEAPP, &CACListWnd::OnHide, "CACListWnd::OnActivateApp"),
        Entry::Message(WM_SHOWWINDOW, &CACListWnd::OnShowWindow, "CACListWnd::OnShowWindow"),
        Entry::Message(WM_TIMER, &CACListWnd::OnTimer, "CACListWnd::OnTimer"),
        Entry::Message(WM_VSCROLL, &CACListWnd::OnVScroll, "CACListWnd::OnVScroll"),
        Entry::Message(WM_DESTROY, &CACListWnd::OnDestroy, "CACListWnd::OnDestroy"),
        Entry::Message(WM_AC_LISTITEMBATCH, &CACListWnd::OnListItemBatch, "CACListWnd::OnListItemBatch"),
        Entry::Message(kHideStaleEntries, &CACListWnd::OnHideStaleEntries, "CACListWnd::OnHideStaleEntries"),
    };
    return entries;
}

HWND CACListWnd::CreateList(const RECT& rect)
{
    return Create(::GetDesktopWindow(), rect, "", WS_CHILD | WS_CLIPSIBLINGS | WS_BORDER, WS_EX_TOOLWINDOW,
                  kControlId);
}

void CACListWnd::Init(const HWND* edit)
{
    m_ScrollBar = ::CreateWindowExA(0, "SCROLLBAR", "ACListWndScrolBar", WS_CHILD | WS_VISIBLE | SBS_VERT | SBS_LEFTALIGN,
                                    0, 0, ::GetSystemMetrics(SM_CYVSCROLL), 100, m_hWnd, nullptr,
                                    reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(m_hWnd, GWLP_HINSTANCE)), nullptr);
    PlaceScrollBar();
    m_pEdit = edit;
    m_ItemCount = static_cast<std::uint32_t>(m_Items.size());
    ::SetScrollPos(m_ScrollBar, SB_CTL, 0, FALSE);
    ::SetScrollRange(m_ScrollBar, SB_CTL, 0, static_cast<int>(m_ItemCount), TRUE);

    const CScopedWindowDC dc({m_hWnd, ::GetDC(m_hWnd)});
    if (dc)
    {
        const CScopedDCSelection font({dc.get().dc, ::SelectObject(dc.get().dc, ::GetStockObject(DEFAULT_GUI_FONT))});
        SIZE size = {};
        if (::GetTextExtentPoint32A(dc.get().dc, "Hg", 2, &size) && size.cy > 0)
            m_RowHeight = size.cy;
    }
}

void CACListWnd::Shutdown()
{
    m_Shutdown = true;
    if (m_hWnd)
        ::ShowWindow(m_hWnd, SW_HIDE);
}

// Lookups.

int CACListWnd::LookupText(LONG startIndex, const std::string& text, bool reshow)
{
    if (reshow)
    {
        Layout();
        return 1;
    }
    if (!m_pProvider || m_Shutdown)
    {
        HideList();
        return -1;
    }
    // A new lookup replaces the one before in the provider: the name typed
    // goes on. Only an empty text ends it.
    if (text.empty())
    {
        HideList();
        return -1;
    }
    auto params = std::make_unique<CAsyncListProviderFetchParameters>();
    params->m_CallerValue = startIndex;
    params->m_SearchText = text;
    params->m_RequestId = CAsyncListProviderFetchParameters::TakeNextRequestId();
    const std::uint32_t started = params->m_RequestId;
    m_CurrentRequestId = started;
    m_FirstBatchMerged = false;
    // A search that pumps shows the entries of the text before no longer
    // than until its first pump; one answered at once has replaced them.
    if (IsListVisible())
        ::PostMessageA(m_hWnd, kHideStaleEntries, started, 0);
    CAsyncListProviderFetchResult result;
    m_pProvider->StartListFetch(std::move(params), result, this);
    // The search pumps messages: the edit may have gone meanwhile.
    if (m_Shutdown || !m_hWnd)
        return -1;
    // Keys handled inside the search may have hidden the list or started a
    // newer lookup; the search then hands back that lookup's batch, if any,
    // and the list shows what that batch brings and nothing else.
    if (result.m_ImmediateBatch && !result.m_Deferred)
        MergeListItemBatch(result.m_ImmediateBatch.release());
    if (m_CurrentRequestId != started)
        return IsListVisible() ? 1 : -1;
    // Until the lookup's first batch comes (from a search lower on the stack
    // that serves it, or from the worker), the entries are those of a text
    // no longer typed.
    if (result.m_Deferred && !m_FirstBatchMerged)
    {
        HideWindow();
        return -1;
    }
    if (m_FirstBatchMerged)
        Layout();
    else
        HideWindow();
    return 1;
}

void CACListWnd::HideList()
{
    // What the cancelled lookup still has on its way is dropped on arrival.
    // The provider learns that the name has ended also when it has finished
    // the lookup's search.
    const bool hadLookup = HasLookup();
    m_CurrentRequestId = kNoLookup;
    if (m_pProvider && (hadLookup || m_pProvider->IsFetchInProgress()))
        m_pProvider->CancelAsyncFetch(nullptr);
    HideWindow();
}

bool CACListWnd::IsCovered() const
{
    const HWND edit = Edit();
    const HWND root = edit ? ::GetAncestor(edit, GA_ROOT) : nullptr;
    return root && !::IsWindowEnabled(root);
}

void CACListWnd::HideWindow()
{
    if (m_hWnd && ::IsWindowVisible(m_hWnd))
        ::ShowWindow(m_hWnd, SW_HIDE);
}

void CACListWnd::ShowAll()
{
    ClearItems();
    if (!m_Items.empty())
        Layout();
}

void CACListWnd::PostListItemBatch(CAsyncListProviderListItemBatch* batch)
{
    PostListItemBatchToWindow(m_hWnd, WM_AC_LISTITEMBATCH, batch);
}

HWND CACListWnd::BoxOwner() const
{
    const HWND edit = Edit();
    return edit ? ::GetAncestor(edit, GA_ROOT) : nullptr;
}

void CACListWnd::MergeListItemBatch(CAsyncListProviderListItemBatch* batch)
{
    std::vector<std::unique_ptr<CAsyncListProviderListItemBatch>> batches;
    batches.emplace_back(batch);
    MergeListItemBatches(batches);
}

// Batches merged together give the list of merging them one by one, with
// one layout and one sort instead of one per batch.
void CACListWnd::MergeListItemBatches(const std::vector<std::unique_ptr<CAsyncListProviderListItemBatch>>& batches)
{
    if (m_Shutdown)
        return;
    std::vector<std::string> items;
    bool merged = false;
    bool clear = false;
    for (const auto& batch : batches)
    {
        auto* strings = dynamic_cast<CAsyncListProviderListItemBatch_StringArray*>(batch.get());
        if (!strings || m_CurrentRequestId == kNoLookup || strings->m_RequestId != m_CurrentRequestId)
            continue;
        merged = true;
        clear = clear || !m_FirstBatchMerged;
        m_FirstBatchMerged = true;
        if (items.empty())
            items.swap(strings->m_Items);
        else
            items.insert(items.end(), std::make_move_iterator(strings->m_Items.begin()),
                         std::make_move_iterator(strings->m_Items.end()));
    }
    if (!merged)
        return;
    if (clear)
        ClearItems();
    const bool hadSelection = m_Selection >= 0 && static_cast<size_t>(m_Selection) < m_Items.size();
    const std::string selected = hadSelection ? m_Items[static_cast<size_t>(m_Selection)] : std::string();

    AppendItems(items);
    Layout();
    m_Selection = -1;
    if (!hadSelection || !HasLookup())
        return;
    const auto found = std::find(m_Items.begin(), m_Items.end(), selected);
    if (found != m_Items.end())
    {
        m_Selection = static_cast<int>(found - m_Items.begin());
        EnsureVisible(m_Selection);
        Redraw();
    }
}

void CACListWnd::ClearItems()
{
    m_Items.clear();
}

// The list stays sorted: the new entries are sorted on their own and merged
// in, so a lookup's many batches cost no full sort each. In that order
// entries equal but for letter case lie side by side, so a duplicate is
// found by a binary search among the listed entries and by a look at the
// new entry kept before it; the sort is stable, so the first one stays.
void CACListWnd::AppendItems(std::vector<std::string>& items)
{
    std::stable_sort(items.begin(), items.end(), LessNoCase);
    const size_t sortedCount = m_Items.size();
    m_Items.reserve(sortedCount + items.size());
    for (std::string& item : items)
    {
        if (m_NoDuplicates &&
            ((m_Items.size() > sortedCount && SameNoCase(m_Items.back(), item)) ||
             std::binary_search(m_Items.begin(), m_Items.begin() + static_cast<std::ptrdiff_t>(sortedCount), item,
                                LessNoCase)))
            continue;
        m_Items.push_back(std::move(item));
    }
    std::inplace_merge(m_Items.begin(), m_Items.begin() + static_cast<std::ptrdiff_t>(sortedCount), m_Items.end(),
                       LessNoCase);
}

// Selection.

std::string CACListWnd::GetSelectedText() const
{
    if (m_Items.empty())
        return std::string();
    if (m_Selection < 0 || static_cast<size_t>(m_Selection) >= m_Items.size())
        return m_Items.front();
    return m_Items[static_cast<size_t>(m_Selection)];
}

std::string CACListWnd::SelectByKey(UINT key)
{
    if (m_Items.empty())
        return std::string();
    const int count = static_cast<int>(m_Items.size());
    int selection = m_Selection;
    switch (key)
    {
    case VK_PRIOR:
        selection = std::max(0, selection - m_VisibleRows);
        break;
    case VK_NEXT:
        selection = std::min(count - 1, selection + m_VisibleRows);
        break;
    case VK_END:
        selection = count - 1;
        break;
    case VK_HOME:
        selection = 0;
        break;
    case VK_UP:
        --selection;
        break;
    case VK_DOWN:
        ++selection;
        break;
    default:
        break;
    }
    if (selection < 0)
        selection = count - 1;
    if (selection >= count)
        selection = 0;
    m_Selection = selection;
    EnsureVisible(m_Selection);
    Redraw();
    return GetSelectedText();
}

void CACListWnd::SetSelectionHint(int index)
{
    if (index >= 0)
        m_Selection = index;
    EnsureVisible(m_Selection);
    Redraw();
}

// Layout and scrolling.

void CACListWnd::Layout()
{
    if (m_Shutdown || !m_hWnd)
        return;
    // Whatever brought the entries (a batch, the search's pump, a reshow),
    // the caret may have gone to another recipient meanwhile.
    if (HasLookup() && m_ClaimCheck && !m_ClaimCheck())
    {
        HideList();
        return;
    }
    // The entries show once the box or dialog over the edit's window has
    // gone and the next layout comes.
    if (IsCovered())
    {
        HideWindow();
        return;
    }
    m_ItemCount = static_cast<std::uint32_t>(m_Items.size());
    if (m_Items.empty())
    {
        ::ShowWindow(m_hWnd, SW_HIDE);
        return;
    }
    const int count = static_cast<int>(m_ItemCount);
    const int border = ::GetSystemMetrics(SM_CYBORDER);
    const RECT edit = WindowRect(Edit());
    int width = edit.right - edit.left;
    int height = std::min(count, kMaxVisibleRows) * m_RowHeight + 2 * border;
    if (!IsEmpty(m_UserSize))
    {
        width = m_UserSize.right - m_UserSize.left;
        height = m_UserSize.bottom - m_UserSize.top;
    }
    // Under a stream of batches most layouts change nothing but the count:
    // the window and the scroll bar are touched only where they change.
    const RECT wanted = {edit.left, edit.bottom, edit.left + width, edit.bottom + height};
    if (!::IsWindowVisible(m_hWnd) || !SameRect(WindowRect(m_hWnd), wanted))
        ::SetWindowPos(m_hWnd, HWND_TOPMOST, wanted.left, wanted.top, width, height, SWP_NOACTIVATE);

    // WM_SIZE has placed the scroll bar and counted the visible rows.
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE;
    ::GetScrollInfo(m_ScrollBar, SB_CTL, &info);
    const UINT page = static_cast<UINT>(std::max(0, m_VisibleRows));
    if (info.nMin != 0 || info.nMax != count - 1 || info.nPage != page)
    {
        info.nMin = 0;
        info.nMax = count - 1;
        info.nPage = page;
        // Painted with the list's next paint, not once per batch.
        ::SetScrollInfo(m_ScrollBar, SB_CTL, &info, FALSE);
        ::InvalidateRect(m_ScrollBar, nullptr, FALSE);
    }
    const bool scrollBar = m_VisibleRows < count;
    if (scrollBar != ScrollBarVisible())
        ::ShowWindow(m_ScrollBar, scrollBar ? SW_SHOWNA : SW_HIDE);
    SetTopIndex(std::min(m_TopIndex, std::max(0, count - m_VisibleRows)));

    if (!::IsWindowVisible(m_hWnd))
        ::ShowWindow(m_hWnd, SW_SHOWNA);
    Redraw();
}

void CACListWnd::PlaceScrollBar()
{
    if (!m_ScrollBar)
        return;
    const RECT client = GetClientRect();
    const int width = ::GetSystemMetrics(SM_CYVSCROLL);
    ::MoveWindow(m_ScrollBar, client.right - width, client.top - 1, width,
                 client.bottom - client.top + 1 - ::GetSystemMetrics(SM_CYHSCROLL), TRUE);
    ::SetScrollPos(m_ScrollBar, SB_CTL, m_TopIndex, TRUE);
}

bool CACListWnd::ScrollBarVisible() const
{
    return m_ScrollBar && (::GetWindowLongA(m_ScrollBar, GWL_STYLE) & WS_VISIBLE) != 0;
}

void CACListWnd::SetTopIndex(int top)
{
    m_TopIndex = std::max(0, top);
    if (::GetScrollPos(m_ScrollBar, SB_CTL) != m_TopIndex)
    {
        ::SetScrollPos(m_ScrollBar, SB_CTL, m_TopIndex, FALSE);
        ::InvalidateRect(m_ScrollBar, nullptr, FALSE);
    }
}

// One jump for any move, long or short: a slide of the rows would hold
// Outlook's thread for as long as it lasts.
bool CACListWnd::EnsureVisible(int index)
{
    if (index < 0)
        return false;
    const int lastTop = std::max(0, static_cast<int>(m_Items.size()) - m_VisibleRows);
    int top = m_TopIndex;
    if (index < top)
        top = index;
    else if (index >= top + m_VisibleRows && top < lastTop)
        top = std::min(index - m_VisibleRows + 1, lastTop);
    if (top == m_TopIndex)
        return false;
    SetTopIndex(top);
    return true;
}

void CACListWnd::Redraw()
{
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CACListWnd::DispatchPendingPaints()
{
    MSG message;
    while (::PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        ::DispatchMessageA(&message);
}

int CACListWnd::RowAt(POINT point) const
{
    RECT rows = GetClientRect();
    rows.left = 2;
    if (ScrollBarVisible())
        rows.right -= ::GetSystemMetrics(SM_CYVSCROLL);
    if (!::PtInRect(&rows, point) || m_RowHeight <= 0)
        return -1;
    const int row = m_TopIndex + point.y / m_RowHeight;
    return row < static_cast<int>(m_Items.size()) ? row : -1;
}

// Messages.

LRESULT CACListWnd::OnPaint(UINT, WPARAM, LPARAM, bool&)
{
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(m_hWnd, &paint);
    if (dc)
        Paint(dc);
    ::EndPaint(m_hWnd, &paint);
    return 0;
}

void CACListWnd::Paint(HDC target)
{
    const RECT client = GetClientRect();
    RECT rows = client;
    if (ScrollBarVisible())
        rows.right -= ::GetSystemMetrics(SM_CYVSCROLL);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return;

    const CScopedMemoryDC memory(::CreateCompatibleDC(target));
    const CScopedBitmap bitmap(::CreateCompatibleBitmap(target, width, height));
    if (!memory || !bitmap)
        return;
    const HDC dc = memory.get();
    const CScopedDCSelection bitmapSelection({dc, ::SelectObject(dc, bitmap.get())});
    const CScopedDCSelection fontSelection({dc, ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT))});
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
    ::SetBkMode(dc, TRANSPARENT);

    for (int index = m_TopIndex; index < static_cast<int>(m_Items.size()); ++index)
    {
        RECT row = {2, m_RowHeight * (index - m_TopIndex), rows.right, m_RowHeight * (index - m_TopIndex + 1)};
        if (row.top >= rows.bottom)
            break;
        if (index == m_Selection)
        {
            ::FillRect(dc, &row, ::GetSysColorBrush(COLOR_HIGHLIGHT));
            ::SetTextColor(dc, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
        }
        else
        {
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        }
        m_DisplayText = m_Items[static_cast<size_t>(index)];
        ::DrawTextA(dc, m_DisplayText.c_str(), static_cast<int>(m_DisplayText.size()), &row,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    PaintSizeGrip(dc, client);
    ::BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
}

// Diagonal lines in the bottom right corner; the cycle's fourth step keeps
// the shadow pen, which makes the shadow lines two pixels wide.
void CACListWnd::PaintSizeGrip(HDC dc, const RECT& client)
{
    const int cx = ::GetSystemMetrics(SM_CXVSCROLL);
    const int cy = ::GetSystemMetrics(SM_CYHSCROLL);
    if (ScrollBarVisible())
    {
        const RECT square = {client.right - cx, client.bottom - cy, client.right, client.bottom};
        ::FillRect(dc, &square, ::GetSysColorBrush(COLOR_BTNFACE));
    }
    const CScopedPen pens[] = {CScopedPen(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_WINDOW))),
                               CScopedPen(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNFACE))),
                               CScopedPen(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)))};
    const CScopedDCSelection penSelection({dc, ::SelectObject(dc, pens[0].get())});
    for (int line = 0; line < 20; ++line)
    {
        if (line % 4 < 3)
            ::SelectObject(dc, pens[line % 4].get());
        ::MoveToEx(dc, client.right - 1 - line, client.bottom, nullptr);
        ::LineTo(dc, client.right, client.bottom - 1 - line);
    }
}

LRESULT CACListWnd::OnEraseBkgnd(UINT, WPARAM, LPARAM, bool&)
{
    return 0;
}

LRESULT CACListWnd::OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, bool&)
{
    RECT& rect = wParam ? reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : *reinterpret_cast<RECT*>(lParam);
    ::InflateRect(&rect, -::GetSystemMetrics(SM_CXBORDER), -::GetSystemMetrics(SM_CYBORDER));
    return 0;
}

LRESULT CACListWnd::OnNcPaint(UINT, WPARAM, LPARAM, bool&)
{
    const CScopedWindowDC dc({m_hWnd, ::GetWindowDC(m_hWnd)});
    if (!dc)
        return 0;
    RECT window = WindowRect(m_hWnd);
    ::OffsetRect(&window, -window.left, -window.top);
    RECT inside = window;
    ::InflateRect(&inside, -::GetSystemMetrics(SM_CXBORDER), -::GetSystemMetrics(SM_CYBORDER));
    ::ExcludeClipRect(dc.get().dc, inside.left, inside.top, inside.right, inside.bottom);
    ::FillRect(dc.get().dc, &window, ::GetSysColorBrush(COLOR_WINDOWFRAME));
    return 0;
}

LRESULT CACListWnd::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool&)
{
    const RECT window = WindowRect(m_hWnd);
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const RECT grip = {window.right - ::GetSystemMetrics(SM_CXVSCROLL), window.bottom - ::GetSystemMetrics(SM_CYHSCROLL),
                       window.right, window.bottom};
    return ::PtInRect(&grip, point) ? HTBOTTOMRIGHT : HTCLIENT;
}

LRESULT CACListWnd::OnNcLButtonDown(UINT, WPARAM wParam, LPARAM, bool& handled)
{
    if (wParam == HTBOTTOMRIGHT)
        m_UserSize = WindowRect(m_hWnd);
    handled = false;
    return 0;
}

LRESULT CACListWnd::OnSize(UINT, WPARAM, LPARAM, bool&)
{
    PlaceScrollBar();
    const RECT client = GetClientRect();
    m_VisibleRows = m_RowHeight > 0 ? (client.bottom - client.top) / m_RowHeight : 0;
    if (!IsEmpty(m_UserSize))
        m_UserSize = WindowRect(m_hWnd);
    return 0;
}

LRESULT CACListWnd::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool&)
{
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    const HWND edit = Edit();
    if (edit)
    {
        const RECT rect = WindowRect(edit);
        info->ptMinTrackSize.x = rect.right - rect.left;
    }
    else
    {
        info->ptMinTrackSize.x = 4 * ::GetSystemMetrics(SM_CXHSCROLL);
    }
    const int minimum = 2 * ::GetSystemMetrics(SM_CYHSCROLL) + ::GetSystemMetrics(SM_CYFRAME) +
                        ::GetSystemMetrics(SM_CXHTHUMB);
    const int allRows = static_cast<int>(m_Items.size()) * m_RowHeight + 2 * ::GetSystemMetrics(SM_CYBORDER);
    info->ptMinTrackSize.y = allRows < minimum && m_Items.size() <= static_cast<size_t>(kMaxVisibleRows)
                                 ? allRows
                                 : minimum;
    return 0;
}

LRESULT CACListWnd::OnSetCursor(UINT, WPARAM, LPARAM, bool&)
{
    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
    return TRUE;
}

LRESULT CACListWnd::OnMouseMove(UINT, WPARAM, LPARAM lParam, bool&)
{
    const int row = RowAt({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    if (row >= 0)
    {
        m_Selection = row;
        Redraw();
    }
    return 0;
}

LRESULT CACListWnd::OnLButtonDown(UINT, WPARAM, LPARAM lParam, bool&)
{
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const int row = RowAt(point);
    // Rows of a text no longer typed are no choice; the lookup's own follow.
    if (row >= 0 && !HasCurrentEntries())
        return 0;
    if (row >= 0)
    {
        m_Selection = row;
        EnsureVisible(row);
        Redraw();
        if (const HWND edit = Edit())
            ::SendMessageA(edit, WM_AC_NOTIFY, kNotifyChosen, kControlId);
        DispatchPendingPaints();
        HideList();
        return 0;
    }
    const RECT client = GetClientRect();
    if (!::PtInRect(&client, point))
        HideList();
    return 0;
}

LRESULT CACListWnd::OnHide(UINT, WPARAM, LPARAM, bool&)
{
    HideList();
    return 0;
}

LRESULT CACListWnd::OnKeyDown(UINT, WPARAM wParam, LPARAM, bool&)
{
    if (wParam == VK_ESCAPE)
        HideList();
    return 0;
}

LRESULT CACListWnd::OnShowWindow(UINT, WPARAM wParam, LPARAM, bool&)
{
    if (wParam)
    {
        m_TimerId = ::SetTimer(m_hWnd, kMoveTimer, kMoveTimerMs, nullptr);
        m_OwnerParentRect = WindowRect(::GetParent(Edit()));
    }
    else
    {
        if (m_TimerId)
            ::KillTimer(m_hWnd, m_TimerId);
        m_TimerId = 0;
        m_Selection = -1;
        m_TopIndex = 0;
    }
    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
    return 0;
}

LRESULT CACListWnd::OnTimer(UINT, WPARAM wParam, LPARAM, bool& handled)
{
    if (wParam != kMoveTimer)
    {
        handled = false;
        return 0;
    }
    if (!SameRect(WindowRect(::GetParent(Edit())), m_OwnerParentRect))
        HideList();
    return 0;
}

LRESULT CACListWnd::OnVScroll(UINT, WPARAM wParam, LPARAM, bool&)
{
    int top = m_TopIndex;
    switch (LOWORD(wParam))
    {
    case SB_LINEUP:
        --top;
        break;
    case SB_LINEDOWN:
        ++top;
        break;
    case SB_PAGEUP:
        top -= m_VisibleRows;
        break;
    case SB_PAGEDOWN:
        top += m_VisibleRows;
        break;
    case SB_THUMBTRACK:
    {
        // The message carries 16 bits without a sign; a longer list takes
        // the scroll bar's own track position.
        top = HIWORD(wParam);
        SCROLLINFO info = {};
        info.cbSize = sizeof(info);
        info.fMask = SIF_TRACKPOS;
        if (m_Items.size() > 0xFFFF && ::GetScrollInfo(m_ScrollBar, SB_CTL, &info))
            top = info.nTrackPos;
        break;
    }
    default:
        return 0;
    }
    top = std::max(0, std::min(top, static_cast<int>(m_Items.size()) - m_VisibleRows));
    const bool changed = top != m_TopIndex;
    SetTopIndex(top);
    if (changed)
        Redraw();
    return 0;
}

LRESULT CACListWnd::OnDestroy(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    m_Shutdown = true;
    // Stopped first, so that nothing is posted after the queue is emptied.
    try
    {
        if (m_pProvider)
            m_pProvider->Stop();
    }
    catch (...)
    {
        // A worker that would not stop still leaves nothing queued behind.
        DeleteQueuedListItemBatches(m_hWnd, WM_AC_LISTITEMBATCH);
        throw;
    }
    DeleteQueuedListItemBatches(m_hWnd, WM_AC_LISTITEMBATCH);
    return 0;
}

// Still no entry of the lookup that posted it: those shown were found for
// the text before.
LRESULT CACListWnd::OnHideStaleEntries(UINT, WPARAM wParam, LPARAM, bool&)
{
    if (static_cast<std::uint32_t>(wParam) == m_CurrentRequestId && !m_FirstBatchMerged)
        HideWindow();
    return 0;
}

// The worker posts faster than a long list lays out: the batches already
// queued are merged with this one.
LRESULT CACListWnd::OnListItemBatch(UINT, WPARAM, LPARAM lParam, bool&)
{
    std::vector<std::unique_ptr<CAsyncListProviderListItemBatch>> batches;
    batches.emplace_back(reinterpret_cast<CAsyncListProviderListItemBatch*>(lParam));
    MSG message;
    while (::PeekMessageA(&message, m_hWnd, WM_AC_LISTITEMBATCH, WM_AC_LISTITEMBATCH, PM_REMOVE))
        batches.emplace_back(reinterpret_cast<CAsyncListProviderListItemBatch*>(message.lParam));
    MergeListItemBatches(batches);
    return 0;
}
