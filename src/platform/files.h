#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// File operations on UTF-8 paths (wide calls on Windows). Failures are results, not exceptions:
// the callers know which French message fits.
namespace verdan::platform {

char nativeSeparator();
// Whether the system tells file names apart by their letter case (Linux does, Windows does not).
bool fileNamesCaseSensitive();
bool isFile(const std::string& path);
bool isFolder(const std::string& path);
bool exists(const std::string& path);
// True when both paths name one and the same existing folder, however they reach it (links,
// letter case, a final separator).
bool sameFolder(const std::string& a, const std::string& b);

// Size of the entry named literally by the path (a folder counts 0), -1 when there is none.
// Paths longer than the system's limit are followed too.
std::int64_t entrySize(const std::string& path);

// entrySize for many paths in a row, of which many share a folder (the lines of a scan): a folder
// met again is kept open, so that its next entries are found without walking the whole path again.
// For one thread; the folders it holds close with it.
class EntrySizes {
public:
    EntrySizes();
    ~EntrySizes();
    EntrySizes(const EntrySizes&) = delete;
    EntrySizes& operator=(const EntrySizes&) = delete;
    std::int64_t operator()(std::string_view path);

private:
    struct Folders;
    std::unique_ptr<Folders> m_folders;
};

enum class EntryAccess { Ok, Missing, Refused, Failed };
// Whether the entry named literally by the path can be looked up, and if not, why.
EntryAccess entryAccess(const std::string& path);
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

// What a file is now, cheaply: its size, its modification time (in the system's own units) and
// up to `edge` bytes of its head and of its tail, all read through one opening.
struct FileSample {
    std::int64_t size = 0;
    std::int64_t modified = 0;
    std::string head;
    std::string tail; // empty when the head already holds the whole file
};
ReadStatus sampleFile(const std::string& path, std::size_t edge, FileSample& out);

// A small file made anew and kept open while the object lives, to say that this program holds
// what it names. On Windows it is opened without FILE_SHARE_DELETE, so that no one can remove or
// rename it while it is held; other programs can still read it.
class HeldFile {
public:
    enum class Result { Created, Exists, Failed };
    HeldFile();
    ~HeldFile(); // closes the file and leaves it in place
    HeldFile(HeldFile&& other) noexcept;
    HeldFile& operator=(HeldFile&& other) noexcept;
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Creates the file with these bytes, never over an existing one.
    Result create(const std::string& path, std::string_view bytes);
    bool held() const;
    // Closes the file, then removes it when `remove`; false when it should have gone and did not.
    bool close(bool remove);

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    std::string m_path;
};

// Whether the system lets a file carry this name (Windows refuses <>:"/\|?*, control
// characters, a final dot or blank and device names such as CON).
bool acceptableFileName(std::string_view name);

bool removeFile(const std::string& path);
// Never replaces an existing target.
bool renameEntry(const std::string& from, const std::string& to);
bool createFolders(const std::string& path);
bool copyFile(const std::string& from, const std::string& to);

// Puts `from` in the place of `to` in one step, whether `to` exists or not (same folder).
bool replaceEntry(const std::string& from, const std::string& to);
// Gives a file's content a second, new name: a hard link where the file system has them, else a
// copy forced to disk. Neither name is ever written in place afterwards, so sharing is safe.
bool duplicateEntry(const std::string& from, const std::string& to);
// Forces the renames done in a folder to disk, so that a power cut cannot undo them.
bool syncFolder(const std::string& folder);
// Forces these files of `folder`, and then the folder's renames, to disk in one batch; false when
// one of them could not be.
bool syncFiles(const std::vector<std::string>& paths, const std::string& folder);
enum class ExchangeResult { Done, Unsupported, Failed };
// Swaps two files' contents in one step where the system can (Linux renameat2); Unsupported
// otherwise, and nothing has changed.
ExchangeResult exchangeEntries(const std::string& a, const std::string& b);
// Names of the entries of a folder (not "." or ".."); empty when it cannot be read.
std::vector<std::string> folderEntries(const std::string& folder);
long currentProcessId();
bool processAlive(long pid);

// A fresh name beside `path` for a file being made: path + ".tmp" + process id + "_" + counter.
std::string temporaryName(const std::string& path);
// The process id in a name that temporaryName made, or -1 when the name is not one of those.
long temporaryNameOwner(const std::string& name);

enum class WriteResult { Ok, CannotCreate, CannotWrite };

// Why the system refused to make or write a file, as far as it said: a name it does not take is
// the file's own trouble, a full disk or an input/output error the whole folder's.
enum class FileFailure { None, NameRefused, NoRoom, Refused, InputOutput };
// The failure of the last file call of this thread that failed.
FileFailure lastFileFailure();

// A file written from its start in sequence, made final by commit.
class FileSink {
public:
    virtual ~FileSink() = default;
    virtual WriteResult open() = 0;
    virtual bool write(std::string_view bytes) = 0;
    virtual WriteResult commit() = 0;
};

// Writes to a temporary file beside the target and renames it over the target only when every
// byte is on disk: a crash or a full disk leaves the previous file whole.
class AtomicFileWriter : public FileSink {
public:
    // A step of commit between the new file being whole on disk and its move over the target,
    // given the target's path (a backup of the file about to be replaced); false fails the commit
    // and leaves the target as it was.
    using BeforeReplace = std::function<bool(const std::string& target)>;

    // flushToDisk false skips forcing the bytes to the device before the rename: for an
    // intermediate file that is rewritten anyway, the replacement stays whole but may be lost in a crash.
    explicit AtomicFileWriter(std::string target, bool flushToDisk = true, BeforeReplace beforeReplace = {});
    ~AtomicFileWriter() override; // drops the temporary file unless committed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    WriteResult open() override;
    bool write(std::string_view bytes) override;
    // Appends the next bytes of `in`, at most `size`: where the system can, without passing them
    // through the program, otherwise through `buffer`. Returns how many, 0 at the end of `in`,
    // kReadFailed or kWriteFailed.
    static constexpr long long kReadFailed = -1;
    static constexpr long long kWriteFailed = -2;
    long long writeFrom(InputFile& in, char* buffer, std::size_t size);
    WriteResult commit() override;
    void abort();
    // Why open or a write failed, when the system said (None for a failure injected by a test).
    FileFailure failure() const { return m_failure; }

private:
    // Forces the bytes to disk (when asked) and closes the temporary file.
    bool closeTemporary();
    long long writeThroughBuffer(InputFile& in, char* buffer, std::size_t size);

    struct Handle;
    std::string m_target;
    BeforeReplace m_beforeReplace;
    std::string m_temp;
    std::unique_ptr<Handle> m_handle;
    bool m_failed = false;
    FileFailure m_failure = FileFailure::None;
    bool m_flushToDisk = true;
};

WriteResult writeFileAtomically(const std::string& path, std::string_view bytes);

// Rewrites a working file that nobody reads back (a scratch copy) over its previous version, in
// place: the pages the system caches for it are written over rather than freed and taken anew,
// and no rename over it makes the file system force the new blocks out before it returns (a
// list of a million rows spends more time there than in its reading). A file that is not a plain
// one, or has other names, is removed first so that nothing else is written through it. Until
// commit, the file holds a mixture of both versions; an abandoned one ends where the writing stopped.
class ScratchFileWriter : public FileSink {
public:
    explicit ScratchFileWriter(std::string target);
    ~ScratchFileWriter() override;
    ScratchFileWriter(const ScratchFileWriter&) = delete;
    ScratchFileWriter& operator=(const ScratchFileWriter&) = delete;

    WriteResult open() override;
    bool write(std::string_view bytes) override;
    // Cuts the file where the writing stopped and closes it.
    WriteResult commit() override;

private:
    bool cutAndClose();

    struct Handle;
    std::string m_target;
    std::unique_ptr<Handle> m_handle;
    bool m_failed = false;
};

// Test hook: every write past this many bytes (counted across writers) fails; -1 turns it off.
void setWriteFailureAfter(long long bytes);
// Consumes `size` bytes of the allowance; false when the write must fail.
bool writeAllowed(std::size_t size);

// Test hooks for I/O failures: every create, write, sync, close, rename, link, copy, removal and
// folder sync of the file operations above counts as one operation; the operation numbered
// `n` (from 1, counted from this call) fails. With `sticky` (a disk that stays full) every later
// operation that needs room fails too; renames and removals still work.
// 0 turns the failures off.
namespace faults {
enum class Op { NeedsRoom, Other };
void failOperation(long long n, bool sticky = false);
long long operationsSeen();
// Whether the next operation may go on; counts it.
bool allowed(Op op = Op::NeedsRoom);
// Lets tests take the path of the systems that cannot swap two files in one step.
void setExchangeSupported(bool supported);
bool exchangeSupported();
} // namespace faults

} // namespace verdan::platform
