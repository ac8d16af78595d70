// Loading of our own modules by name, as the programs bind the DirectX
// libraries at run time: LoadLibraryA/GetProcAddress/FreeLibrary over a registry
// that each stand-in fills with its entry points. Names compare case-insensitively.
#pragma once

#include <map>
#include <string>

#include "platform/win/Types.h"

HMODULE LoadLibraryA(const char* lpLibFileName);
FARPROC GetProcAddress(HMODULE hModule, const char* lpProcName);
BOOL FreeLibrary(HMODULE hLibModule);

namespace ModuleRegistry {

// Registers (or replaces) a module with its exported entry points.
void Register(const std::string& name, const std::map<std::string, FARPROC>& entries);
bool IsRegistered(const std::string& name);

// Test hooks: a module that will not load, an entry point that is missing.
void SetMissing(const std::string& name, bool missing);
void SetEntryMissing(const std::string& name, const std::string& entry, bool missing);

// How often a module was loaded by LoadLibraryA and freed by FreeLibrary, and
// how many references are held now.
int LoadCount(const std::string& name);
int FreeCount(const std::string& name);
int References(const std::string& name);

// Forgets the counters and test hooks (not the registrations).
void ResetCounters();

}  // namespace ModuleRegistry
