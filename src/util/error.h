#pragma once
#include <stdexcept>
#include <string>

namespace verdan {

// A failure meant for the standard error box: the text is French and shown as it stands,
// under the title "Erreur", at the handler boundary of the window layer.
class VerdanError : public std::runtime_error {
public:
    explicit VerdanError(const std::string& text) : std::runtime_error(text) {}
    std::string text() const { return what(); }
};

namespace msg {
inline std::string cannotCreate(const std::string& path) {
    return "Impossible de créer le fichier " + path;
}
inline std::string cannotOpen(const std::string& path) {
    return "Impossible d'ouvrir le fichier " + path;
}
inline std::string cannotWrite(const std::string& path) {
    return "Impossible d'écrire dans " + path;
}
// A failure the program did not foresee, with the library's own words for it.
inline std::string unexpected(const std::string& what) {
    return " Erreur inattendue : " + what + " \n\n L'opération est abandonnée ; le programme continue. ";
}
} // namespace msg

} // namespace verdan
