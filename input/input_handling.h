// Applies one SDL event to the session: screens, window mode, sound source, camera and zoom requests.
#pragma once
#include <SDL.h>

#include "platform/display_state.h"
#include "audio/audio_context.h"
#include "audio/sound_sources.h"
#include "render/fractal_params.h"
#include "state/animation_state.h"
#include "overlays/overlays.h"
#include "state/session_state.h"
#include "songs/song_session.h"

// The sound-source keys and the selector open and close streams through sources; files dropped on
// the window join the songs.
void handleEvent(const SDL_Event& event, SessionState& session, DisplayState& display,
                 FractalParams& params, AnimationState& animation, SelectorRect& selector,
                 AudioContext& audio, const SoundSourceControl& sources, int& inputDeviceIndex,
                 SongSession& songs);

// Plays the songs already in the list from the first, setting the running source aside.
void startSongs(SessionState& session, AudioContext& audio, const SoundSourceControl& sources,
                int& inputDeviceIndex, SongSession& songs);

// Once per frame: the next song when one has ended, and the source before the songs after the last.
void followSongs(SessionState& session, AudioContext& audio, const SoundSourceControl& sources,
                 int& inputDeviceIndex, SongSession& songs);
