// Records the CreateFileA calls of this test program, the launcher's code
// linked into it included, with their exact arguments; each call still goes
// to the system.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ImportPatch.h"

struct CreateFileCall {
    std::string path;
    DWORD desiredAccess = 0;
    DWORD shareMode = 0;
    bool securityAttributes = false; // non-null
    DWORD creationDisposition = 0;
    DWORD flagsAndAttributes = 0;
    bool templateFile = false; // non-null
    bool succeeded = false;
};

// One at a time.
class CreateFileRecorder {
public:
    CreateFileRecorder();
    ~CreateFileRecorder();
    CreateFileRecorder(const CreateFileRecorder&) = delete;
    CreateFileRecorder& operator=(const CreateFileRecorder&) = delete;

    bool IsRecording() const { return m_patch.IsApplied(); }
    // The calls whose path contains the text, in order.
    std::vector<CreateFileCall> CallsFor(const std::string& pathPart) const;

private:
    ImportPatch m_patch;
};
