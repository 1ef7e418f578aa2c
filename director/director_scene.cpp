// The director's choice of picture: scene changes, colour strobes, morphs and the morph guard.
#include "render/plane_mapping.h"
#include "director/director_steps.h"

namespace director {

namespace {

bool inHistory(const AnimationState& animation, int preset)
{
    for (int i = 0; i < animation.presetHistoryCount; ++i) {
        if (animation.presetHistory[i] == preset) {
            return true;
        }
    }
    return false;
}

// The morph's target becomes the preset; the history of reached presets empties once it is full.
// At most 43 entries are kept, so some preset is always left for the next target.
void completeMorph(AnimationState& animation)
{
    animation.morphing = false;
    animation.presetIndex = animation.nextPresetIndex;
    animation.presetHistory[animation.presetHistoryCount] = animation.presetIndex;
    animation.presetHistoryCount += 1;
    if (animation.presetHistoryCount > presetCount - 1) {
        for (int& entry : animation.presetHistory) {
            entry = -1;
        }
        animation.presetHistoryCount = 0;
    }
    int next = drawBelow(presetCount);
    while (inHistory(animation, next)) {
        next = drawBelow(presetCount);
    }
    animation.nextPresetIndex = next;
}

}  // namespace

// Once the picture has been fully in and fully out again, a fresh pair of presets is drawn; the
// history is left alone.
void changeSceneAfterFade(AnimationState& animation, const FractalParams& params)
{
    if (animation.fadeRearmed && params.fade <= 0.0f) {
        animation.fadeRearmed = false;
        animation.presetIndex = drawOtherThan(presetCount, animation.presetIndex);
        animation.nextPresetIndex = drawOtherThan(presetCount, animation.presetIndex);
        animation.autoDive = false;
    }
}

// A strobe shows a different colour mode in every frame until it has run its length.
void updateColour(AnimationState& animation, FractalParams& params)
{
    if (!animation.colourStrobe) {
        params.colormode = animation.baseColormode;
        return;
    }
    params.colormode = drawOtherThan(7, params.colormode);
    animation.strobeFrames += 1;
    if (animation.strobeFrames >= animation.strobeLength) {
        animation.strobeFrames = 0;
        animation.colourStrobe = false;
        params.colormode = animation.baseColormode;
    }
}

void updateMorph(AnimationState& animation, FractalParams& params, uint32_t now)
{
    const Vec2 from = presetTable[animation.presetIndex].c;
    if (!animation.morphing) {
        params.c = from;
        return;
    }
    const Vec2 to = presetTable[animation.nextPresetIndex].c;
    const float progress = spanProgress(animation.morphStartTicks, animation.morphEndTicks, now);
    params.c.x = from.x + (to.x - from.x) * progress;
    params.c.y = from.y + (to.y - from.y) * progress;
    if (progress == 1.0f) {
        completeMorph(animation);
    }
}

// During a morph the formula stays the starting preset's until the frame the morph completes.
void applyFormulaLimits(AnimationState& animation, FractalParams& params)
{
    params.fractalmode = presetFormula(animation.presetIndex);
    animation.iterationCeiling = iterationCeilingFor(params.fractalmode);
    animation.zoomFloor = zoomFloorFor(params.fractalmode);
}

// A constant whose orbit of 0 stays bounded fills the picture with interior, the slowest pixels to
// draw: such a morph frame is drawn with few iterations.
bool morphFrameNeedsLowDetail(const AnimationState& animation, const FractalParams& params)
{
    return animation.morphing && !pointEscapes(params.c, animation.iterationCeiling, params.fractalmode);
}

}  // namespace director
