// PNG pictures through the platform's own image library: libpng on Linux
// (image_png.cpp), the Windows Imaging Component on Windows
// (image_wic.cpp). Both write a picture a row at a time, so that none is
// ever held whole.
#pragma once
#include <cstdint>
#include "engine/preview.h"

struct TileMapWriter;
struct ImagePng;
// How a picture is written.
constexpr uint32_t IMAGE_GREY = 1;     // every pixel grey (red = green = blue): one byte each
constexpr uint32_t IMAGE_SMALLEST = 2; // the smallest file, however long it takes
// Starts a PNG picture of width x height pixels, written as it is made to
// writer, which the caller owns; rows come as RGB whatever flags say. By
// default the library compresses for speed. Returns the picture to end with
// Image_PngEnd, or null when the library refuses it or memory runs out.
ImagePng* Image_PngStart(TileMapWriter* writer, uint32_t width, uint32_t height, uint32_t flags);
// Adds the next row, width pixels of three bytes, red first. False when the
// library or the writer failed; the picture is then only to be ended.
bool Image_PngRow(ImagePng* png, const uint8_t* rgb);
// Finishes the picture after its last row and frees png (null is ignored);
// false when it could not be finished.
bool Image_PngEnd(ImagePng* png);
// Decodes a PNG into image (its rgb: Mem_Free); false when it is none.
bool Image_DecodePng(const uint8_t* bytes, uint32_t length, PreviewImage* image);
