// Resource ids of the add-in's module.
#pragma once

// Registration scripts (type "REGISTRY").
#define IDR_ADDIN 101
#define IDR_PROPPAGE 103
#define IDR_LITEPAGE 111
#define IDR_OUTLOOKADDIN 112

// The About box (dialog template) and the add-in's icon.
#define IDD_ABOUTBOX 100
#define IDI_ZENTAVOSMS 128
#define IDC_ABOUT_PRODUCT 1021
#define IDC_ABOUT_NOTICE 1076
#define IDC_ABOUT_NOTICE2 1077

// The Send SMS window: template, icon, toolbar strips (19, 28 and 38 pixel
// images), the toolbar band background and the logo placeholder.
#define IDD_SENDSMS 114
#define IDI_SENDSMS 202
#define IDB_SENDSMS_TOOLBAR_19 208
#define IDB_SENDSMS_TOOLBAR_28 210
#define IDB_SENDSMS_TOOLBAR_38 211
#define IDB_TOOLBAR_BACKGROUND 220
#define IDB_SENDSMS_LOGO 222

// Controls of the Send SMS window.
#define IDC_SENDSMS_TO_BUTTON 209
#define IDC_SENDSMS_FROM 210
#define IDC_SENDSMS_TO 211
#define IDC_SENDSMS_TEXT 212
#define IDC_SENDSMS_FROM_LABEL 213
#define IDC_SENDSMS_CONTEXT 214
#define IDC_SENDSMS_CONTEXT_LABEL 215
#define IDC_SENDSMS_FROM_LIST 216
#define IDC_SENDSMS_REPLIES 221
#define IDC_SENDSMS_CHARS_LEFT 225
#define IDC_SENDSMS_CHARS_LEFT_LABEL 228
#define IDC_SENDSMS_LOGO 229
#define IDC_SENDSMS_PARTS 231
#define IDC_SENDSMS_PARTS_LABEL 278

// The Send SMS window's rebar, toolbars and their buttons; the system
// menu's About item.
#define IDC_SENDSMS_MAIN_TOOLBAR 117
#define IDC_SENDSMS_TOOLBAR_HOST 128
#define IDC_SENDSMS_ADVANCED_TOOLBAR 129
#define ID_SENDSMS_SEND 116
#define ID_SENDSMS_OPTIONS 125
#define ID_SENDSMS_BALANCE 126
#define ID_SENDSMS_HELP 127
#define ID_SENDSMS_ADVANCED 130
#define ID_SENDSMS_SCHEDULE 131
#define ID_SENDSMS_DELIVERY_REPORTS 132
#define ID_SENDSMS_BALANCE_SEPARATOR 135
#define ID_SENDSMS_OPTIONS_SEPARATOR 136
#define IDM_ABOUTBOX 16
