// Resource ids of Fretlark: the resource script and the code use these names, never the numbers.
#pragma once

// String table
#define IDS_APP_TITLE               256
#define IDS_ERROR_TITLE             1024
#define IDS_CANT_OPEN_WAVE_IN       1025
#define IDS_TUNING_EXISTS           1028
#define IDS_ILLEGAL_FREQUENCY       1029
#define IDS_CALIBRATION_TITLE       1040
#define IDS_NO_CALIBRATION          1041
#define IDS_TIME_LEFT               1077
#define IDS_MEASURED_RATE           1078
#define IDS_CALIBRATION_RATE        1079
#define IDS_CALIBRATION_WAIT        1080
