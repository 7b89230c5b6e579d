// The instance handle of the module this code is linked into: the add-in's
// DLL inside Outlook, the executable in a test. Resources, window classes and
// thread hooks take this handle, never the host process's.
#pragma once

#include <windows.h>

HINSTANCE GetThisModuleInstance();
