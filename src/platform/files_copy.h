#pragma once
#include <memory>
#include <string>
#include <string_view>

// What each system gives the copy of files_common.cpp; for platform/ alone.
namespace verdan::platform::copying {

enum class Target { NewName, Replace };

// A file being filled by a copy. Each write, the flush and the close count for the fault hooks.
class OutputFile {
public:
    virtual ~OutputFile() = default; // closes the file if close was not called, uncounted
    virtual bool write(std::string_view bytes) = 0;
    // Forces the bytes written to the device.
    virtual bool flush() = 0;
    virtual bool close() = 0;
};

// Null when the file cannot be made; a NewName target is never made over an existing file.
std::unique_ptr<OutputFile> createOutput(const std::string& path, Target target);

// Removes a file that this copy made itself; not counted for the fault hooks, which count the
// steps that can fail a save, not the clean-up after one.
void removeOwnFile(const std::string& path);

// Copies `from` into `to`. A NewName target left half written is removed; a file that was there
// before is never touched, whatever fails.
bool copyInto(const std::string& from, const std::string& to, Target target, bool flushToDisk);

} // namespace verdan::platform::copying
