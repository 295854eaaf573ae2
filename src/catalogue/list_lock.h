#pragma once
#include <string>

#include "platform/files.h"

namespace verdan {

// The lock file beside a list file, while a program has the list open: the list file's path
// with ".verrou" added ("liste_globale_médias.txt.verrou"). It names the computer, the user and
// the process that hold the list, and since when.
inline constexpr const char* kLockSuffix = ".verrou";
std::string lockFilePath(const std::string& listFile);

struct LockHolder {
    std::string machine;
    std::string user;
    long process = 0;
    std::string since;
    bool operator==(const LockHolder&) const = default;
};

// This program, now.
LockHolder currentHolder();
// "anna sur PC-ANNA depuis 12/06/2026 22:45"; "un autre programme" for a lock that says nothing.
std::string holderText(const LockHolder& holder);

// What a write refused because the list is open read-only says.
std::string readOnlyMessage(const LockHolder& holder, const std::string& listFile);

// The lock of one list file, held by this program.
class ListLock {
public:
    enum class Outcome { Taken, HeldByOther, Unavailable };

    ListLock() = default;
    ~ListLock() { release(); }
    ListLock(ListLock&&) noexcept = default;
    ListLock& operator=(ListLock&& other) noexcept;
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;

    // Takes the lock of `listFile`. One left by a program that has ended on this computer is taken
    // over; one held by a running program, or by one on another computer (which cannot be known),
    // gives HeldByOther and who holds it. Unavailable: no lock file can be made there (a folder
    // that does not exist yet, a medium that cannot be written).
    Outcome take(const std::string& listFile, LockHolder& holder);
    // Takes the lock although `holder` has it, as the user decided. HeldByOther when the lock
    // changed meanwhile or cannot be removed (on Windows while its program still holds it open).
    Outcome takeOver(const std::string& listFile, LockHolder& holder);
    // Whether the lock file still names this program. A lock file removed meanwhile is made again.
    // False, with who holds it now, when another program has taken it over.
    bool confirm(LockHolder& holder);
    // Removes the lock file, unless another program has taken it over.
    void release();

    bool held() const { return m_file.held(); }
    const std::string& listFile() const { return m_listFile; }

private:
    Outcome create(const std::string& listFile, LockHolder& holder);
    // Moves away a lock file that says `bytes`, so that of two programs taking it over at once
    // only one does; false when it said something else by then.
    static bool removeLock(const std::string& lockPath, const std::string& bytes);

    platform::HeldFile m_file;
    std::string m_listFile;
    std::string m_bytes;
};

} // namespace verdan
