#include "LaunchFixture.h"

#include "patch/HipFireEdits.h"
#include "support/Paths.h"
#include "testkit/ZipBuilder.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QString top = QStringLiteral("godot_brennick-main/");

QByteArray playerScript() {
    QByteArray text = "extends KinematicBody\n";
    for (const auto& edit : GamePatch::HipFire::playerEdits)
        text += QByteArray(edit.anchor.data(), edit.anchor.size()) + "\n";
    return text;
}

QByteArray bulletScript() {
    const auto anchor = GamePatch::HipFire::bulletEdit.anchor;
    return "func _on_shoot(source, weapon, spawn_vector):\n" +
           QByteArray(anchor.data(), anchor.size());
}

} // namespace

void LaunchFixture::SetUp() {
    IsolatedTest::SetUp();
    server.useAsHostingService();
    resetMirror();
}

void LaunchFixture::resetMirror() {
    server.serveGameArchive(gameZip(QStringLiteral("game-seconds = 1\n")));
    server.setBody(QUrl(gameEngine().checksumUrl()).path(), {});
    server.setBody(QUrl(gameEngine().archiveUrl()).path(), {});
    server.serveEngine(gameEngine(), engineZip());
}

void LaunchFixture::TearDown() {
    if (model_)
        model_->shutdown();
}

QByteArray LaunchFixture::gameZip(const QString& standinIni, const QString& features) {
    QByteArray project = "; Engine configuration file.\nconfig_version=4\n\n[application]\n\n"
                         "config/name=\"Brennick\"\nrun/main_scene=\"res://Main.tscn\"\n";
    if (!features.isEmpty())
        project += "config/features=PoolStringArray( " + features.toUtf8() + " )\n";
    project += "\n[input]\n\nplayer_jump={\n\"deadzone\": 0.5,\n\"events\": [ "
               "Object(InputEventKey,\"resource_local_to_scene\":false,\"scancode\":32,\"unicode\":"
               "0)\n ]\n}\n"
               "\n[layer_names]\n\n3d_physics/layer_1=\"world\"\n";
    using ziptest::Entry;
    return ziptest::zip({
        Entry::folder(top),
        Entry::file(top + QStringLiteral("project.godot"), project),
        Entry::file(top + QStringLiteral("README.md"), "# Brennick\n\nA time-trial shooter.\n"),
        Entry::file(top + QStringLiteral("LICENSE"), "MIT License\n\nCopyright (c) 2023 varnel\n"),
        Entry::file(top + QStringLiteral("Main.tscn"), "[node name=\"Main\" type=\"Spatial\"]\n"),
        Entry::file(top + QLatin1String(GamePatch::HipFire::playerScript), playerScript()),
        Entry::file(top + QLatin1String(GamePatch::HipFire::bulletScript), bulletScript()),
        Entry::file(
            top + QStringLiteral(".standin.ini"),
            (QStringLiteral("editor-spread = 0.1\nimport-sidecars = 2\n") + standinIni).toUtf8()),
    });
}

QByteArray LaunchFixture::engineZip() {
    QFile program(QStringLiteral(STANDIN_GODOT));
    if (!program.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "no stand-in engine at " << STANDIN_GODOT;
    const QString name = gameEngine().assetName().chopped(4); // without ".zip"
    return ziptest::zip({ziptest::Entry::file(name, program.readAll(), 0755)},
                        ziptest::Compression::Store);
}

AppModel& LaunchFixture::model() {
    if (!model_) {
        settings_ = std::make_unique<QSettings>(scratch() + QStringLiteral("/settings.ini"),
                                                QSettings::IniFormat);
        AppEnvironment env;
        env.settings = settings_.get();
        env.prompts = &prompts;
        env.revealer = &revealer;
        env.screenArea = [] { return std::optional<QSizeF>(QSizeF(1920, 1055)); };
        env.importTiming = {20ms, 20'000ms};
        env.playingAfter = 400ms;
        model_ = std::make_unique<AppModel>(std::move(env));
        QObject::connect(model_.get(), &AppModel::phaseChanged,
                         [this] { phases << model_->phase().kind(); });
        QObject::connect(model_.get(), &AppModel::stepTextChanged,
                         [this] { stepTexts << model_->stepText(); });
    }
    return *model_;
}

bool LaunchFixture::runToEnd(bool forceGame, bool launch) {
    QSignalSpy finished(&model(), &AppModel::runFinished);
    model().start(forceGame, launch);
    return finished.wait(60'000);
}

bool LaunchFixture::waitForPhase(Phase::Kind kind) {
    return QTest::qWaitFor([&] { return model().phase().kind() == kind; }, 30'000);
}

QString LaunchFixture::projectDir() const {
    return Paths::gameFolder() + QStringLiteral("/godot_brennick-main");
}

void LaunchFixture::setBehaviour(const QString& ini) const {
    testkit::writeFile(
        projectDir(), QStringLiteral(".standin.ini"),
        (QStringLiteral("editor-spread = 0.1\nimport-sidecars = 2\n") + ini).toUtf8());
}

QStringList LaunchFixture::gameArgumentLists() const {
    QStringList games;
    const QByteArray log = testkit::readFile(projectDir() + QStringLiteral("/.standin-args.log"));
    for (const QByteArray& line : log.split('\n')) {
        const QStringList args =
            QVariant(QJsonDocument::fromJson(line).array().toVariantList()).toStringList();
        if (args.contains(QStringLiteral("--windowed")) ||
            args.contains(QStringLiteral("--fullscreen")))
            games << args.join(QLatin1Char(' '));
    }
    return games;
}

int LaunchFixture::requestsFor(const QString& pathPart) const {
    int count = 0;
    for (const QString& target : server.requestLog())
        count += target.contains(pathPart) ? 1 : 0;
    return count;
}
