#include "cli/Command.h"
#include "cli/InfoCommand.h"
#include "cli/RunCommands.h"
#include "cli/SavesCommand.h"
#include "cli/SettingsCommand.h"

#include <array>

// A new command is one run function in its own file plus one row here.
std::span<const Command> commands() {
    static constexpr std::array table{
        Command{"play", "", "Download and set up what is missing, then start the game",
                "        (Ctrl-C cancels the downloads and set-up, or stops the game)\n", &runPlay},
        Command{"setup", "[--again]",
                "Download and set up what is missing, without starting the game",
                "        --again     run the first-time setup again, even if it ran before\n",
                &runSetup},
        Command{"update", "", "Download the game again (saved games are kept)", "", &runUpdate},
        Command{"rollback", "", "Go back to the game's version before the last update", "",
                &runRollback},
        Command{"repair", "",
                "Check the game's and Godot's files; download again what changed since install", "",
                &runRepair},
        Command{"reinstall", "[--yes]",
                "Download the game and the engine again, swap them in and start the game",
                "        --yes       do not ask first\n", &runReinstall},
        Command{"remove", "[--yes]", "Delete the downloaded game and engine (saved games are kept)",
                "        --yes       do not ask first\n", &runRemove},
        Command{"saves", "[--restore N]",
                "List the backups of the saved games, made before every change to the game",
                "        --restore N  put backup N in place of the saves (backed up first)\n",
                &runSaves},
        Command{"settings",
                "[--fullscreen | --windowed] [--resolution WxH | --resolution fit] "
                "[--graphics standard | compatibility]",
                "Show or change how the game window opens",
                "        --fullscreen / --windowed   window mode\n"
                "        --resolution WxH | fit      window size, or fit to the screen\n"
                "        --graphics compatibility    the engine's older renderer, for graphics\n"
                "                                    drivers that cannot run the standard one\n",
                &runSettings},
        Command{"info", "[--json] [--game DIR]",
                "Show what the game is, how it is played and where its files go",
                "        --json      print one JSON object instead of text\n"
                "        --game DIR  read the game in DIR instead of the installed one\n",
                &runInfo},
    };
    return table;
}
