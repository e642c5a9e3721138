#pragma once

// The library's own fixed texts, by index (0 to 20).
enum YLibTextId : int {
    YLIB_TEXT_EMPTY = 0,
    YLIB_TEXT_ERROR = 1,
    YLIB_TEXT_ILLEGAL_INTEGER = 2,
    YLIB_TEXT_ILLEGAL_REAL = 3,
    YLIB_TEXT_EXCEPTION = 4,
    YLIB_TEXT_LOCATION = 5,
    YLIB_TEXT_UNKNOWN = 6,
    YLIB_TEXT_NO_MEMORY = 7,
    YLIB_TEXT_SYSTEM_ERROR = 8,
    YLIB_TEXT_GUI_ERROR = 9,
    YLIB_TEXT_OUT_OF_RANGE = 10,
    YLIB_TEXT_ILLEGAL_PARAMETER = 11,
    YLIB_TEXT_NULL_POINTER = 12,
    YLIB_TEXT_OK = 13,
    YLIB_TEXT_COUNT = 21,
};

// The text at index; an index outside the table gives the empty text.
const char* YLibText(int index);
