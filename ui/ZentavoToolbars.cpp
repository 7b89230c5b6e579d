#include "ui/ZentavoToolbars.h"
#include "core/StringUtils.h"

#include "core/Exceptions.h"
#include "platform/ModuleInstance.h"

namespace
{
// WS_CHILD, WS_VISIBLE, WS_CLIPSIBLINGS, WS_CLIPCHILDREN, RBS_VARHEIGHT,
// CCS_NODIVIDER.
constexpr DWORD kRebarStyle = 0x56000240;
// In a rebar: WS_VISIBLE, TBSTYLE_LIST, TBSTYLE_FLAT, TBSTYLE_TOOLTIPS,
// CCS_NODIVIDER, CCS_NOPARENTALIGN, CCS_NORESIZE. CreateToolbarEx makes
// every toolbar a child, so WS_CHILD is implied.
constexpr DWORD kBandToolbarStyle = 0x1000184C;
// On the window: WS_CHILD, WS_VISIBLE, WS_BORDER, TBSTYLE_LIST, TBSTYLE_FLAT.
constexpr DWORD kPlainToolbarStyle = 0x50801800;

TBBUTTONINFOW ButtonInfo(DWORD mask)
{
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof(info);
    info.dwMask = mask;
    return info;
}
} // namespace

void CZentavoToolbars::Create(HWND parent)
{
    if (m_Mode != kModeRebar)
        return;
    m_Rebar = ::CreateWindowExA(WS_EX_TOOLWINDOW, REBARCLASSNAMEA, nullptr, kRebarStyle, 0, 0, 0, 0, parent, nullptr,
                                GetThisModuleInstance(), nullptr);
    if (!m_Rebar)
        throw CGeneralException("CZentavoToolbars::Create - Could not create the rebar", HResultFromLastError());
    REBARINFO info = {};
    info.cbSize = sizeof(info);
    ::SendMessageA(m_Rebar, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info));
}

void CZentavoToolbars::AddToolbarBand(const CZentavoToolbar& toolbar)
{
    if (m_Mode != kModeRebar)
        return;
    const DWORD buttonSize = static_cast<DWORD>(::SendMessageA(toolbar.GetWindow(), TB_GETBUTTONSIZE, 0, 0));
    REBARBANDINFOA band = {};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_ID;
    band.fStyle = RBBS_GRIPPERALWAYS;
    band.hwndChild = toolbar.GetWindow();
    band.cxMinChild = 0;
    band.cyMinChild = HIWORD(buttonSize) + 4;
    band.wID = toolbar.GetId();
    if (m_BackgroundBitmapId != 0)
    {
        if (!m_Background)
            m_Background.reset(::LoadBitmapA(GetThisModuleInstance(), MAKEINTRESOURCEA(m_BackgroundBitmapId)));
        band.fMask |= RBBIM_BACKGROUND;
        band.hbmBack = m_Background.get();
    }
    ::SendMessageA(m_Rebar, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

UINT CZentavoToolbars::BandIndex(UINT bandId) const
{
    return static_cast<UINT>(::SendMessageA(m_Rebar, RB_IDTOINDEX, bandId, 0));
}

UINT CZentavoToolbars::GetBandStyle(UINT bandId) const
{
    if (m_Mode != kModeRebar)
        return 0;
    REBARBANDINFOA band = {};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE;
    ::SendMessageA(m_Rebar, RB_GETBANDINFOA, BandIndex(bandId), reinterpret_cast<LPARAM>(&band));
    return band.fStyle;
}

void CZentavoToolbars::SetBandStyle(UINT bandId, UINT style)
{
    if (m_Mode != kModeRebar)
        return;
    REBARBANDINFOA band = {};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE;
    band.fStyle = style;
    ::SendMessageA(m_Rebar, RB_SETBANDINFOA, BandIndex(bandId), reinterpret_cast<LPARAM>(&band));
}

void CZentavoToolbars::ModifyBandStyle(UINT bandId, UINT add, UINT remove)
{
    SetBandStyle(bandId, (GetBandStyle(bandId) | add) & ~remove);
}

void CZentavoToolbar::Create(HWND parent, UINT toolbarId)
{
    PrepareButtons();
    std::vector<TBBUTTON> table(m_Buttons.size());
    for (size_t i = 0; i < m_Buttons.size(); ++i)
    {
        const CButton& button = m_Buttons[i];
        table[i].iBitmap = button.imageOrWidth;
        table[i].idCommand = static_cast<int>(button.command);
        table[i].fsState = TBSTATE_ENABLED;
        table[i].fsStyle = button.style;
        table[i].iString = button.label.empty() ? 0 : reinterpret_cast<INT_PTR>(button.label.c_str());
    }
    const DWORD style = m_Host.GetMode() == CZentavoToolbars::kModeRebar ? kBandToolbarStyle : kPlainToolbarStyle;
    m_Toolbar = ::CreateToolbarEx(parent, style, m_ControlId, m_ImageCount, GetThisModuleInstance(), m_BitmapId,
                                  table.data(), static_cast<int>(table.size()), 0, 0, m_ImageWidth, m_ImageHeight,
                                  sizeof(TBBUTTON));
    if (!m_Toolbar)
        throw CGeneralException("CZentavoToolbar::Create - Could not create the toolbar", HResultFromLastError());
    m_Id = toolbarId;
}

void CZentavoToolbar::SetButtonImage(UINT command, int image)
{
    TBBUTTONINFOW info = ButtonInfo(TBIF_IMAGE);
    info.iImage = image;
    ::SendMessageW(m_Toolbar, TB_SETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
}

void CZentavoToolbar::SetButtonState(UINT command, BYTE state)
{
    TBBUTTONINFOW info = ButtonInfo(TBIF_STATE);
    info.fsState = state;
    ::SendMessageW(m_Toolbar, TB_SETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
}

void CZentavoToolbar::SetButtonText(UINT command, const std::string& text)
{
    std::wstring wide = AnsiToWide(text);
    TBBUTTONINFOW info = ButtonInfo(TBIF_TEXT);
    info.pszText = wide.data();
    ::SendMessageW(m_Toolbar, TB_SETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
}

BYTE CZentavoToolbar::GetButtonState(UINT command) const
{
    TBBUTTONINFOW info = ButtonInfo(TBIF_STATE);
    ::SendMessageW(m_Toolbar, TB_GETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
    return info.fsState;
}

std::string CZentavoToolbar::GetButtonText(UINT command) const
{
    wchar_t text[101] = {};
    TBBUTTONINFOW info = ButtonInfo(TBIF_TEXT);
    info.pszText = text;
    info.cchText = 100;
    ::SendMessageW(m_Toolbar, TB_GETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
    return WideToAnsi(text);
}
