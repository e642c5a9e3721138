#pragma once

#include <windows.h>

#include "YString.hpp"

// The executable's module data, set once at start-up and read by every resource load.

// The executable's instance handle; the entry point stores it, and until then (console tools,
// tests) it is the instance of the running executable.
HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE instance);

// The executable's directory without a trailing backslash (after YLibInit).
YString ModuleDirectory();
// The executable's full path as the entry point found it; YLibInit cuts it to the directory.
void SetModulePath(const YString& path);

// Library initialisation and termination: the program directory and the common controls.
void YLibInit();
void YLibTerm();
