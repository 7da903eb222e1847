// SPDX-License-Identifier: MIT
#include "support/data_fixture.h"

#include <cstdlib>
#include <fstream>

namespace vxtest {

void expectCommittedCopies(const std::string& kind, const std::vector<CraftedFile>& files) {
    const char* regenerate = std::getenv("VX_REGENERATE_TEST_DATA");
    for (const CraftedFile& file : files) {
        const std::filesystem::path path = committedPath(kind, file.name);
        if (regenerate && std::string(regenerate) == "1") {
            std::filesystem::create_directories(path.parent_path());
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(file.bytes.data()), std::streamsize(file.bytes.size()));
        }
        EXPECT_TRUE(readFile(path) == file.bytes)
            << path << " differs from the catalogue; rerun with VX_REGENERATE_TEST_DATA=1";
    }
}

void expectRejectedCleanly(const std::filesystem::path& file, const TableSnapshot& before) {
    EXPECT_TRUE(TableSnapshot::take() == before) << file << " changed the tables";
    EXPECT_TRUE(sceneIsConsistent()) << file;
    EXPECT_EQ(veloxia::lastLoadError().file, file);
    EXPECT_FALSE(veloxia::lastLoadError().reason.empty()) << file;
}

}  // namespace vxtest
