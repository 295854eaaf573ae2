#include "browse/typed_search.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "browse/search.h"
#include "platform/threads.h"
#include "util/dialogs.h"
#include "util/error.h"
#include "util/text.h"
#include "util/utf8.h"

namespace verdan {
namespace {

// `longer` is `shorter` with characters added at its end, letter case aside as the search has it:
// every row it finds, `shorter` finds too.
bool lengthens(const std::string& shorter, const std::string& longer) {
    if (shorter.empty() || longer.size() <= shorter.size()) return false;
    return utf8::asciiLower(longer).starts_with(utf8::asciiLower(shorter));
}

} // namespace

struct TypedSearch::Job {
    Job(std::uint64_t id, std::string text, const GlobalList& list)
        : id(id), text(std::move(text)), matcher(list, this->text) {}
    const std::uint64_t id;
    const std::string text;
    const RowMatcher matcher;
    std::optional<std::vector<std::uint32_t>> within;
    std::atomic<bool> cancelled{false};
    std::optional<std::vector<std::uint32_t>> rows;
    std::exception_ptr failure;
    std::thread thread;
};

TypedSearch::TypedSearch(ProgramState& program, BrowseState& browse, Ui& ui, std::function<void()> shown,
                         std::function<bool()> mayShow)
    : m_program(program), m_browse(browse), m_ui(ui), m_shown(std::move(shown)),
      m_mayShow(std::move(mayShow)), m_self(std::make_shared<TypedSearch*>(this)) {}

TypedSearch::~TypedSearch() {
    drop();
}

void TypedSearch::type(const std::string& text) {
    m_wanted = text;
    drop();
    if (trimControl(text).empty()) {
        if (m_browse.filterShown) {
            Button_init_filtreClick(m_browse);
            m_shown();
        }
        return;
    }
    // The result shown is already this text's.
    if (text == m_browse.searchText && resultIsWhole(m_program, m_browse)) return;
    start(text);
}

void TypedSearch::start(const std::string& text) {
    const GlobalList& list = m_program.globalList.table;
    auto job = std::make_unique<Job>(m_nextId++, text, list);
    m_lastNarrowed = lengthens(m_browse.searchText, text) && resultIsWhole(m_program, m_browse);
    if (m_lastNarrowed) {
        std::vector<std::uint32_t> rows;
        const SearchResult& result = m_browse.filter;
        rows.reserve(result.rowCount() - 1);
        for (std::size_t r = 1; r < result.rowCount(); ++r)
            rows.push_back(static_cast<std::uint32_t>(result.listRow(r)));
        // A sorted result is searched in the list's order, which a fresh search gives.
        if (!std::is_sorted(rows.begin(), rows.end())) std::sort(rows.begin(), rows.end());
        job->within = std::move(rows);
    }
    Job& j = *job;
    m_job = std::move(job);
    m_program.globalList.table.setReader(this);
    const auto search = [&j, &list] {
        try {
            j.rows = findRows(list, j.matcher, j.within ? &*j.within : nullptr, &j.cancelled);
        } catch (...) {
            j.failure = std::current_exception();
        }
    };
    std::weak_ptr<TypedSearch*> self = m_self;
    const std::uint64_t id = j.id;
    const auto deliver = [self, id] {
        if (const auto alive = self.lock()) (*alive)->finish(id);
    };
    try {
        j.thread = platform::startThread([this, search, deliver] {
            search();
            m_ui.post(deliver);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the search runs here, and shows at once.
        search();
        finish(id);
    }
}

void TypedSearch::drop() {
    if (!m_job) return;
    m_job->cancelled = true;
    if (m_job->thread.joinable()) m_job->thread.join();
    m_job.reset();
    m_held = false;
    GlobalList& list = m_program.globalList.table;
    if (list.reader() == this) list.setReader(nullptr);
}

void TypedSearch::cancel() {
    m_wanted.clear();
    drop();
}

void TypedSearch::stopReading() {
    if (!m_job) return;
    drop();
    // The change under way may leave other rows to search: the latest text is searched again once
    // it is over.
    std::weak_ptr<TypedSearch*> self = m_self;
    m_ui.post([self] {
        if (const auto alive = self.lock()) {
            TypedSearch& search = **alive;
            if (!search.m_wanted.empty() && !search.m_job) search.type(search.m_wanted);
        }
    });
}

void TypedSearch::showHeld() {
    if (m_held && m_job) finish(m_job->id);
}

void TypedSearch::finish(std::uint64_t id) {
    if (!m_job || m_job->id != id) return;
    if (m_job->thread.joinable()) m_job->thread.join();
    // Still registered as the list's reader: a change of the list meanwhile drops it.
    m_held = !m_mayShow();
    if (m_held) return;
    std::unique_ptr<Job> job = std::move(m_job);
    GlobalList& list = m_program.globalList.table;
    if (list.reader() == this) list.setReader(nullptr);
    if (job->failure) {
        // The result shown stays as it was; the user is told why the text found nothing new.
        try {
            std::rethrow_exception(job->failure);
        } catch (const std::bad_alloc&) {
            showError(m_ui, "Mémoire insuffisante");
        } catch (const std::exception& e) {
            showError(m_ui, msg::unexpected(e.what()));
        }
        return;
    }
    if (!job->rows) return;
    showSearchResult(m_program, m_browse, job->text, std::move(*job->rows));
    m_shown();
}

} // namespace verdan
