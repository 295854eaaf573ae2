#include "collect/new_row.h"

#include "catalogue/index_keys.h"
#include "catalogue/media_categories.h"
#include "platform/files.h"
#include "platform/system.h"
#include "util/format.h"
#include "util/text.h"
#include "util/utf8.h"

#include <algorithm>
#include <utility>

namespace verdan {

namespace {

bool isPathSeparator(char c) {
    static const char native = platform::nativeSeparator();
    return c == '/' || c == native;
}

bool windowsPaths() {
    static const bool windows = platform::nativeSeparator() == '\\';
    return windows;
}

// Windows names a folder whatever the letter case it is written in.
bool startsWithFolder(std::string_view path, std::string_view root) {
    if (path.size() < root.size()) return false;
    const std::string_view head = path.substr(0, root.size());
    return windowsPaths() ? utf8::compareFolded(head, root) == 0 : head == root;
}

} // namespace

NewRowMaker::NewRowMaker(const DiskIdentity& disk, std::string driveRoot, int level,
                         const std::array<MediaCategory, 2>& media, std::string decimalSeparator)
    : m_disk(disk), m_driveRoot(std::move(driveRoot)), m_level(std::clamp(level, 0, kIndexLevels - 1)),
      m_decimalSeparator(std::move(decimalSeparator)) {
    for (std::size_t i = 0; i < 2; ++i) {
        m_names[i] = media[i].name;
        m_filters[i] = BuildExtensionList(media[i].extensionFilter);
    }
}

std::string NewRowMaker::mediaKind(std::string_view ext) const {
    // Decided as the scan accepts the file: a film "x.mp4" is no music because "mp4a" holds "mp4".
    const int category = ext.size() > 1 && ext.front() == '.' ? categoryOfExtension(ext, m_filters) : -1;
    return DropPluralS(category < 0 ? ext : std::string_view(m_names[static_cast<std::size_t>(category)]));
}

NewRowValues NewRowMaker::operator()(std::string_view line) const {
    platform::EntrySizes sizes;
    return (*this)(line, sizes);
}

NewRowValues NewRowMaker::operator()(std::string_view line, platform::EntrySizes& sizes) const {
    return make(line, [&](std::string_view path) { return FormatTaille(sizes(path), m_decimalSeparator); });
}

NewRowValues NewRowMaker::asFound(std::string_view line) const {
    return make(line, [&](std::string_view) { return std::string(splitFoundLine(line).size); });
}

template <class SizeText> NewRowValues NewRowMaker::make(std::string_view line, SizeText&& sizeOf) const {
    const DiskIdentity& disk = m_disk;
    const int level = m_level;
    NewRowValues v;
    const FoundLineParts parts = splitFoundLine(line);
    v.kind = foundKindOf(line, parts.path);
    const NameParts name = splitFileName(fileNameOf(parts.path, v.kind));
    v.titre = name.titre;
    v.ext = name.ext;
    v.media = mediaKind(name.ext);
    v.date = parts.date;
    switch (v.kind) {
    case FoundKind::DvdPipe:
        v.key = dvdTitleText(line, parts.path);
        v.folder = dvdFolderText(line, v.kind);
        break;
    case FoundKind::Dvd:
        v.key = dvdTitleText(line, parts.path);
        v.key += "DVD-";
        v.folder = dvdFolderText(line, v.kind);
        break;
    case FoundKind::File:
        v.folder = catalogueFolder(parts.path, m_driveRoot);
        v.size = sizeOf(parts.path);
        // The composition of cle_index, from the values the row will hold.
        v.key.reserve(v.titre.size() + v.ext.size() + disk.label.size() + disk.serial.size() + v.size.size() +
                      v.date.size() + v.folder.size());
        v.key += v.titre;
        v.key += v.ext;
        v.key += disk.label;
        v.key += disk.serial;
        if (level >= 1) v.key += v.size;
        if (level >= 2) v.key += v.date;
        if (level >= 3) v.key += v.folder;
        break;
    }
    return v;
}

std::string_view fileNameOf(std::string_view path, FoundKind kind) {
    std::size_t cut = std::string_view::npos;
    if (kind != FoundKind::File) {
        cut = path.find_last_of("\\:");
    } else {
        for (std::size_t i = path.size(); i-- > 0;) {
            const char c = path[i];
            if (isPathSeparator(c) || (c == ':' && windowsPaths())) {
                cut = i;
                break;
            }
        }
    }
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

NameParts splitFileName(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return {name, {}};
    return {name.substr(0, dot), name.substr(dot)};
}

std::string catalogueFolder(std::string_view path, std::string_view driveRoot) {
    std::string_view root = driveRoot;
    while (!root.empty() && isPathSeparator(root.back())) root.remove_suffix(1);
    std::string_view rest;
    if (!driveRoot.empty() && startsWithFolder(path, root) &&
        (path.size() == root.size() || isPathSeparator(path[root.size()]))) {
        rest = path.substr(root.size());
    } else if (path.size() >= 2 && path[1] == ':') {
        rest = path.substr(2); // another drive letter than the chosen one
    } else {
        rest = path;
    }
    std::size_t end = rest.size();
    while (end > 0 && !isPathSeparator(rest[end - 1])) --end; // the file name goes
    std::string_view folder = rest.substr(0, end);
    while (!folder.empty() && isPathSeparator(folder.front())) folder.remove_prefix(1);
    while (!folder.empty() && isPathSeparator(folder.back())) folder.remove_suffix(1);
    std::string out = ":\\";
    out.reserve(out.size() + folder.size());
    for (char c : folder) out += isPathSeparator(c) ? '\\' : c;
    return out;
}

std::string driveCell(std::string_view driveText) {
    if (!driveText.empty() && driveText.front() == '/') return std::string(driveText);
    return std::string(driveText.substr(0, utf8::offsetOfChar(driveText, 1)));
}

std::string mediaKind(std::string_view ext, const std::array<MediaCategory, 2>& media) {
    return NewRowMaker(DiskIdentity{}, {}, 0, media, ".").mediaKind(ext);
}

NewRowValues newRowValues(std::string_view line, const DiskIdentity& disk, std::string_view driveRoot,
                          int level, const std::array<MediaCategory, 2>& media) {
    return NewRowMaker(disk, std::string(driveRoot), level, media)(line);
}

} // namespace verdan
