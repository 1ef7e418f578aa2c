// The frames of a video: drawn off screen, supersampled, read back through pixel buffers, and shown
// in a preview window.
#pragma once
#include <cstdint>

// Pixel buffers in flight: a frame is read into one and mapped only when the next ones have been
// drawn, so the copy out of the GPU overlaps the drawing.
constexpr int videoReadBackSlots = 3;

struct VideoFrame {
    int width = 0;          // output pixels
    int height = 0;
    int supersample = 1;    // the fractal is drawn at width * supersample x height * supersample
    uint32_t drawTexture = 0;
    uint32_t drawFramebuffer = 0;
    uint32_t outputTexture = 0;     // only with supersample > 1: the mean of each K x K block
    uint32_t outputFramebuffer = 0;
    uint32_t downsampleProgram = 0;
    uint32_t downsampleVertexShader = 0;
    uint32_t downsampleFragmentShader = 0;
    int32_t downsampleFactorLocation = -1;
    uint32_t downsampleTriangle = 0;  // vertex buffer of the triangle that covers the output
    uint32_t pixelBuffers[videoReadBackSlots] = {};
    int64_t framesRead = 0;         // frames whose read-back has started
    int64_t framesMapped = 0;       // frames handed out by mapOldestFrame
};

// Makes the framebuffers and pixel buffers with the program's context current. Returns 0, or
// codeFrameTooLarge when the supersampled frame exceeds what OpenGL can draw, or codeNoProgram when the
// downsampling program cannot be built; everything made is released on failure.
int openVideoFrame(int width, int height, int supersample, VideoFrame& frame);

// Binds the framebuffer the fractal is drawn into and sets the viewport over it.
void bindVideoDrawTarget(const VideoFrame& frame);

// Averages the supersampled frame into the output and starts reading it back into the next pixel
// buffer. Leaves the fractal program current again.
void finishVideoFrame(VideoFrame& frame, uint32_t fractalProgram);

// True when a frame's read-back is waiting to be mapped: always once the ring is full, and for the
// last frames when draining (no more frames will be drawn).
bool videoFrameReady(const VideoFrame& frame, bool draining);

// Maps the oldest frame read back: width x height RGBA rows, bottom row first. Null on failure.
const uint8_t* mapOldestVideoFrame(VideoFrame& frame);
void unmapOldestVideoFrame(VideoFrame& frame);

// Shows the output frame scaled into the window's drawable, with a bar across its foot filled to
// progress (0..1), then leaves the video framebuffer bound. Does not swap.
void showVideoFramePreview(const VideoFrame& frame, int windowWidth, int windowHeight, double progress);

// Deletes everything; safe on a half-built or closed record.
void closeVideoFrame(VideoFrame& frame);
