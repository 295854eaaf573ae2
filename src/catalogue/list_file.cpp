#include "catalogue/list_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "catalogue/line_reader.h"
#include "platform/files.h"
#include "util/cp1252.h"
#include "util/error.h"
#include "util/file_helpers.h"
#include "util/repair.h"
#include "util/text.h"
#include "util/utf8.h"

namespace verdan {
namespace {

constexpr std::size_t kWriteChunk = 1 << 20;

struct Utf8Sequence {
    std::array<char, 3> bytes{};
    unsigned char length = 0;
};

std::array<Utf8Sequence, 256> makeDecodeTable() {
    std::array<Utf8Sequence, 256> table{};
    for (int b = 0; b < 256; ++b) {
        std::string s;
        utf8::append(s, cp1252::decodeByte(static_cast<unsigned char>(b)));
        auto& entry = table[static_cast<std::size_t>(b)];
        std::copy(s.begin(), s.end(), entry.bytes.begin());
        entry.length = static_cast<unsigned char>(s.size());
    }
    return table;
}

const std::array<Utf8Sequence, 256> kDecode = makeDecodeTable();

// Length of the leading run of bytes below 0x80, eight at a time.
std::size_t asciiPrefix(const char* s, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, s + i, 8);
        if (word & 0x8080808080808080ULL) break;
    }
    while (i < n && static_cast<unsigned char>(s[i]) < 0x80) ++i;
    return i;
}

// Windows-1252 bytes to UTF-8 at `out` (room for 3 bytes a byte); returns the end.
char* decodeInto(char* out, const char* src, std::size_t n) {
    std::size_t i = 0;
    while (i < n) {
        const std::size_t run = asciiPrefix(src + i, n - i);
        std::memcpy(out, src + i, run);
        out += run;
        i += run;
        for (; i < n && static_cast<unsigned char>(src[i]) >= 0x80; ++i) {
            const Utf8Sequence& seq = kDecode[static_cast<unsigned char>(src[i])];
            std::memcpy(out, seq.bytes.data(), 3);
            out += seq.length;
        }
    }
    return out;
}

// UTF-8 to Windows-1252 appended to `out` ('?' for what has no byte). True when a byte that
// can open a mis-decoded accent sequence was written, i.e. when the line may need repairing.
bool encodeInto(std::string& out, std::string_view text) {
    bool suspicious = false;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t run = asciiPrefix(text.data() + i, text.size() - i);
        out.append(text.data() + i, run);
        i += run;
        while (i < text.size() && static_cast<unsigned char>(text[i]) >= 0x80) {
            int b = cp1252::encodeChar(utf8::next(text, i));
            if (b < 0) b = '?';
            suspicious |= b == 0xC2 || b == 0xC3 || b == 0xE2;
            out.push_back(static_cast<char>(b));
        }
    }
    return suspicious;
}

// Writes through a temporary file in blocks; any failure is reported as the target's creation.
class ChunkWriter {
public:
    explicit ChunkWriter(std::string path) : m_path(std::move(path)), m_writer(m_path) {}

    void open() {
        if (m_writer.open() != platform::WriteResult::Ok) throw VerdanError(msg::cannotCreate(m_path));
        m_buffer.reserve(kWriteChunk + 2 * kMaxListLine + 64);
    }
    std::string& buffer() { return m_buffer; }
    void flushIfFull() {
        if (m_buffer.size() >= kWriteChunk) flush();
    }
    void commit() {
        flush();
        if (m_writer.commit() != platform::WriteResult::Ok) throw VerdanError(msg::cannotCreate(m_path));
    }

private:
    void flush() {
        if (!m_buffer.empty() && !m_writer.write(m_buffer)) throw VerdanError(msg::cannotCreate(m_path));
        m_buffer.clear();
    }

    std::string m_path;
    platform::AtomicFileWriter m_writer;
    std::string m_buffer;
};

// Appends the quoted form of a line ("a";"b";"c" and CR LF). Returns where the 14th tab stands
// (the fields after it are dropped from the row) and how many tabs come before that point.
std::size_t appendQuoted(std::string& out, std::string_view line, int& tabsKept) {
    out.push_back('"');
    std::size_t start = 0, cut = line.size();
    int tabs = 0;
    for (;;) {
        const void* tab = std::memchr(line.data() + start, '\t', line.size() - start);
        if (!tab) break;
        const auto pos = static_cast<std::size_t>(static_cast<const char*>(tab) - line.data());
        out.append(line.data() + start, pos - start);
        out.append("\";\"");
        if (tabs < kListColumns && ++tabs == kListColumns) cut = pos;
        start = pos + 1;
    }
    out.append(line.data() + start, line.size() - start);
    out.append("\"\r\n");
    tabsKept = std::min(tabs, kListColumns - 1);
    return cut;
}

} // namespace

// Builds the new rows in a table of its own, so that a failure leaves the caller's table whole.
class ListLoader {
public:
    static LoadResult run(GlobalList& table, const std::string& path, ListMode mode, Ui& ui,
                          const std::string& programFolder) {
        if (!platform::exists(path)) {
            ui.ask(DialogType::Error, " Le fichier " + path + " est introuvable \n\n", {DialogButton::Yes});
            return LoadResult::Missing;
        }
        auto input = platform::openForReading(path);
        if (!input) throw VerdanError(msg::cannotOpen(path));
        LineReader reader(*input, kMaxListLine);

        ChunkWriter csv(joinPath(programFolder, kTmpCsvName));
        csv.open();

        GlobalList staging;
        RowStore& rows = staging.store();
        rows.clear();
        if (const std::int64_t size = platform::entrySize(path); size > 0)
            rows.reserveRows(static_cast<std::size_t>(size / 100) + 16);

        bool headerSeen = false;
        bool keepRows = true;
        std::string headerQuoted;
        std::string_view line;
        for (;;) {
            const LineReader::Status status = reader.next(line);
            if (status == LineReader::Status::Failed) throw VerdanError(msg::cannotOpen(path));
            if (status == LineReader::Status::End) break;
            if (trimControl(line).empty()) continue;

            std::string& buffer = csv.buffer();
            const std::size_t quotedAt = buffer.size();
            int tabsKept = 0;
            const std::size_t cut = appendQuoted(buffer, line, tabsKept);
            if (!headerSeen) {
                headerSeen = true;
                headerQuoted =
                    cp1252::decode(std::string_view(buffer).substr(quotedAt, buffer.size() - quotedAt - 2));
                if (mode == ListMode::Append) {
                    keepRows = entetes_identiques(table.rowCells(0), headerQuoted);
                    continue;
                }
            }
            if (keepRows) {
                char* start = rows.beginRow(cut * 3 + kListColumns);
                char* end = decodeInto(start, line.data(), cut);
                end = std::fill_n(end, kListColumns - 1 - tabsKept, '\t');
                rows.commitRow(static_cast<std::size_t>(end - start));
            }
            csv.flushIfFull();
        }
        input.reset();
        csv.commit();

        LoadResult result = LoadResult::Loaded;
        if (mode == ListMode::Replace) {
            // A file without a single non-blank line gives the empty list, not a table without headers.
            if (rows.empty()) staging.resetToEmptyList();
            table.replaceAll(std::move(staging));
            table.ListModified = false;
        } else {
            if (headerSeen && keepRows) {
                table.appendRowsFrom(std::move(staging), 0);
            } else {
                ui.showInfo(" entêtes différentes, impossible de compléter  \n\n" +
                            std::string(table.cell(0, 0)) + "\n\n" + headerQuoted);
                result = LoadResult::HeadersDiffer;
            }
            table.ListModified = true;
        }
        if (table.rowCount() == 0) table.resetToEmptyList();
        if (table.rowCount() == 1) table.appendBlankRow();
        table.selectRow(1);
        return result;
    }
};

LoadResult lire_liste(GlobalList& table, const std::string& path, ListMode mode, Ui& ui,
                      const std::string& programFolder) {
    return ListLoader::run(table, path, mode, ui, programFolder);
}

void ecrire_liste(GlobalList& table, const std::string& path) {
    ChunkWriter out(path);
    out.open();
    std::string line;
    for (std::size_t r = 0; r < table.rowCount(); ++r) {
        std::string& buffer = out.buffer();
        if (!table.isEmptyRow(r)) {
            line.clear();
            if (encodeInto(line, table.rowText(r))) RepairAccents(line);
            buffer.append(line);
        }
        buffer.append("\r\n");
        out.flushIfFull();
    }
    out.commit();
    table.ListModified = false;
}

std::int64_t listFileMediaCount(const std::string& path) {
    std::int64_t count = CountLines_Binary(path) - 1;
    if (count > 0 && SecondLineEmpty(path)) --count;
    return std::max<std::int64_t>(count, 0);
}

} // namespace verdan
