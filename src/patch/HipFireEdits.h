#pragma once

#include <QString>

#include <array>

// The exact texts of the hip-fire change: what is looked for in the game's
// scripts and what takes its place.
namespace GamePatch::HipFire {

struct Edit {
    QLatin1StringView anchor;
    QLatin1StringView replacement;
};

inline constexpr QLatin1StringView playerScript{"src/actor/player/player.gd"};
inline constexpr QLatin1StringView bulletScript{
    "src/level_components/level_sub_managers/bullet_manager.gd"};

// Shows that a script already carries the change.
inline constexpr QLatin1StringView marker{"# hip-fire patch"};

// Applied in this order, each to the first occurrence of its anchor.
inline constexpr std::array<Edit, 3> playerEdits{{
    {QLatin1StringView("var _aim_blocking_bodies: Array\n"),
     QLatin1StringView("var _aim_blocking_bodies: Array\n"
                       "var last_shot_hip: bool = false  # hip-fire patch\n")},
    {QLatin1StringView("\telse:\n\t\t_state_machine.handle_input(event)\n"),
     QLatin1StringView("\telif event.is_action_pressed(\"player_shoot\") and _is_weapon_lowered:\n"
                       "\t\tfire_weapon_from_hip()\n"
                       "\telse:\n"
                       "\t\t_state_machine.handle_input(event)\n")},
    {QLatin1StringView("func fire_weapon() -> void:\n\tif current_weapon.fire():\n"),
     QLatin1StringView("func fire_weapon_from_hip() -> void:\n"
                       "\tlast_shot_hip = true\n"
                       "\tif current_weapon.fire():\n"
                       "\t\t_hud.update_weapon_ammo(current_weapon.ammo_loaded)\n"
                       "\t\temit_signal(\"shooting\", current_weapon)\n"
                       "\n"
                       "\n"
                       "func fire_weapon() -> void:\n"
                       "\tlast_shot_hip = false\n"
                       "\tif current_weapon.fire():\n")},
}};

inline constexpr Edit bulletEdit{
    QLatin1StringView(
        "\tvar bullet_direction: Vector3 = weapon.bullet_spawn_point.global_transform.basis.z\n"),
    QLatin1StringView(
        "\tvar bullet_direction: Vector3 = weapon.bullet_spawn_point.global_transform.basis.z\n"
        "\tif source is Player and source.get(\"last_shot_hip\"):\n"
        "\t\tbullet_direction = _hip_fire_direction(source, spawn_vector)\n")};

// Appended to the bullet script: aims a hip shot at the crosshair point and
// scatters it by up to 4 degrees each way.
inline constexpr QLatin1StringView bulletBlock{
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
    "\treturn direction.normalized()\n"};

} // namespace GamePatch::HipFire
