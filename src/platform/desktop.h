#pragma once
#include <string>

// What the system's own desktop does for the windows: opening documents and folders in the
// user's applications, and the system sounds. Where the system has no such call of its own
// (Linux), each function says it did not handle the request and the windows take the desktop's
// way through their toolkit.
namespace verdan::platform {

enum class DesktopResult { Done, Failed, NotHandled };

// The application associated with the file's type; the path is one argument, never a command line.
DesktopResult openDocument(const std::string& path);
// The folder that holds the file, opened with the file selected in it.
DesktopResult showInFileManager(const std::string& path);
DesktopResult openFolder(const std::string& path);

enum class SystemSound { Question, Asterisk };

// Starts a system sound and returns at once; false where the system has no sounds to call by name.
bool playSystemSound(SystemSound sound);

} // namespace verdan::platform
