#include "ImportPatch.h"

#include <string.h>

namespace {

void** FindImportSlot(HMODULE hImporter, const char* pszLibrary, const char* pszFunction)
{
    auto* pBase = reinterpret_cast<BYTE*>(hImporter ? hImporter : GetModuleHandleA(nullptr));
    auto* pDos = reinterpret_cast<IMAGE_DOS_HEADER*>(pBase);
    auto* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* pDescriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + imports.VirtualAddress);
    for (; pDescriptor->Name; ++pDescriptor) {
        if (lstrcmpiA(reinterpret_cast<char*>(pBase + pDescriptor->Name), pszLibrary) != 0)
            continue;
        auto* pName = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDescriptor->OriginalFirstThunk);
        auto* pAddress = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDescriptor->FirstThunk);
        for (; pName->u1.AddressOfData; ++pName, ++pAddress) {
            if (IMAGE_SNAP_BY_ORDINAL(pName->u1.Ordinal))
                continue;
            auto* pByName =
                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(pBase + pName->u1.AddressOfData);
            if (strcmp(reinterpret_cast<char*>(pByName->Name), pszFunction) == 0)
                return reinterpret_cast<void**>(&pAddress->u1.Function);
        }
    }
    return nullptr;
}

void WriteSlot(void** pSlot, void* pValue)
{
    DWORD dwOldProtect = 0;
    VirtualProtect(pSlot, sizeof(void*), PAGE_READWRITE, &dwOldProtect);
    InterlockedExchangePointer(pSlot, pValue);
    VirtualProtect(pSlot, sizeof(void*), dwOldProtect, &dwOldProtect);
}

} // namespace

ImportPatch::ImportPatch(const char* pszLibrary, const char* pszFunction, void* pReplacement,
                         HMODULE hImporter)
    : m_pSlot(FindImportSlot(hImporter, pszLibrary, pszFunction)), m_pOriginal(nullptr)
{
    if (!m_pSlot)
        return;
    m_pOriginal = *m_pSlot;
    WriteSlot(m_pSlot, pReplacement);
}

ImportPatch::~ImportPatch()
{
    if (m_pSlot)
        WriteSlot(m_pSlot, m_pOriginal);
}
