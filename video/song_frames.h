// The frames of a song's video: the live program's analysis, director, camera and shader, run on the
// song's clock instead of the wall clock, frame after frame.
#pragma once
#include <cstdint>

#include "platform/display_state.h"
#include "audio/audio_context.h"
#include "media/song_reader.h"
#include "render/shader_bindings.h"
#include "render/video_frame.h"
#include "video/render_progress.h"
#include "video/video_encoder.h"

struct SongFramesPlan {
    int fps = 60;
    int64_t firstFrame = 0;     // frames before it are run without drawing
    int64_t endFrame = -1;      // the first frame not drawn; negative: until the song ends
    int64_t framesEstimate = 0; // the frames to draw as far as the song's length is known beforehand
    uint64_t seed = 0;
    bool preview = false;       // show the frames in the window as they are drawn
};

// Where the frames go: read back into the encoder, or nowhere (each frame then only drawn and
// finished, to measure the drawing alone).
struct SongFramesTargets {
    DisplayState* display = nullptr;  // the window; its drawable is the supersampled video size
    const ShaderBindings* bindings = nullptr;
    uint32_t fractalProgram = 0;
    VideoFrame* frame = nullptr;
    VideoEncoder* encoder = nullptr;  // null: draw only
};

// Runs the song at 44100 Hz stereo from its start through the analysis and the director, drawing the
// frames from plan.firstFrame on. Returns 0, codeSongEmpty when no frame was drawn, codeRenderCancelled
// after Esc, the window's closing or a cancel request, or the encoder's failure. progress holds the count.
int runSongFrames(const SongFramesPlan& plan, SongReader& song, AudioContext& audio,
                  const SongFramesTargets& targets, RenderProgress& progress);
