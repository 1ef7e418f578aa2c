// The program's exit codes. Every code but 0, codeAudioTerminateFailed and codeSdlInitFailed is
// announced by an error box first.
#pragma once

constexpr int codeTooSmall = 1;
constexpr int codeNoFftMemory = 2;
constexpr int codeAudioInitFailed = 3;
constexpr int codeAudioTerminateFailed = 4;  // overrides every other result
constexpr int codeSdlInitFailed = 10;
constexpr int codeNoDisplay = 11;
constexpr int codeNoWindow = 12;
constexpr int codeNoRenderer = 13;
constexpr int codeNoBlendMode = 14;
constexpr int codeNoContext = 15;
constexpr int codeNoAttribute = 16;
constexpr int codeNotCurrent = 17;
constexpr int codeNoVsync = 18;
constexpr int codeNoGlew = 19;
constexpr int codeNoProgram = 20;
constexpr int codeLinkFailed = 21;
constexpr int codeNoVertexShader = 22;
constexpr int codeVertexShaderFailed = 23;
constexpr int codeNoFragmentShader = 24;
constexpr int codeFragmentShaderFailed = 25;
constexpr int codeNoVertexAttribute = 26;
// 27 to 44: one code per uniform, in the renderer's table of uniform look-ups.

// Rendering a song into a video: each failure prints one line naming the file and the reason.
constexpr int codeBadOption = 50;        // an option or its value is not accepted
constexpr int codeSongMissing = 51;      // no such file
constexpr int codeSongIsFolder = 52;
constexpr int codeSongUnreadable = 53;   // no permission to read it
constexpr int codeNotSound = 54;         // not a file FFmpeg can read as media
constexpr int codeNoAudioStream = 55;    // a media file without sound
constexpr int codeSongEmpty = 56;        // nothing to render: no sound in the chosen span
constexpr int codeOutputFolder = 57;     // the output's folder is missing or cannot be written
constexpr int codeOutputExists = 58;     // the output exists and --overwrite was not given
constexpr int codeNoEncoder = 59;        // H.264 (libx264) or AAC missing from the FFmpeg build
constexpr int codeWriteFailed = 60;      // writing the video failed (a full disk, an I/O error)
constexpr int codeRenderCancelled = 61;  // Esc, the window closed, Ctrl+C or SIGTERM
constexpr int codeFrameTooLarge = 62;    // the frame, supersampled, exceeds what OpenGL can draw
