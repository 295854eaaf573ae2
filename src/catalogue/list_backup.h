#pragma once
#include <string>

#include "platform/files.h"

// The backup of a list file: its name, its rotation by a save, Undo's swap with the list and its
// restore when it is all that is left. Every step puts a whole file under a name in one move, so
// that whatever fails at whatever moment, the list's name holds the previous list or the new one,
// whole, and the backup a whole earlier list.
namespace verdan {

// The list file's path with ".bak" in place of its extension.
std::string listBackupPath(const std::string& listFile);

// The step of a save between the new list being whole on disk and its move over the list file:
// the backup is replaced, in one move, by a second name of the list file about to be replaced.
// True when there is no list file yet. An empty backup path gives no step: no backup is kept.
platform::AtomicFileWriter::BeforeReplace listBackupRotation(std::string backup);

// Undo: exchanges two files of one folder. Each name holds one of the two whole files at every
// moment, and a failure puts both back: false when either is missing or the exchange failed.
bool echanger_fichiers(const std::string& a, const std::string& b);

// Whether the backup is all that is left of the list: a save or an Undo killed half-way by an
// older version could leave it alone.
bool onlyBackupLeft(const std::string& listFile, const std::string& backup);

// Gives the list file a copy of the backup, forced to disk; the backup stays as it is.
bool restoreListBackup(const std::string& listFile, const std::string& backup);

} // namespace verdan
