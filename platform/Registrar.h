// Registration scripts in the registrar syntax that the module's REGISTRY
// resources use: nested keys under a root (HKCR, HKCU, HKLM, HKU or their
// long names), "name = s 'text'" or "= d 3" for a key's default value,
// "val name = s 'text'" / "val name = d 3" for a named value, and the key
// flags NoRemove (kept at unregistration), ForceRemove (deleted with its
// subtree before it is written, and at unregistration) and Delete (deleted
// at registration, nothing at unregistration). Tokens are separated by white
// space; quoted text doubles its quotes. "%NAME%" is replaced before the
// script is read (names compare without regard to case, "%%" is "%").
//
// Unregistration deletes a plain key only when no subkey is left under it
// after its own children went: keys that hold other products' keys (Outlook's
// Addins, Software) survive even when a script forgets to mark them.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

class CRegistrar
{
public:
    void AddReplacement(const std::wstring& name, const std::wstring& value);

    // Runs the script in either direction. A script that cannot be read
    // gives DISP_E_EXCEPTION before anything is written; a registry failure
    // gives its HRESULT and stops there.
    HRESULT UpdateFromScript(const std::wstring& script, bool doRegister) const;
    // The same for a resource of the given type ("REGISTRY") in the module;
    // the resource is narrow text in the system code page.
    HRESULT UpdateFromResource(HINSTANCE module, UINT id, const wchar_t* type, bool doRegister) const;

    // The script after replacement; raises nothing, reports an unknown name
    // by returning false.
    bool Expand(const std::wstring& script, std::wstring& expanded) const;

private:
    std::vector<std::pair<std::wstring, std::wstring>> m_Replacements;
};
