#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// File operations on UTF-8 paths (wide calls on Windows). Failures are results, not exceptions:
// the callers know which French message fits.
namespace verdan::platform {

char nativeSeparator();
bool isFile(const std::string& path);
bool isFolder(const std::string& path);
bool exists(const std::string& path);

// Size of the entry named literally by the path (a folder counts 0), -1 when there is none.
std::int64_t entrySize(const std::string& path);

// True when the file carries an execute permission bit for anyone; Windows has none.
bool hasExecuteBit(const std::string& path);

enum class ReadStatus { Ok, Missing, Failed };
ReadStatus readWholeFile(const std::string& path, std::string& out);

// Sequential reading in blocks.
class InputFile {
public:
    virtual ~InputFile() = default;
    // Bytes read, 0 at the end, -1 on error.
    virtual long long read(char* buffer, std::size_t size) = 0;
};
// Null when the file cannot be opened.
std::unique_ptr<InputFile> openForReading(const std::string& path);

bool removeFile(const std::string& path);
// Never replaces an existing target.
bool renameEntry(const std::string& from, const std::string& to);
bool createFolders(const std::string& path);
bool copyFile(const std::string& from, const std::string& to);

enum class WriteResult { Ok, CannotCreate, CannotWrite };

// Writes to a temporary file beside the target and renames it over the target only when every
// byte is on disk: a crash or a full disk leaves the previous file whole.
class AtomicFileWriter {
public:
    // flushToDisk false skips forcing the bytes to the device before the rename: for an
    // intermediate file that is rewritten anyway, the replacement stays whole but may be lost in a crash.
    explicit AtomicFileWriter(std::string target, bool flushToDisk = true);
    ~AtomicFileWriter(); // drops the temporary file unless committed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    WriteResult open();
    bool write(std::string_view bytes);
    WriteResult commit();
    void abort();
    const std::string& temporaryPath() const { return m_temp; }

private:
    struct Handle;
    std::string m_target;
    std::string m_temp;
    std::unique_ptr<Handle> m_handle;
    bool m_failed = false;
    bool m_flushToDisk = true;
};

WriteResult writeFileAtomically(const std::string& path, std::string_view bytes);

// Test hook: every write past this many bytes (counted across writers) fails; -1 turns it off.
void setWriteFailureAfter(long long bytes);
// Consumes `size` bytes of the allowance; false when the write must fail.
bool writeAllowed(std::size_t size);

} // namespace verdan::platform
