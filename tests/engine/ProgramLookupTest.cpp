#include "engine/ProgramLookup.h"
#include "engine/EngineSpec.h"
#include "testkit/TestEnvironment.h"

#include <QFileInfo>

namespace {

constexpr auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                          QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther;

void writeProgram(const QString& path,
                  QFile::Permissions permissions = readable | QFile::ExeOwner) {
    testkit::writeFile(QFileInfo(path).path(), QFileInfo(path).fileName(), "#!/bin/sh\n");
    QFile::setPermissions(path, permissions);
}

using ProgramLookupTest = IsolatedTest;

TEST_F(ProgramLookupTest, FindsTheLinuxProgramOfEachLayoutAndGivesBackItsExecuteBit) {
    const std::tuple<EngineSpec, Platform, QString> layouts[] = {
        {{4, "4.3", false}, Platform::LinuxArm64, "Godot_v4.3-stable_linux.arm64"},
        {{3, "3.5.3", true},
         Platform::LinuxX86_64,
         "Godot_v3.5.3-stable_mono_x11_64/Godot_v3.5.3-stable_mono_x11.64"},
        {{4, "4.2.2", true},
         Platform::LinuxX86_64,
         "Godot_v4.2.2-stable_mono_linux_x86_64/Godot_v4.2.2-stable_mono_linux.x86_64"},
    };
    for (const auto& [spec, platform, program] : layouts) {
        const QString folder = scratch() + "/" + spec.installFolderName();
        EXPECT_EQ(ProgramLookup::find(folder, spec.assetName(platform), platform), std::nullopt);
        writeProgram(folder + "/" + program, readable);
        EXPECT_EQ(ProgramLookup::find(folder, spec.assetName(platform), platform),
                  folder + "/" + program);
        EXPECT_EQ(QFile::permissions(folder + "/" + program),
                  readable | QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther);
    }
}

TEST_F(ProgramLookupTest, TakesTheProgramTheFirstMacBundleDeclaresAndNothingFromABrokenOne) {
    const auto plist = [](const QByteArray& program) {
        return "<?xml version=\"1.0\"?>\n<plist "
               "version=\"1.0\">\n<dict>\n<key>CFBundleDocumentTypes"
               "</key><array><dict><key>CFBundleExecutable</key><string>Decoy</string></dict>"
               "</array>\n<key>CFBundleExecutable</key>\n<string>" +
               program + "</string>\n</dict>\n</plist>\n";
    };
    const QString godot = scratch() + "/Godot.app/Contents/";
    const auto find = [&] { return ProgramLookup::find(scratch(), {}, Platform::MacOS); };
    for (const char* bundle : {"Zed", "Godot"}) {
        testkit::writeFile(scratch(), QString("%1.app/Contents/Info.plist").arg(bundle),
                           plist(bundle));
        writeProgram(scratch() + QString("/%1.app/Contents/MacOS/%1").arg(bundle));
    }
    writeProgram(godot + "MacOS/Decoy");
    writeProgram(scratch() + "/Outside");
    EXPECT_EQ(find(), godot + "MacOS/Godot");
    const std::pair<const char*, std::function<void()>> breakages[] = {
        {"not executable", [&] { QFile::setPermissions(godot + "MacOS/Godot", readable); }},
        {"not XML", [&] { testkit::writeFile(godot, "Info.plist", "bplist00\x01"); }},
        {"outside the bundle",
         [&] { testkit::writeFile(godot, "Info.plist", plist("../../../Outside")); }},
    };
    for (const auto& [what, breakBundle] : breakages) {
        testkit::writeFile(godot, "Info.plist", plist("Godot"));
        writeProgram(godot + "MacOS/Godot");
        breakBundle();
        EXPECT_EQ(find(), std::nullopt) << what;
    }
}

} // namespace
