#include "app/FileAssociation.h"

#include <QFile>

#include <cstdio>

// Run by the install: the desktop entry and the .wall MIME package of an
// installed Pavisto, the same texts the program writes for its user at start.
int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "Usage: %s <installed program> <data folder>\n", argv[0]);
        return 2;
    }
    return WriteDesktopFiles(QFile::decodeName(argv[2]), QFile::decodeName(argv[1])) ? 0 : 1;
}
