// Resource numbers of the extractor stubs' dialogs.
#pragma once

#define IDD_STANDARD 100
#define IDD_ADVANCED 101
#define IDD_PASSWORD 102

#define IDC_FOLDER 1001
#define IDC_BROWSE 1002
#define IDC_LIST 1003
#define IDC_OVERWRITE 1004
#define IDC_PROGRESS 1005
#define IDC_STATUS 1006
#define IDC_TITLE 1007
#define IDC_LISTLABEL 1008
#define IDC_PASSWORD 1010
