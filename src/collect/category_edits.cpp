#include "collect/category_edits.h"

namespace verdan {

void editCategory(CurrentCatalogue& catalogue, int category, CategoryField field, const std::string& text) {
    MediaCategory& media = catalogue.params.media.at(static_cast<std::size_t>(category));
    std::string& value = field == CategoryField::Name     ? media.name
                         : field == CategoryField::Filter ? media.extensionFilter
                                                          : media.minimumSize;
    if (value == text) return;
    value = text;
    catalogue.ParamsModified = true;
}

void CheckBox_miniClick(CurrentCatalogue& catalogue, Ui& ui, int category, bool on) {
    catalogue.params.media.at(static_cast<std::size_t>(category)).minimumSizeOn = on;
    catalogue.ParamsModified = true;
    saveCategories(catalogue, ui);
}

void saveCategories(CurrentCatalogue& catalogue, Ui& ui) {
    enregistrer_parametre_liste(catalogue, ui, true);
}

} // namespace verdan
