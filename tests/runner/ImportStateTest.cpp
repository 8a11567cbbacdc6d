#include "runner/GameRunner.h"

#include "testkit/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

struct SidecarCase {
    const char* name;
    const char* text;
    int total;
    int missing;
};

class SidecarReading : public ::testing::TestWithParam<SidecarCase> {};

// The project holds present.png and a folder; everything else is absent.
TEST_P(SidecarReading, CountsTheResourceDestinationsOfOneSidecar) {
    QTemporaryDir project;
    testkit::writeFile(project.path(), "present.png", "x");
    testkit::writeFile(project.path(), "folder/inside", "x");
    testkit::writeFile(project.path(), "art/sprite.png.import", GetParam().text);
    const ImportState state = GameRunner::importState(project.path());
    EXPECT_EQ(state.total, GetParam().total);
    EXPECT_EQ(state.missing, GetParam().missing);
}

INSTANTIATE_TEST_SUITE_P(
    Sidecars, SidecarReading,
    ::testing::Values(
        SidecarCase{"OneOfTwoMissing", "dest_files=[ \"res://present.png\", \"res://absent.png\" ]",
                    1, 1},
        SidecarCase{"AllPresent", "[deps]\ndest_files=[\"res://present.png\", \"res://folder\"]\n",
                    1, 0},
        SidecarCase{"NoList", "[remap]\npath=\"res://absent.png\"\n", 0, 0},
        SidecarCase{"EmptyList", "dest_files=[  ]\n", 0, 0},
        SidecarCase{"OnlyOtherSchemes", "dest_files=[\"user://absent.png\", \"absent.png\"]", 0, 0},
        SidecarCase{"UnclosedListRunsToTheEnd",
                    "dest_files=[\"res://present.png\",\n\"res://absent.png\"", 1, 1},
        SidecarCase{"ListEndsAtFirstBracket",
                    "dest_files=[\"res://present.png\"]\nother=[\"res://absent.png\"]", 1, 0},
        SidecarCase{"FirstListOnly",
                    "dest_files=[\"res://present.png\"]\ndest_files=[\"res://absent.png\"]", 1, 0},
        SidecarCase{"CaseMatters", "Dest_Files=[\"res://absent.png\"]", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ImportState, CountsOnlyTheProjectsOwnVisibleSidecars) {
    QTemporaryDir project;
    QTemporaryDir outside;
    const QByteArray missingCopy = "dest_files=[\"res://.import/gone.stex\"]";
    testkit::writeFile(project.path(), "a.png.import", missingCopy);
    testkit::writeFile(project.path(), "deep/er/b.wav.import", missingCopy);
    testkit::writeFile(project.path(), ".import/c.png.import", missingCopy);
    testkit::writeFile(project.path(), ".hidden.import", missingCopy);
    testkit::writeFile(project.path(), "d.imports", missingCopy);
    testkit::writeFile(project.path(), "folder.import/e", missingCopy);
    testkit::writeFile(outside.path(), "far/f.png.import", missingCopy);
    QFile::link(outside.path() + "/far", project.path() + "/linked-folder");
    QFile::link(outside.path() + "/far/f.png.import", project.path() + "/linked.png.import");

    const ImportState state = GameRunner::importState(project.path());
    EXPECT_EQ(state.total, 2);
    EXPECT_EQ(state.missing, 2);
}

TEST(ImportState, IsEmptyForAProjectThatIsNotThere) {
    const ImportState state = GameRunner::importState("/nonexistent/project");
    EXPECT_EQ(state.total, 0);
    EXPECT_EQ(state.missing, 0);
}

} // namespace
