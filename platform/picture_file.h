// Saving a picture into the user's pictures folder, in a Quasarine folder of its own.
#pragma once
#include <cstddef>
#include <cstdint>

// Writes the bytes as a new file STEM.png, or STEM-2.png, STEM-3.png... when that name is taken, in
// the pictures folder's Quasarine folder, made when missing; an existing file is never replaced.
// Returns true with the file's name (without the folder) in name, or false with nothing left behind.
bool savePictureFile(const char* stem, const uint8_t* data, size_t size, char* name, size_t nameCapacity);

// The pictures folder named by the text of an XDG user-dirs.dirs file: the XDG_PICTURES_DIR line's
// quoted "$HOME/..." or absolute path. False when the text has no usable line.
bool picturesFolderFromUserDirs(const char* text, size_t length, const char* home, char* folder,
                                size_t capacity);
