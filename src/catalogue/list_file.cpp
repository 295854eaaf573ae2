#include "catalogue/list_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "catalogue/line_reader.h"
#include "catalogue/list_codec.h"
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

// Writes through a temporary file in blocks; any failure is reported as the target's creation.
class ChunkWriter {
public:
    ChunkWriter(std::string path, bool flushToDisk)
        : m_path(std::move(path)), m_writer(m_path, flushToDisk) {}

    void open() {
        if (m_writer.open() != platform::WriteResult::Ok) throw VerdanError(msg::cannotCreate(m_path));
    }
    // Room for `bytes` at the end of the block, writing the block out first when it is full.
    char* room(std::size_t bytes) {
        if (m_used + bytes > m_capacity) {
            flush();
            if (bytes > m_capacity) {
                m_capacity = std::max(bytes, kWriteChunk + listcodec::quotedRoom(kMaxListLine));
                m_buffer.reset(new char[m_capacity]);
            }
        }
        return m_buffer.get() + m_used;
    }
    void advance(const char* end) { m_used = static_cast<std::size_t>(end - m_buffer.get()); }
    void commit() {
        flush();
        if (m_writer.commit() != platform::WriteResult::Ok) throw VerdanError(msg::cannotCreate(m_path));
    }

private:
    void flush() {
        if (m_used > 0 && !m_writer.write(std::string_view(m_buffer.get(), m_used)))
            throw VerdanError(msg::cannotCreate(m_path));
        m_used = 0;
    }

    std::string m_path;
    platform::AtomicFileWriter m_writer;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity = 0;
    std::size_t m_used = 0;
};

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

        // tmp.CSV is rewritten at every load and read by nobody: replaced whole, never forced to disk.
        ChunkWriter csv(joinPath(programFolder, kTmpCsvName), false);
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

            char* quoted = csv.room(listcodec::quotedRoom(line.size()));
            const char* quotedStart = quoted;
            const bool isHeader = !headerSeen;
            char* row = keepRows && !(isHeader && mode == ListMode::Append)
                            ? rows.beginRow(listcodec::rowRoom(line.size()))
                            : nullptr;
            char* rowStart = row;
            listcodec::convertLine(line, quoted, row);
            csv.advance(quoted);
            if (rowStart) rows.commitRow(static_cast<std::size_t>(row - rowStart));
            if (isHeader) {
                headerSeen = true;
                headerQuoted = cp1252::decode(
                    std::string_view(quotedStart, static_cast<std::size_t>(quoted - quotedStart) - 2));
                if (mode == ListMode::Append) keepRows = entetes_identiques(table.rowCells(0), headerQuoted);
            }
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
    ChunkWriter out(path, true);
    out.open();
    std::string line;
    for (std::size_t r = 0; r < table.rowCount(); ++r) {
        const std::string_view text = table.rowText(r);
        char* start = out.room(text.size() + listcodec::kSlack + 2);
        char* end = start;
        if (!table.isEmptyRow(r)) {
            bool mayNeedRepair = false;
            end = listcodec::encodeLine(text, start, mayNeedRepair);
            if (mayNeedRepair) {
                // The repair only ever shortens a line.
                line.assign(start, end);
                RepairAccents(line);
                end = std::copy(line.begin(), line.end(), start);
            }
        }
        *end++ = '\r';
        *end++ = '\n';
        out.advance(end);
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
