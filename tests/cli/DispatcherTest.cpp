#include "CommandRun.h"

#include "testkit/TestEnvironment.h"

#include <gtest/gtest.h>

TEST(Dispatcher, UsageMistakesExitWithTwoAndShowTheUsage) {
    const QStringList mistakes[] = {{},
                                    {"bogus"},
                                    {"info", "--bogus"},
                                    {"info", "extra"},
                                    {"info", "--game"},
                                    {"settings", "--fullscreen", "--windowed"},
                                    {"settings", "--resolution", "big"}};
    for (const QStringList& args : mistakes) {
        const CommandRun run = quillfire(args);
        EXPECT_EQ(run.code, 2) << args.join(' ');
        EXPECT_TRUE(run.out.isEmpty()) << args.join(' ');
        EXPECT_FALSE(run.err.isEmpty()) << args.join(' ');
    }
}

TEST(Dispatcher, HelpListsEveryCommandAndTheExitStatuses) {
    const CommandRun run = quillfire({"--help"});
    EXPECT_EQ(run.code, 0);
    for (const Command& command : commands())
        EXPECT_TRUE(
            run.out.contains(QString("quillfire %1 %2").arg(command.name, command.synopsis)))
            << command.name;
    for (const char* status : {"  0  ", "  1  ", "  2  ", "  130  "})
        EXPECT_TRUE(run.out.contains(status)) << status;
    EXPECT_TRUE(quillfire({"info", "--help"}).out.contains("quillfire info [--json] [--game DIR]"));
    EXPECT_EQ(quillfire({"--version"}).out, QString("quillfire ") + QUILLFIRE_VERSION + "\n");
}
