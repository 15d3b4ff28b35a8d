// A small program for the observer's own tests: it shows message boxes
// through the framework, one of them before main() runs, and ends with 7.
// "hang" as the only argument makes it wait forever instead.
#include <afxwin.h>

#include <string.h>

namespace {

struct ShowsBoxDuringStaticInit {
    ShowsBoxDuringStaticInit() { AfxMessageBox("before main"); }
} g_showsBoxDuringStaticInit;

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && strcmp(argv[1], "hang") == 0) {
        Sleep(INFINITE);
        return 1;
    }
    AfxMessageBox("first");
    AfxMessageBox("second box, with a longer text: 1, 2, 3");
    return 7;
}
