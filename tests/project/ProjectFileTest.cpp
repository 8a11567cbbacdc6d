#include "project/ProjectFile.h"

#include "testkit/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <optional>

using namespace ProjectInspector;

using ProjectFileTest = IsolatedTest;

TEST_F(ProjectFileTest, FindProjectSearchesThreeLevelsDownShallowestFirstNeverHiddenOrLinked) {
    const QString root = scratch() + "/game";
    const std::tuple<const char*, QStringList, std::optional<QString>> cases[] = {
        {"in the folder itself", {"project.godot", "sub/project.godot"}, ""},
        {"three levels down", {"a/b/c/project.godot"}, "a/b/c"},
        {"four levels down", {"a/b/c/d/project.godot"}, std::nullopt},
        {"shallow beats deep", {"a/b/c/project.godot", "z/y/project.godot"}, "z/y"},
        {"hidden folders are skipped",
         {".git/project.godot", "src/game/project.godot"},
         "src/game"},
    };
    for (const auto& [what, files, found] : cases) {
        QDir(root).removeRecursively();
        for (const QString& file : files)
            testkit::writeFile(root, file, {});
        const auto expected =
            found ? std::optional<QString>(QDir::cleanPath(root + "/" + *found)) : std::nullopt;
        EXPECT_EQ(findProject(root), expected) << what;
    }
    QDir(root).removeRecursively();
    testkit::writeFile(scratch(), "outside/project.godot", {});
    QDir().mkpath(root + "/top");
    ASSERT_TRUE(QFile::link(scratch() + "/outside", root + "/top/linked"));
    ASSERT_TRUE(QFile::link(root + "/top", root + "/top/loop"));
    EXPECT_EQ(findProject(root), std::nullopt);
}

TEST(ProjectFile, ValueReadsTheFirstExactKeyLine) {
    const QString text = "config_version=5\r\n[application]\n"
                         "config/name_suffix=\"wrong\"\n"
                         "  \tconfig/name=\"Brennick\"  \n"
                         "config/description = \"spaced\"\n"
                         "run/main_scene=\"res://a=b.tscn\"\n"
                         "config/name=\"second\"\n"
                         "empty=\n";
    const std::pair<QString, std::optional<QString>> cases[] = {
        {"config_version", "5"},
        {"config/name", "\"Brennick\""},
        {"config/description", std::nullopt},
        {"run/main_scene", "\"res://a=b.tscn\""},
        {"empty", ""},
        {"config", std::nullopt},
    };
    for (const auto& [key, expected] : cases)
        EXPECT_EQ(value(key, text), expected) << key.toStdString();
}

TEST(ProjectFile, EngineVersionTable) {
    const QString features = "PackedStringArray(\"%1\", \"Forward Plus\")";
    const std::tuple<qint64, QString, QString> cases[] = {
        {3, features.arg("4.2"), "3.5.3"}, {4, features.arg("4.0"), "4.0.4"},
        {4, features.arg("4.2"), "4.2.2"}, {4, features.arg("4.4"), "4.4.1"},
        {4, features.arg("4.5"), "4.5"},   {4, features.arg("4.6"), "4.3"},
        {4, features.arg("4.25"), "4.3"},  {4, "", "4.3"},
    };
    for (const auto& [major, text, release] : cases)
        EXPECT_EQ(engineVersion(major, text), release) << text.toStdString();
}

TEST_F(ProjectFileTest, ReadFirstTakesTheFirstFileThatIsUtf8) {
    testkit::writeFile(scratch(), "LATIN1", "Copyright \xA9 2020\n");
    testkit::writeFile(scratch(), "TRUNCATED", "caf\xC3");
    testkit::writeFile(scratch(), "GOOD", "caf\xC3\xA9\n");
    testkit::writeFile(scratch(), "EMPTY", "");
    QDir().mkpath(scratch() + "/FOLDER");
    EXPECT_EQ(readFirst({"MISSING", "FOLDER", "LATIN1", "TRUNCATED", "GOOD"}, scratch()),
              QString::fromUtf8("caf\xC3\xA9\n"));
    EXPECT_EQ(readFirst({"EMPTY", "GOOD"}, scratch()), "") << "an empty file is a successful read";
}
