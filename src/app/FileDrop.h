#pragma once
// Files dropped on the main window from a file manager: the first local file is opened as
// the Open command opens a chosen file, whenever the Open command is available; a folder has
// the bulk capture run for each of its videos.

namespace kadrel {

class frmmain;

void acceptFileDrops(frmmain& window);

}  // namespace kadrel
