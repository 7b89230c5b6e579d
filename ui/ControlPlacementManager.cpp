#include "ui/ControlPlacementManager.h"

namespace
{
constexpr UINT kRegisteredByHandle = 0xFFFFFFFF;
}

void CControlPlacementManager::AddControl(UINT controlId, UINT flags)
{
    m_Entries.push_back({controlId, nullptr, flags, 0, 0, 0, 0});
}

void CControlPlacementManager::AddControl(HWND control, UINT flags)
{
    m_Entries.push_back({kRegisteredByHandle, control, flags, 0, 0, 0, 0});
}

HWND CControlPlacementManager::Resolve(HWND dialog, CEntry& entry)
{
    if (!entry.window && entry.controlId != kRegisteredByHandle)
        entry.window = ::GetDlgItem(dialog, static_cast<int>(entry.controlId));
    return entry.window;
}

void CControlPlacementManager::RecordLayout(HWND dialog)
{
    // The client area in screen coordinates, as the frame leaves it.
    RECT client = {};
    ::GetWindowRect(dialog, &client);
    ::SendMessageA(dialog, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&client));

    for (CEntry& entry : m_Entries)
    {
        const HWND control = Resolve(dialog, entry);
        if (!control)
            continue;
        RECT placed = {};
        ::GetWindowRect(control, &placed);
        const UINT flags = entry.flags;
        entry.horizontalOffset = (flags & kAnchorRight)  ? client.right - placed.left
                                 : (flags & kAnchorLeft) ? placed.left - client.left
                                                         : 0;
        entry.verticalOffset = (flags & kAnchorBottom) ? client.bottom - placed.top
                               : (flags & kAnchorTop)  ? placed.top - client.top
                                                       : 0;
        entry.widthMargin =
            (flags & kStretchWidth) ? (client.right - client.left) - (placed.right - placed.left) : 0;
        entry.heightMargin =
            (flags & kStretchHeight) ? (client.bottom - client.top) - (placed.bottom - placed.top) : 0;
    }
}

void CControlPlacementManager::ApplyLayout(HWND dialog)
{
    RECT client = {};
    ::GetClientRect(dialog, &client);
    client.top += m_TopOffset;

    for (CEntry& entry : m_Entries)
    {
        const HWND control = Resolve(dialog, entry);
        if (!control)
            continue;
        const UINT flags = entry.flags;
        UINT positionFlags = SWP_NOZORDER;

        int x = 0;
        int y = 0;
        if (flags & kAnchorRight)
            x = client.right - entry.horizontalOffset;
        else if (flags & kAnchorLeft)
            x = client.left + entry.horizontalOffset;
        if (flags & kAnchorBottom)
            y = client.bottom - entry.verticalOffset;
        else if (flags & kAnchorTop)
            y = client.top + entry.verticalOffset;
        if (!(flags & (kAnchorLeft | kAnchorRight)) || !(flags & (kAnchorTop | kAnchorBottom)))
            positionFlags |= SWP_NOMOVE;

        int width = 0;
        int height = 0;
        if (flags & (kStretchWidth | kStretchHeight))
        {
            RECT current = {};
            ::GetWindowRect(control, &current);
            width = (flags & kStretchWidth) ? client.right - entry.widthMargin - client.left
                                            : current.right - current.left;
            height = (flags & kStretchHeight) ? client.bottom - entry.heightMargin - client.top
                                              : current.bottom - current.top;
        }
        else
        {
            positionFlags |= SWP_NOSIZE;
        }
        ::SetWindowPos(control, nullptr, x, y, width, height, positionFlags);
    }
}
