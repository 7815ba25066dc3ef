// A helper for the EDID checks:
//   edid_tool fixtures DIR   writes each made-to-order fixture as DIR/<name>.bin
//   edid_tool read FILE      prints the image sizes that the parser reads from FILE:
//                            "cm W H" and "mm W H" (or "mm none"), or "invalid"
#include "edid.h"
#include "edid_fixtures.h"
#include "file_bytes.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

int writeFixtures(const std::string &folder) {
    for (const EdidFixture &fixture : edidFixtures()) {
        std::ofstream file(folder + "/" + fixture.name + ".bin", std::ios::binary);
        file.write(reinterpret_cast<const char *>(fixture.bytes.data()),
                   static_cast<std::streamsize>(fixture.bytes.size()));
        if (!file) {
            std::fprintf(stderr, "cannot write %s\n", fixture.name.c_str());
            return 1;
        }
    }
    return 0;
}

int readSizes(const char *path) {
    const std::vector<std::uint8_t> edid = readFileStart(path, 32 * 1024);
    const auto sizes = readEdidImageSizes(edid);
    if (!sizes) {
        std::puts("invalid");
        return 0;
    }
    std::printf("cm %d %d\n", sizes->widthCentimetres, sizes->heightCentimetres);
    if (sizes->hasDetailedTiming) {
        std::printf("mm %d %d\n", sizes->timingWidthMillimetres, sizes->timingHeightMillimetres);
    } else {
        std::puts("mm none");
    }
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 3 && std::strcmp(argv[1], "fixtures") == 0) {
        return writeFixtures(argv[2]);
    }
    if (argc == 3 && std::strcmp(argv[1], "read") == 0) {
        return readSizes(argv[2]);
    }
    std::fputs("usage: edid_tool fixtures DIR | edid_tool read FILE\n", stderr);
    return 2;
}
