// Resource ids of the add-in's module.
#pragma once

// Registration scripts (type "REGISTRY").
#define IDR_ADDIN 101
#define IDR_PROPPAGE 103
#define IDR_LITEPAGE 111
#define IDR_OUTLOOKADDIN 112
