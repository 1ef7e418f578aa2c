// The title screen's lines for songs: the label's parts and the notice for each kind of bad file.
#include <gtest/gtest.h>

#include "platform/exit_codes.h"
#include "songs/song_lines.h"
#include "songs/song_player.h"

namespace {

std::string noticeFor(const char* path, int code)
{
    char text[160];
    formatCannotPlay(text, sizeof text, path, code);
    return text;
}

}  // namespace

TEST(SongLines, TheLabelFallsBackToTheFileNameAndLeavesOutAMissingArtist)
{
    char text[160];
    formatSongLabel(text, sizeof text, 1, 5, "", "Band", "C:\\Music\\track 02.flac");
    EXPECT_STREQ(text, "Song 2 of 5: track 02.flac \xE2\x80\x93 Band");
    formatSongLabel(text, sizeof text, 0, 1, "Only Title", "", "/music/x.mp3");
    EXPECT_STREQ(text, "Song 1 of 1: Only Title");
    formatSongLabel(text, 16, 0, 1, "Only Title", "", "/music/x.mp3");
    EXPECT_STREQ(text, "Song 1 of 1: On") << "cut to the buffer";
}

TEST(SongLines, EachBadFileNamesItsReason)
{
    EXPECT_EQ(noticeFor("/a/b/notes.txt", codeNotSound), "Cannot play notes.txt: not a sound file");
    EXPECT_EQ(noticeFor("picture.png", codeNoAudioStream), "Cannot play picture.png: not a sound file");
    EXPECT_EQ(noticeFor("/gone.mp3", codeSongMissing), "Cannot play gone.mp3: no such file");
    EXPECT_EQ(noticeFor("/music/", codeSongIsFolder), "Cannot play : it is a folder");
    EXPECT_EQ(noticeFor("locked.flac", codeSongUnreadable), "Cannot play locked.flac: permission denied");
    EXPECT_EQ(noticeFor("a.flac", songNoOutput), "Cannot play a.flac: no sound output");
}
