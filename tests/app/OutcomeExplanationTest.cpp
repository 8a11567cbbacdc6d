#include "app/OutcomeExplanation.h"
#include "app/DisplayOptions.h"
#include "app/ProgressDisplay.h"
#include "download/DownloadProgress.h"
#include "testkit/TestEnvironment.h"

#include <csignal>

using enum FailureAction;

// What Godot 3.2.3 prints on a driver that offers only OpenGL 2.1, and on a first run whose
// imported copies are gone; the rest as Godot 4 words it.
TEST(OutcomeExplanation, NamesTheCauseFromTheGamesOwnLines) {
    const QString banner = "Godot Engine v3.2.3.stable.custom_build - https://godotengine.org";
    const QStringList sound{
        "ALSA lib pcm.c:2666:(snd_pcm_open_noupdate) Unknown PCM default",
        "ERROR: init_device: ALSA: Can't open the playback device",
        "WARNING: initialize: All audio drivers failed, falling back to the dummy driver."};
    const QStringList gl21{
        banner,
        "ERROR: initialize: Condition \"ctxErrorOccurred || !p->glx_context\" is true. Returned: "
        "ERR_UNCONFIGURED",
        "   At: platform/x11/context_gl_x11.cpp:190.",
        "ERROR: is_viable: Error initializing GLAD",
        "   At: drivers/gles3/rasterizer_gles3.cpp:141.",
        "Your video card driver does not support any of the supported OpenGL versions.",
        "Please update your drivers or if you have a very old or integrated GPU upgrade it."};
    const QStringList importGone{
        "ERROR: _load_data: Condition \"!f\" is true. Returned: ERR_CANT_OPEN",
        "ERROR: _load: Failed loading resource: res://.import/icon.svg-218a8f2b.stex. Make sure "
        "resources have been imported by opening the project in the editor at least once.",
        "ERROR: _load: Failed loading resource: res://icon.svg. Make sure resources have been "
        "imported by opening the project in the editor at least once.",
        "ERROR: poll: res://Main.tscn:3 - Parse Error: [ext_resource] referenced nonexistent "
        "resource at: res://icon.svg",
        "ERROR: start: Failed loading scene: res://Main.tscn"};
    const QString graphics = "The graphics driver cannot run the game's renderer";
    const QString files = "Some game files could not be loaded; try Reinstall in Settings.";
    const QString jump = "SCRIPT ERROR: _ready: Invalid call. Nonexistent function 'jump' in base "
                         "'KinematicBody'.";
    const QString unsupported = "Your video card drivers seem not to support the required ";
    const auto older = CompatibilityGraphics;
    const struct { const char* name; QStringList lines; FailureAction action; QString cause = {};
                   bool compatible = false; } rows[] = {
        {.name = "no OpenGL 3", .lines = sound + gl21, .action = older, .cause = graphics},
        {.name = "not even compatible", .lines = gl21, .action = None,
         .cause = "not even with compatibility graphics", .compatible = true},
        {.name = "no Vulkan", .lines = {"ERROR: " + unsupported + "Vulkan or Direct3D 12 version."},
         .action = older, .cause = graphics},
        {.name = "no GL", .lines = {"ERROR: Unable to initialize OpenGL video driver."},
         .action = older, .cause = graphics},
        {.name = "no EGL", .lines = {"ERROR: Can't create an EGL context. Error code: 12297"},
         .action = older, .cause = graphics},
        {.name = "wrong Vulkan",
         .lines = {"ERROR: vkCreateInstance failed with VK_ERROR_INCOMPATIBLE_DRIVER"},
         .action = older, .cause = graphics},
        {.name = "no display", .lines = {banner, "ERROR: initialize: X11 Display is not available"},
         .action = None,
         .cause = "The game found no screen to draw on (the display \":99\" could not be opened)."},
        {.name = "import gone", .lines = importGone, .action = SetUpAgain,
         .cause = "Files that the first-time setup makes"},
        {.name = "resource gone", .lines = importGone.mid(2), .action = Reinstall, .cause = files},
        {.name = "no main scene", .lines = {"ERROR: Can't run project: no main scene defined."},
         .action = Reinstall, .cause = files},
        {.name = "script error", .lines = {jump, "   At: res://Player.gd:12."}, .action = Update,
         .cause = "code: \"" + jump + "\". A newer version of the game may fix it: Update the "
                  "game in Settings."},
        // The renderer banner, Godot 4 recovering by itself, sound.
        {.name = "no cause",
         .lines = QStringList{"OpenGL ES 3.0 Renderer: llvmpipe (LLVM 15.0.6, 256 bits)",
                              "WARNING: " + unsupported + "Vulkan version, switching to OpenGL 3.",
                              "WARNING: " + unsupported + "OpenGL version, switching to OpenGLES.",
                              "WARNING: " + unsupported + "OpenGL 3.3 version, switching to "
                                                          "ANGLE."} + sound, .action = None},
    };
    qputenv("DISPLAY", ":99");
    qunsetenv("WAYLAND_DISPLAY");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Failure failure = explainOutcome({255, 0.4, false, row.lines},
                                               {false, "", row.compatible});
        EXPECT_EQ(failure.action, row.action);
        EXPECT_TRUE(failure.headline.contains(row.cause)) << failure.headline;
        EXPECT_EQ(failure.headline.endsWith("open. Last log lines:"), row.cause.isEmpty())
            << failure.headline;
        // The command line gives the cure as a command, never as a place in the window.
        EXPECT_FALSE(failure.commandLineHeadline.contains("Settings"));
        EXPECT_EQ(failure.commandLineHeadline.contains(" may fix it. Last"), row.action == Update);
    }
    qunsetenv("DISPLAY");
    EXPECT_TRUE(explainOutcome({255, 0.4, false, {"Can't open display"}}, {})
                    .headline.contains("(DISPLAY is not set)"));
}

// A fatal end (the renderer or the display failed, a crash) outranks errors printed before it;
// the earliest root cause wins, so a consequence never hides it.
TEST(OutcomeExplanation, JudgesTheLinesInTheirOwnOrder) {
    const QString unsupported = "Your video card drivers seem not to support the required ";
    // Godot 4.6 on a driver with neither OpenGL 3.3 nor ES 3.0.
    const QStringList noGL{"WARNING: " + unsupported + "Vulkan version, switching to OpenGL 3.",
                           "WARNING: " + unsupported + "OpenGL version, switching to OpenGLES.",
                           "ERROR: Can't create an EGL context. Error code: 12297",
                           unsupported + "OpenGL ES 3.0 version.",
                           "ERROR: Could not initialize OpenGL ES.",
                           "WARNING: Display driver x11 failed, falling back to wayland.",
                           "ERROR: Can't connect to a Wayland display.",
                           "ERROR: Unable to create DisplayServer, all display drivers failed."};
    const QString script = "SCRIPT ERROR: Invalid get index 'x' (on base: 'Nil').";
    const QString missed = "ERROR: Failed loading resource: res://optional.tres.";
    const QString crashLine = "ERROR: Program crashed with signal 11";
    const QString segfault = "The game crashed after 15 seconds (segmentation fault, signal 11).";
    const struct { const char* name; QStringList lines; int signal = 0; QString opening = {};
                   QString cause = {}; FailureAction action = None; int major = 4;
                   const char* wayland = ""; } rows[] = {
        {.name = "display after graphics", .lines = noGL, .cause = "The graphics driver",
         .action = CompatibilityGraphics},
        {.name = "crash after a script error", .lines = {script}, .signal = SIGSEGV,
         .opening = segfault},
        {.name = "crash line after a missed load", .lines = {missed, crashLine}, .signal = SIGABRT,
         .opening = segfault},
        {.name = "graphics before a crash", .lines = noGL.mid(2, 1) + QStringList{crashLine},
         .signal = SIGABRT, .opening = segfault, .cause = "The graphics driver",
         .action = CompatibilityGraphics},
        {.name = "earliest error", .lines = {script, missed}, .cause = "own code",
         .action = Update},
        {.name = "killed", .lines = {missed}, .signal = SIGKILL,
         .opening = "The game crashed after 15 seconds (killed, signal 9)."},
        {.name = "Godot 3 without XWayland", .lines = {"X11 Display is not available"},
         .cause = "Godot 3, which needs an X11 display", .major = 3, .wayland = "wayland-0"},
        {.name = "Godot 4 without Wayland", .lines = {"Can't connect to a Wayland display"},
         .cause = "(the Wayland display \"wayland-0\" could not", .wayland = "wayland-0"},
    };
    qunsetenv("DISPLAY");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        qputenv("WAYLAND_DISPLAY", row.wayland);
        const Failure failure = explainOutcome(
            {row.signal ? row.signal : 1, 15.2, row.signal != 0, row.lines, row.major}, {});
        const QString opening = row.opening.isEmpty()
                                    ? "The game closed after 15 seconds (exit code 1), so it did "
                                      "not stay open."
                                    : row.opening;
        EXPECT_TRUE(failure.headline.startsWith(opening)) << failure.headline;
        EXPECT_TRUE(failure.headline.contains(row.cause)) << failure.headline;
        EXPECT_EQ(failure.headline.size() == opening.size() + 16, row.cause.isEmpty());
        EXPECT_EQ(failure.action, row.action);
    }
    qunsetenv("WAYLAND_DISPLAY");
}

// The setup's engine is judged by what stopped it, not by the game's errors it prints on the way.
TEST(OutcomeExplanation, ASetupStoppedByTheDisplayOrDriverSaysSo) {
    const Problem stopped(Problem::Kind::Import, "First-time setup stopped with exit code 255.");
    qputenv("DISPLAY", ":99");
    const auto explained = [&](const QStringList& lines) {
        return explainSetup(stopped, {255, 1, false, lines, 3}).sentence();
    };
    EXPECT_EQ(explained({"ERROR: X11 Display is not available"}),
              stopped.sentence() + " The game found no screen to draw on (the display \":99\" "
                                   "could not be opened). Start Brennick from within a desktop "
                                   "session.");
    EXPECT_TRUE(explained({"ERROR: Error initializing GLAD"}).endsWith("newer graphics driver may "
                                                                       "help."));
    EXPECT_EQ(explained({"SCRIPT ERROR: Parse Error", "Failed loading resource: res://a"}),
              stopped.sentence());
}

// The seconds round half to even; one is a second.
TEST(OutcomeExplanation, ShowsTheSecondsAndTheLast30LinesButNamesACauseBeforeThem) {
    QStringList output{"Failed loading resource: res://a.tscn"};
    for (int i = 1; i <= 30; ++i)
        output << QString::number(i);
    const Failure failure = explainOutcome({0, 2.5, false, output}, {});
    EXPECT_TRUE(failure.headline.startsWith(
        "The game closed after 2 seconds (exit code 0), so it did not stay open. Some game"));
    EXPECT_EQ(failure.lines, output.mid(1));
    EXPECT_EQ(explainOutcome({-1, 9.6, false, {}}, {}).headline,
              "The game closed after 10 seconds (exit code -1), so it did not stay open. Last log "
              "lines:");
    EXPECT_TRUE(explainOutcome({1, 1.4, false, {}}, {}).headline.startsWith("The game closed "
                                                                            "after 1 second ("));
}

TEST(DisplayOptions, FitsA16By9WindowIntoTheScreen) {
    EXPECT_EQ(fitResolution(QSizeF(1440, 875)), "1296x728");
    EXPECT_EQ(fitResolution(QSizeF(1366, 768)), "1174x660");
    EXPECT_EQ(fitResolution(QSizeF(700, 500)), "");
    EXPECT_EQ(fitResolution(std::nullopt), "");
}

TEST(ProgressDisplay, GivesTheFractionOnlyOfAKnownTotal) {
    const ProgressDisplay known = describeProgress({5'000'000, 20'000'000, 2'000'000.6});
    EXPECT_EQ(known.fraction, 0.25);
    EXPECT_EQ(known.detail, "5 MB of 20 MB \u00b7 2 MB/s");
    const ProgressDisplay unknown = describeProgress({5'000'000, 0, 2'000'000});
    EXPECT_EQ(unknown.fraction, std::nullopt);
    EXPECT_EQ(unknown.detail, "5 MB \u00b7 2 MB/s");
}
