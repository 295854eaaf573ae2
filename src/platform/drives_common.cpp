#include "platform/drives.h"

namespace verdan::platform {

std::string windowsDriveRoot(const std::string& text) {
    std::string root = text;
    for (char& c : root)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (root.size() == 2 && root[1] == ':') root += '\\';
    return root;
}

std::string posixDriveRoot(const std::string& text) {
    std::string root = text;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root;
}

std::string nativeDriveRoot(const std::string& text) {
#ifdef _WIN32
    return windowsDriveRoot(text);
#else
    return posixDriveRoot(text);
#endif
}

} // namespace verdan::platform
