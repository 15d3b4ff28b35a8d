// Resources of the button tests: the ids the launcher's chooser uses for its
// icons and controls, so the tests bind the button exactly as it does.
#pragma once

#define IDI_TEST_ACTIVE 15000
#define IDI_TEST_NORMAL 15001
#define IDC_TEST_POINTER 15100
#define IDI_TEST_MISSING 15999

#define IDD_TEST_CHOOSER 15003
#define IDC_TEST_LX_MODULE 20000
#define IDC_TEST_DEFAULT_MODULE 20001
