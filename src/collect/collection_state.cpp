#include "collect/collection_state.h"

namespace verdan {

std::string CollectionState::windowTitle(const std::string& listNameLabel) {
    return std::string(kProductTitle) + "      " + listNameLabel;
}

} // namespace verdan
