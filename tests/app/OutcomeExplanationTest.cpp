#include "app/OutcomeExplanation.h"
#include "app/DisplayOptions.h"
#include "app/ProgressDisplay.h"
#include "download/DownloadProgress.h"
#include "testkit/TestEnvironment.h"

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
                   bool compatible = false; int signal = 0; } rows[] = {
        {.name = "no OpenGL 3", .lines = sound + gl21, .action = older, .cause = graphics},
        {.name = "not even compatible", .lines = gl21, .action = None,
         .cause = "not even with compatibility graphics", .compatible = true},
        {.name = "no Vulkan", .lines = {"ERROR: " + unsupported + "Vulkan or Direct3D 12 version."},
         .action = older, .cause = graphics},
        {.name = "no GL", .lines = {"ERROR: Unable to initialize OpenGL video driver."},
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
        {.name = "script error", .lines = {jump, "   At: res://Player.gd:12."}, .action = None,
         .cause = "code: \"" + jump + "\". A newer version"},
        // Godot's crash handler ends with abort(); the line names the signal that began it.
        {.name = "crash",
         .lines = {"handle_crash: Program crashed with signal 11", "Dumping the backtrace."},
         .action = None, .cause = "The game crashed (segmentation fault, signal 11).", .signal = 6},
        {.name = "killed", .lines = {banner}, .action = None,
         .cause = "The game crashed (killed, signal 9).", .signal = 9},
        // The renderer banner, Godot 4 recovering by itself, sound.
        {.name = "no cause",
         .lines = QStringList{"OpenGL ES 3.0 Renderer: llvmpipe (LLVM 15.0.6, 256 bits)",
                              "WARNING: " + unsupported + "Vulkan version, switching to OpenGL 3.",
                              "WARNING: " + unsupported + "OpenGL 3.3 version, switching to "
                                                          "ANGLE."} + sound, .action = None},
    };
    qputenv("DISPLAY", ":99");
    qunsetenv("WAYLAND_DISPLAY");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const RunOutcome outcome{row.signal ? row.signal : 255, 0.4, row.signal != 0, row.lines};
        const Failure failure = explainOutcome(outcome, {false, "", row.compatible});
        EXPECT_EQ(failure.action, row.action);
        EXPECT_TRUE(failure.headline.contains(row.cause)) << failure.headline;
        EXPECT_EQ(failure.headline.endsWith("open. Last log lines:"), row.cause.isEmpty())
            << failure.headline;
    }
    qunsetenv("DISPLAY");
    EXPECT_TRUE(explainOutcome({255, 0.4, false, {"Can't open display"}}, {})
                    .headline.contains("(DISPLAY is not set)"));
}

// The seconds round half to even.
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
