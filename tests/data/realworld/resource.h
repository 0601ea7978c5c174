//{{NO_DEPENDENCIES}}
// Included by vs_app.rc and vs_dll.rc.
#define IDI_APP                         101
#define IDD_ABOUTBOX                    102
#define IDR_MAINMENU                    103
#define IDS_APP_TITLE                   104
#define IDC_STATIC                      -1
