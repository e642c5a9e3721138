#include "YModule.hpp"

#include <commctrl.h>

namespace {

HINSTANCE moduleInstance = nullptr;
YString modulePath;

}  // namespace

HINSTANCE ModuleInstance() { return moduleInstance ? moduleInstance : GetModuleHandleA(nullptr); }

void SetModuleInstance(HINSTANCE instance) { moduleInstance = instance; }

YString ModuleDirectory() { return modulePath; }

void SetModulePath(const YString& path) { modulePath = path; }

void YLibInit() {
    int lastBackslash = modulePath.ReverseFind('\\');
    if (lastBackslash >= 0) modulePath.SetLength(lastBackslash);
    InitCommonControls();
}

void YLibTerm() {
    modulePath.Empty();
    moduleInstance = nullptr;
}
