#pragma once

// Resources of the foundation test program only; they stay clear of the program's own ids.
#define IDS_TEST_TOO_LONG   9001
#define IDS_TEST_VALUE      9002
#define IDR_TEST_BINARY     9101
#define IDR_TEST_EMPTY      9102
#define IDR_TEST_MISSING    9199
