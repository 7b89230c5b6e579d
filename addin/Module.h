// The add-in module: its object map (the add-in class and the two options
// pages), the module object that serves it, and the registration helpers of
// the map's classes.
#pragma once

#include "platform/ComModule.h"
#include "platform/Registrar.h"

#include <windows.h>

#include <cstddef>

constexpr wchar_t kRegistryResourceType[] = L"REGISTRY";

// The three creatable classes, in registration order.
const CObjectMapEntry* GetObjectMap(std::size_t& count);

// A registrar with the module's standard replacements: "Module" (the
// module's path, its quotes doubled for quoted script text) and
// "Module_Raw" (the path as it is).
CRegistrar ModuleRegistrar();
// Runs one of the module's REGISTRY scripts with only those replacements.
HRESULT UpdateRegistryFromResource(UINT id, bool doRegister);

// DllCanUnloadNow's answer: S_OK only when no lock is held (no object, no
// LockServer, no open window) and no thread of the module still runs.
HRESULT CanUnloadModuleNow();
