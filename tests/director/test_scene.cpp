// Construction and driving of the director scenes that the tests share.
#include "tests/director/test_scene.h"

#include "director/animation_director.h"
#include "tests/director/scripted_clock.h"

std::unique_ptr<Scene> startScene(uint32_t start, int initial)
{
    auto scene = std::make_unique<Scene>();
    for (int b = 0; b < bandCountFixed; ++b) {
        setBand(*scene, b, 0.0f, 0.0f);
    }
    scene->audio.beatCount.store(0);
    scene->audio.silent.store(true);
    scene->display.drawableWidth = 1920;
    scene->display.drawableHeight = 1080;
    scene->session.lastFrameTicks = start;
    scene->session.lastWholeSecond = start / 1000;
    resetDraws();
    scriptDraws({0, 0, initial, 3, initial + 1});
    initAnimation(scene->animation, scene->params, start);
    return scene;
}

std::unique_ptr<Scene> settledScene(uint32_t start, int preset, int next)
{
    auto scene = startScene(start);
    scriptDraws({preset, next});
    runFrame(*scene, start + 16);
    return scene;
}

void runFrame(Scene& scene, uint32_t now)
{
    setTicks(now);
    updateAnimation(scene.animation, scene.params, scene.session, scene.display, scene.audio);
}

void setBand(Scene& scene, int band, float level, float peak)
{
    scene.audio.bandLevels[band].store(level);
    scene.audio.bandPeaks[band].store(peak);
}

void scriptSecond(std::initializer_list<ChanceWin> wins)
{
    for (int k = 0; k < secondChanceCount; ++k) {
        const ChanceWin* win = nullptr;
        for (const ChanceWin& w : wins) {
            if (w.chance == static_cast<SecondChance>(k)) {
                win = &w;
            }
        }
        if (win == nullptr) {
            scriptDraws({1});
            continue;
        }
        scriptDraws({0});
        scriptDraws(win->extraDraws);
    }
}
