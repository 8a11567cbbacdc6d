#include "cli/Command.h"
#include "cli/InfoCommand.h"

#include <array>

// A new command is one run function in its own file plus one row here.
std::span<const Command> commands() {
    static constexpr std::array table{
        Command{"info", "[--json] [--game DIR]",
                "Show what the game is, how it is played and where its files go",
                "        --json      print one JSON object instead of text\n"
                "        --game DIR  read the game in DIR instead of the installed one\n",
                &runInfo},
    };
    return table;
}
