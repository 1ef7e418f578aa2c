// Off-screen frames for a video: the fractal's framebuffer, the supersampling pass, the pixel-buffer
// read-back ring and the preview.
#include "render/video_frame.h"

#include <GL/glew.h>

#include "platform/exit_codes.h"

namespace {

// One triangle that covers the viewport. Its corners come from a buffer: a compatibility context
// draws nothing without the vertex array at location 0.
const char downsampleVertexSource[] = R"glsl(#version 140
in vec2 corner;
void main()
{
    gl_Position = vec4(corner, 0.0, 1.0);
}
)glsl";

const float coveringTriangle[6] = {-1.0f, -1.0f, 3.0f, -1.0f, -1.0f, 3.0f};

// Each output pixel is the plain mean of its factor x factor block of drawn pixels.
const char downsampleFragmentSource[] = R"glsl(#version 140
uniform sampler2D drawn;
uniform int factor;
out vec4 colour;
void main()
{
    ivec2 base = ivec2(gl_FragCoord.xy) * factor;
    vec4 sum = vec4(0.0);
    for (int y = 0; y < factor; ++y)
        for (int x = 0; x < factor; ++x)
            sum += texelFetch(drawn, base + ivec2(x, y), 0);
    colour = sum / float(factor * factor);
}
)glsl";

GLuint compiledShader(GLenum type, const char* source)
{
    GLuint shader = glCreateShader(type);
    if (shader == 0) return 0;
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

bool buildDownsampleProgram(VideoFrame& frame)
{
    frame.downsampleVertexShader = compiledShader(GL_VERTEX_SHADER, downsampleVertexSource);
    frame.downsampleFragmentShader = compiledShader(GL_FRAGMENT_SHADER, downsampleFragmentSource);
    frame.downsampleProgram = glCreateProgram();
    if (frame.downsampleVertexShader == 0 || frame.downsampleFragmentShader == 0 || frame.downsampleProgram == 0)
        return false;
    glAttachShader(frame.downsampleProgram, frame.downsampleVertexShader);
    glAttachShader(frame.downsampleProgram, frame.downsampleFragmentShader);
    glBindAttribLocation(frame.downsampleProgram, 0, "corner");
    glLinkProgram(frame.downsampleProgram);
    glGenBuffers(1, &frame.downsampleTriangle);
    glBindBuffer(GL_ARRAY_BUFFER, frame.downsampleTriangle);
    glBufferData(GL_ARRAY_BUFFER, sizeof coveringTriangle, coveringTriangle, GL_STATIC_DRAW);
    GLint linked = GL_FALSE;
    glGetProgramiv(frame.downsampleProgram, GL_LINK_STATUS, &linked);
    frame.downsampleFactorLocation = glGetUniformLocation(frame.downsampleProgram, "factor");
    return linked == GL_TRUE && frame.downsampleFactorLocation >= 0;
}

// An RGBA texture of the given size with a framebuffer drawing into it; false when incomplete.
bool makeColourTarget(int width, int height, uint32_t& texture, uint32_t& framebuffer)
{
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void makePixelBuffers(VideoFrame& frame)
{
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(frame.width) * frame.height * 4;
    glGenBuffers(videoReadBackSlots, frame.pixelBuffers);
    for (uint32_t buffer : frame.pixelBuffers) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        glBufferData(GL_PIXEL_PACK_BUFFER, bytes, nullptr, GL_STREAM_READ);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

bool fitsTheGpu(int width, int height)
{
    GLint largestTexture = 0;
    GLint largestViewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largestTexture);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, largestViewport);
    return width <= largestTexture && height <= largestTexture && width <= largestViewport[0] &&
           height <= largestViewport[1];
}

uint32_t readFramebuffer(const VideoFrame& frame)
{
    return frame.supersample > 1 ? frame.outputFramebuffer : frame.drawFramebuffer;
}

void deleteTarget(uint32_t& texture, uint32_t& framebuffer)
{
    if (framebuffer != 0) glDeleteFramebuffers(1, &framebuffer);
    if (texture != 0) glDeleteTextures(1, &texture);
    framebuffer = 0;
    texture = 0;
}

void deleteDownsampleProgram(VideoFrame& frame)
{
    if (frame.downsampleProgram != 0) glDeleteProgram(frame.downsampleProgram);
    if (frame.downsampleVertexShader != 0) glDeleteShader(frame.downsampleVertexShader);
    if (frame.downsampleFragmentShader != 0) glDeleteShader(frame.downsampleFragmentShader);
    if (frame.downsampleTriangle != 0) glDeleteBuffers(1, &frame.downsampleTriangle);
    frame.downsampleTriangle = 0;
    frame.downsampleProgram = 0;
    frame.downsampleVertexShader = 0;
    frame.downsampleFragmentShader = 0;
}

void downsample(const VideoFrame& frame, uint32_t fractalProgram)
{
    glBindFramebuffer(GL_FRAMEBUFFER, frame.outputFramebuffer);
    glViewport(0, 0, frame.width, frame.height);
    glUseProgram(frame.downsampleProgram);
    glUniform1i(frame.downsampleFactorLocation, frame.supersample);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, frame.drawTexture);
    glBindBuffer(GL_ARRAY_BUFFER, frame.downsampleTriangle);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glDisableVertexAttribArray(0);
    glUseProgram(fractalProgram);
}

}  // namespace

int openVideoFrame(int width, int height, int supersample, VideoFrame& frame)
{
    frame = VideoFrame{};
    frame.width = width;
    frame.height = height;
    frame.supersample = supersample;
    if (!fitsTheGpu(width * supersample, height * supersample)) return codeFrameTooLarge;
    bool made = makeColourTarget(width * supersample, height * supersample, frame.drawTexture,
                                 frame.drawFramebuffer);
    if (made && supersample > 1) {
        made = makeColourTarget(width, height, frame.outputTexture, frame.outputFramebuffer);
        if (made && !buildDownsampleProgram(frame)) {
            closeVideoFrame(frame);
            return codeNoProgram;
        }
    }
    if (!made) {
        closeVideoFrame(frame);
        return codeFrameTooLarge;
    }
    makePixelBuffers(frame);
    bindVideoDrawTarget(frame);
    return 0;
}

void bindVideoDrawTarget(const VideoFrame& frame)
{
    glBindFramebuffer(GL_FRAMEBUFFER, frame.drawFramebuffer);
    glViewport(0, 0, frame.width * frame.supersample, frame.height * frame.supersample);
}

void finishVideoFrame(VideoFrame& frame, uint32_t fractalProgram)
{
    if (frame.supersample > 1) downsample(frame, fractalProgram);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer(frame));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, frame.pixelBuffers[frame.framesRead % videoReadBackSlots]);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    ++frame.framesRead;
}

bool videoFrameReady(const VideoFrame& frame, bool draining)
{
    const int64_t waiting = frame.framesRead - frame.framesMapped;
    return waiting > 0 && (draining || waiting >= videoReadBackSlots);
}

const uint8_t* mapOldestVideoFrame(VideoFrame& frame)
{
    glBindBuffer(GL_PIXEL_PACK_BUFFER, frame.pixelBuffers[frame.framesMapped % videoReadBackSlots]);
    return static_cast<const uint8_t*>(glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY));
}

void unmapOldestVideoFrame(VideoFrame& frame)
{
    glBindBuffer(GL_PIXEL_PACK_BUFFER, frame.pixelBuffers[frame.framesMapped % videoReadBackSlots]);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    ++frame.framesMapped;
}

void showVideoFramePreview(const VideoFrame& frame, int windowWidth, int windowHeight, double progress)
{
    const int barHeight = windowHeight / 40 + 2;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer(frame));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glViewport(0, 0, windowWidth, windowHeight);
    glBlitFramebuffer(0, 0, frame.width, frame.height, 0, barHeight, windowWidth, windowHeight,
                      GL_COLOR_BUFFER_BIT, GL_LINEAR);
    // The bar: dark grey track, light filled part; the clear colour is the fractal's again after.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, windowWidth, barHeight);
    glClearColor(0.15f, 0.15f, 0.15f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, 0, static_cast<int>(windowWidth * progress), barHeight);
    glClearColor(0.85f, 0.85f, 0.85f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    bindVideoDrawTarget(frame);
}

void closeVideoFrame(VideoFrame& frame)
{
    if (frame.pixelBuffers[0] != 0) glDeleteBuffers(videoReadBackSlots, frame.pixelBuffers);
    for (uint32_t& buffer : frame.pixelBuffers) buffer = 0;
    deleteDownsampleProgram(frame);
    deleteTarget(frame.outputTexture, frame.outputFramebuffer);
    deleteTarget(frame.drawTexture, frame.drawFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}
