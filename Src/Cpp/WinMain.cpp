// The program's entry point and its program-wide objects. TunerMain ends the run (EndRun): capture
// closed, the card's routing restored, the settings (TunerSettings.cpp) saved. The destructors of
// the program-wide objects do the same when an exception ended the run before.
#include <windows.h>

#include "TunerAnalyzer.hpp"
#include "TunerMain.hpp"
#include "TunerMixer.hpp"
#include "YModule.hpp"
#include "YSystemException.hpp"

namespace {

// Destroyed in reverse order at exit: the mixer puts the card's routing back, the analyzer closes
// capture if it is still open, and last the settings are written, each only if the run's end has
// not done it already.
TunerAnalyzer analyzer;
TunerMixer mixer;

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
        code = TunerMain(analyzer, mixer);
        YLibTerm();
    } catch (const YSystemException& e) {
        e.Report();
    }
    return code;
}
