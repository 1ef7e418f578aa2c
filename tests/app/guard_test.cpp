// The driver-timeout guard against an in-memory registry key.
#include <gtest/gtest.h>

#include "platform/driver_timeout_guard.h"
#include "tests/app/memory_registry.h"

namespace {
const char* const delay = "TdrDelay";
const char* const sentinel = "QORB_SENTINEL_TdrDelay";

class Guard : public ::testing::Test {
protected:
    void SetUp() override { memoryRegistry() = MemoryRegistry(); }
    std::map<std::string, uint32_t>& values() { return memoryRegistry().values; }
};
}  // namespace

TEST_F(Guard, LowTimeoutIsRaisedThenRestored)
{
    values()[delay] = 2;
    raiseDriverTimeout();
    EXPECT_EQ(values()[delay], 120u);
    EXPECT_EQ(values()[sentinel], 2u);
    restoreDriverTimeout();
    EXPECT_EQ(values().at(delay), 2u);
    EXPECT_EQ(values().count(sentinel), 0u);
    EXPECT_EQ(memoryRegistry().openKeys, 0);
}

TEST_F(Guard, AbsentTimeoutIsWrittenAndDeletedAgain)
{
    raiseDriverTimeout();
    EXPECT_EQ(values().at(delay), 120u);
    EXPECT_EQ(values().at(sentinel), 0u);
    restoreDriverTimeout();
    EXPECT_TRUE(values().empty());
}

TEST_F(Guard, HighTimeoutIsLeftAlone)
{
    for (uint32_t start : {120u, 300u, 0xFFFFFFFFu}) {
        values().clear();
        values()[delay] = start;
        memoryRegistry().writes = 0;
        raiseDriverTimeout();
        restoreDriverTimeout();
        EXPECT_EQ(memoryRegistry().writes, 0) << start;
        EXPECT_EQ(values().at(delay), start);
        EXPECT_EQ(values().count(sentinel), 0u);
    }
}

TEST_F(Guard, LeftOverSentinelRestoresTheOriginalValue)
{
    values()[delay] = 120;
    values()[sentinel] = 5;
    raiseDriverTimeout();
    EXPECT_EQ(values().at(delay), 120u);
    EXPECT_EQ(values().at(sentinel), 5u);
    restoreDriverTimeout();
    EXPECT_EQ(values().at(delay), 5u);
    EXPECT_EQ(values().count(sentinel), 0u);
}

TEST_F(Guard, LeftOverSentinelIsNeverOverwritten)
{
    values()[delay] = 10;
    values()[sentinel] = 5;
    raiseDriverTimeout();
    EXPECT_EQ(values().at(delay), 120u);
    EXPECT_EQ(values().at(sentinel), 5u);
    restoreDriverTimeout();
    EXPECT_EQ(values().at(delay), 5u);
    EXPECT_EQ(values().count(sentinel), 0u);
}

TEST_F(Guard, LeftOverZeroSentinelDeletesTheTimeout)
{
    values()[delay] = 120;
    values()[sentinel] = 0;
    raiseDriverTimeout();
    restoreDriverTimeout();
    EXPECT_TRUE(values().empty());
}

TEST_F(Guard, KeyThatCannotBeOpenedIsNeverTouched)
{
    values()[delay] = 2;
    memoryRegistry().keyAvailable = false;
    raiseDriverTimeout();
    restoreDriverTimeout();
    EXPECT_EQ(values().at(delay), 2u);
    EXPECT_EQ(values().size(), 1u);
    EXPECT_EQ(memoryRegistry().writes, 0);
}

TEST_F(Guard, RestoreWithoutSentinelKeepsTheTimeout)
{
    values()[delay] = 120;
    restoreDriverTimeout();
    EXPECT_EQ(values().at(delay), 120u);
    EXPECT_EQ(memoryRegistry().openKeys, 0);
}

TEST_F(Guard, FailingWritesAreSilentAndCloseTheKey)
{
    values()[delay] = 2;
    memoryRegistry().writesFail = true;
    raiseDriverTimeout();
    restoreDriverTimeout();
    EXPECT_EQ(values().at(delay), 2u);
    EXPECT_EQ(memoryRegistry().openKeys, 0);
}
