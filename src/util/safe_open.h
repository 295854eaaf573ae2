#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "util/ui.h"

// A catalogue row can name any file, and a list file from someone else may name a program: the
// desktop must open documents with their application, never start the row's file itself.
namespace verdan {

// Said before a program is shown in its folder instead of being opened.
std::string programNotStartedText(const std::string& path);
// Said before a file that is no media is shown in its folder instead of being opened.
std::string notMediaText(const std::string& path);

// True when the path's extension is one of the usual video, audio and image extensions, or one of
// `categoryExtensions` (".avi", as the catalogue's categories list them), letter case aside.
bool isMediaFile(std::string_view path, const std::vector<std::string>& categoryExtensions);

// True when the extension of the path's file name is one the desktop runs rather than opens: a
// fixed set of program, script and shortcut types, and those listed in `pathext` (";"-separated,
// as Windows' PATHEXT). Windows drops trailing dots and blanks, and reads "a.exe:b" as a stream
// of a.exe, so those hide no extension.
bool hasProgramExtension(std::string_view path, std::string_view pathext);

// True when a file starting with these bytes is started by the system when run: a native binary,
// a DOS or Windows binary (which Wine's registration runs) or a script with its interpreter line.
bool startsLikeAProgram(std::string_view firstBytes);

// True when handing the file to the desktop could start it: a program extension, or an execute
// bit on a file that starts like a program (or cannot be read to tell). Media on FAT and NTFS
// disks carry execute bits everywhere, so the bit alone says nothing.
bool wouldRunAProgram(const std::string& path, std::string_view pathext);

// Opens the document with its associated application when it is media (isMediaFile) and no
// program; anything else is shown selected in the file manager instead, after a short message.
// Whatever a desktop might do with other types (help files, scripts, installers, shortcuts of
// every kind), only media is ever handed to it.
void openDocumentSafely(Ui& ui, Shell& shell, const std::string& path,
                        const std::vector<std::string>& categoryExtensions = {});

} // namespace verdan
