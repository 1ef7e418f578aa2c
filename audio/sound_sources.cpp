// The order of the sound sources in the selector and the names the title screen shows for them.
#include "audio/sound_sources.h"

#include <cstdio>

namespace {

// Position from the bottom of the selector: the speakers sit between the default device and the devices.
int rankOf(int selection)
{
    if (selection == speakersSource) return 2;
    if (selection >= 0) return selection + 3;
    return selection == defaultDeviceSource ? 1 : 0;
}

int sourceAtRank(int rank)
{
    if (rank <= 0) return noSource;
    if (rank == 1) return defaultDeviceSource;
    return rank == 2 ? speakersSource : rank - 3;
}

// "Speakers", followed by the name of the output device when the capture knows it.
const char* speakersText(const SoundSourceControl& sources, char (&text)[sourceLabelCapacity])
{
    char name[sourceLabelCapacity - 16];
    sources.speakersDeviceName(name, sizeof name);
    if (name[0] == '\0') return "Speakers";
    std::snprintf(text, sizeof text, "Speakers: %s", name);
    return text;
}

const char* deviceName(const SoundSourceControl& sources, int selection, char (&name)[sourceLabelCapacity])
{
    char hostApi[sourceLabelCapacity];
    return sources.inputDeviceIdentity(selection, name, hostApi, sizeof name) ? name : nullptr;
}

}  // namespace

int sourceAbove(int selection)
{
    return sourceAtRank(rankOf(selection) + 1);
}

int sourceBelow(int selection)
{
    return sourceAtRank(rankOf(selection) - 1);
}

int topSource(int deviceCount)
{
    return deviceCount > 0 ? deviceCount - 1 : speakersSource;
}

bool sourceIsAbove(int a, int b)
{
    return rankOf(a) > rankOf(b);
}

SourceLabel sourceLabel(const SoundSourceControl& sources, int selection, bool demoPlaying,
                        bool playbackMuted, char (&buffer)[sourceLabelCapacity])
{
    if ((selection == noSource && !demoPlaying) || sources.captureIsLost()) {
        return {"No Audio Input Device", '\0'};
    }
    if (selection == noSource) {
        return {playbackMuted ? "N/A : Screen Saver Mode" : "Demo Track", '\0'};
    }
    if (selection == defaultDeviceSource) return {"Default Recording Device", '\0'};
    if (selection == speakersSource) return {speakersText(sources, buffer), '\0'};
    if (selection >= 0) return {deviceName(sources, selection, buffer), '('};
    return {};
}
