#include "engine/ProgramLookup.h"
#include "engine/EngineSpec.h"
#include "testkit/TestEnvironment.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using ProgramLookupTest = IsolatedTest;

constexpr auto runnable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                          QFile::WriteUser | QFile::ExeUser;
constexpr auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                          QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther;

void writeProgram(const QString& path, QFile::Permissions permissions) {
    testkit::writeFile(QFileInfo(path).path(), QFileInfo(path).fileName(), "#!/bin/sh\n");
    ASSERT_TRUE(QFile::setPermissions(path, permissions));
}

struct LinuxLayout {
    EngineSpec spec;
    Platform platform;
    QString program; // below the install folder
};

TEST_F(ProgramLookupTest, FindsTheLinuxProgramOfEachLayout) {
    const std::vector<LinuxLayout> layouts{
        {{3, "3.5.3", false}, Platform::LinuxX86_64, "Godot_v3.5.3-stable_x11.64"},
        {{4, "4.2.2", false}, Platform::LinuxX86_64, "Godot_v4.2.2-stable_linux.x86_64"},
        {{4, "4.3", false}, Platform::LinuxArm64, "Godot_v4.3-stable_linux.arm64"},
        {{3, "3.5.3", true},
         Platform::LinuxX86_64,
         "Godot_v3.5.3-stable_mono_x11_64/Godot_v3.5.3-stable_mono_x11.64"},
        {{4, "4.2.2", true},
         Platform::LinuxX86_64,
         "Godot_v4.2.2-stable_mono_linux_x86_64/Godot_v4.2.2-stable_mono_linux.x86_64"},
        {{4, "4.3", true},
         Platform::LinuxArm64,
         "Godot_v4.3-stable_mono_linux_arm64/Godot_v4.3-stable_mono_linux.arm64"},
    };
    for (const LinuxLayout& layout : layouts) {
        SCOPED_TRACE(layout.program.toStdString());
        const QString folder = scratch() + "/" + layout.spec.installFolderName();
        const QString asset = layout.spec.assetName(layout.platform);
        EXPECT_EQ(ProgramLookup::find(folder, asset, layout.platform), std::nullopt);
        writeProgram(folder + "/" + layout.program, runnable);
        EXPECT_EQ(ProgramLookup::find(folder, asset, layout.platform),
                  folder + "/" + layout.program);
        QFile::remove(folder + "/" + layout.program);
    }
}

TEST_F(ProgramLookupTest, GivesALinuxProgramItsLostExecuteBit) {
    const EngineSpec spec{4, "4.2.2", false};
    const QString program = scratch() + "/Godot_v4.2.2-stable_linux.x86_64";
    writeProgram(program, readable);
    EXPECT_EQ(ProgramLookup::find(scratch(), spec.assetName(Platform::LinuxX86_64),
                                  Platform::LinuxX86_64),
              program);
    EXPECT_EQ(QFile::permissions(program),
              readable | QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther);
}

QByteArray infoPlist(const QByteArray& executable) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n<dict>\n"
           "  <key>CFBundleDocumentTypes</key>\n"
           "  <array><dict><key>CFBundleExecutable</key><string>Decoy</string></dict></array>\n"
           "  <key>CFBundleName</key>\n  <string>Godot</string>\n"
           "  <key>CFBundleExecutable</key>\n  <string>" +
           executable +
           "</string>\n"
           "</dict>\n</plist>\n";
}

class BundleLookupTest : public IsolatedTest {
protected:
    std::optional<QString> find() const {
        return ProgramLookup::find(scratch(), EngineSpec{}.assetName(Platform::MacOS),
                                   Platform::MacOS);
    }
    void writeBundle(const QString& name, const QByteArray& executable,
                     QFile::Permissions permissions) {
        testkit::writeFile(scratch(), name + "/Contents/Info.plist", infoPlist(executable));
        writeProgram(scratch() + "/" + name + "/Contents/MacOS/" + executable, permissions);
    }
};

TEST_F(BundleLookupTest, TakesTheProgramTheFirstBundleDeclares) {
    EXPECT_EQ(find(), std::nullopt);
    writeBundle("Zed.app", "Zed", runnable);
    writeBundle("Godot.app", "Godot", runnable);
    testkit::writeFile(scratch(), "Godot.app/Contents/MacOS/Decoy", "x");
    testkit::writeFile(scratch(), "Aardvark.txt", "not a bundle");
    EXPECT_EQ(find(), scratch() + "/Godot.app/Contents/MacOS/Godot");
}

TEST_F(BundleLookupTest, AnswersNothingForABrokenBundle) {
    const std::vector<std::pair<const char*, std::function<void(const QString&)>>> breakages{
        {"program not executable",
         [](const QString& b) { QFile::setPermissions(b + "/Contents/MacOS/Godot", readable); }},
        {"program missing", [](const QString& b) { QFile::remove(b + "/Contents/MacOS/Godot"); }},
        {"no Info.plist", [](const QString& b) { QFile::remove(b + "/Contents/Info.plist"); }},
        {"no declared program",
         [](const QString& b) {
             testkit::writeFile(b, "Contents/Info.plist", "<plist><dict></dict></plist>");
         }},
        {"not XML",
         [](const QString& b) { testkit::writeFile(b, "Contents/Info.plist", "bplist00\x01"); }},
        {"program outside the bundle",
         [](const QString& b) {
             testkit::writeFile(b, "Contents/Info.plist", infoPlist("../../../Outside"));
         }},
    };
    for (const auto& [what, breakBundle] : breakages) {
        SCOPED_TRACE(what);
        writeBundle("Godot.app", "Godot", runnable);
        writeProgram(scratch() + "/Outside", runnable);
        ASSERT_TRUE(find().has_value());
        breakBundle(scratch() + "/Godot.app");
        EXPECT_EQ(find(), std::nullopt);
    }
}

} // namespace
