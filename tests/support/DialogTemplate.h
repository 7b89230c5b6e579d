// An in-memory dialog template for tests, for DialogBoxIndirectParamA and
// CreateDialogIndirectParamA. Sizes are dialog units; controls keep the
// order they are added in, which is their tab and z-order.
//
//   CDialogTemplate dialog("Name");
//   dialog.AddEdit(100, 10, 10, 120, 14).AddButton(IDOK, "OK", 10, 40, 50, 14, true);
//   ::DialogBoxIndirectParamA(instance, dialog.Get(), nullptr, proc, 0);
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CDialogTemplate
{
public:
    explicit CDialogTemplate(const std::string& caption, short cx = 200, short cy = 100,
                             DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);

    CDialogTemplate& AddStatic(int id, const std::string& text, short x, short y, short cx, short cy);
    CDialogTemplate& AddEdit(int id, short x, short y, short cx, short cy);
    CDialogTemplate& AddCheckBox(int id, const std::string& text, short x, short y, short cx, short cy);
    CDialogTemplate& AddButton(int id, const std::string& text, short x, short y, short cx, short cy,
                               bool isDefault = false);

    // Valid until the next Add or the template's end.
    const DLGTEMPLATE* Get();

private:
    struct Item
    {
        WORD classAtom;
        int id;
        std::string text;
        DWORD style;
        short x, y, cx, cy;
    };
    CDialogTemplate& Add(const Item& item);

    std::string m_Caption;
    DWORD m_Style;
    short m_Width;
    short m_Height;
    std::vector<Item> m_Items;
    std::vector<DWORD> m_Buffer;
};
