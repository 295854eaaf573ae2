#pragma once
#include <string>

#include "util/ui.h"

namespace verdan {

void ShowInfo(Ui& ui, const std::string& text);

// A question with Oui and Non: true when the answer is Oui.
bool confirm(Ui& ui, const std::string& question);

// Five attempts, 10 ms apart; then VerdanError("Impossible d'accéder au presse-papiers").
void CopyTextToClipboard(Ui& ui, const std::string& text);

// Question, half a second, asterisk, half a second, question.
void SignalSonore(Ui& ui);

// The standard error box.
void showError(Ui& ui, const std::string& text);

} // namespace verdan
