#include "util/safe_open.h"

#include <algorithm>
#include <array>

#include "platform/files.h"
#include "platform/system.h"

namespace verdan {
namespace {

// Beyond Windows' own PATHEXT, whatever the desktop starts instead of showing: installers,
// control-panel items, HTML applications, registry merges, shortcuts, Java archives, Linux
// launchers and shell scripts.
constexpr std::array<std::string_view, 30> kProgramExtensions = {
    ".exe", ".com", ".bat", ".cmd", ".scr",         ".pif",       ".msi",     ".msp", ".ps1", ".psm1",
    ".vbs", ".vbe", ".js",  ".jse", ".wsf",         ".wsh",       ".hta",     ".cpl", ".msc", ".lnk",
    ".url", ".scf", ".reg", ".jar", ".application", ".appref-ms", ".desktop", ".sh",  ".run", ".appimage"};

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

bool programExtension(std::string_view part, std::string_view pathext) {
    part = withoutTrailingDotsAndBlanks(part);
    const std::size_t dot = part.rfind('.');
    if (dot == std::string_view::npos) return false;
    const std::string ext = lowerAscii(part.substr(dot));
    return std::find(kProgramExtensions.begin(), kProgramExtensions.end(), ext) != kProgramExtensions.end() ||
           listedIn(ext, pathext);
}

} // namespace

std::string programNotStartedText(const std::string& path) {
    return "Ce fichier est un programme : par sécurité, il n'est pas lancé mais montré dans son dossier.\n" +
           path;
}

bool hasProgramExtension(std::string_view path, std::string_view pathext) {
    const std::size_t sep = path.find_last_of("/\\");
    std::string_view name = sep == std::string_view::npos ? path : path.substr(sep + 1);
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

void openDocumentSafely(Ui& ui, Shell& shell, const std::string& path) {
    if (wouldRunAProgram(path, platform::environmentVariable("PATHEXT"))) {
        ui.showInfo(programNotStartedText(path));
        shell.showInFileManager(path);
        return;
    }
    shell.openDocument(path);
}

} // namespace verdan
