// PNG through libpng: written a row at a time to the command's output
// writer, read back whole from memory through the simplified interface.
#include "cli/image.h"
#include "engine/tilemap.h"
#include "textlib/mem.h"
#include <png.h>
#include <csetjmp>
#include <cstring>

struct ImagePng {
    png_structp png;
    png_infop info;
    TileMapWriter* writer;
    uint32_t width, height, rows;
    uint8_t* grey; // a row of one byte a pixel, for a grey picture
    bool failed;
};

namespace {

// libpng reports its errors by a jump back to the call that started the
// work, the only way out of its error handler that it allows.
void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnWrite(png_structp png, png_bytep bytes, png_size_t length) {
    auto* image = static_cast<ImagePng*>(png_get_io_ptr(png));
    if (!TileMap_WriterPut(image->writer, bytes, length)) png_error(png, "write");
}

void OnFlush(png_structp) {}

void Free(ImagePng* image) {
    png_destroy_write_struct(&image->png, &image->info);
    Mem_Free(image->grey);
    Mem_Free(image);
}

} // namespace

ImagePng* Image_PngStart(TileMapWriter* writer, uint32_t width, uint32_t height, uint32_t flags) {
    auto* image = static_cast<ImagePng*>(Mem_AllocZero(sizeof(ImagePng)));
    if (!image) return nullptr;
    image->writer = writer;
    image->width = width;
    image->height = height;
    if ((flags & IMAGE_GREY) && !(image->grey = static_cast<uint8_t*>(Mem_Alloc(width)))) {
        Free(image);
        return nullptr;
    }
    image->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (image->png) image->info = png_create_info_struct(image->png);
    if (!image->info) {
        Free(image);
        return nullptr;
    }
    if (setjmp(png_jmpbuf(image->png))) {
        Free(image);
        return nullptr;
    }
    // The libraries' own limit on a side, a million pixels, is ours too.
    png_set_write_fn(image->png, image, OnWrite, OnFlush);
    png_set_IHDR(image->png, image->info, width, height, 8,
                 image->grey ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!(flags & IMAGE_SMALLEST)) {
        // For speed: zlib's fastest level, and rows told apart from the one
        // to their left only, the filter that costs least.
        png_set_compression_level(image->png, 1);
        png_set_filter(image->png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    } else {
        png_set_compression_level(image->png, 9);
    }
    png_write_info(image->png, image->info);
    return image;
}

bool Image_PngRow(ImagePng* image, const uint8_t* rgb) {
    if (image->failed || image->rows == image->height) return false;
    if (setjmp(png_jmpbuf(image->png))) {
        image->failed = true;
        return false;
    }
    if (image->grey)
        for (uint32_t x = 0; x < image->width; x++)
            image->grey[x] = rgb[x * 3];
    png_write_row(image->png, image->grey ? image->grey : rgb);
    image->rows++;
    return true;
}

bool Image_PngEnd(ImagePng* image) {
    if (!image) return false;
    const bool done = !image->failed && image->rows == image->height;
    if (done) {
        if (setjmp(png_jmpbuf(image->png))) {
            Free(image);
            return false;
        }
        png_write_end(image->png, nullptr);
    }
    Free(image);
    return done;
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
