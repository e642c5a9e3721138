#include "YLibText.hpp"

namespace {

// Entries 14 to 20 belong to the serial-port support; they keep the indices of the table stable.
const char* const libraryTexts[YLIB_TEXT_COUNT] = {
    "",
    "Error",
    "Illegal Integer Number",
    "Illegal Real Number",
    "Exception",
    "\n\nFile: %s\nLine: %d",
    "Unknown.",
    "Not Enough Memory",
    "Windows System Error:",
    "GUI Error",
    "Subscript Out of Range",
    "Illegal parameter.",
    "NULL pointer assigment.",
    "OK",
    "Can't open serial port: ",
    "Invalid baud rate settings: ",
    "Invalid bit count settings: ",
    "Invalid parity bit settings: ",
    "Invalid stop bit settings: ",
    "Invalid handshake: ",
    "Invalid communication parameters.",
};

}  // namespace

const char* YLibText(int index) {
    if (index < 0 || index >= YLIB_TEXT_COUNT) return libraryTexts[YLIB_TEXT_EMPTY];
    return libraryTexts[index];
}
