// Identifiers of the program's resources, menus and controls. The resource script, the
// views and the window tests include this one file.
#pragma once

#define IDI_MORVEL 1
#define IDR_MAINMENU 100
#define IDR_TRAYMENU 101
#define IDR_ACCELERATORS 102
#define IDD_ASKDELETE 200
#define IDD_ABOUT 201
#define IDP_TITLE 300
#define IDP_BANNER 301

#define IDS_ASK_WARNING 400
#define IDS_ASK_QUESTION 401

#define ID_FILE_INDEXDAT 1001
#define ID_FILE_EXIT 1002
#define ID_ACTION_TEST 1003
#define ID_ACTION_CLEAN 1004
#define ID_ACTION_SETTINGS 1005
#define ID_EDIT_COOKIES 1006
#define ID_EDIT_CUSTOMLISTS 1007
#define ID_EDIT_SAVETEXT 1008
#define ID_HELP_HELP 1009
#define ID_HELP_HOMEPAGE 1010
#define ID_HELP_DONATE 1011
#define ID_HELP_ABOUT 1012
#define ID_TRAY_OPEN 1013

// The main window's controls, in tab (and creation) order.
#define IDC_LABEL1 2008
#define IDC_TREE 2001
#define IDC_GROUP 2007
#define IDC_PROGRESS 2006
#define IDC_LOG 2002
#define IDC_LABEL2 2009
#define IDC_CURRENTITEM 2010
#define IDC_TOTALITEMS 2011
#define IDC_NUMBER 2012
#define IDC_TEST 2003
#define IDC_CLEAN 2004
#define IDC_ONLINEHELP 2013
#define IDC_FASTMODE 2005
#define IDC_CHECKUPDATE 2014

#define IDC_ASK 3001
#define IDC_ASK_LABEL1 3002
#define IDC_ASK_LABEL5 3003
#define IDC_ABOUT_BANNER 3010
#define IDC_ABOUT_TITLE 3011
#define IDC_ABOUT_MAIL 3012
#define IDC_ABOUT_SITE 3013
#define IDC_ABOUT_MAINSITE 3014
#define IDC_ABOUT_VERSION 3015
#define IDC_ABOUT_PUBLISHER 3016

// The Cookies Manager (frmCookiesManager) and the index.dat viewer (frmIndexDatViewer).
#define IDD_COOKIES 220
#define IDD_INDEXDAT 221
#define IDS_INDEXDAT_CAPTION 420
#define IDC_CK_LABEL1 3201
#define IDC_CK_FOUND 3202
#define IDC_CK_ADD 3203
#define IDC_CK_REMOVE 3204
#define IDC_CK_ADDALL 3205
#define IDC_CK_REMOVEALL 3206
#define IDC_CK_VIEW 3207
#define IDC_CK_LABEL2 3208
#define IDC_CK_KEPT 3209
#define IDC_IDX_LOCATION 3220
#define IDC_IDX_FILENAME 3221
#define IDC_IDX_BROWSE 3222
#define IDC_IDX_PROGRESS 3223
#define IDC_IDX_LINE 3224
#define IDC_IDX_LIST 3225
#define IDC_IDX_TOTALGROUP 3226
#define IDC_IDX_TOTALLABEL 3227
#define IDC_IDX_TOTAL 3228
#define IDC_IDX_MORE 3229
#define IDC_IDX_SHOW 3230
