// Control ids of the installer's SETUP dialog.
#pragma once

#define IDC_STATIC_ANON    -1
#define IDC_GROUP_LIST     1002
#define IDC_STARTUP_CHECK  1003
#define IDC_STATUS_TEXT    1004
