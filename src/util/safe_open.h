#pragma once
#include <string>
#include <string_view>

#include "util/ui.h"

// A catalogue row can name any file, and a list file from someone else may name a program: the
// desktop must open documents with their application, never start the row's file itself.
namespace verdan {

// Said before a program is shown in its folder instead of being opened.
std::string programNotStartedText(const std::string& path);

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

// Opens the document with its associated application; a program is shown selected in the file
// manager instead, after a short message.
void openDocumentSafely(Ui& ui, Shell& shell, const std::string& path);

} // namespace verdan
