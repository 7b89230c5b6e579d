// Keeps a resizable window's controls where they sit against the edges of
// its client area: register the controls, record the initial layout once,
// then apply it on every WM_SIZE.
#pragma once

#include <windows.h>

#include <vector>

class CControlPlacementManager
{
public:
    enum : UINT
    {
        kAnchorLeft = 1,
        kAnchorRight = 2,
        kAnchorTop = 4,
        kAnchorBottom = 8,
        kStretchWidth = 16,
        kStretchHeight = 32,
    };

    CControlPlacementManager() = default;
    virtual ~CControlPlacementManager() = default;

    // An id without a control in the window is skipped when laying out.
    void AddControl(UINT controlId, UINT flags);
    void AddControl(HWND control, UINT flags);

    // Notes each control's distances from the client area's edges.
    void RecordLayout(HWND dialog);
    // Moves and stretches the controls to keep those distances, below a band
    // of the top offset's height.
    void ApplyLayout(HWND dialog);
    void SetTopOffset(int pixels) { m_TopOffset = pixels; }

private:
    struct CEntry
    {
        UINT controlId;
        HWND window;
        UINT flags;
        int horizontalOffset;
        int verticalOffset;
        int widthMargin;
        int heightMargin;
    };

    static HWND Resolve(HWND dialog, CEntry& entry);

    std::vector<CEntry> m_Entries;
    int m_TopOffset = 0;
};
