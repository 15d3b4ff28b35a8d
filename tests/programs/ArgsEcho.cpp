// Writes how its own command line was split, once by the C run-time (the
// platform's reference) and once by the framework, into the file named by
// the environment variable ARGS_ECHO_OUT. Each argument is written in hex so
// that any character survives.
#include <afxwin.h>

#include <stdio.h>
#include <stdlib.h>

namespace {

void WriteHex(FILE* out, const char* psz)
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(psz); *p; ++p)
        fprintf(out, "%02x", *p);
    fprintf(out, "\n");
}

} // namespace

int main(int argc, char** argv)
{
    const char* pszOut = getenv("ARGS_ECHO_OUT");
    if (!pszOut)
        return 2;
    FILE* out = fopen(pszOut, "wb");
    if (!out)
        return 3;
    fprintf(out, "crt %d\n", argc);
    for (int i = 0; i < argc; ++i)
        WriteHex(out, argv[i]);
    int nOurs = AfxSplitCommandLine(
        GetCommandLineA(), [](void*, int, const char*) {}, nullptr);
    fprintf(out, "framework %d\n", nOurs);
    AfxSplitCommandLine(
        GetCommandLineA(),
        [](void* pContext, int, const char* pszArg) {
            WriteHex(static_cast<FILE*>(pContext), pszArg);
        },
        out);
    fclose(out);
    return 0;
}
