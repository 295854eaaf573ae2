#include "util/safe_open.h"

#include <algorithm>
#include <array>

#include "platform/files.h"
#include "platform/system.h"

namespace verdan {
namespace {

// Beyond Windows' own PATHEXT, whatever the desktop starts instead of showing: installers,
// control-panel items, HTML applications, registry merges, shortcuts, Java archives, Linux
// launchers and shell scripts. Only media is opened anyway; this list still holds when a
// catalogue's own categories name such a type.
constexpr std::string_view kProgramExtensions[] = {".exe",
                                                   ".com",
                                                   ".bat",
                                                   ".cmd",
                                                   ".scr",
                                                   ".pif",
                                                   ".msi",
                                                   ".msp",
                                                   ".ps1",
                                                   ".psm1",
                                                   ".vbs",
                                                   ".vbe",
                                                   ".js",
                                                   ".jse",
                                                   ".wsf",
                                                   ".wsh",
                                                   ".hta",
                                                   ".cpl",
                                                   ".msc",
                                                   ".lnk",
                                                   ".url",
                                                   ".scf",
                                                   ".reg",
                                                   ".jar",
                                                   ".application",
                                                   ".appref-ms",
                                                   ".desktop",
                                                   ".sh",
                                                   ".run",
                                                   ".appimage",
                                                   ".chm",
                                                   ".py",
                                                   ".pyw",
                                                   ".jnlp",
                                                   ".settingcontent-ms",
                                                   ".library-ms",
                                                   ".search-ms",
                                                   ".searchconnector-ms",
                                                   ".appinstaller",
                                                   ".msix",
                                                   ".msixbundle",
                                                   ".appx",
                                                   ".appxbundle",
                                                   ".xll",
                                                   ".one",
                                                   ".iqy",
                                                   ".slk",
                                                   ".inf",
                                                   ".gadget",
                                                   ".diagcab",
                                                   ".ws",
                                                   ".wsc",
                                                   ".sct",
                                                   ".pl",
                                                   ".rb",
                                                   ".command"};

// What users keep on their disks to watch, hear and look at.
constexpr std::string_view kUsualMedia[] = {
    // video
    ".avi", ".mp4", ".m4v", ".mkv", ".mov", ".wmv", ".flv", ".webm", ".mpg", ".mpeg", ".mpe", ".m2ts", ".mts",
    ".ts", ".vob", ".ogv", ".3gp", ".divx", ".xvid", ".asf", ".rm", ".rmvb", ".m2v", ".iso",
    // audio
    ".mp3", ".ogg", ".oga", ".opus", ".flac", ".wav", ".m4a", ".mp4a", ".aac", ".wma", ".aif", ".aiff",
    ".ape", ".mka", ".mid", ".midi", ".ac3", ".dts", ".alac", ".wv",
    // pictures
    ".jpg", ".jpeg", ".png", ".gif", ".bmp", ".tif", ".tiff", ".webp", ".heic", ".heif", ".avif"};

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string_view withoutTrailingDotsAndBlanks(std::string_view s) {
    while (!s.empty() && (s.back() == '.' || s.back() == ' ')) s.remove_suffix(1);
    return s;
}

bool listedIn(std::string_view ext, std::string_view pathext) {
    while (!pathext.empty()) {
        const std::size_t semi = pathext.find(';');
        std::string_view item = pathext.substr(0, semi);
        pathext = semi == std::string_view::npos ? std::string_view{} : pathext.substr(semi + 1);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
        if (item.empty()) continue;
        std::string wanted = lowerAscii(item);
        if (wanted.front() != '.') wanted.insert(wanted.begin(), '.');
        if (wanted == ext) return true;
    }
    return false;
}

// The extension of a name as Windows reads it (final dots and blanks dropped), lower-cased.
std::string extensionOf(std::string_view part) {
    part = withoutTrailingDotsAndBlanks(part);
    const std::size_t dot = part.rfind('.');
    return dot == std::string_view::npos ? std::string() : lowerAscii(part.substr(dot));
}

bool programExtension(std::string_view part, std::string_view pathext) {
    const std::string ext = extensionOf(part);
    if (ext.empty()) return false;
    return std::find(std::begin(kProgramExtensions), std::end(kProgramExtensions), ext) !=
               std::end(kProgramExtensions) ||
           listedIn(ext, pathext);
}

std::string_view fileNamePart(std::string_view path) {
    const std::size_t sep = path.find_last_of("/\\");
    return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

} // namespace

std::string programNotStartedText(const std::string& path) {
    return "Ce fichier est un programme : par sécurité, il n'est pas lancé mais montré dans son dossier.\n" +
           path;
}

std::string notMediaText(const std::string& path) {
    return "Ce fichier n'est pas un média : par sécurité, il n'est pas ouvert mais montré dans son "
           "dossier.\n" +
           path;
}

bool isMediaFile(std::string_view path, const std::vector<std::string>& categoryExtensions) {
    // A name with a colon is a stream of another file on Windows: never media.
    const std::string_view name = fileNamePart(path);
    if (name.find(':') != std::string_view::npos) return false;
    const std::string ext = extensionOf(name);
    if (ext.size() < 2) return false;
    if (std::find(std::begin(kUsualMedia), std::end(kUsualMedia), ext) != std::end(kUsualMedia)) return true;
    return std::any_of(categoryExtensions.begin(), categoryExtensions.end(),
                       [&](const std::string& e) { return lowerAscii(e) == ext; });
}

bool hasProgramExtension(std::string_view path, std::string_view pathext) {
    std::string_view name = fileNamePart(path);
    for (;;) {
        const std::size_t colon = name.find(':');
        if (programExtension(name.substr(0, colon), pathext)) return true;
        if (colon == std::string_view::npos) return false;
        name.remove_prefix(colon + 1);
    }
}

bool startsLikeAProgram(std::string_view firstBytes) {
    return firstBytes.starts_with("\x7f"
                                  "ELF") ||
           firstBytes.starts_with("#!") || firstBytes.starts_with("MZ");
}

bool wouldRunAProgram(const std::string& path, std::string_view pathext) {
    if (hasProgramExtension(path, pathext)) return true;
    if (!platform::hasExecuteBit(path)) return false;
    auto in = platform::openForReading(path);
    if (!in) return true;
    char start[4];
    const long long n = in->read(start, sizeof start);
    if (n < 0) return true;
    return startsLikeAProgram(std::string_view(start, static_cast<std::size_t>(n)));
}

void openDocumentSafely(Ui& ui, Shell& shell, const std::string& path,
                        const std::vector<std::string>& categoryExtensions) {
    if (wouldRunAProgram(path, platform::environmentVariable("PATHEXT"))) {
        ui.showInfo(programNotStartedText(path));
        shell.showInFileManager(path);
        return;
    }
    if (!isMediaFile(path, categoryExtensions)) {
        ui.showInfo(notMediaText(path));
        shell.showInFileManager(path);
        return;
    }
    shell.openDocument(path);
}

} // namespace verdan
