#pragma once
#define IDD_TEST_DIALOG 100
#define IDC_FIRST 201
#define IDC_SECOND 202

// Resources of DialogResourceModule.dll (a module of its own).
#define IDD_MODULE_DIALOG 300
#define IDS_MODULE_LINE 301
