#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The found line: the text one scanned file (or one DVD of an imported list) makes in the found
// list, which the adding turns into a catalogue row. Built, cut and checked here only.
namespace verdan {

// A scanned file: "yyyy-mm-dd hh:nn", three blanks, the size text padded to 15 characters,
// "    >    ", the path.
std::string makeFoundLine(std::string_view modified, std::int64_t size, std::string_view path,
                          std::string_view decimalSeparator);
// A DVD of an imported list: its date, "  >   -DVD", then `entry` (number and title).
std::string makeDvdFoundLine(std::string_view date, std::string_view entry);

// The parts of a found line, pointing into it. Its first ">" ends the date and the size: a path may
// hold more of them.
struct FoundLineParts {
    std::string_view date; // trimmed, at most 16 characters; empty when the line has no ">"
    std::string_view size; // what follows the date up to ">", trimmed; empty in a DVD's line
    std::string_view path; // trimmed; the whole line when it has no ">"
};
FoundLineParts splitFoundLine(std::string_view line);

// The path of a found line as a string of its own.
std::string foundLinePath(std::string_view line);

// The size part of a found line says "N/A"; a line without ">" is all size part.
bool hasUnreadableSize(std::string_view line);

enum class FoundKind { File, Dvd, DvdPipe };
// What the DVD import writes starts its path part with "-DVD" (or "DVD|" for the pipe form); any
// other line names a scanned file, whatever its name holds ("Film-DVDRip.avi" is a file).
FoundKind foundKindOf(std::string_view line, std::string_view path);

// The text after the first ":\" of a DVD's line; its whole path part when it has none.
std::string_view dvdTitleText(std::string_view line, std::string_view path);
// What a DVD's line gives the folder cell of its row: the fourth of its parts cut at "-" ("DVD"
// and the number), or the first and the third cut at "|" in the pipe form.
std::string dvdFolderText(std::string_view line, FoundKind kind);

// The N/A list shows a found line followed by " = " and its position in the found list; the path
// may hold " = " too, so the position is what follows the last one.
std::string unreadableListEntry(std::string_view line, std::size_t position);
// The line of a position of the N/A list: its found line, without the " = " and position added.
std::string unreadableListLine(std::string_view entry);

} // namespace verdan
