#include "platform/system.h"

namespace verdan::platform {

std::string chooseProgramFolder(const std::string& exeFolder, bool exeFolderWritable,
                                const std::string& configFolder) {
    return exeFolderWritable ? exeFolder : configFolder;
}

std::string programFolder() {
    std::string exe = executableFolder();
    return chooseProgramFolder(exe, folderWritable(exe), userConfigFolder());
}

} // namespace verdan::platform
