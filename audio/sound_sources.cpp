// The order of the sound sources in the selector.
#include "audio/sound_sources.h"

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
