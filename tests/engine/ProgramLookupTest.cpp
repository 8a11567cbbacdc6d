#include "engine/ProgramLookup.h"
#include "engine/EngineSpec.h"
#include "testkit/TestEnvironment.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

constexpr auto runnable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                          QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther;

void writeProgram(const QString& path, QFile::Permissions permissions) {
    testkit::writeFile(QFileInfo(path).path(), QFileInfo(path).fileName(), "#!/bin/sh\n");
    ASSERT_TRUE(QFile::setPermissions(path, permissions));
}

using ProgramLookupTest = IsolatedTest;

TEST_F(ProgramLookupTest, FindsTheLinuxProgramOfEachLayoutAndGivesBackItsExecuteBit) {
    const std::tuple<EngineSpec, Platform, QString> layouts[] = {
        {{3, "3.5.3", false}, Platform::LinuxX86_64, "Godot_v3.5.3-stable_x11.64"},
        {{4, "4.3", false}, Platform::LinuxArm64, "Godot_v4.3-stable_linux.arm64"},
        {{3, "3.5.3", true},
         Platform::LinuxX86_64,
         "Godot_v3.5.3-stable_mono_x11_64/Godot_v3.5.3-stable_mono_x11.64"},
        {{4, "4.2.2", true},
         Platform::LinuxX86_64,
         "Godot_v4.2.2-stable_mono_linux_x86_64/Godot_v4.2.2-stable_mono_linux.x86_64"},
    };
    for (const auto& [spec, platform, program] : layouts) {
        SCOPED_TRACE(program.toStdString());
        const QString folder = scratch() + "/" + spec.installFolderName();
        const QString asset = spec.assetName(platform);
        EXPECT_EQ(ProgramLookup::find(folder, asset, platform), std::nullopt);
        writeProgram(folder + "/" + program, readable);
        EXPECT_EQ(ProgramLookup::find(folder, asset, platform), folder + "/" + program);
        EXPECT_EQ(QFile::permissions(folder + "/" + program),
                  readable | QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther);
    }
}

QByteArray infoPlist(const QByteArray& executable) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "  <key>CFBundleDocumentTypes</key>\n"
           "  <array><dict><key>CFBundleExecutable</key><string>Decoy</string></dict></array>\n"
           "  <key>CFBundleName</key>\n  <string>Godot</string>\n"
           "  <key>CFBundleExecutable</key>\n  <string>" +
           executable + "</string>\n</dict>\n</plist>\n";
}

class BundleLookupTest : public IsolatedTest {
protected:
    std::optional<QString> find() const {
        return ProgramLookup::find(scratch(), {}, Platform::MacOS);
    }
    void writeBundle(const QString& name, const QByteArray& executable) {
        testkit::writeFile(scratch(), name + "/Contents/Info.plist", infoPlist(executable));
        writeProgram(scratch() + "/" + name + "/Contents/MacOS/" + executable, runnable);
    }
};

TEST_F(BundleLookupTest, TakesTheProgramTheFirstBundleDeclares) {
    EXPECT_EQ(find(), std::nullopt);
    writeBundle("Zed.app", "Zed");
    writeBundle("Godot.app", "Godot");
    testkit::writeFile(scratch(), "Godot.app/Contents/MacOS/Decoy", "x");
    testkit::writeFile(scratch(), "Aardvark.txt", "not a bundle");
    EXPECT_EQ(find(), scratch() + "/Godot.app/Contents/MacOS/Godot");
}

TEST_F(BundleLookupTest, AnswersNothingForABrokenBundle) {
    const std::pair<const char*, std::function<void(const QString&)>> breakages[] = {
        {"program not executable",
         [](const QString& b) { QFile::setPermissions(b + "/Contents/MacOS/Godot", readable); }},
        {"no Info.plist", [](const QString& b) { QFile::remove(b + "/Contents/Info.plist"); }},
        {"not XML",
         [](const QString& b) { testkit::writeFile(b, "Contents/Info.plist", "bplist00\x01"); }},
        {"program outside the bundle",
         [](const QString& b) {
             testkit::writeFile(b, "Contents/Info.plist", infoPlist("../../../Outside"));
         }},
    };
    for (const auto& [what, breakBundle] : breakages) {
        SCOPED_TRACE(what);
        writeBundle("Godot.app", "Godot");
        writeProgram(scratch() + "/Outside", runnable);
        ASSERT_TRUE(find().has_value());
        breakBundle(scratch() + "/Godot.app");
        EXPECT_EQ(find(), std::nullopt);
    }
}

} // namespace
