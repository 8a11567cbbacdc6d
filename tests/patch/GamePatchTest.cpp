#include "patch/GamePatch.h"

#include "support/LogStore.h"
#include "testkit/TestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

const QString playerPath = "src/actor/player/player.gd";
const QString bulletPath = "src/level_components/level_sub_managers/bullet_manager.gd";

// Shaped like the game's scripts; the player hands input to the state machine twice, and only
// the first hand-over changes.
const QByteArray player = "var _aim_blocking_bodies: Array\n"
                          "func _unhandled_input(event: InputEvent) -> void:\n"
                          "\tif event.is_action_pressed(\"player_aim\"):\n"
                          "\t\t_is_weapon_lowered = false\n"
                          "\telse:\n"
                          "\t\t_state_machine.handle_input(event)\n"
                          "func fire_weapon() -> void:\n"
                          "\tif current_weapon.fire():\n"
                          "\t\t_hud.update_weapon_ammo(current_weapon.ammo_loaded)\n"
                          "\telse:\n"
                          "\t\t_state_machine.handle_input(event)\n";

const QByteArray patchedPlayer =
    "var _aim_blocking_bodies: Array\n"
    "var last_shot_hip: bool = false  # hip-fire patch\n"
    "func _unhandled_input(event: InputEvent) -> void:\n"
    "\tif event.is_action_pressed(\"player_aim\"):\n"
    "\t\t_is_weapon_lowered = false\n"
    "\telif event.is_action_pressed(\"player_shoot\") and _is_weapon_lowered:\n"
    "\t\tfire_weapon_from_hip()\n"
    "\telse:\n"
    "\t\t_state_machine.handle_input(event)\n"
    "func fire_weapon_from_hip() -> void:\n"
    "\tlast_shot_hip = true\n"
    "\tif current_weapon.fire():\n"
    "\t\t_hud.update_weapon_ammo(current_weapon.ammo_loaded)\n"
    "\t\temit_signal(\"shooting\", current_weapon)\n"
    "\n\nfunc fire_weapon() -> void:\n"
    "\tlast_shot_hip = false\n"
    "\tif current_weapon.fire():\n"
    "\t\t_hud.update_weapon_ammo(current_weapon.ammo_loaded)\n"
    "\telse:\n"
    "\t\t_state_machine.handle_input(event)\n";

const QByteArray bullet =
    "\tvar bullet_direction: Vector3 = weapon.bullet_spawn_point.global_transform.basis.z\n"
    "\tbullet.direction = bullet_direction\n";

const QByteArray patchedBullet =
    "\tvar bullet_direction: Vector3 = weapon.bullet_spawn_point.global_transform.basis.z\n"
    "\tif source is Player and source.get(\"last_shot_hip\"):\n"
    "\t\tbullet_direction = _hip_fire_direction(source, spawn_vector)\n"
    "\tbullet.direction = bullet_direction\n"
    "\n# hip-fire patch\n"
    "func _hip_fire_direction(player, spawn_point: Vector3) -> Vector3:\n"
    "\tvar cam_sys = player.camera_system\n"
    "\tvar direction: Vector3 = -cam_sys.get_camera_global_transform().basis.z\n"
    "\tvar target: Vector3 = cam_sys.raycast_collision_point()\n"
    "\tif target.distance_to(spawn_point) > 2.0:\n"
    "\t\tdirection = (target - spawn_point).normalized()\n"
    "\tvar spread: float = deg2rad(4.0)\n"
    "\tvar side: Vector3 = direction.cross(Vector3.UP)\n"
    "\tif side.length() < 0.001:\n"
    "\t\tside = Vector3.RIGHT\n"
    "\tside = side.normalized()\n"
    "\tvar up: Vector3 = side.cross(direction).normalized()\n"
    "\tdirection = direction.rotated(up, rand_range(-spread, spread))\n"
    "\tdirection = direction.rotated(side, rand_range(-spread, spread))\n"
    "\treturn direction.normalized()\n";

const QString applied = "Applied hip-fire change (gun fires when not aiming, less accurate).";

class GamePatchTest : public IsolatedTest {
protected:
    QString game() const { return scratch() + "/Game"; }
    // Writes the two scripts (null: leaves that one out), patches, and answers the log.
    QStringList patch(const QByteArray& playerText, const QByteArray& bulletText,
                      bool expectApplied) {
        if (!playerText.isNull())
            testkit::writeFile(game(), playerPath, playerText);
        if (!bulletText.isNull())
            testkit::writeFile(game(), bulletPath, bulletText);
        LogStore log;
        EXPECT_EQ(GamePatch::applyHipFire(game(), log), expectApplied);
        return log.lines();
    }
    QByteArray script(const QString& path) const { return testkit::readFile(game() + "/" + path); }
};

TEST_F(GamePatchTest, AFreshGameGetsTheChangeOnceAtTheFirstOccurrences) {
    EXPECT_EQ(patch(player, bullet, true), QStringList{applied});
    EXPECT_EQ(script(playerPath), patchedPlayer);
    EXPECT_EQ(script(bulletPath), patchedBullet);
    EXPECT_TRUE(patch({}, {}, true).isEmpty()) << "an applied change is silent";
    EXPECT_EQ(script(playerPath), patchedPlayer);
}

TEST_F(GamePatchTest, ScriptsThatLookDifferentAreLeftAsTheyWere) {
    const QString playerChanged = "Hip-fire change skipped: the game's player script looks "
                                  "different from what was expected.";
    const QString bulletChanged = "Hip-fire change skipped: the game's bullet script looks "
                                  "different from what was expected.";
    const QString notFound = "Hip-fire change skipped: game scripts not found.";
    const auto without = [](QByteArray text, const char* part) { return text.replace(part, ""); };
    const std::tuple<const char*, QByteArray, QByteArray, QString> cases[] = {
        {"first player anchor", without(player, "Array\n"), bullet, playerChanged},
        {"second player anchor", without(player, "\t\t_state_machine.handle_input(event)\n"),
         bullet, playerChanged},
        {"third player anchor", without(player, "\tif current_weapon.fire():\n"), bullet,
         playerChanged},
        {"bullet anchor", player, without(bullet, "basis.z"), bulletChanged},
        {"player changed, bullet not", patchedPlayer, bullet, playerChanged},
        {"bullet changed, player not", player, patchedBullet, bulletChanged},
        {"player not UTF-8", "extends Node\n\xFF\xFE", bullet, notFound},
        {"bullet cut mid-character", player, "extends Node\n\xC3", notFound},
    };
    for (const auto& [what, playerText, bulletText, message] : cases) {
        EXPECT_EQ(patch(playerText, bulletText, false), QStringList{message}) << what;
        EXPECT_EQ(script(playerPath), playerText) << what;
        EXPECT_EQ(script(bulletPath), bulletText) << what;
    }
    QFile::remove(game() + "/" + playerPath);
    EXPECT_EQ(patch(QByteArray(), bullet, false), QStringList{notFound});
}

TEST_F(GamePatchTest, AFailedSaveWritesNeitherScript) {
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved;
    limit.rlim_cur = static_cast<rlim_t>(player.size()); // the patched player cannot be saved
    setrlimit(RLIMIT_FSIZE, &limit);
    const QStringList log = patch(player, bullet, false);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log.first().startsWith("Hip-fire change could not be saved: ")) << log.first();
    EXPECT_EQ(script(playerPath), player);
    EXPECT_EQ(script(bulletPath), bullet);
}

} // namespace
