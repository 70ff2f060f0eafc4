/** @file sample_install <out>: writes a sample install into <out> for scripts/run.sh and manual runs. */
#include "tools/sample_install/sample_install.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: sample_install <out>\n");
        return 2;
    }
    const sampleinstall::Layout layout(argv[1]);
    std::string error;
    if (!sampleinstall::writeSampleInstall(layout, error)) {
        std::fprintf(stderr, "sample_install: %s\n", error.c_str());
        return 1;
    }
    std::printf("sample_install: wrote %s\n", layout.root.string().c_str());
    return 0;
}
