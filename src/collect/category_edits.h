#pragma once
#include <string>

#include "catalogue/settings.h"
#include "util/ui.h"

namespace verdan {

enum class CategoryField { Name, Filter, MinimumSize };

// A category edit box changed under the user's hand: the value is the catalogue's at once, and the
// parameter file is behind until one of the saving triggers (or the quit) writes it.
void editCategory(CurrentCatalogue& catalogue, int category, CategoryField field, const std::string& text);
// A click of the user on a minimum-size switch: the value, then the parameter file with its announce.
void CheckBox_miniClick(CurrentCatalogue& catalogue, Ui& ui, int category, bool on);
// Enter in one of the six boxes, and BitBtn6: the parameter file with its announce.
void saveCategories(CurrentCatalogue& catalogue, Ui& ui);

} // namespace verdan
