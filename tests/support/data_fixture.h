// SPDX-License-Identifier: MIT
// A test fixture with the shade table built and the reference scene and textures loaded,
// and the checks every crafted file goes through.
#pragma once

#include <gtest/gtest.h>

#include "support/data_files.h"
#include "veloxia/display.h"

namespace vxtest {

class LoadedReference : public ::testing::Test {
protected:
    void SetUp() override {
        veloxia::initShading(-8192, 10);
        scenePath = dir.write("scene.vx1", referenceScene());
        texturePath = dir.write("textures.vx2", referenceTextures());
        ASSERT_EQ(veloxia::loadTextureFile(texturePath), 1) << veloxia::lastLoadError().reason;
        ASSERT_EQ(veloxia::loadSceneFile(scenePath), 1) << veloxia::lastLoadError().reason;
        ASSERT_EQ(veloxia::checkSceneTextures(), 1) << veloxia::lastLoadError().reason;
    }

    TempDir dir;
    std::filesystem::path scenePath, texturePath;
};

// The committed copies under tests/data/<kind>/ equal the catalogue; with
// VX_REGENERATE_TEST_DATA=1 they are rewritten first.
void expectCommittedCopies(const std::string& kind, const std::vector<CraftedFile>& files);

// After a rejected load: the tables are as they were, the scene still points at loaded
// textures, and the reason names the file.
void expectRejectedCleanly(const std::filesystem::path& file, const TableSnapshot& before);

}  // namespace vxtest
