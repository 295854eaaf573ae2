#include "catalogue/list_paths.h"

#include "util/file_helpers.h"

namespace verdan {

std::string ListFileFromBase(const std::string& path) {
    // The extension is what follows the last "." of the last component; "\" and ":" end a
    // component on Windows, "/" as well so that the rule holds on Linux.
    std::size_t componentStart = path.find_last_of("\\:/");
    componentStart = componentStart == std::string::npos ? 0 : componentStart + 1;
    std::size_t dot = path.rfind('.');
    std::string base = (dot != std::string::npos && dot >= componentStart) ? path.substr(0, dot) : path;
    return base + ".txt";
}

void ListPaths::derive(const std::string& folder, const std::string& name, bool withParamFile) {
    ListFolder = folder;
    ListName = name;
    ListBasePath = joinPath(ListFolder, ListName);
    if (withParamFile) ParamFilePath = ListBasePath + ".prm";
    ListFilePath = ListFileFromBase(ListBasePath);
}

std::string ListPaths::filesPrefix() const {
    const std::size_t start = ListFilePath.find_last_of("\\/");
    const std::string name = ListFilePath.substr(start == std::string::npos ? 0 : start + 1);
    return name.substr(0, name.size() - 3);
}

} // namespace verdan
