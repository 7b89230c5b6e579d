// The built add-in DLL for tests that register it and load it as Outlook
// does: CTest hands its Unix path over in ZENTAVO_ADDIN_DLL.
#pragma once

#include <windows.h>

#include <string>

// The DLL's Windows path (through Wine's Z: drive); empty when not given.
std::wstring AddinDllPath();

// Runs "regsvr32 /s <arguments> <DLL>" and waits up to a minute; its exit
// code, or the failure to start it with the top bit set.
DWORD RunRegsvr32(const std::wstring& arguments);
