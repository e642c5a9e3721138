#pragma once

#include <windows.h>

// While it lives, calls that this executable makes to an imported function go to `replacement`:
// the entry of the function in the executable's import address table is exchanged. Lets a test
// observe platform calls that leave no other trace (an error beep, for example).
class ImportPatch {
public:
    ImportPatch(const char* module, const char* function, void* replacement) {
        void* target = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(module), function));
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
        auto* headers = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        DWORD imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
        for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); target && imports && library->Name; ++library)
            for (auto* entry = reinterpret_cast<void**>(base + library->FirstThunk); *entry && !slot; ++entry)
                if (*entry == target) slot = entry;
        if (slot) original = Write(replacement);
    }
    ~ImportPatch() {
        if (slot) Write(original);
    }
    // False when the executable does not import the function (or another patch has it).
    bool Installed() const { return slot != nullptr; }

private:
    // Puts `value` into the entry; the value that was there.
    void* Write(void* value) {
        DWORD protection = 0;
        VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
        void* previous = *slot;
        *slot = value;
        VirtualProtect(slot, sizeof *slot, protection, &protection);
        return previous;
    }

    void** slot = nullptr;
    void* original = nullptr;
};
