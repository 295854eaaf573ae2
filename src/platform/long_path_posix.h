#pragma once
#include <string>

// Paths longer than the system takes in one call, reached one name at a time. POSIX sources only.
namespace verdan::platform::posix {

// The folder that holds the path's last name, opened name by name from "/" (or the working
// folder) as a handle that serves only to go further, so that folders that may be crossed but
// not read are crossed too. -1 with errno set on failure; `name` receives the last name.
int openHoldingFolder(const std::string& path, std::string& name);

} // namespace verdan::platform::posix
