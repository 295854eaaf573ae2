#include "util/dialogs.h"

#include "util/error.h"

namespace verdan {

bool confirm(Ui& ui, const std::string& question) {
    return ui.ask(DialogType::Confirmation, question, {DialogButton::Yes, DialogButton::No}) ==
           DialogButton::Yes;
}

void ShowInfo(Ui& ui, const std::string& text) {
    ui.showInfo(text);
}

void CopyTextToClipboard(Ui& ui, const std::string& text) {
    for (int attempt = 1; attempt <= 5; ++attempt) {
        if (ui.trySetClipboardText(text)) return;
        ui.pause(10);
    }
    throw VerdanError("Impossible d'accéder au presse-papiers");
}

void SignalSonore(Ui& ui) {
    ui.playSound(SystemSound::Question);
    ui.pause(500);
    ui.playSound(SystemSound::Asterisk);
    ui.pause(500);
    ui.playSound(SystemSound::Question);
}

void showError(Ui& ui, const std::string& text) {
    ui.ask(DialogType::Error, text, {DialogButton::Ok});
}

} // namespace verdan
