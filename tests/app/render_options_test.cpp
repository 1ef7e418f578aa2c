// A render's command line: defaults, values in both forms, song times, and what is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/render_options.h"
#include "platform/exit_codes.h"

namespace {

struct Parsed {
    int code;
    RenderOptions options;
    std::string error;
};

Parsed parse(std::initializer_list<const char*> words)
{
    std::vector<const char*> argv{"quasarine"};
    argv.insert(argv.end(), words);
    Parsed parsed{0, RenderOptions{}, ""};
    char error[256] = {};
    parsed.code = readRenderOptions(static_cast<int>(argv.size()), argv.data(), parsed.options, error, sizeof error);
    parsed.error = error;
    return parsed;
}

}  // namespace

TEST(RenderOptions, DefaultsAndTheOutputBesideTheSong)
{
    const Parsed parsed = parse({"--render", "music/live.set.flac"});
    ASSERT_EQ(parsed.code, 0) << parsed.error;
    EXPECT_STREQ(parsed.options.output, "music/live.set.mp4");
    EXPECT_EQ(parsed.options.width, 1920);
    EXPECT_EQ(parsed.options.height, 1080);
    EXPECT_EQ(parsed.options.fps, 60);
    EXPECT_EQ(parsed.options.crf, 18);
    EXPECT_STREQ(parsed.options.preset, "medium");
    EXPECT_EQ(parsed.options.supersample, 1);
    EXPECT_EQ(parsed.options.seed, defaultRenderSeed);
    EXPECT_FALSE(parsed.options.overwrite);
    EXPECT_STREQ(parse({"--render", "dir.v2/song"}).options.output, "dir.v2/song.mp4");
    EXPECT_STREQ(parse({"--render", ".hidden"}).options.output, ".hidden.mp4");
}

TEST(RenderOptions, ValuesAsTheNextWordOrAfterEquals)
{
    const Parsed parsed = parse({"-v", "--size=1080x1920", "--fps", "24", "--render", "a.wav", "--quality=23",
                                 "--preset", "veryfast", "--from", "1:30.5", "--to=200", "--seed", "18446744073709551615",
                                 "--supersample", "4", "--overwrite", "--output", "out/v.mp4"});
    ASSERT_EQ(parsed.code, 0) << parsed.error;
    EXPECT_STREQ(parsed.options.song, "a.wav");
    EXPECT_EQ(parsed.options.width, 1080);
    EXPECT_EQ(parsed.options.height, 1920);
    EXPECT_EQ(parsed.options.fps, 24);
    EXPECT_EQ(parsed.options.crf, 23);
    EXPECT_STREQ(parsed.options.preset, "veryfast");
    EXPECT_DOUBLE_EQ(parsed.options.fromSeconds, 90.5);
    EXPECT_DOUBLE_EQ(parsed.options.toSeconds, 200.0);
    EXPECT_EQ(parsed.options.seed, 18446744073709551615ULL);
    EXPECT_EQ(parsed.options.supersample, 4);
    EXPECT_TRUE(parsed.options.overwrite);
    EXPECT_STREQ(parsed.options.output, "out/v.mp4");
}

TEST(RenderOptions, SongTimes)
{
    double seconds = -1.0;
    EXPECT_TRUE(parseSongTime("0", seconds));
    EXPECT_DOUBLE_EQ(seconds, 0.0);
    EXPECT_TRUE(parseSongTime("2:05", seconds));
    EXPECT_DOUBLE_EQ(seconds, 125.0);
    EXPECT_TRUE(parseSongTime("1:02:03.25", seconds));
    EXPECT_DOUBLE_EQ(seconds, 3723.25);
    for (const char* bad : {"", "-1", "1.5:00", "1:", ":30", "1:2:3:4", "abc", "5s", "inf", "nan"})
        EXPECT_FALSE(parseSongTime(bad, seconds)) << bad;
}

TEST(RenderOptions, BadValuesAreRefusedWithTheirName)
{
    const std::vector<std::pair<std::vector<const char*>, const char*>> cases = {
        {{"--render", "a.wav", "--size", "1921x1080"}, "even"},
        {{"--render", "a.wav", "--size", "14x14"}, "16x16"},
        {{"--render", "a.wav", "--size", "7682x4320"}, "7680x4320"},
        {{"--render", "a.wav", "--size", "7680x7680"}, "7680x4320"},
        {{"--render", "a.wav", "--size", "1920"}, "WIDTHxHEIGHT"},
        {{"--render", "a.wav", "--fps", "241"}, "--fps"},
        {{"--render", "a.wav", "--fps", "30.5"}, "--fps"},
        {{"--render", "a.wav", "--quality", "0"}, "--quality"},
        {{"--render", "a.wav", "--preset", "Medium"}, "--preset"},
        {{"--render", "a.wav", "--supersample", "0"}, "--supersample"},
        {{"--render", "a.wav", "--seed", "-3"}, "--seed"},
        {{"--render", "a.wav", "--from", "10", "--to", "9"}, "--to"},
        {{"--render", "a.wav", "--fps"}, "needs a value"},
        {{"--render", "a.wav", "extra"}, "extra"},
        {{"--render", "a.wav", "--output="}, "--output"},
        {{"--render"}, "--render"},
    };
    for (const auto& [words, named] : cases) {
        std::vector<const char*> argv{"quasarine"};
        argv.insert(argv.end(), words.begin(), words.end());
        RenderOptions options;
        char error[256] = {};
        EXPECT_EQ(readRenderOptions(static_cast<int>(argv.size()), argv.data(), options, error, sizeof error),
                  codeBadOption) << named;
        EXPECT_NE(std::string(error).find(named), std::string::npos) << error;
    }
}

TEST(RenderOptions, CommandKind)
{
    const char* live[] = {"quasarine", "-v", "song.wav"};
    const char* render[] = {"quasarine", "-f", "--render", "song.wav"};
    const char* help[] = {"quasarine", "--render", "song.wav", "-h"};
    EXPECT_EQ(commandKind(3, live), CommandKind::live);
    EXPECT_EQ(commandKind(4, render), CommandKind::render);
    EXPECT_EQ(commandKind(4, help), CommandKind::help);
}

TEST(RenderOptions, TheLiveMonitorOptionIsAcceptedAndIgnored)
{
    const Parsed parsed = parse({"--render", "a.wav", "--display", "2", "--fps", "25"});
    ASSERT_EQ(parsed.code, 0) << parsed.error;
    EXPECT_EQ(parsed.options.fps, 25) << "inside a render --fps is the video's rate";
}
