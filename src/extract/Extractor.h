#pragma once
// kadrel-extract's run: opens the video on the program's engine, checks the range against it,
// and saves each frame as the window's bulk run would, with a progress line on a terminal.

#include "extract/ExtractOptions.h"

#include <cstdio>
#include <functional>

namespace kadrel {

// Exit statuses.
inline constexpr int kExtractDone = 0;
inline constexpr int kExtractFailed = 1;
inline constexpr int kExtractUsage = 2;
inline constexpr int kExtractInterrupted = 130;

struct ExtractConsole {
    std::FILE* messages = stderr;
    bool terminal = false;                // messages go to a terminal: show progress there
    std::function<bool()> stopRequested;  // asked after every file
};

int runExtract(const ExtractOptions& options, const ExtractConsole& console);

}  // namespace kadrel
