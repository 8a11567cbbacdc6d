#include "project/ProjectFile.h"

#include "testkit/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <optional>

using namespace ProjectInspector;

namespace {

class ProjectFileTest : public IsolatedTest {
protected:
    QString root() const { return scratch() + "/game"; }
    void touch(const QString& relativePath) { testkit::writeFile(root(), relativePath, {}); }
};

struct SearchCase {
    const char* what;
    QStringList files;
    std::optional<QString> found; // relative to the searched folder; "" is the folder itself
};

} // namespace

TEST_F(ProjectFileTest, FindProjectSearchesThreeLevelsDownShallowestFirst) {
    const QList<SearchCase> cases{
        {"in the folder itself", {"project.godot", "sub/project.godot"}, ""},
        {"one top folder, as an archive unpacks", {"brennick-main/project.godot"}, "brennick-main"},
        {"three levels down", {"a/b/c/project.godot"}, "a/b/c"},
        {"four levels down", {"a/b/c/d/project.godot"}, std::nullopt},
        {"shallow beats deep", {"a/b/c/project.godot", "z/y/project.godot"}, "z/y"},
        {"inside a hidden folder", {".git/project.godot", "x/.hidden/project.godot"}, std::nullopt},
        {"a hidden folder is skipped, not the search",
         {".cache/project.godot", "src/game/project.godot"},
         "src/game"},
        {"no project anywhere", {"README.md", "a/b/readme.txt"}, std::nullopt},
        {"a folder named project.godot counts", {"p/project.godot/keep"}, "p"},
    };
    for (const SearchCase& c : cases) {
        QDir(root()).removeRecursively();
        QDir().mkpath(root());
        for (const QString& file : c.files)
            touch(file);
        const std::optional<QString> expected =
            c.found ? std::optional<QString>(c.found->isEmpty() ? root() : root() + "/" + *c.found)
                    : std::nullopt;
        EXPECT_EQ(findProject(root()), expected) << c.what;
    }
    EXPECT_EQ(findProject(scratch() + "/missing"), std::nullopt);
}

TEST_F(ProjectFileTest, FindProjectDoesNotFollowFolderLinks) {
    testkit::writeFile(scratch(), "outside/project.godot", {});
    QDir().mkpath(root() + "/top");
    ASSERT_TRUE(QFile::link(scratch() + "/outside", root() + "/top/linked"));
    ASSERT_TRUE(QFile::link(root() + "/top", root() + "/top/loop"));
    EXPECT_EQ(findProject(root()), std::nullopt);
}

TEST(ProjectFile, ValueReadsTheFirstExactKeyLine) {
    const QString text = "; Engine configuration file.\n"
                         "config_version=5\n"
                         "\n"
                         "[application]\n"
                         "config/name_suffix=\"wrong\"\n"
                         "  \tconfig/name=\"Brennick\"  \n"
                         "config/description = \"spaced\"\n"
                         "run/main_scene=\"res://a=b.tscn\"\n"
                         "[other]\n"
                         "config/name=\"second\"\n"
                         "empty=\n";
    const QList<std::pair<QString, std::optional<QString>>> cases{
        {"config_version", "5"},
        {"config/name", "\"Brennick\""},
        {"config/name_suffix", "\"wrong\""},
        {"config/description", std::nullopt},
        {"run/main_scene", "\"res://a=b.tscn\""},
        {"empty", ""},
        {"config", std::nullopt},
        {"missing", std::nullopt},
    };
    for (const auto& [key, expected] : cases)
        EXPECT_EQ(value(key, text), expected) << key.toStdString();
    EXPECT_EQ(value("config/name", QString(text).replace("\n", "\r\n")), "\"Brennick\"");
}

TEST(ProjectFile, EngineVersionTable) {
    const QString features4 = "PackedStringArray(\"%1\", \"Forward Plus\")";
    const QList<std::tuple<qint64, QString, QString>> cases{
        {3, "", "3.5.3"},
        {3, features4.arg("4.2"), "3.5.3"},
        {4, features4.arg("4.0"), "4.0.4"},
        {4, features4.arg("4.1"), "4.1.4"},
        {4, features4.arg("4.2"), "4.2.2"},
        {4, "PackedStringArray(\"4.2\", \"C#\", \"Mobile\")", "4.2.2"},
        {4, features4.arg("4.3"), "4.3"},
        {4, features4.arg("4.4"), "4.4.1"},
        {4, features4.arg("4.5"), "4.5"},
        {4, features4.arg("4.6"), "4.3"},
        {4, "PackedStringArray(4.2)", "4.3"},
        {4, features4.arg("4.25"), "4.3"},
        {4, "", "4.3"},
    };
    for (const auto& [major, features, release] : cases)
        EXPECT_EQ(engineVersion(major, features), release) << features.toStdString();
}

TEST_F(ProjectFileTest, ReadFirstTakesTheFirstFileThatIsUtf8) {
    testkit::writeFile(root(), "LATIN1", "Copyright \xA9 2020\n");
    testkit::writeFile(root(), "TRUNCATED", "caf\xC3");
    QDir().mkpath(root() + "/FOLDER");
    testkit::writeFile(root(), "GOOD", "caf\xC3\xA9\n");
    testkit::writeFile(root(), "EMPTY", "");
    EXPECT_EQ(readFirst({"MISSING", "FOLDER", "LATIN1", "TRUNCATED", "GOOD"}, root()),
              QString::fromUtf8("caf\xC3\xA9\n"));
    EXPECT_EQ(readFirst({"EMPTY", "GOOD"}, root()), "") << "an empty file is a successful read";
    EXPECT_EQ(readFirst({"MISSING", "LATIN1"}, root()), "");
    EXPECT_EQ(readText(root() + "/LATIN1"), std::nullopt);
    EXPECT_EQ(readText(root() + "/GOOD"), QString::fromUtf8("caf\xC3\xA9\n"));
}
