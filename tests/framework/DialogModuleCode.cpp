// The code of the test's resource module. The module needs none: this
// library is only the path by which it reaches the framework.
#include <afxwin.h>
