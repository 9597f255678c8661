#pragma once
// The widget's icon file (nine images: 32 and 16 px at 4 bits, 48, 32 and
// 16 at 8 bits, 256, 48, 32 and 16 at 32 bits), built from the art sources
// and compiled into the program as data for the tray icon.

#include <cstddef>
#include <cstdint>

const uint8_t* StoredIconBytes();
size_t StoredIconSize();
