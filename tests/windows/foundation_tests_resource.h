#pragma once

// Resources of the foundation test program only; they stay clear of the program's own ids. No
// resource has the id ID_TEST_MISSING.
#define IDS_TEST_TOO_LONG   9001
#define IDS_TEST_VALUE      9002
#define ID_TEST_MISSING     9099
