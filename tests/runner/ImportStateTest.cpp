#include "runner/ImportState.h"

#include "testkit/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

// The project holds present.png and a folder; everything else is absent.
TEST(ImportState, CountsTheResourceDestinationsOfEachSidecar) {
    const std::tuple<const char*, int, int> cases[] = {
        {"dest_files=[ \"res://present.png\", \"res://absent.png\" ]", 1, 1},
        {"[deps]\ndest_files=[\"res://present.png\", \"res://folder\"]\n", 1, 0},
        {"[remap]\npath=\"res://absent.png\"\n", 0, 0},
        {"dest_files=[  ]\n", 0, 0},
        {"dest_files=[\"user://absent.png\", \"absent.png\"]", 0, 0},
        {"dest_files=[\"res://present.png\",\n\"res://absent.png\"", 1, 1},
        {"dest_files=[\"res://present.png\"]\nother=[\"res://absent.png\"]", 1, 0},
        {"dest_files=[\"res://present.png\"]\ndest_files=[\"res://absent.png\"]", 1, 0},
        {"Dest_Files=[\"res://absent.png\"]", 0, 0},
    };
    for (const auto& [text, total, missing] : cases) {
        QTemporaryDir project;
        testkit::writeFile(project.path(), "present.png", "x");
        testkit::writeFile(project.path(), "folder/inside", "x");
        testkit::writeFile(project.path(), "art/sprite.png.import", text);
        const ImportState state = readImportState(project.path());
        EXPECT_EQ(state.total, total) << text;
        EXPECT_EQ(state.missing, missing) << text;
        EXPECT_EQ(state.allPresent(), total > 0 && missing == 0) << text;
    }
}

TEST(ImportState, CountsOnlyTheProjectsOwnVisibleSidecars) {
    QTemporaryDir project;
    QTemporaryDir outside;
    const QByteArray missingCopy = "dest_files=[\"res://.import/gone.stex\"]";
    for (const char* name : {"a.png.import", "deep/er/b.wav.import", ".import/c.png.import",
                             ".hidden.import", "d.imports", "folder.import/e"})
        testkit::writeFile(project.path(), name, missingCopy);
    testkit::writeFile(outside.path(), "far/f.png.import", missingCopy);
    QFile::link(outside.path() + "/far", project.path() + "/linked-folder");
    QFile::link(outside.path() + "/far/f.png.import", project.path() + "/linked.png.import");
    const ImportState state = readImportState(project.path());
    EXPECT_EQ(state.total, 2);
    EXPECT_EQ(state.missing, 2);
    EXPECT_EQ(readImportState("/nonexistent/project").total, 0);
}

} // namespace
