// SPDX-License-Identifier: MIT
// A test fixture with the shade table built and the reference scene and textures loaded,
// and the checks every crafted file goes through.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "support/data_files.h"
#include "veloxia/display.h"

namespace vxtest {

class LoadedReference : public ::testing::Test {
protected:
    void SetUp() override;
    // Every prefix of `good`, and `good` with each byte in turn xored with `spoil`, given to
    // `load`: a refused file must leave the tables as they were; `taken(at)` checks one that
    // loads and puts the reference back.
    // Loads each committed crafted file of `kind` after `reference`: an accepted one must load,
    // a refused one leave the tables as they were. Ends with `reference` loaded.
    void loadEveryCrafted(const std::string& kind, const std::vector<CraftedFile>& files,
                          int32_t (*load)(const std::filesystem::path&), const std::filesystem::path& reference);
    void cutAndSpoil(const Bytes& good, uint8_t spoil, int32_t (*load)(const std::filesystem::path&),
                     const std::function<void(size_t at)>& taken);
    TempDir dir;
    std::filesystem::path scenePath, texturePath;
};

// Every field, texel and address of SceneTable and TextureTable with their counts, to show
// that a rejected file changed nothing.
std::vector<uint64_t> tableSnapshot();

// After a rejected load: the tables are as they were, the scene's faces still name loaded
// textures, and the reason names the file.
void expectRejectedCleanly(const std::filesystem::path& file, const std::vector<uint64_t>& before);

// Every face of the loaded scene can be drawn: its corners and texture are dereferenced and
// the face is filled over a fixed screen triangle with its own texture and coordinates.
void expectRenderable();

// The committed copies under tests/data/<kind>/ equal the catalogue; with
// VX_REGENERATE_TEST_DATA=1 they are rewritten first.
void expectCommittedCopies(const std::string& kind, const std::vector<CraftedFile>& files);

}  // namespace vxtest
