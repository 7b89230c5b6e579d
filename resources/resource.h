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
