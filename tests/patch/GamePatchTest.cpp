#include "patch/GamePatch.h"

#include "patch/HipFireEdits.h"
#include "support/LogStore.h"
#include "testkit/TestEnvironment.h"

#include <csignal>
#include <sys/resource.h>

namespace {

const QString playerPath = "src/actor/player/player.gd";
const QString bulletPath = "src/level_components/level_sub_managers/bullet_manager.gd";

// The parts of the game's scripts that the change touches; the player hands input to the state
// machine twice, and only the first hand-over changes.
const QByteArray player = "var _aim_blocking_bodies: Array\n"
                          "func _unhandled_input(event: InputEvent) -> void:\n"
                          "\tif event.is_action_pressed(\"player_aim\"):\n"
                          "\telse:\n"
                          "\t\t_state_machine.handle_input(event)\n"
                          "func fire_weapon() -> void:\n"
                          "\tif current_weapon.fire():\n"
                          "\telse:\n"
                          "\t\t_state_machine.handle_input(event)\n";

using namespace GamePatch::HipFire;
const auto bytes = [](QLatin1StringView text) { return QByteArray(text.data(), text.size()); };

// Once changed, each anchor's first occurrence replaced.
const QByteArray patchedPlayer = bytes(playerEdits[0].replacement) +
                                 "func _unhandled_input(event: InputEvent) -> void:\n"
                                 "\tif event.is_action_pressed(\"player_aim\"):\n" +
                                 bytes(playerEdits[1].replacement) +
                                 bytes(playerEdits[2].replacement) +
                                 "\telse:\n"
                                 "\t\t_state_machine.handle_input(event)\n";

const QByteArray bullet =
    "\tvar bullet_direction: Vector3 = weapon.bullet_spawn_point.global_transform.basis.z\n"
    "\tbullet.direction = bullet_direction\n";
const QByteArray patchedBullet =
    bytes(bulletEdit.replacement) + "\tbullet.direction = bullet_direction\n" + bytes(bulletBlock);

class GamePatchTest : public IsolatedTest {
protected:
    // Writes the two scripts (null: leaves that one as it is), patches, and answers the log.
    QStringList patch(const QByteArray& playerText, const QByteArray& bulletText, bool applied) {
        if (!playerText.isNull())
            testkit::writeFile(scratch(), playerPath, playerText);
        if (!bulletText.isNull())
            testkit::writeFile(scratch(), bulletPath, bulletText);
        LogStore log;
        EXPECT_EQ(GamePatch::applyHipFire(scratch(), log), applied);
        return log.lines();
    }
    QByteArray script(const QString& path) { return testkit::readFile(scratch() + "/" + path); }
};

// A save that fails leaves both scripts as they were.
TEST_F(GamePatchTest, BothScriptsGetTheChangeOnceAtTheFirstOccurrencesOrNeitherDoes) {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{static_cast<rlim_t>(player.size()), saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small); // the patched player cannot be saved
    const QStringList failed = patch(player, bullet, false);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(failed.size() == 1 && failed[0].startsWith("Hip-fire change could not be saved: "))
        << failed.join('\n');
    EXPECT_EQ(script(playerPath), player);
    EXPECT_EQ(script(bulletPath), bullet);
    patch({}, {}, true);
    EXPECT_EQ(patch({}, {}, true), QStringList{}) << "an applied change is silent";
    EXPECT_EQ(script(playerPath), patchedPlayer);
    EXPECT_EQ(script(bulletPath), patchedBullet);
}

TEST_F(GamePatchTest, ScriptsThatLookDifferentAreLeftAsTheyWere) {
    const struct { const char* name; QByteArray player, bullet; const char* differs{}; } rows[] = {
        {.name = "no player", .player = QByteArray(), .bullet = bullet},
        {.name = "bullet not UTF-8", .player = player, .bullet = "extends Node\n\xC3"},
        {.name = "bullet anchor", .player = player,
         .bullet = QByteArray(bullet).replace("basis.z", ""), .differs = "bullet"},
        {.name = "bullet changed", .player = player, .bullet = patchedBullet, .differs = "bullet"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString why = row.differs ? QString("the game's %1 script looks different from what "
                                                  "was expected.").arg(row.differs)
                                        : "game scripts not found.";
        EXPECT_EQ(patch(row.player, row.bullet, false),
                  QStringList{"Hip-fire change skipped: " + why});
        EXPECT_EQ(script(playerPath), row.player);
        EXPECT_EQ(script(bulletPath), row.bullet);
    }
}

} // namespace
