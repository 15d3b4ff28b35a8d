// The launcher's display font: a TrueType file added to this process's
// private font table while the launch screen exists, so that the launch
// screen and its buttons can ask for its face by name.
#pragma once

#include <afxwin.h>

// Found by bare file name, the platform's way (relative to the current
// folder); no caller builds a path from the executable's location.
inline constexpr char kDisplayFontFile[] = "VENUSRIS.ttf";
// The face the file provides.
inline constexpr char kDisplayFontFace[] = "Venus Rising";

// Adds the font file privately (FR_PRIVATE). Only the first successful call
// of the process reaches the platform: from then on every call returns the
// number of fonts that call added and looks at no path. 0 while no call has
// succeeded; a failed call is simply tried again by the next one.
int RegisterPrivateFont(CString path);

// Removes the font file again, with the same once-per-process rule: the
// first success value is remembered and returned from then on. Once removed,
// the font is not added again by RegisterPrivateFont in the same process.
int UnregisterPrivateFont(CString path);
