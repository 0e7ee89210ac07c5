// PNG through libpng's simplified interface, in memory both ways.
#include "cli/image.h"
#include "textlib/mem.h"
#include <png.h>
#include <cstring>

bool Image_EncodePng(const PreviewImage* image, uint8_t** bytes, uint32_t* length) {
    *bytes = nullptr;
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = image->width;
    png.height = image->height;
    png.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    // The first call only measures.
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, image->rgb, 0, nullptr)) return false;
    *bytes = static_cast<uint8_t*>(Mem_Alloc(size));
    if (!*bytes) return false;
    if (!png_image_write_to_memory(&png, *bytes, &size, 0, image->rgb, 0, nullptr)) {
        Mem_Free(*bytes);
        *bytes = nullptr;
        return false;
    }
    *length = static_cast<uint32_t>(size);
    return true;
}

bool Image_DecodePng(const uint8_t* bytes, uint32_t length, PreviewImage* image) {
    image->rgb = nullptr;
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes, length)) return false;
    png.format = PNG_FORMAT_RGB;
    image->rgb = static_cast<uint8_t*>(Mem_Alloc(PNG_IMAGE_SIZE(png)));
    if (!image->rgb || !png_image_finish_read(&png, nullptr, image->rgb, 0, nullptr)) {
        png_image_free(&png);
        Mem_Free(image->rgb);
        image->rgb = nullptr;
        return false;
    }
    image->width = png.width;
    image->height = png.height;
    return true;
}
