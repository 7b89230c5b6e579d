// Toolbars and the rebar that holds them as bands. A window owns one
// CZentavoToolbars host and one CZentavoToolbar subclass per toolbar; each
// subclass fills its button table in PrepareButtons. The windows themselves
// are children of the owning window and go with it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "core/ScopedHandle.h"

class CDPIScaler;


class CZentavoToolbars
{
public:
    enum : UINT
    {
        kModePlain = 1,  // toolbars straight on the window
        kModeRebar = 2,  // toolbars as bands of a rebar
    };

    CZentavoToolbars() = default;
    virtual ~CZentavoToolbars() = default;
    CZentavoToolbars(const CZentavoToolbars&) = delete;
    CZentavoToolbars& operator=(const CZentavoToolbars&) = delete;

    void SetMode(UINT mode) { m_Mode = mode; }
    UINT GetMode() const { return m_Mode; }
    HWND GetRebarWindow() const { return m_Rebar; }
    // A bitmap resource of the module painted behind every band; 0 for none.
    void SetBackgroundBitmapId(UINT bitmapId) { m_BackgroundBitmapId = bitmapId; }
    UINT GetBackgroundBitmapId() const { return m_BackgroundBitmapId; }

    // The rebar on the parent (rebar mode only). Raises CGeneralException
    // when the window cannot be made.
    void Create(HWND parent);
    // Appends the toolbar as a band whose id is the toolbar's id.
    void AddToolbarBand(const class CZentavoToolbar& toolbar);

    UINT GetBandStyle(UINT bandId) const;
    void SetBandStyle(UINT bandId, UINT style);
    void ModifyBandStyle(UINT bandId, UINT add, UINT remove);

private:
    UINT BandIndex(UINT bandId) const;

    UINT m_Mode = kModePlain;
    UINT m_BackgroundBitmapId = 0;
    HWND m_Rebar = nullptr;
    // Shared by the bands; the rebar draws it but never frees it.
    CScopedBitmap m_Background;
};

class CZentavoToolbar
{
public:
    explicit CZentavoToolbar(CZentavoToolbars& host) : m_Host(host) {}
    virtual ~CZentavoToolbar() = default;
    CZentavoToolbar(const CZentavoToolbar&) = delete;
    CZentavoToolbar& operator=(const CZentavoToolbar&) = delete;

    void SetDPIScaler(const CDPIScaler* scaler) { m_pScaler = scaler; }
    HWND GetWindow() const { return m_Toolbar; }
    UINT GetId() const { return m_Id; }
    UINT GetBitmapId() const { return m_BitmapId; }
    int GetImageWidth() const { return m_ImageWidth; }

    // Fills the buttons and makes the toolbar window on the parent; the id is
    // the band id. Raises CGeneralException when the window cannot be made.
    void Create(HWND parent, UINT toolbarId);

    void SetButtonImage(UINT command, int image);
    void SetButtonState(UINT command, BYTE state);
    void SetButtonText(UINT command, const std::string& text);
    BYTE GetButtonState(UINT command) const;
    std::string GetButtonText(UINT command) const;

protected:
    struct CButton
    {
        int imageOrWidth;
        UINT command;
        BYTE style;
        std::wstring label;
    };

    // Fills m_Buttons, m_ImageCount, the bitmap and its image size and
    // m_ControlId.
    virtual void PrepareButtons() = 0;

    CZentavoToolbars& m_Host;
    const CDPIScaler* m_pScaler = nullptr;
    std::vector<CButton> m_Buttons;
    int m_ImageCount = 0;
    UINT m_BitmapId = 0;
    int m_ImageWidth = 19;
    int m_ImageHeight = 19;
    UINT m_ControlId = 0;

private:
    HWND m_Toolbar = nullptr;
    UINT m_Id = 0;
};
