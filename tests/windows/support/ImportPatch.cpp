#include "ImportPatch.hpp"

ImportPatch::ImportPatch(const char* module, const char* function, void* replacement) {
    void* target = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(module), function));
    if (!target) return;
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return;
    for (auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); descriptor->Name; ++descriptor) {
        for (auto* entry = reinterpret_cast<void**>(base + descriptor->FirstThunk); *entry; ++entry) {
            if (*entry == target) {
                slot = entry;
                original = target;
                Write(slot, replacement);
                return;
            }
        }
    }
}

ImportPatch::~ImportPatch() {
    if (slot) Write(slot, original);
}

void ImportPatch::Write(void** at, void* value) {
    DWORD protection = 0;
    VirtualProtect(at, sizeof *at, PAGE_READWRITE, &protection);
    *at = value;
    VirtualProtect(at, sizeof *at, protection, &protection);
}
