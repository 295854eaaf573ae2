#include "catalogue/list_file.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "catalogue/chunk_writer.h"
#include "catalogue/line_reader.h"
#include "catalogue/list_codec.h"
#include "platform/files.h"
#include "platform/threads.h"
#include "util/cp1252.h"
#include "util/error.h"
#include "util/file_helpers.h"
#include "util/format.h"
#include "util/repair.h"
#include "util/text.h"

namespace verdan {
namespace {

constexpr std::size_t kWriteBlock = (1 << 20) + listcodec::quotedRoom(kMaxListLine);
// Below this a list loads too fast for a helper thread to pay.
constexpr std::int64_t kPrefaultFrom = 16 << 20;
// About a hundredth of a second of reading between two looks at the window.
constexpr std::size_t kLinesBetweenProgress = 1 << 14;

// A thread joined however its scope is left.
class JoinedThread {
public:
    template <class Fn>
    explicit JoinedThread(Fn&& fn) : m_thread(platform::startThread(std::forward<Fn>(fn))) {}
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

// Hands batches of rows to a follower on a thread of its own; without a thread to be had, the
// follower runs here, batch by batch.
class FollowerThread {
public:
    explicit FollowerThread(RowFollower& follower) : m_follower(follower) {
        try {
            m_thread = platform::startThread([this] { run(); });
        } catch (const std::system_error&) {
        }
    }
    ~FollowerThread() {
        if (!m_thread.joinable()) return;
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
            m_queue.clear();
        }
        m_ready.notify_one();
        m_thread.join();
    }
    FollowerThread(const FollowerThread&) = delete;
    FollowerThread& operator=(const FollowerThread&) = delete;

    void push(std::vector<std::string_view>&& rows) {
        if (rows.empty()) return;
        if (!m_thread.joinable()) {
            m_follower.follow(rows);
            rows.clear();
            return;
        }
        {
            // A follower slower than the reading makes the reading wait rather than the batches
            // pile up: the cores are shared anyway, and memory is not spent on rows in waiting.
            std::unique_lock lock(m_mutex);
            m_room.wait(lock, [this] { return m_queue.size() < kMostWaiting; });
            m_queue.push_back(std::move(rows));
        }
        rows = {};
        m_ready.notify_one();
    }
    // Waits until every batch was followed; throws what the follower threw.
    void finish() {
        if (!m_thread.joinable()) return;
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_ready.notify_one();
        m_thread.join();
        if (m_failure) std::rethrow_exception(m_failure);
    }

private:
    void run() {
        for (;;) {
            std::vector<std::string_view> rows;
            {
                std::unique_lock lock(m_mutex);
                m_ready.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
                if (m_queue.empty()) return;
                rows = std::move(m_queue.front());
                m_queue.pop_front();
            }
            m_room.notify_one();
            if (m_failure) continue; // what is left is dropped once the follower failed
            try {
                m_follower.follow(rows);
            } catch (...) {
                m_failure = std::current_exception();
            }
        }
    }

    RowFollower& m_follower;
    std::mutex m_mutex;
    static constexpr std::size_t kMostWaiting = 8;
    std::condition_variable m_ready;
    std::condition_variable m_room;
    std::deque<std::vector<std::string_view>> m_queue;
    bool m_stopping = false;
    std::exception_ptr m_failure;
    std::thread m_thread;
};

// Rows handed to a follower at once: enough to make the hand-over cost nothing.
constexpr std::size_t kFollowBatch = 4096;

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

// Reads a list file as a job in steps: the rows are built in a table of their own, so that a
// failure leaves the caller's table whole, and reach it once every line was read.
class ListLoader {
public:
    ListLoader(GlobalList& table, const std::string& path, ListMode mode, Ui& ui, RowFollower* follower)
        : m_table(table), m_path(path), m_mode(mode), m_ui(ui), m_follower(follower) {}
    ListLoader(const ListLoader&) = delete;
    ListLoader& operator=(const ListLoader&) = delete;

    LoadResult run(const std::string& programFolder, std::int64_t* lineFeeds) {
        if (!platform::exists(m_path)) {
            m_ui.ask(DialogType::Error, " Le fichier " + m_path + " est introuvable \n\n",
                     {DialogButton::Yes});
            return LoadResult::Missing;
        }
        m_input = platform::openForReading(m_path);
        if (!m_input) throw VerdanError(msg::cannotOpen(m_path));
        m_reader.emplace(*m_input, kMaxListLine);
        openScratch(programFolder);
        const std::int64_t size = platform::entrySize(m_path);
        m_size = size;
        makeRoom(size);
        startFollowing(size);
        const struct EndProgress {
            Ui& ui;
            ~EndProgress() { ui.endProgress(); }
        } endProgress{m_ui};
        readLines();
        if (lineFeeds) *lineFeeds = static_cast<std::int64_t>(m_reader->lineFeeds());
        finishRows();
        finishScratch();
        const LoadResult result = install();
        tellCutLines();
        return result;
    }

private:
    // tmp.CSV is rewritten at every load and read by nobody: written over in place, never forced
    // to disk, and given up when it cannot be written (a full program folder must not stop a load).
    void openScratch(const std::string& programFolder) {
        m_csvPath = joinPath(programFolder, kTmpCsvName);
        m_csv.emplace(m_csvPath, ChunkWriter::Target::Scratch, kWriteBlock, QuoteLines());
        scratchStep([](ChunkWriter& w) { w.open(); });
    }
    template <class Step> void scratchStep(Step&& step) {
        if (m_csvFailed) return;
        try {
            step(*m_csv);
        } catch (const VerdanError&) {
            m_csvFailed = true;
            m_csv.reset();
        }
    }
    void copyToScratch(std::string_view line) {
        scratchStep([line](ChunkWriter& w) {
            char* raw = w.room(line.size() + 1);
            std::memcpy(raw, line.data(), line.size());
            raw[line.size()] = '\n';
            w.advance(raw + line.size() + 1);
        });
    }
    void finishScratch() {
        scratchStep([](ChunkWriter& w) { w.commit(); });
        if (m_csvFailed) tellScratchFailureOnce(m_ui, m_csvPath);
    }

    // The rows take about the file's size: their pages are asked for on a helper thread while the
    // first ones are decoded, rather than faulted in one by one on this one.
    void makeRoom(std::int64_t size) {
        RowStore& rows = m_staging.store();
        rows.clear();
        if (size > 0) {
            rows.reserveRows(static_cast<std::size_t>(size / 100) + 16);
            if (size >= kPrefaultFrom) m_ahead = rows.reserveBytes(static_cast<std::size_t>(size));
        }
        if (m_ahead.empty()) return;
        try {
            m_prefault.emplace([this] { RowStore::prefault(m_ahead); });
        } catch (const std::system_error&) {
            // No thread to be had: the pages come as the rows are written.
        }
    }
    void startFollowing(std::int64_t size) {
        if (!m_follower) return;
        m_follower->begin(static_cast<std::uint64_t>(std::max<std::int64_t>(size, 0)));
        m_following.emplace(*m_follower);
    }

    void readLines() {
        std::string_view line;
        for (;;) {
            const LineReader::Status status = m_reader->next(line);
            if (status == LineReader::Status::Failed) throw VerdanError(msg::cannotOpen(m_path));
            if (status == LineReader::Status::End) break;
            m_readBytes += line.size() + 2;
            if (++m_linesSinceProgress == kLinesBetweenProgress) tellProgress();
            if (trimControl(line).empty()) continue;
            copyToScratch(line);
            if (!m_headerSeen) {
                m_headerSeen = true;
                takeHeader(line);
                if (m_mode == ListMode::Append) continue;
            }
            if (m_keepRows) takeRow(line);
        }
    }
    // Escape stops the reading: what was read goes, and the table stays as it was.
    void tellProgress() {
        m_linesSinceProgress = 0;
        const int permille =
            m_size > 0 ? static_cast<int>(std::min<std::int64_t>(999, m_readBytes * 1000 / m_size)) : 0;
        if (!m_ui.progress(kLoadProgressText, permille)) throw LoadCancelled(msg::loadCancelled(m_path));
    }
    // Appended rows are kept only under the table's own headers.
    void takeHeader(std::string_view line) {
        std::string quoted(listcodec::quotedRoom(line.size()), '\0');
        const char* end = listcodec::quoteLine(line, quoted.data());
        m_headerQuoted = cp1252::decode(
            std::string_view(quoted.data(), static_cast<std::size_t>(end - quoted.data()) - 2));
        if (m_mode == ListMode::Append) m_keepRows = entetes_identiques(m_table.rowCells(0), m_headerQuoted);
    }
    void takeRow(std::string_view line) {
        RowStore& rows = m_staging.store();
        char* start = rows.beginRow(listcodec::rowRoom(line.size()));
        rows.commitRow(static_cast<std::size_t>(listcodec::decodeRow(line, start) - start));
        if (!m_following) return;
        if (m_batch.empty()) m_batch.reserve(kFollowBatch);
        m_batch.push_back(rows.row(rows.size() - 1));
        if (m_batch.size() == kFollowBatch) m_following->push(std::move(m_batch));
    }
    void finishRows() {
        if (m_following) {
            m_following->push(std::move(m_batch));
            m_following->finish();
        }
        m_prefault.reset();
        m_staging.store().releaseSpare();
    }

    LoadResult install() {
        LoadResult result = LoadResult::Loaded;
        if (m_mode == ListMode::Replace) {
            // A file without a single non-blank line gives the empty list, not a table without headers.
            if (m_staging.store().empty()) m_staging.resetToEmptyList();
            m_table.replaceAll(std::move(m_staging));
            m_table.ListModified = false;
        } else {
            if (m_headerSeen && m_keepRows) {
                m_table.appendRowsFrom(std::move(m_staging), 0);
            } else {
                m_ui.showInfo(" entêtes différentes, impossible de compléter  \n\n" +
                              std::string(m_table.cell(0, 0)) + "\n\n" + m_headerQuoted);
                result = LoadResult::HeadersDiffer;
            }
            m_table.ListModified = true;
        }
        if (m_table.rowCount() == 0) m_table.resetToEmptyList();
        if (m_table.rowCount() == 1) m_table.appendBlankRow();
        m_table.selectRow(1);
        return result;
    }
    // The file format keeps no longer line: the cut stays, but the user learns of it before a
    // save makes it final.
    void tellCutLines() const {
        if (!m_keepRows || m_reader->cutLines() == 0) return;
        m_ui.showInfo(" " + toText(static_cast<long long>(m_reader->cutLines())) + " ligne(s) de plus de " +
                      toText(static_cast<long long>(kMaxListLine)) +
                      " caractères ont été coupées à la lecture de \n\n " + m_path +
                      " \n\n La prochaine sauvegarde les enregistrera coupées. ");
    }

    GlobalList& m_table;
    const std::string& m_path;
    const ListMode m_mode;
    Ui& m_ui;
    RowFollower* const m_follower;

    std::unique_ptr<platform::InputFile> m_input;
    std::optional<LineReader> m_reader;
    std::string m_csvPath;
    std::optional<ChunkWriter> m_csv;
    bool m_csvFailed = false;
    GlobalList m_staging;
    std::vector<RowStore::Span> m_ahead;
    // The helper threads are declared after the rows and pages they touch, so that a failure
    // stops them before those go.
    std::optional<JoinedThread> m_prefault;
    std::optional<FollowerThread> m_following;
    std::vector<std::string_view> m_batch;
    bool m_headerSeen = false;
    std::int64_t m_size = 0;
    std::int64_t m_readBytes = 0;
    std::size_t m_linesSinceProgress = 0;
    bool m_keepRows = true;
    std::string m_headerQuoted;
};

LoadResult lire_liste(GlobalList& table, const std::string& path, ListMode mode, Ui& ui,
                      const std::string& programFolder, RowFollower* follower, std::int64_t* lineFeeds) {
    return ListLoader(table, path, mode, ui, follower).run(programFolder, lineFeeds);
}

void ecrire_liste(GlobalList& table, const std::string& path, const std::string& backup) {
    ChunkWriter out(path, ChunkWriter::Target::Saved, kWriteBlock, {}, backup);
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
    return listFileMediaCount(path, CountLines_Binary(path));
}

std::int64_t listFileMediaCount(const std::string& path, std::int64_t lineFeeds) {
    std::int64_t count = lineFeeds - 1;
    if (count > 0 && SecondLineEmpty(path)) --count;
    return std::max<std::int64_t>(count, 0);
}

} // namespace verdan
