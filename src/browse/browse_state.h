#pragma once
#include <string>

namespace verdan {

// What the global-list window shows, as plain state; the window displays it.
struct BrowseState {
    std::string favouritesFolder = "---"; // caption of Label_rep_favori
    std::string dateLabel = "Date de la modification";
    bool advancedMode = true;
    int fontIndex = 0;
};

} // namespace verdan
