#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Clock, locale and program-folder facts of the running system.
namespace verdan::platform {

// Milliseconds since an arbitrary start, wrapping at 2^32 like the system tick count.
std::uint32_t tickCount();
void sleepMs(unsigned milliseconds);

// The user's decimal separator (never the C library's locale, which may differ).
std::string decimalSeparator();

// Now, as the user's short date followed by a blank and the long time.
std::string nowDateTimeText();

std::string executablePath();
std::string executableFolder();
// Per-user configuration folder for VERDAN (created on demand by the caller).
std::string userConfigFolder();
// True when a file can be created in the folder.
bool folderWritable(const std::string& folder);

// The executable's folder when it can be written (a portable installation), else the per-user one.
std::string chooseProgramFolder(const std::string& exeFolder, bool exeFolderWritable,
                                const std::string& configFolder);
std::string programFolder();

// Has the system give the pages of [data, data + bytes) now rather than at their first write, where
// it can (Linux 5.14 on); touches no byte, so another thread may be writing there meanwhile.
void prefaultMemory(char* data, std::size_t bytes);
// Has large blocks of memory given back to the system as soon as they are freed, for the whole
// run: the tables of a million-row catalogue come and go (a load, a reload, a sort), and a heap
// that kept what they freed would hold it, and add it to the next peak, for the rest of the run.
void returnLargeBlocksWhenFreed();

// The name of this computer and of the user running the program, as the system gives them;
// empty when it does not.
std::string machineName();
std::string userName();

// The value of an environment variable of this process, empty when it is unset.
std::string environmentVariable(const std::string& name);

} // namespace verdan::platform
