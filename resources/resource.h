// Resource and control ids of the screensaver file.
#pragma once

#define IDS_PRODUCT_NAME 1

#define IDR_STRING_TABLE_XML 11 // RCDATA: the localisation table
#define IDI_PRODUCT 100         // icon group: window and file icon
#define IDR_PREVIEW_JPEG 150    // "JPEGFILE": the preview picture
#define IDD_PLAYLIST 162        // playlist editor
#define IDD_SETTINGS 2003       // settings dialog

// Settings dialog controls.
#define IDC_RESTORE_DEFAULTS 3
#define IDC_EDIT_PLAYLIST 4
#define IDC_VISIT 6
#define IDC_VIDEO_MODE_LIST 1001 // not in the template
#define IDC_MONITOR_LIST 1002
#define IDC_DESKTOP_RES 1012 // not in the template
#define IDC_BLANK_SCREENS 1013
#define IDC_MONITOR_GROUP 1015
#define IDC_ENABLE_SOUNDS 1022
#define IDC_EXIT_ON_MOUSE 1023
#define IDC_PRODUCTS_TEXT 1027
#define IDC_HQ_GRAPHICS 1030 // not in the template
#define IDC_HQ_TEXTURES 1031 // not in the template
#define IDC_ENABLE_MUSIC 1032
#define IDC_MUSIC_VOLUME 1044
#define IDC_MUSIC_VOLUME_LABEL 1045
#define IDC_SOUNDS_VOLUME 1046
#define IDC_SOUNDS_VOLUME_LABEL 1047
#define IDC_ANTIALIASING 1068
#define IDC_ANTIALIASING_LIST 1069
#define IDC_ANTIALIASING_LABEL 1070
#define IDC_PLAY_MY_MUSIC 1078
#define IDC_RUN_AT_STARTUP 1079

// Playlist editor controls.
#define IDC_SHUFFLE 1074
#define IDC_ADD_FILES 1080
#define IDC_REMOVE_FILES 1081
#define IDC_PLAYLIST_VIEW 1082
