#include "patch/GamePatch.h"

#include "patch/HipFireEdits.h"
#include "support/LogStore.h"
#include "testkit/TestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

const QString playerPath = "src/actor/player/player.gd";
const QString bulletPath = "src/level_components/level_sub_managers/bullet_manager.gd";

// Shaped like the game's player script, with a second hand-over to the state
// machine that must stay as it is.
const QByteArray originalPlayer = "extends KinematicBody\n"
                                  "class_name Player\n"
                                  "\n"
                                  "var _aim_blocking_bodies: Array\n"
                                  "var _is_weapon_lowered := true\n"
                                  "\n"
                                  "\n"
                                  "func _unhandled_input(event: InputEvent) -> void:\n"
                                  "\tif event.is_action_pressed(\"player_aim\"):\n"
                                  "\t\t_is_weapon_lowered = false\n"
                                  "\telse:\n"
                                  "\t\t_state_machine.handle_input(event)\n"
                                  "\n"
                                  "\n"
                                  "func fire_weapon() -> void:\n"
                                  "\tif current_weapon.fire():\n"
                                  "\t\t_hud.update_weapon_ammo(current_weapon.ammo_loaded)\n"
                                  "\n"
                                  "\n"
                                  "func _input(event: InputEvent) -> void:\n"
                                  "\tif event is InputEventKey:\n"
                                  "\t\tpass\n"
                                  "\telse:\n"
                                  "\t\t_state_machine.handle_input(event)\n";

const QByteArray patchedPlayer =
    "extends KinematicBody\n"
    "class_name Player\n"
    "\n"
    "var _aim_blocking_bodies: Array\n"
    "var last_shot_hip: bool = false  # hip-fire patch\n"
    "var _is_weapon_lowered := true\n"
    "\n"
    "\n"
    "func _unhandled_input(event: InputEvent) -> void:\n"
    "\tif event.is_action_pressed(\"player_aim\"):\n"
    "\t\t_is_weapon_lowered = false\n"
    "\telif event.is_action_pressed(\"player_shoot\") and _is_weapon_lowered:\n"
    "\t\tfire_weapon_from_hip()\n"
    "\telse:\n"
    "\t\t_state_machine.handle_input(event)\n"
    "\n"
    "\n"
    "func fire_weapon_from_hip() -> void:\n"
    "\tlast_shot_hip = true\n"
    "\tif current_weapon.fire():\n"
    "\t\t_hud.update_weapon_ammo(current_weapon.ammo_loaded)\n"
    "\t\temit_signal(\"shooting\", current_weapon)\n"
    "\n"
    "\n"
    "func fire_weapon() -> void:\n"
    "\tlast_shot_hip = false\n"
    "\tif current_weapon.fire():\n"
    "\t\t_hud.update_weapon_ammo(current_weapon.ammo_loaded)\n"
    "\n"
    "\n"
    "func _input(event: InputEvent) -> void:\n"
    "\tif event is InputEventKey:\n"
    "\t\tpass\n"
    "\telse:\n"
    "\t\t_state_machine.handle_input(event)\n";

const QByteArray originalBullet =
    "extends Node\n"
    "\n"
    "func spawn_bullet(source, weapon, spawn_vector: Vector3) -> void:\n"
    "\tvar bullet = _bullet_scene.instance()\n"
    "\tvar bullet_direction: Vector3 = weapon.bullet_spawn_point.global_transform.basis.z\n"
    "\tbullet.direction = bullet_direction\n"
    "\tadd_child(bullet)\n";

const QByteArray patchedBullet =
    "extends Node\n"
    "\n"
    "func spawn_bullet(source, weapon, spawn_vector: Vector3) -> void:\n"
    "\tvar bullet = _bullet_scene.instance()\n"
    "\tvar bullet_direction: Vector3 = weapon.bullet_spawn_point.global_transform.basis.z\n"
    "\tif source is Player and source.get(\"last_shot_hip\"):\n"
    "\t\tbullet_direction = _hip_fire_direction(source, spawn_vector)\n"
    "\tbullet.direction = bullet_direction\n"
    "\tadd_child(bullet)\n"
    "\n"
    "# hip-fire patch\n"
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

const QString playerChanged = "Hip-fire change skipped: the game's player script looks different "
                              "from what was expected.";
const QString bulletChanged = "Hip-fire change skipped: the game's bullet script looks different "
                              "from what was expected.";
const QString notFound = "Hip-fire change skipped: game scripts not found.";
const QString applied = "Applied hip-fire change (gun fires when not aiming, less accurate).";

class GamePatchTest : public IsolatedTest {
protected:
    QString game() const { return scratch() + "/Game"; }
    void writeScripts(const QByteArray& player, const QByteArray& bullet) {
        testkit::writeFile(game(), playerPath, player);
        testkit::writeFile(game(), bulletPath, bullet);
    }
    QByteArray player() const { return testkit::readFile(game() + "/" + playerPath); }
    QByteArray bullet() const { return testkit::readFile(game() + "/" + bulletPath); }

    // Runs the patch on scripts that must come out unchanged, with `message` logged.
    void expectSkipped(const QByteArray& player, const QByteArray& bullet, const QString& message,
                       const char* what) {
        writeScripts(player, bullet);
        LogStore log;
        EXPECT_FALSE(GamePatch::applyHipFire(game(), log)) << what;
        EXPECT_EQ(log.lines(), QStringList{message}) << what;
        EXPECT_EQ(this->player(), player) << what;
        EXPECT_EQ(this->bullet(), bullet) << what;
    }
};

QByteArray without(QByteArray text, const QByteArray& part) {
    EXPECT_TRUE(text.contains(part)) << part.toStdString();
    return text.replace(part, "");
}

// Caps the size of files this process may write, so that saving fails.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

} // namespace

TEST(HipFireEdits, AppendedBlockIsExactly718Characters) {
    EXPECT_EQ(GamePatch::HipFire::bulletBlock.size(), 718);
}

TEST_F(GamePatchTest, FreshGameGetsTheChangeOnceAndOnlyAtFirstOccurrences) {
    writeScripts(originalPlayer, originalBullet);
    LogStore log;
    EXPECT_TRUE(GamePatch::applyHipFire(game(), log));
    EXPECT_EQ(log.lines(), QStringList{applied});
    EXPECT_EQ(player(), patchedPlayer);
    EXPECT_EQ(bullet(), patchedBullet);

    LogStore second;
    EXPECT_TRUE(GamePatch::applyHipFire(game(), second));
    EXPECT_TRUE(second.lines().isEmpty()) << "an applied change is silent";
    EXPECT_EQ(player(), patchedPlayer);
    EXPECT_EQ(bullet(), patchedBullet);
}

TEST_F(GamePatchTest, AnyMissingAnchorLeavesBothScriptsAsTheyWere) {
    expectSkipped(without(originalPlayer, "var _aim_blocking_bodies: Array\n"), originalBullet,
                  playerChanged, "first player anchor");
    expectSkipped(without(originalPlayer, "\telse:\n\t\t_state_machine.handle_input(event)\n"),
                  originalBullet, playerChanged, "second player anchor");
    expectSkipped(without(originalPlayer, "\tif current_weapon.fire():\n"), originalBullet,
                  playerChanged, "third player anchor");
    expectSkipped(originalPlayer, without(originalBullet, "\tvar bullet_direction"), bulletChanged,
                  "bullet anchor");
}

TEST_F(GamePatchTest, UnreadableScriptsAreNotTouched) {
    expectSkipped("extends Node\n\xFF\xFE", originalBullet, notFound, "player not UTF-8");
    expectSkipped(originalPlayer, "extends Node\n\xC3", notFound, "bullet cut mid-character");

    testkit::writeFile(scratch(), "Other/" + bulletPath, originalBullet);
    LogStore log;
    EXPECT_FALSE(GamePatch::applyHipFire(scratch() + "/Other", log));
    EXPECT_EQ(log.lines(), QStringList{notFound});
    EXPECT_EQ(testkit::readFile(scratch() + "/Other/" + bulletPath), originalBullet);
}

TEST_F(GamePatchTest, HalfPatchedGamesAreLeftAlone) {
    expectSkipped(patchedPlayer, originalBullet, playerChanged, "player changed, bullet not");
    expectSkipped(originalPlayer, patchedBullet, bulletChanged, "bullet changed, player not");
}

TEST_F(GamePatchTest, AFailedSaveWritesNeitherScript) {
    writeScripts(originalPlayer, originalBullet);
    LogStore log;
    {
        const FileSizeLimit limit(originalPlayer.size());
        EXPECT_FALSE(GamePatch::applyHipFire(game(), log));
    }
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log.at(0).startsWith("Hip-fire change could not be saved: "))
        << log.at(0).toStdString();
    EXPECT_EQ(player(), originalPlayer);
    EXPECT_EQ(bullet(), originalBullet);
}
