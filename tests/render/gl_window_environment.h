// A GoogleTest environment that opens the GL test window at a fixed drawable size before the tests
// and closes it after them.
#pragma once
#include <gtest/gtest.h>

#include "tests/render/gl_test_window.h"

class GlWindowEnvironment : public ::testing::Environment {
public:
    GlWindowEnvironment(TestWindow& window, int width, int height)
        : window_(window), width_(width), height_(height)
    {
    }
    void SetUp() override
    {
        ASSERT_TRUE(openTestWindow(window_, width_, height_)) << SDL_GetError();
        ASSERT_EQ(window_.display.drawableWidth, width_);
        ASSERT_EQ(window_.display.drawableHeight, height_);
    }
    void TearDown() override { closeTestWindow(window_); }

private:
    TestWindow& window_;
    int width_;
    int height_;
};
