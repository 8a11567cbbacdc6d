#pragma once

#include <QString>

// The code-hosting service that serves the game archive and the engine releases.
namespace Hosting {

// "https://github.com", or the mirror named by QUILLFIRE_HOSTING_URL (no trailing slash).
QString baseUrl();
// Its API: "https://api.github.com", or the mirror named by QUILLFIRE_API_URL.
QString apiUrl();

// The game repository's path on the service.
inline constexpr const char* repositoryPath = "/varnel/godot_brennick";

} // namespace Hosting
