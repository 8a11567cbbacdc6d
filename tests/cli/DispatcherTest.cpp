#include "CommandRun.h"

#include "testkit/TestEnvironment.h"

#include <gtest/gtest.h>

TEST(Dispatcher, UsageMistakesExitWithTwoAndShowTheUsage) {
    const QList<QStringList> mistakes{
        {}, {"bogus"}, {"--bogus"}, {"info", "--bogus"}, {"info", "extra"}, {"info", "--game"},
    };
    for (const QStringList& args : mistakes) {
        const CommandRun run = quillfire(args);
        EXPECT_EQ(run.code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("Usage: quillfire <command>")) << args.join(' ').toStdString();
    }
}

TEST(Dispatcher, HelpListsEveryCommandAndTheExitStatuses) {
    const CommandRun run = quillfire({"--help"});
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(run.err.isEmpty());
    for (const Command& command : commands())
        EXPECT_TRUE(
            run.out.contains(QString("quillfire %1 %2").arg(command.name, command.synopsis)))
            << command.name;
    EXPECT_TRUE(run.out.contains("--game DIR"));
    for (const char* status : {"  0  ", "  1  ", "  2  "})
        EXPECT_TRUE(run.out.contains(status)) << status;

    const CommandRun info = quillfire({"info", "--help"});
    EXPECT_EQ(info.code, 0);
    EXPECT_TRUE(info.out.contains("quillfire info [--json] [--game DIR]"));
}

TEST(Dispatcher, VersionIsTheProgramVersion) {
    const CommandRun run = quillfire({"--version"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, QString("quillfire ") + QUILLFIRE_VERSION + "\n");
}
