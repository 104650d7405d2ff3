#include "app/commandline.h"

#include <gtest/gtest.h>

using namespace tavrin;

namespace {
CommandLine parse(QStringList args)
{
    args.prepend(QStringLiteral("tavrin"));
    return CommandLine::parse(args);
}
} // namespace

TEST(CommandLine, DefaultsToTheSimulatedDesktop)
{
    const auto c = parse({});
    EXPECT_EQ(c.desktop, CommandLine::Desktop::simulated);
    EXPECT_TRUE(c.scenarioPath.isEmpty());
    EXPECT_TRUE(c.error.isEmpty());
}

TEST(CommandLine, APlainStartAsksForWhicheverTavrinRunsAndExplicitOptionsForTheirOwn)
{
    EXPECT_EQ(parse({}).instanceOptions(), QString());
    EXPECT_EQ(parse({}).runningOptions(), "simulated:");
    EXPECT_EQ(parse({"--desktop", "x11"}).instanceOptions(), "x11");
    EXPECT_EQ(parse({"--desktop", "sim"}).instanceOptions(), "simulated:");
    EXPECT_TRUE(parse({"--scenario", "/tmp/a.json"}).instanceOptions().endsWith("/tmp/a.json"));
}

TEST(CommandLine, ReadsOptionsInBothSpellings)
{
    EXPECT_EQ(parse({"--scenario", "a.json"}).scenarioPath, "a.json");
    EXPECT_EQ(parse({"--scenario=b.json"}).scenarioPath, "b.json");
    EXPECT_EQ(parse({"--desktop", "x11"}).desktop, CommandLine::Desktop::x11);
    EXPECT_EQ(parse({"--desktop=sim"}).desktop, CommandLine::Desktop::simulated);
    EXPECT_TRUE(parse({"-h"}).showHelp);
    EXPECT_TRUE(parse({"--version"}).showVersion);
    EXPECT_TRUE(parse({"--version"}).error.isEmpty());
}

TEST(CommandLine, WrongArgumentsGiveOneClearLine)
{
    EXPECT_EQ(parse({"--scenario"}).error, "--scenario needs a value.");
    EXPECT_EQ(parse({"--desktop", "wayland"}).error, "Unknown desktop \"wayland\": use sim or x11.");
    EXPECT_EQ(parse({"--bogus"}).error, "Unknown option --bogus.");
    EXPECT_EQ(parse({"stray"}).error, "Unexpected argument \"stray\".");
    EXPECT_FALSE(parse({"--desktop", "x11", "--scenario", "a.json"}).error.isEmpty());
}
