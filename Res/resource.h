// Resource ids of Fretlark: the resource script and the code use these names, never the numbers.
#pragma once

// Main window: dialog, menu and icon
#define IDD_TUNER                   101
#define IDR_TUNER_MENU              102
#define IDI_TUNER                   103

// The hand over the about box's link
#define IDC_LINK_CURSOR             104

// Tuning display: the marks under the scale, the mode and source icons, the arrows
#define IDB_FLAT_MARK               107
#define IDB_SHARP_MARK              108
#define IDB_ZERO_MARK               109
#define IDB_MODE_ICONS              115
#define IDB_SOURCE_ICONS            116
#define IDB_RIGHT_ARROWS            117
#define IDB_LEFT_ARROWS             118

// About box: the icon beside the pointer to the user's guide
#define IDI_README                  130

// Tuning Settings and Create Tuning dialogs
#define IDD_TUNING_SETTINGS         114
#define IDB_TUNING_MARKS            119
#define IDD_CREATE_TUNING           120
#define IDC_CREATE_TUNING           1022
#define IDC_DELETE_TUNING           1023
#define IDC_STRING_SLIDER_0         1026
#define IDC_STRING_SLIDER_1         1027
#define IDC_STRING_SLIDER_2         1028
#define IDC_STRING_SLIDER_3         1029
#define IDC_STRING_SLIDER_4         1030
#define IDC_STRING_SLIDER_5         1031
#define IDC_ROOT_STEP               1040
#define IDC_ROOT_FREQUENCY          1044
#define IDC_LOWEST_NOTE             1048
#define IDC_HIGHEST_NOTE            1049
#define IDC_STRING_NOTE_0           1050
#define IDC_STRING_NOTE_1           1051
#define IDC_STRING_NOTE_2           1052
#define IDC_STRING_NOTE_3           1053
#define IDC_STRING_NOTE_4           1054
#define IDC_STRING_NOTE_5           1055
#define IDC_TUNING_LIST             1060
#define IDC_TUNING_NAME             1061

// Main window controls
#define IDC_INPUT_METER             1000
#define IDC_SIGNAL_METER            1002
#define IDC_DIFFERENCE              1003
#define IDC_REQUIRED_FREQUENCY      1004
#define IDC_MEASURED_FREQUENCY      1006
#define IDC_COLLAPSED_END           1007
#define IDC_HARMONIC                1008
#define IDC_CPU_LOAD                1009
#define IDC_TARGET_NOTE             1010
#define IDC_DISPLAY                 1011
#define IDC_STRING_2                1034
#define IDC_STRING_3                1035
#define IDC_STRING_4                1036
#define IDC_STRING_5                1037
#define IDC_STRING_0                1042
#define IDC_STRING_1                1043
#define IDC_OCTAVE_UP               1063
#define IDC_OCTAVE_DOWN             1064
#define IDC_SEMITONE_STEP           1065
#define IDC_NOTE_LABEL              1066
#define IDC_DISPLAY_GROUP           1067

// Main window menu commands
#define IDM_EXIT                    40001
#define IDM_AUDIO_SOURCE            40002
#define IDM_ABOUT                   40003
#define IDM_TUNING                  40005
#define IDM_GUITAR_TUNING           40010
#define IDM_CHROMATIC_TUNING        40011
#define IDM_CALIBRATE               40012
#define IDM_DETAILS                 40013
#define IDM_PRECISE_PITCH           40014
#define IDM_FAST_UPDATES            40015
#define IDM_AUTO_NOTE               40016

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

// Audio Source Settings dialog
#define IDD_AUDIO_SOURCE            111
#define IDC_WAVE_IN_DEVICES         1013
#define IDC_SOURCE_LINE             1015
#define IDC_SOURCE_MIC              1016
#define IDC_SOURCE_DEFAULT          1017
#define IDC_NOISE_THRESHOLD         1046
#define IDC_RECORDING_LEVEL         1047
#define IDC_DEVICE_STATUS           1069
// About box: dialog, the title drawn semi-bold, the web link, and the address it opens
#define IDD_ABOUT                   122
#define IDC_LINK                    1068
#define IDC_ABOUT_TITLE             1089
#define IDS_WEB_ADDRESS             1100

// Calibration wizard: the three pages, the oscilloscope picture beside them, their controls
#define IDD_CALIBRATION_MODE        124
#define IDD_CALIBRATION_RUN         125
#define IDD_CALIBRATION_RESULT      126
#define IDB_OSCILLOSCOPE            129
#define IDC_OSCILLOSCOPE            1090
#define IDC_AUTOMATIC               1070
#define IDC_EXTERNAL_SOURCE         1071
#define IDC_EXTERNAL_FREQUENCY      1072
#define IDC_EXTERNAL_STEP           1073
#define IDC_RESET_CALIBRATION       1074
#define IDC_CALIBRATION_PROGRESS    1075
#define IDC_CALIBRATION_STATUS      1076
#define IDC_TIME_LEFT               1078
#define IDC_RAW_LABEL               1080
#define IDC_REFERENCE_LABEL         1081
#define IDC_RATE_LABEL              1082
#define IDC_RAW_FREQUENCY           1083
#define IDC_REFERENCE_FREQUENCY     1084
#define IDC_RATE                    1085
#define IDC_RAW_UNIT                1086
#define IDC_REFERENCE_UNIT          1087
#define IDC_CALIBRATION_WAIT        1088
