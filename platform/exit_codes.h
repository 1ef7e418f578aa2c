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
