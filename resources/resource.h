// Resource identifiers shared by velmora.rc and the code. The numbers are part of the
// plug-in's contract with stored templates and the host: do not renumber.
#pragma once

// Dialog templates
#define IDD_COVER               103
#define IDD_ABOUT               136
#define IDD_SETTINGS            137

// Icons
#define IDI_VELMORA             141     // the plug-in icon, 32x32, 16 colours
#define IDI_SCREEN_SAVER        144     // menu item "Activate Screen Saver", 16x16
#define IDI_ACTIVATE            145     // menu item "Activate Velmora", 16x16
#define IDI_INTERNET            146     // settings: beside "On the Internet"
#define IDI_RELEASE_NOTES       147     // settings: beside "Release Notes"
#define IDI_ABOUT_BOX           148     // settings: beside "About Box"

// Animated cursor shown by the about box, stored under its own resource type
#define IDR_SHAPES_CURSOR       142
#define RT_ANICURSORS_NAME      "ANICURSORS"

// Cover (IDD_COVER)
#define IDC_COVER_UNLOCK        1000
#define IDC_COVER_PASSWORD      1001
#define IDC_COVER_MEMO          1002
#define IDC_COVER_CLOCK         1005
#define IDC_COVER_DATE          1008
#define IDC_COVER_WRONG_PASSWORDS   1009
#define IDC_COVER_CAPS_LOCK     1011
// Lines the cover shows about itself when they apply.
#define IDC_COVER_NO_PASSWORD       1012
#define IDC_COVER_LOCK_UNRECORDED   1013
#define IDC_COVER_MEMO_PART         1014
#define IDC_COVER_FILE_UNREADABLE   1028

// Settings dialog (IDD_SETTINGS)
#define IDC_SET_STARTUP         1004
#define IDC_SET_SAVE_MEMO       1005
#define IDC_SET_HIDE_EUDORA     1006
#define IDC_SET_OLD_PASSWORD    1010
#define IDC_SET_STRETCH         1013
#define IDC_SET_NEW_PASSWORD    1017
#define IDC_SET_NEW_PASSWORD2   1018
#define IDC_SET_APPLY           1019
#define IDC_SET_CANCEL          1020
#define IDC_SET_ABOUT_BOX       1021
#define IDC_SET_ICON            1022
#define IDC_SET_RELEASE_NOTES   1023
#define IDC_SET_INTERNET        1024
#define IDC_SET_LOCK_WITH_WINDOWS   1025
#define IDC_SET_LOCK_MINUTES        1026
#define IDC_SET_LOCK_MINUTES_SPIN   1027

// About box (IDD_ABOUT)
#define IDC_ABOUT_TEXT          1015
#define IDC_ABOUT_CLOSE         1016
#define IDC_ABOUT_CURSOR        1023

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif
