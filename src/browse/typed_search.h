#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "browse/browse_state.h"
#include "catalogue/program_state.h"
#include "util/ui.h"

namespace verdan {

// The search as the user types: each text is searched on worker threads while the window goes on,
// and its result shown when found, unless a newer text came first. A text that lengthens the one
// whose result is shown searches that result only; any other searches the whole list. The list
// stops a search before any change of its rows; the latest text is then searched again once the
// change is over.
class TypedSearch : public ListReader {
public:
    // `shown` runs on the user-interface thread after the table shown changed. A result found
    // while `mayShow` says no is held until showHeld.
    TypedSearch(
        ProgramState& program, BrowseState& browse, Ui& ui, std::function<void()> shown,
        std::function<bool()> mayShow = [] { return true; });
    ~TypedSearch() override;
    TypedSearch(const TypedSearch&) = delete;
    TypedSearch& operator=(const TypedSearch&) = delete;

    // The search box's text after a pause in the typing. A blank text gives the full table back
    // at once; so does nothing else.
    void type(const std::string& text);
    // The search under way is dropped and never shows; what is shown stays.
    void cancel();
    // A search is under way, or found and about to show.
    bool pending() const { return m_job != nullptr; }
    // The last search started looked only in the result shown.
    bool lastNarrowed() const { return m_lastNarrowed; }

    // Shows a result held back, if any.
    void showHeld();

    void stopReading() override;

private:
    struct Job;
    void start(const std::string& text);
    void drop();
    void finish(std::uint64_t id);

    ProgramState& m_program;
    BrowseState& m_browse;
    Ui& m_ui;
    std::function<void()> m_shown;
    std::function<bool()> m_mayShow;
    bool m_held = false;
    std::unique_ptr<Job> m_job;
    std::uint64_t m_nextId = 1;
    // The text last typed and not cancelled: searched again after a change of the list.
    std::string m_wanted;
    bool m_lastNarrowed = false;
    // What was posted to the user-interface thread finds this object through it, or nothing.
    std::shared_ptr<TypedSearch*> m_self;
};

} // namespace verdan
