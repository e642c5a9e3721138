// The program's entry point and its program-wide objects. The settings object (TunerSettings.cpp)
// is written when it is destroyed at exit, after capture has been closed here.
#include <windows.h>

#include "TunerAnalyzer.hpp"
#include "TunerMain.hpp"
#include "YModule.hpp"
#include "YSystemException.hpp"

namespace {

TunerAnalyzer analyzer;

// Room for any path the ANSI functions can give; a cut path would put the settings elsewhere.
constexpr DWORD ModulePathSize = 32768;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    SetModuleInstance(instance);
    static char path[ModulePathSize];
    GetModuleFileNameA(nullptr, path, ModulePathSize);
    SetModulePath(path);
    // An exception that ends the run is reported and ends it like the other failures.
    int code = 1;
    try {
        YLibInit();
        code = TunerMain(analyzer);
        YLibTerm();
    } catch (const YSystemException& e) {
        e.Report();
    }
    return code;
}
