#include "tests/support/DialogTemplate.h"

#include <cstring>

namespace
{
// Predefined control classes by atom.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;

void PutDword(std::vector<WORD>& words, DWORD value)
{
    words.push_back(LOWORD(value));
    words.push_back(HIWORD(value));
}

void PutText(std::vector<WORD>& words, const std::string& text)
{
    for (char c : text)
        words.push_back(static_cast<unsigned char>(c));
    words.push_back(0);
}

// Every item template starts on a DWORD boundary.
void Align(std::vector<WORD>& words)
{
    if (words.size() % 2)
        words.push_back(0);
}
} // namespace

CDialogTemplate::CDialogTemplate(const std::string& caption, short cx, short cy, DWORD style)
    : m_Caption(caption), m_Style(style), m_Width(cx), m_Height(cy)
{
}

CDialogTemplate& CDialogTemplate::AddStatic(int id, const std::string& text, short x, short y, short cx, short cy)
{
    return Add({kStaticAtom, id, text, WS_CHILD | WS_VISIBLE | SS_LEFT, x, y, cx, cy});
}

CDialogTemplate& CDialogTemplate::AddEdit(int id, short x, short y, short cx, short cy)
{
    return Add({kEditAtom, id, "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, x, y, cx, cy});
}

CDialogTemplate& CDialogTemplate::AddCheckBox(int id, const std::string& text, short x, short y, short cx, short cy)
{
    return Add({kButtonAtom, id, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, x, y, cx, cy});
}

CDialogTemplate& CDialogTemplate::AddButton(int id, const std::string& text, short x, short y, short cx, short cy,
                                            bool isDefault)
{
    const DWORD kind = isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    return Add({kButtonAtom, id, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | kind, x, y, cx, cy});
}

CDialogTemplate& CDialogTemplate::Add(const Item& item)
{
    m_Items.push_back(item);
    return *this;
}

const DLGTEMPLATE* CDialogTemplate::Get()
{
    std::vector<WORD> words;
    PutDword(words, m_Style);
    PutDword(words, 0); // extended style
    words.push_back(static_cast<WORD>(m_Items.size()));
    for (short value : {short(0), short(0), m_Width, m_Height})
        words.push_back(static_cast<WORD>(value));
    words.push_back(0); // no menu
    words.push_back(0); // the dialog class
    PutText(words, m_Caption);
    if (m_Style & DS_SETFONT)
    {
        words.push_back(8);
        PutText(words, "MS Shell Dlg");
    }
    for (const Item& item : m_Items)
    {
        Align(words);
        PutDword(words, item.style);
        PutDword(words, 0);
        for (short value : {item.x, item.y, item.cx, item.cy})
            words.push_back(static_cast<WORD>(value));
        words.push_back(static_cast<WORD>(item.id));
        words.push_back(0xFFFF);
        words.push_back(item.classAtom);
        PutText(words, item.text);
        words.push_back(0); // no creation data
    }
    Align(words);
    m_Buffer.assign(words.size() / 2, 0);
    std::memcpy(m_Buffer.data(), words.data(), words.size() * sizeof(WORD));
    return reinterpret_cast<const DLGTEMPLATE*>(m_Buffer.data());
}
