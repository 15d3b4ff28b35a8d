// Files and folders for tests: where the built programs are, and scratch
// folders that clean up after themselves.
#pragma once

#include <string>

// The folder of the running test program, which also holds every other
// built program and library (no trailing backslash).
std::string BuildBinFolder();
// BuildBinFolder() + "\\" + name.
std::string BuiltFile(const std::string& name);

// path in double quotes, for command lines.
std::string Quoted(const std::string& path);

bool FileExists(const std::string& path);
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& content);

// A new, empty folder under the system's temporary folder, removed with its
// content when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }
    // Copies a file into the folder under the given name.
    bool CopyIn(const std::string& source, const std::string& name) const;

private:
    std::string m_path;
};

void RemoveTree(const std::string& path);
