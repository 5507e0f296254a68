#pragma once
// The ids of this layer's texts (4000 to 5999), in Texts.rc: plain defines, since the resource compiler reads
// them too.

// The main window: the tiles' captions (lines as drawn on the tile), tips, names and keys for a screen reader.
#define IDS_TILE_SAVE 4000
#define IDS_TILE_REFRESH 4001
#define IDS_TILE_REMOVE 4002
#define IDS_TILE_CREATE 4003
#define IDS_TILE_ABOUT 4004
#define IDS_TIP_SAVE 4005
#define IDS_TIP_REFRESH 4006
#define IDS_TIP_REMOVE 4007
#define IDS_TIP_CREATE 4008
#define IDS_TIP_ABOUT 4009
#define IDS_TIP_HELP 4010
#define IDS_TIP_CLOSE 4011
#define IDS_NAME_HELP 4012
#define IDS_NAME_CLOSE 4013
#define IDS_NAME_WEB_SITE 4014
#define IDS_KEY_CTRL_S 4015
#define IDS_KEY_CTRL_N 4016
#define IDS_KEY_DELETE 4017
#define IDS_COLUMN_NAME 4018
#define IDS_COLUMN_PATH 4019
#define IDS_REMOVE_QUESTION 4020
#define IDS_SAVE_QUESTION 4021

// Message boxes: captions and buttons.
#define IDS_CONFIRM 4040
#define IDS_ERROR 4041
#define IDS_WARNING 4042
#define IDS_INFORMATION 4043
#define IDS_OK 4044
#define IDS_YES 4045
#define IDS_NO 4046
#define IDS_CANCEL 4047

// The create dialog and the About box.
#define IDS_CREATE_CAPTION 4060
#define IDS_CREATE_FILE_NAME 4061
#define IDS_CREATE_DISPLAY_NAME 4062
#define IDS_CREATE 4063
#define IDS_BROWSE 4064
#define IDS_CREATE_WARNING 4065
#define IDS_PROGRAM_FILTER 4066
#define IDS_ABOUT_CAPTION 4067

// The window's own failure texts.
#define IDS_ELEVATED_OPEN 4080
#define IDS_NOT_BESIDE_PROGRAM 4081
#define IDS_NOT_JOURNALLED 4082
#define IDS_JOURNAL_WARNING 4083
#define IDS_UNEXPECTED_ERROR 4084
#define IDS_ACTION_PRESS 4085
#define IDS_ACTION_JUMP 4086

// A row's tip.
#define IDS_ROW_SWITCHED_OFF 4100
#define IDS_ROW_RUNS 4101
#define IDS_ROW_UNQUOTED 4102
#define IDS_ROW_FILE_NOT_FOUND 4103
#define IDS_ROW_COMPANY 4104
#define IDS_SIGNED_BY 4105
#define IDS_SIGNED_UNTRUSTED 4106
#define IDS_SIGNATURE_INVALID 4107
#define IDS_NOT_SIGNED 4108

// The texts of the pictures (tools/art/make-bitmaps.sh paints them from here too).
#define IDS_SLOGAN 4120
#define IDS_BANNER0_LINE 4121
#define IDS_BANNER1_LINE 4122
#define IDS_BANNER2_LINE 4123
#define IDS_BANNER_VISIT 4124
#define IDS_BANNER_ORDER 4125
#define IDS_BANNER_UPDATES 4126
#define IDS_BANNER_VISIT_US 4127
#define IDS_BANNER_BUY_NOW 4128
#define IDS_BANNER_WHATS_NEW 4129
#define IDS_ABOUT_VERSION 4130
#define IDS_ABOUT_AUTHOR 4131
#define IDS_ABOUT_WEB_SITE 4132
#define IDS_ABOUT_MAIL 4133
#define IDS_ABOUT_FEATURED 4134
#define IDS_ABOUT_BUY 4135
#define IDS_ABOUT_PITCH1 4137
#define IDS_ABOUT_PITCH2 4138
