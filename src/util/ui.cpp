#include "util/ui.h"

namespace verdan {

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
