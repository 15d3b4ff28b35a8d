// Identifiers of the launcher's resources.
#pragma once

// The executable's icon.
#define IDR_MAINFRAME 128

// The chooser buttons' pictures: active (pointer over or pressed) and normal.
#define IDI_MODULE_ACTIVE 15000
#define IDI_MODULE_NORMAL 15001

// The launch screen and its two buttons.
#define IDD_LAUNCH_SCREEN 15003
#define IDC_LX_MODULE 20000
#define IDC_DEFAULT_MODULE 20001
