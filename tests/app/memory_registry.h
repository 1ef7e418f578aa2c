// An in-memory stand-in for the graphics-driver registry key, for tests of the guard.
#pragma once
#include <cstdint>
#include <map>
#include <string>

struct MemoryRegistry {
    bool keyAvailable = true;   // false: the key cannot be opened (no rights)
    bool writesFail = false;    // every write and delete fails
    std::map<std::string, uint32_t> values;
    int openKeys = 0;           // opened and not yet closed
    int writes = 0;             // successful writes and deletes
};

// The registry every registry* function of the program works on in these tests.
MemoryRegistry& memoryRegistry();
