#pragma once

// Resources of the drawing test program only; they stay clear of the program's own ids.
#define IDB_TEST_PATTERN    9201
#define IDB_TEST_MISSING    9299
