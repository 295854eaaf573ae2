#include "util/ui.h"

#include <utility>

namespace verdan {

void Ui::post(std::function<void()> fn) {
    std::lock_guard lock(m_postedMutex);
    m_posted.push_back(std::move(fn));
}

std::size_t Ui::runPosted() {
    std::size_t ran = 0;
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard lock(m_postedMutex);
            if (m_posted.empty()) return ran;
            fn = std::move(m_posted.front());
            m_posted.pop_front();
        }
        fn();
        ++ran;
    }
}

const char* dialogTitle(DialogType type) {
    switch (type) {
    case DialogType::Confirmation:
        return "Confirmation";
    case DialogType::Information:
        return "Information";
    case DialogType::Error:
        return "Erreur";
    case DialogType::Warning:
        return "Avertissement";
    }
    return "";
}

const char* buttonCaption(DialogButton button) {
    switch (button) {
    case DialogButton::Yes:
        return "&Oui";
    case DialogButton::No:
        return "&Non";
    case DialogButton::Ok:
        return "OK";
    case DialogButton::Cancel:
        return "Annuler";
    }
    return "";
}

} // namespace verdan
