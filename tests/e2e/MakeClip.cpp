// Writes the clip the desktop test opens: 6 s of 160 x 120 MPEG-4 in AVI at 25 frames per
// second, each frame showing its index as blocks (top-left block white, the other corners
// black).
//   kadrel_e2e_clip PATH

#include "support/MediaGenerator.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH.avi\n", argv[0]);
        return 2;
    }
    const kadrel::Status written =
        kadrel::test::generateClip({.frames = 150}, QString::fromLocal8Bit(argv[1]));
    if (!written) {
        std::fprintf(stderr, "%s\n", qPrintable(written.text()));
        return 1;
    }
    return 0;
}
