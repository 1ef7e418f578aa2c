// What the analysis of each buffer leaves for the main thread: band levels and their statistics,
// beats and silence.
#pragma once
#include <atomic>
#include <cstdint>

constexpr int bandCountFixed = 7;
constexpr int historyLengthFixed = 50;

// Written by the audio thread, read by the director and the camera; every value is an individual
// relaxed atomic.
struct AnalysisResults {
    std::atomic<float> bandLevels[bandCountFixed];      // energy of each band in the latest buffer
    std::atomic<float> bandMeans[bandCountFixed];       // mean of each band's history
    std::atomic<float> bandDeviations[bandCountFixed];  // population deviation of each band's history
    std::atomic<float> bandPeaks[bandCountFixed];       // largest history entry of each band
    std::atomic<float> levelHistory[bandCountFixed * historyLengthFixed];  // band b entry j at b*50+j
    std::atomic<float> overallMean{0.0f};
    std::atomic<uint32_t> historyIndex{0};
    std::atomic<uint32_t> beatCount{0};
    std::atomic<bool> beatArmed{true};
    std::atomic<bool> historyFull{false};
    std::atomic<bool> silent{true};
};
