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

// The user stopped a reading (Escape): nothing of it was taken. Where no caller says it more
// gently, it reaches the error box like any failure.
class LoadCancelled : public VerdanError {
public:
    using VerdanError::VerdanError;
};

namespace msg {
inline std::string cannotCreate(const std::string& path) {
    return "Impossible de créer le fichier " + path;
}
inline std::string cannotOpen(const std::string& path) {
    return "Impossible d'ouvrir le fichier " + path;
}
// Escape during the reading of a list: nothing of it was taken.
inline std::string loadCancelled(const std::string& path) {
    return "  Lecture annulée : la liste affichée reste telle qu'elle était  \n\n  " + path;
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
