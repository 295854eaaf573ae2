#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/contained_paths.h"
#include "platform/files.h"
#include "util/ui.h"

namespace verdan {

// Size in bytes of a file; -1 when there is no file there (a folder, nothing) or its size cannot be read.
std::int64_t FileSize64(const std::string& path);

enum class CopyResult {
    Copied,
    Abandoned,
    UnsafeName,  // not one plain file name of the folder: nothing is made anywhere
    NameRefused, // a plain name the folder's file system does not take (":" on a Windows disk)
    CannotOpenSource,
    CannotReadSource,
    CannotCreate,
    CannotWrite
};

// Every copy goes through here. Copies `source` to `fileName` in `folder` through a temporary
// file beside it, renamed into place only once whole: the destination holds its former content or
// the whole copy, never a part of it, and an abandoned or failed copy leaves nothing behind. The
// name is used only when checkDestination finds it inside the folder. `buffer` is reused from
// call to call; its size is the block size. `afterBlock(bytesSoFar)` runs after every block and
// abandons the copy by returning false. The source is only ever read. `why` receives what the
// system said of a destination it could not make or write.
CopyResult copyThroughTemporary(const std::string& source, const std::string& folder,
                                std::string_view fileName, std::vector<char>& buffer,
                                const std::function<bool(std::int64_t)>& afterBlock = {},
                                platform::FileFailure* why = nullptr);

// The standard French text of a failed copy, naming the file concerned and, when the system said
// it, what happened.
std::string copyFailureText(CopyResult result, const std::string& source, const std::string& destination,
                            platform::FileFailure why = platform::FileFailure::None);

// The copy of one file into a folder, with its confirmations: the folder is created when the
// user wants it, an existing file is replaced only after a question, and the outcome is told.
// `status` shows "Copie en cours ..." during the copy and "" after it.
void CopyFileWithConfirm(Ui& ui, const std::string& source, const std::string& folder,
                         const std::function<void(const std::string&)>& status);

} // namespace verdan
