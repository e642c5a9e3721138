#pragma once

#include <windows.h>

#include <vector>

// How many more GDI objects the process can create. Wine's GetGuiResources always answers 0, so
// the objects in use are counted as the room left in the handle table: a leak makes it smaller.
inline int FreeGdiSlots() {
    std::vector<HPEN> made;
    while (made.size() < 200000) {
        HPEN pen = CreatePen(PS_SOLID, 0, 0);
        if (!pen) break;
        made.push_back(pen);
    }
    for (HPEN pen : made) DeleteObject(pen);
    return static_cast<int>(made.size());
}
