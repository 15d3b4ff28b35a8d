// Replaces one entry of a module's import table while the patch lives, so
// that the code of that module (by default this test program, with the
// launcher's code linked into it) calls the test's function instead of the
// system's.
#pragma once

#include <windows.h>

class ImportPatch {
public:
    ImportPatch(const char* pszLibrary, const char* pszFunction, void* pReplacement,
                HMODULE hImporter = nullptr);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    // false when the module does not import the function by that name.
    bool IsApplied() const { return m_pSlot != nullptr; }
    // The system's function.
    void* Original() const { return m_pOriginal; }

private:
    void** m_pSlot;
    void* m_pOriginal;
};
