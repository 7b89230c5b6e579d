// The auto-complete edit's drop-down list: a popup under the edit listing
// the display texts a list provider finds for the text being typed. It
// starts and cancels the provider's lookups, merges the batches that arrive
// (keeping only those of its latest lookup), keeps its entries sorted
// without regard to letter case, draws them itself with a scroll bar and a
// size grip, and hides when the user clicks elsewhere, presses Escape,
// switches application or moves the edit's dialog.
//
// Ownership: the provider is borrowed and must outlive the list or be
// detached (SetAsyncListProvider(nullptr)) first. Batches posted by the
// provider's worker belong to the list from PostListItemBatch on; the list
// deletes every one, merged, stale, or still queued when its window goes.
// User-interface thread only, apart from PostListItemBatch.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "contacts/AsyncListProvider.h"
#include "platform/WindowImpl.h"

class CACListWnd : public CWindowImpl<CACListWnd>, public IAsyncListProviderCallback
{
public:
    static constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_CLASSDC | CS_SAVEBITS;
    static constexpr UINT kControlId = 1000;
    static constexpr UINT_PTR kMoveTimer = 10;
    static constexpr UINT kMoveTimerMs = 200;
    // Rows shown before the list scrolls.
    static constexpr int kMaxVisibleRows = 8;
    static constexpr WPARAM kNotifyChosen = 256;
    // The current request id while no lookup is current (ids start at 1).
    static constexpr std::uint32_t kNoLookup = 0;

    CACListWnd();
    ~CACListWnd() override;

    static CMessageTable<CACListWnd> GetMessageTable();

    // The popup, hidden, with the desktop as parent.
    HWND CreateList(const RECT& rect);
    // The scroll bar, the row height and the edit whose window the list
    // follows (its handle read through the pointer, which must outlive the
    // list).
    void Init(const HWND* edit);

    void SetAsyncListProvider(IAsyncListProvider* provider) { m_pProvider = provider; }
    IAsyncListProvider* GetAsyncListProvider() const { return m_pProvider; }
    void SetNoDuplicates(bool noDuplicates) { m_NoDuplicates = noDuplicates; }
    // Whether the user is still where the latest lookup was made for (the
    // edit's caret in its token): the list shows entries only while it is,
    // and ends the lookup once it is not.
    void SetClaimCheck(std::function<bool()> check) { m_ClaimCheck = std::move(check); }
    // From now on no lookup is started and nothing is laid out or shown:
    // the edit is going.
    void Shutdown();

    // 1 when the list was laid out, -1 when it was hidden. A lookup that a
    // search lower on the stack is to serve leaves the list hidden until its
    // first batch; one hidden or replaced during its own search shows
    // nothing of its own. The entries of the text before are hidden by the
    // first message the search dispatches, unless the lookup has brought
    // its own by then.
    int LookupText(LONG startIndex, const std::string& text, bool reshow);
    // Hides the list and ends its lookup and the name typed in the
    // provider; nothing of that lookup is merged or shown afterwards.
    void HideList();
    // Hides the window only: the lookup goes on and shows at its next layout.
    void HideWindow();
    // A box or dialog is up over the edit's window (which Windows disables
    // under it): the list shows nothing meanwhile.
    bool IsCovered() const;
    // The list's own full list, which nothing fills: the list stays empty
    // and hidden.
    void ShowAll();
    bool IsListVisible() const { return m_hWnd && ::IsWindowVisible(m_hWnd); }
    // A lookup holds the list, shown or still waiting for its entries.
    bool HasLookup() const { return m_CurrentRequestId != kNoLookup; }
    // The entries are those found for the latest lookup: none of another
    // text is on the list. A choice takes nothing else.
    bool HasCurrentEntries() const { return m_CurrentRequestId != kNoLookup && m_FirstBatchMerged; }

    // The highlighted entry, entry 0 when none is, empty without entries.
    std::string GetSelectedText() const;
    // Moves the highlight by a navigation key (wrapping at both ends) and
    // returns the entry it lands on.
    std::string SelectByKey(UINT key);
    // An index is highlighted; the highlight is scrolled into view.
    void SetSelectionHint(int index);

    void PostListItemBatch(CAsyncListProviderListItemBatch* batch) override;
    // The window of the edit's dialog.
    HWND BoxOwner() const override;
    // Keeps text batches of the current lookup: the first one replaces the
    // entries, later ones append; takes the batch over in any case.
    void MergeListItemBatch(CAsyncListProviderListItemBatch* batch);
    void MergeListItemBatches(const std::vector<std::unique_ptr<CAsyncListProviderListItemBatch>>& batches);

    // What the edit and the tests read.
    const std::vector<std::string>& GetItems() const { return m_Items; }
    int GetSelection() const { return m_Selection; }
    int GetTopIndex() const { return m_TopIndex; }
    int GetVisibleRows() const { return m_VisibleRows; }
    int GetRowHeight() const { return m_RowHeight; }
    HWND GetScrollBar() const { return m_ScrollBar; }
    // kNoLookup after HideList.
    std::uint32_t GetCurrentRequestId() const { return m_CurrentRequestId; }

private:
    LRESULT OnPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnEraseBkgnd(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnNcLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnSetCursor(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnHide(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnShowWindow(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnVScroll(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnListItemBatch(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnHideStaleEntries(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    // Posted to itself by a lookup: wParam its request id.
    static constexpr UINT kHideStaleEntries = WM_USER + 1;

    HWND Edit() const { return m_pEdit ? *m_pEdit : nullptr; }
    void Layout();
    void ClearItems();
    // Takes the texts over.
    void AppendItems(std::vector<std::string>& items);
    void PlaceScrollBar();
    bool ScrollBarVisible() const;
    // The row under a client point, -1 for none.
    int RowAt(POINT point) const;
    // The top index moved at once as far as needed; true when it moved.
    bool EnsureVisible(int index);
    void SetTopIndex(int top);
    void Redraw();
    void DispatchPendingPaints();
    void Paint(HDC target);
    void PaintSizeGrip(HDC dc, const RECT& client);

    std::string m_DisplayText;
    IAsyncListProvider* m_pProvider = nullptr;  // not owned
    std::function<bool()> m_ClaimCheck;
    std::uint32_t m_CurrentRequestId = 0;
    bool m_FirstBatchMerged = false;
    bool m_NoDuplicates = false;
    std::vector<std::string> m_Items;
    HWND m_ScrollBar = nullptr;  // a child, destroyed with the list
    RECT m_UserSize = {};
    RECT m_OwnerParentRect = {};
    const HWND* m_pEdit = nullptr;
    UINT_PTR m_TimerId = 0;
    int m_TopIndex = 0;
    std::uint32_t m_ItemCount = 0;
    int m_RowHeight = 16;
    int m_VisibleRows = 0;
    int m_Selection = -1;
    bool m_Shutdown = false;
};
