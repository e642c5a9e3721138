#pragma once

#include <windows.h>

// While it lives, calls that this executable makes to an imported function go to `replacement`:
// the entry of the function in the executable's import address table is exchanged. Lets a test
// observe platform calls that leave no other trace (an error beep, for example).
class ImportPatch {
public:
    ImportPatch(const char* module, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    // False when the executable does not import the function.
    bool Installed() const { return slot != nullptr; }

private:
    static void Write(void** at, void* value);

    void** slot = nullptr;
    void* original = nullptr;
};
