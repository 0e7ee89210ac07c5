// PNG pictures in memory, through the platform's own image library: libpng
// on Linux (image_png.cpp), GDI+ on Windows (image_gdiplus.cpp).
#pragma once
#include <cstdint>
#include "engine/preview.h"

// Encodes image as PNG into *bytes (Mem_Free) of *length bytes; false when
// the library refuses or memory runs out.
bool Image_EncodePng(const PreviewImage* image, uint8_t** bytes, uint32_t* length);
// Decodes a PNG into image (its rgb: Mem_Free); false when it is none.
bool Image_DecodePng(const uint8_t* bytes, uint32_t length, PreviewImage* image);
