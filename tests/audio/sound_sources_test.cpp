// The selector's order of the sound sources: nothing, the default device, the speakers, the devices.
#include <gtest/gtest.h>

#include <vector>

#include "audio/sound_sources.h"

namespace {

TEST(SoundSources, StepsUpAndDownVisitEveryEntryOnceInOrder)
{
    const int devices = 3;
    std::vector<int> upwards{noSource};
    while (upwards.back() != topSource(devices)) upwards.push_back(sourceAbove(upwards.back()));
    EXPECT_EQ(upwards, (std::vector<int>{noSource, defaultDeviceSource, speakersSource, 0, 1, 2}));

    std::vector<int> downwards{topSource(devices)};
    while (downwards.back() != noSource) downwards.push_back(sourceBelow(downwards.back()));
    EXPECT_EQ(downwards, (std::vector<int>{2, 1, 0, speakersSource, defaultDeviceSource, noSource}));
    EXPECT_EQ(sourceBelow(noSource), noSource) << "the bottom stays the bottom";
}

TEST(SoundSources, WithoutDevicesTheSpeakersAreTheTop)
{
    EXPECT_EQ(topSource(0), speakersSource);
    EXPECT_EQ(topSource(1), 0);
    EXPECT_TRUE(sourceIsAbove(speakersSource, defaultDeviceSource));
    EXPECT_TRUE(sourceIsAbove(0, speakersSource));
    EXPECT_FALSE(sourceIsAbove(speakersSource, speakersSource));
    EXPECT_FALSE(sourceIsAbove(noSource, -5)) << "values below the list count as nothing";
}

}  // namespace
