#include "catalogue/list_lock.h"

#include "catalogue/ini_file.h"
#include "platform/system.h"
#include "util/format.h"

namespace verdan {
namespace {

constexpr const char* kSection = "VERROU";

std::string lockBytes(const LockHolder& holder) {
    // The installation's scope: a user or computer name that Windows-1252 cannot spell stays whole.
    IniFile ini(std::string(), IniFile::Scope::Installation);
    ini.writeString(kSection, "machine", holder.machine);
    ini.writeString(kSection, "utilisateur", holder.user);
    ini.writeInteger(kSection, "processus", holder.process);
    ini.writeString(kSection, "depuis", holder.since);
    return ini.serialize();
}

LockHolder holderOf(const std::string& bytes) {
    IniFile ini;
    ini.parseBytes(bytes);
    LockHolder holder;
    holder.machine = ini.readString(kSection, "machine", "");
    holder.user = ini.readString(kSection, "utilisateur", "");
    holder.process = static_cast<long>(ini.readInteger(kSection, "processus", 0));
    holder.since = ini.readString(kSection, "depuis", "");
    return holder;
}

// The lock file's bytes. A program that has just made it may not have written them yet: an empty
// file is read again a moment later.
platform::ReadStatus readLock(const std::string& path, std::string& bytes) {
    platform::ReadStatus status = platform::readWholeFile(path, bytes);
    for (int i = 0; i < 5 && status == platform::ReadStatus::Ok && bytes.empty(); ++i) {
        platform::sleepMs(20);
        status = platform::readWholeFile(path, bytes);
    }
    return status;
}

// A lock whose program has ended on this computer. One on another computer cannot be known, nor
// one that names no process.
bool abandoned(const LockHolder& holder) {
    if (holder.machine.empty() || holder.process <= 0 || holder.machine != platform::machineName())
        return false;
    // This process's own id in a lock it does not hold: left by an earlier program (before a
    // restart of the computer).
    return holder.process == platform::currentProcessId() || !platform::processAlive(holder.process);
}

} // namespace

std::string lockFilePath(const std::string& listFile) {
    return listFile + kLockSuffix;
}

LockHolder currentHolder() {
    LockHolder holder;
    holder.machine = platform::machineName();
    holder.user = platform::userName();
    holder.process = platform::currentProcessId();
    // Whole, seconds included: the date label's cut to 16 characters would leave "17:09:1" where
    // the short date has fewer than ten.
    holder.since = platform::nowDateTimeText();
    return holder;
}

std::string holderText(const LockHolder& holder) {
    if (holder.user.empty() && holder.machine.empty()) return "un autre programme";
    std::string text = holder.user.empty() ? "un utilisateur" : holder.user;
    if (!holder.machine.empty()) text += " sur " + holder.machine;
    if (!holder.since.empty()) text += " depuis " + holder.since;
    return text;
}

std::string readOnlyMessage(const LockHolder& holder, const std::string& listFile) {
    return "  Liste ouverte en lecture seule : elle est ouverte par " + holderText(holder) + "  \n\n    " +
           listFile + "\n\n  Rien n'est enregistré. ";
}

ListLock& ListLock::operator=(ListLock&& other) noexcept {
    if (this != &other) {
        release();
        m_file = std::move(other.m_file);
        m_listFile = std::move(other.m_listFile);
        m_bytes = std::move(other.m_bytes);
    }
    return *this;
}

ListLock::Outcome ListLock::create(const std::string& listFile, LockHolder& holder) {
    const std::string bytes = lockBytes(currentHolder());
    switch (m_file.create(lockFilePath(listFile), bytes)) {
    case platform::HeldFile::Result::Created:
        m_listFile = listFile;
        m_bytes = bytes;
        return Outcome::Taken;
    case platform::HeldFile::Result::Failed:
        return Outcome::Unavailable;
    case platform::HeldFile::Result::Exists:
        break;
    }
    std::string found;
    readLock(lockFilePath(listFile), found);
    holder = holderOf(found);
    return Outcome::HeldByOther;
}

bool ListLock::removeLock(const std::string& lockPath, const std::string& bytes) {
    const std::string aside = platform::temporaryName(lockPath);
    if (!platform::renameEntry(lockPath, aside)) return !platform::exists(lockPath);
    std::string moved;
    platform::readWholeFile(aside, moved);
    if (moved == bytes) {
        platform::removeFile(aside);
        return true;
    }
    // Another program took it over in between: its lock goes back.
    if (!platform::renameEntry(aside, lockPath)) platform::removeFile(aside);
    return false;
}

ListLock::Outcome ListLock::take(const std::string& listFile, LockHolder& holder) {
    release();
    const std::string path = lockFilePath(listFile);
    // A few rounds: each lost race against another program taking an abandoned lock starts again.
    for (int round = 0; round < 3; ++round) {
        const Outcome outcome = create(listFile, holder);
        if (outcome != Outcome::HeldByOther) return outcome;
        std::string bytes;
        const platform::ReadStatus status = readLock(path, bytes);
        if (status == platform::ReadStatus::Missing) continue;
        holder = holderOf(bytes);
        if (status != platform::ReadStatus::Ok || !abandoned(holder)) return Outcome::HeldByOther;
        removeLock(path, bytes);
    }
    return Outcome::HeldByOther;
}

ListLock::Outcome ListLock::takeOver(const std::string& listFile, LockHolder& holder) {
    release();
    const std::string path = lockFilePath(listFile);
    std::string bytes;
    const platform::ReadStatus status = readLock(path, bytes);
    if (status == platform::ReadStatus::Missing) return take(listFile, holder);
    if (status == platform::ReadStatus::Failed) return Outcome::HeldByOther;
    // The user decided about the holder shown: another one since is asked about again.
    if (holderOf(bytes) != holder) {
        holder = holderOf(bytes);
        return Outcome::HeldByOther;
    }
    if (!removeLock(path, bytes)) {
        std::string now;
        readLock(path, now);
        holder = holderOf(now);
        return Outcome::HeldByOther;
    }
    return create(listFile, holder);
}

bool ListLock::confirm(LockHolder& holder) {
    if (!held()) return false;
    const std::string path = lockFilePath(m_listFile);
    std::string bytes;
    switch (platform::readWholeFile(path, bytes)) {
    case platform::ReadStatus::Failed:
        // Unreadable now: nothing says that another program has it.
        return true;
    case platform::ReadStatus::Missing: {
        m_file.close(false);
        const std::string listFile = m_listFile;
        return create(listFile, holder) == Outcome::Taken;
    }
    case platform::ReadStatus::Ok:
        break;
    }
    if (bytes == m_bytes) return true;
    holder = holderOf(bytes);
    // Its lock now: it stays when this program lets go.
    m_file.close(false);
    m_listFile.clear();
    m_bytes.clear();
    return false;
}

void ListLock::release() {
    if (!held()) return;
    std::string bytes;
    const platform::ReadStatus status = platform::readWholeFile(lockFilePath(m_listFile), bytes);
    m_file.close(status == platform::ReadStatus::Ok && bytes == m_bytes);
    m_listFile.clear();
    m_bytes.clear();
}

} // namespace verdan
