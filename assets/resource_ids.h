/* Identifiers of the resources VARNO.scr carries, shared by the resource script,
   the code and the tests. The asset tools and the release check write the numbers
   again: assets/README.md, "Resource numbers", says why and how they are kept equal. */
#pragma once

#define ID_CLASS_ICON 100 /* the class icon is also the icon group the shell shows */
#define ID_LOGO 104
#define ID_LOGO_MASK 130
#define ID_DIALOG_IMAGE 132
#define ID_CHIME 137
#define ID_SETTINGS_DIALOG 2003

/* Controls of the settings dialog. */
#define ID_OK 1000
#define ID_CANCEL 1001
#define ID_LOGO_BOX 1003
#define ID_PICTURES_BOX 1004
#define ID_SOUND_BOX 1005

/* The pictures, rows 0 to 23 of the scene's table; there is no 113. */
#define ID_PICTURE_0 105
#define ID_PICTURE_1 106
#define ID_PICTURE_2 107
#define ID_PICTURE_3 108
#define ID_PICTURE_4 109
#define ID_PICTURE_5 110
#define ID_PICTURE_6 111
#define ID_PICTURE_7 112
#define ID_PICTURE_8 114
#define ID_PICTURE_9 115
#define ID_PICTURE_10 116
#define ID_PICTURE_11 117
#define ID_PICTURE_12 118
#define ID_PICTURE_13 119
#define ID_PICTURE_14 120
#define ID_PICTURE_15 121
#define ID_PICTURE_16 122
#define ID_PICTURE_17 123
#define ID_PICTURE_18 124
#define ID_PICTURE_19 125
#define ID_PICTURE_20 126
#define ID_PICTURE_21 127
#define ID_PICTURE_22 128
#define ID_PICTURE_23 150
