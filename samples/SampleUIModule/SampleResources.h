// Identifiers of the sample module's own resources. They lie above the
// launcher's (which stay below 30000): the executable is searched first, so a
// module's resource with the same identifier as one of the launcher's would
// never be found.
#pragma once

#define IDD_SAMPLE_ABOUT 30000
#define IDC_SAMPLE_SOURCE 30001
#define IDS_SAMPLE_SOURCE 30016
// The main window's button that opens the About box.
#define IDC_SAMPLE_ABOUT 30100
