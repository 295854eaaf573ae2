#include "catalogue/list_file.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "catalogue/chunk_writer.h"
#include "catalogue/line_reader.h"
#include "catalogue/list_codec.h"
#include "platform/files.h"
#include "util/cp1252.h"
#include "util/error.h"
#include "util/file_helpers.h"
#include "util/repair.h"
#include "util/text.h"

namespace verdan {
namespace {

constexpr std::size_t kWriteBlock = (1 << 20) + listcodec::quotedRoom(kMaxListLine);
// Below this a list loads too fast for a helper thread to pay.
constexpr std::int64_t kPrefaultFrom = 16 << 20;

// A thread joined however its scope is left.
class JoinedThread {
public:
    template <class Fn> explicit JoinedThread(Fn&& fn) : m_thread(std::forward<Fn>(fn)) {}
    ~JoinedThread() { m_thread.join(); }
    JoinedThread(const JoinedThread&) = delete;
    JoinedThread& operator=(const JoinedThread&) = delete;

private:
    std::thread m_thread;
};

// The kept lines reach the tmp.CSV writer as they are, one after the other with a line feed (no
// kept line holds one), and are quoted on its helper thread, beside the decoding of the rows.
class QuoteLines {
public:
    std::string_view operator()(std::string_view block) {
        const std::size_t need = 4 * block.size() + listcodec::kSlack;
        if (need > m_capacity) {
            m_capacity = need;
            m_out.reset(new char[need]);
        }
        const char* end = listcodec::quoteLines(block, m_out.get());
        return {m_out.get(), static_cast<std::size_t>(end - m_out.get())};
    }

private:
    std::shared_ptr<char[]> m_out;
    std::size_t m_capacity = 0;
};

std::atomic<bool> g_scratchFailureTold{false};

void tellScratchFailureOnce(Ui& ui, const std::string& path) {
    if (g_scratchFailureTold.exchange(true)) return;
    ui.showInfo(msg::cannotCreate(path) +
                "\n\n  La liste est chargée quand même : ce fichier n'est qu'une copie de travail.  ");
}

} // namespace

void resetScratchFailureNotice() {
    g_scratchFailureTold = false;
}

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

        // tmp.CSV is rewritten at every load and read by nobody: replaced whole, never forced to
        // disk, and given up when it cannot be written (a full program folder must not stop a load).
        const std::string csvPath = joinPath(programFolder, kTmpCsvName);
        std::optional<ChunkWriter> csv;
        csv.emplace(csvPath, false, kWriteBlock, QuoteLines());
        bool csvFailed = false;
        const auto csvStep = [&](auto&& step) {
            if (csvFailed) return;
            try {
                step(*csv);
            } catch (const VerdanError&) {
                csvFailed = true;
                csv.reset();
            }
        };
        csvStep([](ChunkWriter& w) { w.open(); });

        GlobalList staging;
        RowStore& rows = staging.store();
        rows.clear();
        // The rows take about the file's size: their pages are asked for on a helper thread
        // while the first ones are decoded, rather than faulted in one by one on this one.
        std::vector<RowStore::Span> ahead;
        if (const std::int64_t size = platform::entrySize(path); size > 0) {
            rows.reserveRows(static_cast<std::size_t>(size / 100) + 16);
            if (size >= kPrefaultFrom) ahead = rows.reserveBytes(static_cast<std::size_t>(size));
        }
        std::optional<JoinedThread> prefault;
        if (!ahead.empty()) {
            try {
                prefault.emplace([&ahead] { RowStore::prefault(ahead); });
            } catch (const std::system_error&) {
                // No thread to be had: the pages come as the rows are written.
            }
        }

        bool headerSeen = false;
        bool keepRows = true;
        std::string headerQuoted;
        std::string_view line;
        for (;;) {
            const LineReader::Status status = reader.next(line);
            if (status == LineReader::Status::Failed) throw VerdanError(msg::cannotOpen(path));
            if (status == LineReader::Status::End) break;
            if (trimControl(line).empty()) continue;

            csvStep([&line](ChunkWriter& w) {
                char* raw = w.room(line.size() + 1);
                std::memcpy(raw, line.data(), line.size());
                raw[line.size()] = '\n';
                w.advance(raw + line.size() + 1);
            });

            const bool isHeader = !headerSeen;
            if (isHeader) {
                headerSeen = true;
                std::string quoted(listcodec::quotedRoom(line.size()), '\0');
                const char* end = listcodec::quoteLine(line, quoted.data());
                headerQuoted = cp1252::decode(
                    std::string_view(quoted.data(), static_cast<std::size_t>(end - quoted.data()) - 2));
                if (mode == ListMode::Append) {
                    keepRows = entetes_identiques(table.rowCells(0), headerQuoted);
                    continue;
                }
            }
            if (keepRows) {
                char* start = rows.beginRow(listcodec::rowRoom(line.size()));
                rows.commitRow(static_cast<std::size_t>(listcodec::decodeRow(line, start) - start));
            }
        }
        prefault.reset();
        rows.releaseSpare();
        csvStep([](ChunkWriter& w) { w.commit(); });
        if (csvFailed) tellScratchFailureOnce(ui, csvPath);

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

void ecrire_liste(GlobalList& table, const std::string& path, const std::string& backup) {
    ChunkWriter out(path, true, kWriteBlock, {}, backup);
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
