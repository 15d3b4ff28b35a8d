#include "MiniDumpReader.h"

#include <dbghelp.h>
#include <string.h>

#include "TestFiles.h"

namespace {

// "MDMP", the first four bytes of every mini-dump.
const ULONG32 kMiniDumpSignature = 0x504D444D;

// The object of type T at rva, or false when it does not lie in the file.
template <class T> bool ReadAt(const std::string& data, ULONG64 rva, T* pValue)
{
    if (rva > data.size() || data.size() - rva < sizeof(T))
        return false;
    memcpy(pValue, data.data() + rva, sizeof(T));
    return true;
}

bool Inside(const std::string& data, const MINIDUMP_LOCATION_DESCRIPTOR& location)
{
    return location.Rva <= data.size() && data.size() - location.Rva >= location.DataSize;
}

} // namespace

MiniDumpSummary ReadMiniDump(const std::string& path)
{
    MiniDumpSummary summary;
    std::string data = ReadWholeFile(path);
    MINIDUMP_HEADER header;
    if (!ReadAt(data, 0, &header) || header.Signature != kMiniDumpSignature)
        return summary;

    bool bWhole = header.NumberOfStreams > 0;
    for (ULONG32 i = 0; i < header.NumberOfStreams && bWhole; ++i) {
        MINIDUMP_DIRECTORY entry;
        if (!ReadAt(data, header.StreamDirectoryRva + i * sizeof(entry), &entry) ||
            !Inside(data, entry.Location)) {
            bWhole = false;
            break;
        }
        if (entry.StreamType == ExceptionStream) {
            MINIDUMP_EXCEPTION_STREAM exception;
            bWhole = ReadAt(data, entry.Location.Rva, &exception);
            summary.hasException = bWhole;
            summary.exceptionThreadId = exception.ThreadId;
            summary.exceptionCode = exception.ExceptionRecord.ExceptionCode;
        } else if (entry.StreamType == ThreadListStream) {
            ULONG32 nThreads = 0;
            bWhole = ReadAt(data, entry.Location.Rva, &nThreads);
            for (ULONG32 t = 0; t < nThreads && bWhole; ++t) {
                MINIDUMP_THREAD thread;
                bWhole = ReadAt(data, entry.Location.Rva + sizeof(nThreads) + t * sizeof(thread),
                                &thread) &&
                         Inside(data, thread.Stack.Memory);
                summary.threadIds.push_back(thread.ThreadId);
            }
        }
    }
    summary.whole = bWhole;
    return summary;
}
