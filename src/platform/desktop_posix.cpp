#include "platform/desktop.h"

namespace verdan::platform {

DesktopResult openDocument(const std::string&) {
    return DesktopResult::NotHandled;
}

DesktopResult showInFileManager(const std::string&) {
    return DesktopResult::NotHandled;
}

DesktopResult openFolder(const std::string&) {
    return DesktopResult::NotHandled;
}

bool playSystemSound(SystemSound) {
    return false;
}

} // namespace verdan::platform
