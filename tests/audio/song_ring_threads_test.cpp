// The song ring between a writing thread and a reading thread, as the decoder and the callback use it.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "audio/song_ring.h"

TEST(SongRingThreads, EveryFrameArrivesOnceAndInOrder)
{
    SongRing ring;
    ASSERT_TRUE(createSongRing(ring, 3000));
    constexpr int total = 200000;
    std::thread writer([&ring] {
        std::vector<float> chunk;
        for (int next = 0; next < total;) {
            const int count = std::min(1 + next % 997, total - next);
            chunk.clear();
            for (int n = next; n < next + count; ++n) chunk.insert(chunk.end(), {float(n), -float(n)});
            next += static_cast<int>(putSongFrames(ring, chunk.data(), static_cast<uint32_t>(count)));
            if (next < total && songRingSpace(ring) == 0) std::this_thread::yield();
        }
        ring.inputEnded.store(true, std::memory_order_release);
    });
    std::vector<float> out(2 * 1024);
    int expected = 0;
    bool inOrder = true;
    while (!songRingFinished(ring)) {
        const uint32_t taken = takeSongFrames(ring, out.data(), 1024);
        for (uint32_t i = 0; i < taken; ++i, ++expected) {
            inOrder = inOrder && out[2 * i] == float(expected) && out[2 * i + 1] == -float(expected);
        }
        if (taken == 0) std::this_thread::yield();
    }
    writer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(expected, total);
    destroySongRing(ring);
}
