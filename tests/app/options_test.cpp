// Command-line option matching.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/options.h"

namespace {
StartOptions parse(std::initializer_list<const char*> words)
{
    std::vector<const char*> argv{"quasarine"};
    argv.insert(argv.end(), words);
    return readOptions(static_cast<int>(argv.size()), argv.data());
}
}  // namespace

TEST(Options, NoArgumentsMeansWindowedTitleScreen)
{
    StartOptions options = parse({});
    EXPECT_FALSE(options.fullscreen);
    EXPECT_FALSE(options.visualizing);
}

TEST(Options, LongAndShortFormsEachSetTheirFlagOnly)
{
    EXPECT_TRUE(parse({"--fullscreen"}).fullscreen);
    EXPECT_FALSE(parse({"--fullscreen"}).visualizing);
    EXPECT_TRUE(parse({"-f"}).fullscreen);
    EXPECT_TRUE(parse({"--viz"}).visualizing);
    EXPECT_FALSE(parse({"--viz"}).fullscreen);
    EXPECT_TRUE(parse({"-v"}).visualizing);
    EXPECT_TRUE(parse({"--speakers"}).speakers);
    EXPECT_TRUE(parse({"-s"}).speakers);
    EXPECT_FALSE(parse({"-s"}).visualizing);
    EXPECT_FALSE(parse({"--viz"}).speakers);
}

TEST(Options, UnknownWordsAreIgnoredAndBothOptionsCombine)
{
    StartOptions options = parse({"-v", "--fullscreen", "hello"});
    EXPECT_TRUE(options.fullscreen);
    EXPECT_TRUE(options.visualizing);
}

TEST(Options, MatchingIsExactAndCaseSensitive)
{
    for (const char* word : {"-F", "-V", "--FULLSCREEN", "--Viz", "--fullscreen=1", "-fv", "--v",
                             "-f ", "viz", "fullscreen", "--full", "-S", "--Speakers", "--speaker", "-sv"}) {
        StartOptions options = parse({word});
        EXPECT_FALSE(options.fullscreen) << word;
        EXPECT_FALSE(options.visualizing) << word;
        EXPECT_FALSE(options.speakers) << word;
    }
}

TEST(Options, RepeatsChangeNothingAndTheProgramNameIsNotAnOption)
{
    StartOptions repeated = parse({"-f", "-f", "--fullscreen", "-f"});
    EXPECT_TRUE(repeated.fullscreen);
    EXPECT_FALSE(repeated.visualizing);
    const char* argv[] = {"-v", "other"};
    EXPECT_FALSE(readOptions(2, argv).visualizing);
}

TEST(Options, WordsThatAreNotOptionsAreSongsInOrderAndDoubleDashEndsTheOptions)
{
    StartOptions options = parse({"a.flac", "-v", "dir/b c.mp3", "--", "-f", "--unknown"});
    EXPECT_TRUE(options.visualizing);
    EXPECT_FALSE(options.fullscreen) << "after --, -f names a song";
    EXPECT_EQ(options.songs, (std::vector<std::string>{"a.flac", "dir/b c.mp3", "-f", "--unknown"}));
    EXPECT_TRUE(parse({"--unknown", ""}).songs.empty());
}

TEST(Options, DisplayAndFpsTakeTheNextWordAndBadValuesAreIgnoredWithTheirOption)
{
    StartOptions options = parse({"--display", "2", "song.flac", "--fps", "30"});
    EXPECT_EQ(options.displayNumber, 2);
    EXPECT_EQ(options.frameRateCap, 30);
    EXPECT_EQ(options.songs, std::vector<std::string>{"song.flac"});
    EXPECT_EQ(parse({"--display", "9"}).displayNumber, 9) << "the monitor count is checked when the window opens";
    EXPECT_EQ(parse({"--fps", "0"}).frameRateCap, 0) << "0: no cap, even over a remembered one";
    StartOptions bad = parse({"--display", "0", "--fps", "241", "--fps", "x.mp3"});
    EXPECT_EQ(bad.displayNumber, 0);
    EXPECT_EQ(bad.frameRateCap, -1);
    EXPECT_TRUE(bad.songs.empty()) << "a value, even a bad one, is no song";
    EXPECT_EQ(parse({"--fps"}).frameRateCap, -1);
}
