// PNG through GDI+, in memory both ways: a stream on a global memory block.
// GDI+ keeps 24-bit pixels as blue, green, red; the picture is red first.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include "cli/image.h"
#include "textlib/mem.h"
#include <cstring>

namespace {

// GDI+ is started for one call and shut down after it.
struct GdiPlus {
    ULONG_PTR token = 0;
    bool ok;
    GdiPlus() {
        Gdiplus::GdiplusStartupInput input;
        ok = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiPlus() {
        if (ok) Gdiplus::GdiplusShutdown(token);
    }
};

bool PngEncoder(CLSID* clsid) {
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
    auto* codecs = static_cast<Gdiplus::ImageCodecInfo*>(Mem_Alloc(size));
    bool found = false;
    if (codecs && Gdiplus::GetImageEncoders(count, size, codecs) == Gdiplus::Ok)
        for (UINT i = 0; i < count && !found; i++)
            if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
                *clsid = codecs[i].Clsid;
                found = true;
            }
    Mem_Free(codecs);
    return found;
}

void SwapRedBlue(uint8_t* row, uint32_t width) {
    for (uint32_t x = 0; x < width; x++, row += 3) {
        const uint8_t t = row[0];
        row[0] = row[2];
        row[2] = t;
    }
}

} // namespace

bool Image_EncodePng(const PreviewImage* image, uint8_t** bytes, uint32_t* length) {
    *bytes = nullptr;
    GdiPlus gdi;
    CLSID png;
    if (!gdi.ok || !PngEncoder(&png)) return false;
    const uint32_t stride = (image->width * 3 + 3) & ~3u;
    auto* pixels = static_cast<uint8_t*>(Mem_Alloc(static_cast<size_t>(stride) * image->height));
    if (!pixels) return false;
    for (uint32_t y = 0; y < image->height; y++) {
        memcpy(pixels + y * stride, image->rgb + static_cast<size_t>(y) * image->width * 3,
               image->width * 3);
        SwapRedBlue(pixels + y * stride, image->width);
    }
    bool ok = false;
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) == S_OK) {
        {
            Gdiplus::Bitmap bitmap(static_cast<INT>(image->width), static_cast<INT>(image->height),
                                   static_cast<INT>(stride), PixelFormat24bppRGB, pixels);
            ok = bitmap.GetLastStatus() == Gdiplus::Ok &&
                 bitmap.Save(stream, &png, nullptr) == Gdiplus::Ok;
        }
        HGLOBAL global = nullptr;
        STATSTG stat;
        if (ok && GetHGlobalFromStream(stream, &global) == S_OK &&
            stream->Stat(&stat, STATFLAG_NONAME) == S_OK) {
            *length = static_cast<uint32_t>(stat.cbSize.QuadPart);
            *bytes = static_cast<uint8_t*>(Mem_Alloc(*length ? *length : 1));
            const void* data = GlobalLock(global);
            if (*bytes && data) memcpy(*bytes, data, *length);
            if (data) GlobalUnlock(global);
            ok = *bytes && data;
        } else {
            ok = false;
        }
        stream->Release();
    }
    Mem_Free(pixels);
    if (!ok) {
        Mem_Free(*bytes);
        *bytes = nullptr;
    }
    return ok;
}

bool Image_DecodePng(const uint8_t* bytes, uint32_t length, PreviewImage* image) {
    image->rgb = nullptr;
    GdiPlus gdi;
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, length ? length : 1);
    if (!gdi.ok || !global) return false;
    void* data = GlobalLock(global);
    if (data) memcpy(data, bytes, length);
    GlobalUnlock(global);
    IStream* stream = nullptr;
    if (!data || CreateStreamOnHGlobal(global, TRUE, &stream) != S_OK) {
        GlobalFree(global);
        return false;
    }
    bool ok = false;
    {
        Gdiplus::Bitmap bitmap(stream);
        Gdiplus::BitmapData locked;
        const UINT w = bitmap.GetWidth(), h = bitmap.GetHeight();
        Gdiplus::Rect all(0, 0, static_cast<INT>(w), static_cast<INT>(h));
        if (bitmap.GetLastStatus() == Gdiplus::Ok &&
            bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat24bppRGB, &locked) ==
                Gdiplus::Ok) {
            image->rgb = static_cast<uint8_t*>(Mem_Alloc(static_cast<size_t>(w) * h * 3));
            for (UINT y = 0; image->rgb && y < h; y++) {
                uint8_t* row = image->rgb + static_cast<size_t>(y) * w * 3;
                memcpy(row, static_cast<const uint8_t*>(locked.Scan0) + y * locked.Stride, w * 3);
                SwapRedBlue(row, w);
            }
            bitmap.UnlockBits(&locked);
            image->width = w;
            image->height = h;
            ok = image->rgb != nullptr;
        }
    }
    stream->Release();
    return ok;
}
