#pragma once
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace verdan {

enum class DialogType { Confirmation, Information, Error, Warning };
enum class DialogButton { Yes, No, Ok, Cancel };
enum class SystemSound { Question, Asterisk };

// Title shown on a typed dialog: "Confirmation", "Information", "Erreur", "Avertissement".
const char* dialogTitle(DialogType type);
// Caption of a standard button: "&Oui", "&Non", "OK", "Annuler".
const char* buttonCaption(DialogButton button);

// Everything the core shows, asks or starts on screen goes through this port, so that tests
// can script the answers and check every text byte for byte.
class Ui {
public:
    virtual ~Ui() = default;

    // Plain box with the application's title, no icon, one OK button.
    virtual void showInfo(const std::string& text) = 0;
    // Typed modal dialog; returns the button pressed (Cancel or No when closed without one).
    virtual DialogButton ask(DialogType type, const std::string& text, std::vector<DialogButton> buttons) = 0;
    // Confirmation with three captioned buttons: 0, 1, 2 (2 also for Escape), -1 otherwise.
    virtual int askThreeChoices(const std::string& text, const std::string& first, const std::string& second,
                                const std::string& third, int buttonWidth) = 0;
    // The same where words of the text open a list the user can read before answering: each
    // detail's `words` stand in `text` as they are. Without a way to show them, the plain question.
    struct Detail {
        std::string words;
        std::string title;
        std::vector<std::string> lines;
    };
    virtual int askThreeChoicesWithDetails(const std::string& text, const std::vector<Detail>& details,
                                           const std::string& first, const std::string& second,
                                           const std::string& third, int buttonWidth) {
        (void)details;
        return askThreeChoices(text, first, second, third, buttonWidth);
    }
    // Empty when the user cancels.
    virtual std::optional<std::string> chooseFile(const std::string& title, const std::string& filter,
                                                  const std::string& initialFolder) = 0;
    virtual std::optional<std::string> chooseFolder(const std::string& title,
                                                    const std::string& initialFolder) = 0;
    virtual void setBusy(bool busy) = 0;
    virtual void processEvents() = 0;
    // One attempt at putting the text on the clipboard; false when the clipboard is not available.
    virtual bool trySetClipboardText(const std::string& text) = 0;
    // Asynchronous: returns at once.
    virtual void playSound(SystemSound sound) = 0;
    // Blocks the calling thread (the user-interface thread for the callers of the core).
    virtual void pause(unsigned milliseconds) = 0;
    // Runs fn on the user-interface thread and returns when it has run.
    virtual void runOnUiThread(const std::function<void()>& fn) = 0;
    // A long reading shows how far it went (permille of 1000) with `text`, and the user may stop
    // it (Escape): false once asked to. The window stays painted between calls; endProgress takes
    // the progress away. Without a way to show it, nothing is shown and nothing stops.
    virtual bool progress(const std::string& text, int permille) {
        (void)text;
        (void)permille;
        return true;
    }
    virtual void endProgress() {}
    // Runs fn later on the user-interface thread, once what runs there now is over; callable from
    // any thread, returns at once. Without an event loop of its own, a Ui keeps fn until
    // runPosted, which its user-interface thread calls.
    virtual void post(std::function<void()> fn);
    // Runs what post kept, in order, including what it posts meanwhile; returns how many ran.
    std::size_t runPosted();

private:
    std::mutex m_postedMutex;
    std::deque<std::function<void()>> m_posted;
};

// The hourglass for the span of a scope, also when what runs in it throws.
class BusyScope {
public:
    explicit BusyScope(Ui& ui) : m_ui(ui) { m_ui.setBusy(true); }
    ~BusyScope() { release(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    // The normal pointer back before the scope ends (before a closing message, say).
    void release() {
        if (!m_on) return;
        m_on = false;
        m_ui.setBusy(false);
    }

private:
    Ui& m_ui;
    bool m_on = true;
};

// Opens documents and folders with what the desktop associates with them; never a command line.
class Shell {
public:
    virtual ~Shell() = default;
    virtual bool openDocument(const std::string& path) = 0;
    virtual bool showInFileManager(const std::string& path) = 0;
    virtual bool openFolder(const std::string& path) = 0;
};

} // namespace verdan
