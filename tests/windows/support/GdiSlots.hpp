#pragma once

#include <windows.h>

#include <vector>

// How many more GDI objects the process can create. Wine's GetGuiResources always answers 0, so
// the objects in use are counted as the room left in the handle table: a leak makes it smaller.
inline int FreeGdiSlots() {
    std::vector<HPEN> made;
    for (HPEN pen; made.size() < 200000 && (pen = CreatePen(PS_SOLID, 0, 0));) made.push_back(pen);
    for (HPEN pen : made) DeleteObject(pen);
    return static_cast<int>(made.size());
}
