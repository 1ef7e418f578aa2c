// The animation director's state across frames.
#pragma once
#include <cstdint>

#include "render/fractal_params.h"

constexpr int presetCount = 44;

// How one band of the sound pushes a value: the band, how it is picked, and how it pushes.
struct BandRule {
    int band = 1;
    bool pickLoudest = false;   // pick the loudest band (otherwise the quietest)
    bool pickApplied = true;    // pickLoudest as it was at the last pick; a change picks anew
    bool additive = false;      // push by adding (otherwise by scaling)
    float direction = 1.0f;     // +1 or -1
};

struct AnimationState {
    int presetIndex = 0;
    int nextPresetIndex = 0;
    int presetHistory[presetCount];
    int presetHistoryCount = 0;
    bool morphing = false;
    bool morphRequested = false;
    uint32_t morphStartTicks = 0;
    uint32_t morphEndTicks = 0;
    int iterationBase = 0;
    int iterationCeiling = 1000000;
    int iterationFloor = 20;
    BandRule iterationRule{1};  // pushes max_iterations; picks from bands 1 and up
    BandRule thresholdRule{6};  // pushes divergence_thresh2; picks from bands 4 and up
    float beatRate = 0.0f;
    uint32_t lastBeatCount = 0;
    uint32_t lastBeatTicks = 0;
    float rotationSpeed = 0.0f;
    float rotationDirection = 1.0f;
    bool reversing = false;
    float reverseFrom = 1.0f;
    uint32_t reverseStartTicks = 0;
    uint32_t reverseEndTicks = 0;
    bool manualRotate = false;
    bool autoTilt = false;
    bool autoTiltHold = false;
    float tiltDirection = 1.0f;
    bool autoBlend = false;
    bool autoBlendHold = false;
    float blendDirection = 1.0f;
    float silentSeconds = 0.0f;
    float soundSeconds = 0.0f;
    bool fadingOut = false;
    bool fadingIn = false;
    bool fadeRearmed = true;
    int baseColormode = 0;
    bool colourStrobe = false;
    int strobeLength = 100;
    int strobeFrames = 0;
    bool autoDive = false;
    bool diveZoomingIn = true;
    int diveTarget = 0;
    float diveSpeed = 1.0f;
    float zoomFloor = 0.00025f;
    bool clickZoom = false;
    bool rectZoom = false;
    bool cursorZoomIn = false;
    bool cursorZoomOut = false;
    bool userZoomed = false;
    Vec2 pivot;
    bool blink = false;
    uint32_t lastHalfSecond = 0;
};
