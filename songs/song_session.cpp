// The song list as a sound source: playing from a place in the list, skipping files that do not play.
#include "songs/song_session.h"

#include "songs/song_lines.h"

namespace {

void refreshLabel(SongSession& songs)
{
    if (songs.current < 0) return;
    const std::string& path = songs.paths[static_cast<size_t>(songs.current)];
    formatSongLabel(songs.label, sizeof songs.label, songs.current, static_cast<int>(songs.paths.size()),
                    songs.player.title, songs.player.artist, path.c_str());
}

}  // namespace

void addSong(SongSession& songs, const char* path)
{
    songs.paths.emplace_back(path);
    refreshLabel(songs);
}

bool playSongFrom(SongSession& songs, int index, AudioContext& context, uint32_t now)
{
    songs.paused = false;
    for (int i = index < 0 ? 0 : index; i < static_cast<int>(songs.paths.size()); ++i) {
        const char* path = songs.paths[static_cast<size_t>(i)].c_str();
        const int code = openSongPlayer(path, context, songs.player);
        if (code == 0) {
            songs.current = i;
            songs.playing = true;
            refreshLabel(songs);
            return true;
        }
        formatCannotPlay(songs.notice, sizeof songs.notice, path, code);
        songs.noticeUntil = now + songNoticeMilliseconds;
    }
    songs.current = -1;
    songs.playing = false;
    return false;
}

void closeSongs(SongSession& songs, AudioContext& context)
{
    closeSongPlayer(songs.player, context);
    songs.paths.clear();
    songs.current = -1;
    songs.playing = false;
    songs.paused = false;
}

void toggleSongPause(SongSession& songs)
{
    if (!songs.playing) return;
    songs.paused = !songs.paused;
    pauseSongPlayer(songs.player, songs.paused);
}
