#pragma once
#define IDD_TEST_DIALOG 100
#define IDC_FIRST 201
#define IDC_SECOND 202
