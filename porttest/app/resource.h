// Resource ids of Zorik.rc, shared by the resource script and the code.
#pragma once

#define IDD_PORTTEST_DIALOG 102
#define IDR_MAINFRAME 128

#define IDC_INPUT0 1000
#define IDC_INPUT1 1001
#define IDC_INPUT2 1002
#define IDC_OUTPUT0 1008
#define IDC_OUTPUT1 1009
#define IDC_OUTPUT2 1010
#define IDC_TEST 1017
#define IDC_LOG 1018
#define IDC_SUMMARY 1019
#define IDC_FINDINGS 1020
// Station mode only, made at run time (station_panel.cpp): the serial
// field, the banner over the last unit and the day's yield line.
#define IDC_SERIAL 1021
#define IDC_BANNER 1022
#define IDC_YIELD 1023

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
