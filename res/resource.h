// Resource, control and command ids, shared by tickra.rc and the code.
#pragma once

#define IDR_TRAY_MENU 4
#define IDR_TICKER_MENU 5
#define IDM_ABOUTBOX 0x0010

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_TICKRA_DIALOG 102
#define IDP_SOCKETS_INIT_FAILED 103
#define IDR_MAINFRAME 128
#define IDI_TRAY 129
#define IDD_DISPLAYMIN 131
#define IDD_UPGRADE 139

#define IDC_CODE 1000
#define IDC_APPLY 1001
#define IDC_DELETE 1003
#define IDC_ROTATION 1004
#define IDC_MOVE_UP 1005
#define IDC_MOVE_DOWN 1006
#define IDC_BREAK_BELOW 1007
#define IDC_CROSS_ABOVE 1008
#define IDC_BALANCE 1010
#define IDC_COMPUTE 1011
#define IDC_MODIFY 1012
#define IDC_WATCH_LIST 1013
#define IDC_COMPUTE_ALL 1014
#define IDC_MESSAGE_LIST 1016
#define IDC_CANCEL_EDIT 1017
#define IDC_UPGRADE_TEXT 1018
#define IDC_HELP_LINK 1019
#define IDC_AD_PANEL 1020
#define IDC_COMPUTE_PROGRESS 1021
#define IDC_UPGRADE_PROGRESS 1022
#define IDC_COST 1023
#define IDC_SHARES 1024
#define IDC_ALIAS 1025

#define ID_TRAY_EXIT 32772
#define ID_TRAY_SETTINGS 32773
#define ID_TRAY_START_WITH_WINDOWS 32774
// Which taskbars show the ticker: the primary, the secondary ones, all; in this order.
#define ID_TRAY_TASKBARS_PRIMARY 32775
#define ID_TRAY_TASKBARS_SECONDARY 32776
#define ID_TRAY_TASKBARS_ALL 32777
// The ticker's own menu: hold the rotation on the shown stock, or let it go on.
#define ID_TICKER_HOLD 32778
#define ID_TICKER_ROTATE 32779
// The quote feed chosen first, in the order of the feeds' ids.
#define ID_TRAY_SOURCE_CLASSIC 32780
#define ID_TRAY_SOURCE_SINA 32781
#define ID_TRAY_SOURCE_TENCENT 32782
#define ID_TRAY_SOURCE_EASTMONEY 32783
// The limit alerts on or off, and the step of the step alerts: off, 2 %, 3 %, 5 %.
#define ID_TRAY_LIMIT_ALERTS 32784
#define ID_TRAY_STEP_OFF 32785
#define ID_TRAY_STEP_2 32786
#define ID_TRAY_STEP_3 32787
#define ID_TRAY_STEP_5 32788
// Discretion and money: today's P&L on the ticker, hiding every ticker, the office look without
// red and green, and amounts of money hidden.
#define ID_TRAY_SHOW_PNL 32789
#define ID_TRAY_HIDE_TICKERS 32790
#define ID_TRAY_MONO 32791
#define ID_TRAY_HIDE_AMOUNTS 32792

#include "tickra/version.h"
