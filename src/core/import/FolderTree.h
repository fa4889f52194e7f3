#pragma once

#include <string>

namespace larkspan {

class Messages;

// Deletes a folder with everything below it: files first (last found
// first), then the folders, deepest first and root last. A file that cannot
// be deleted asks whether to try once more or cancel; a folder that cannot
// be removed ends the operation with an error. In both stops nothing more
// is removed. A root that is not a folder is left alone without a message.
//
// Symbolic links are removed as links and never followed, so nothing
// outside the tree is touched; a root that is itself a link loses only the
// link. Returns true when root is gone (or was never there).
bool removeFolderTree(const std::string& root, Messages& messages);

}  // namespace larkspan
