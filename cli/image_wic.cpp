// PNG through the Windows Imaging Component: written a row at a time through
// a stream that hands the bytes on to the command's output writer, and read
// back whole from memory. WIC keeps 24-bit pixels blue first; the picture is
// red first.
#include <windows.h>
#include <wincodec.h>
#include "cli/image.h"
#include "engine/tilemap.h"
#include "textlib/mem.h"
#include <cstring>
#include <new>

namespace {

// The output writer as a COM stream that is only written in order: the
// encoder may ask where it stands (a seek that goes nowhere) and its size.
// It lives inside its picture, which frees it: counting references is moot.
class WriterStream final : public IStream {
  public:
    explicit WriterStream(TileMapWriter* writer) : writer_(writer) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IStream || iid == IID_ISequentialStream) {
            *out = static_cast<IStream*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(void*, ULONG, ULONG* done) override {
        if (done) *done = 0;
        return STG_E_ACCESSDENIED;
    }
    HRESULT STDMETHODCALLTYPE Write(const void* bytes, ULONG count, ULONG* done) override {
        const bool put = TileMap_WriterPut(writer_, bytes, count);
        if (done) *done = put ? count : 0;
        if (!put) return STG_E_MEDIUMFULL;
        at_ += count;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                   ULARGE_INTEGER* position) override {
        const int64_t from = origin == STREAM_SEEK_SET ? 0 : static_cast<int64_t>(at_);
        if (from + move.QuadPart != static_cast<int64_t>(at_)) return STG_E_INVALIDFUNCTION;
        if (position) position->QuadPart = at_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_INVALIDFUNCTION; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                     ULARGE_INTEGER*) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return STG_E_INVALIDFUNCTION; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
        memset(stat, 0, sizeof *stat);
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = at_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream** out) override {
        *out = nullptr;
        return STG_E_INVALIDFUNCTION;
    }

  private:
    TileMapWriter* writer_;
    uint64_t at_ = 0;
};

template <typename T> void ReleaseOf(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

// COM is started for one picture and stopped after it.
bool StartCom(IWICImagingFactory** factory) {
    *factory = nullptr;
    const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(started)) return false;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IWICImagingFactory, reinterpret_cast<void**>(factory))))
        return true;
    CoUninitialize();
    return false;
}

void StopCom(IWICImagingFactory** factory) {
    ReleaseOf(*factory);
    CoUninitialize();
}

// Swaps the first and third byte of each pixel, either way.
void SwapRedBlue(uint8_t* row, uint32_t width) {
    for (uint32_t x = 0; x < width; x++, row += 3) {
        const uint8_t t = row[0];
        row[0] = row[2];
        row[2] = t;
    }
}

} // namespace

struct ImagePng {
    explicit ImagePng(TileMapWriter* writer) : stream(writer) {}
    WriterStream stream;
    IWICImagingFactory* factory = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    uint8_t* row = nullptr; // a row, blue first
    uint32_t width = 0, height = 0, rows = 0;
    bool failed = false;
};

namespace {

void Free(ImagePng* image) {
    ReleaseOf(image->frame);
    ReleaseOf(image->encoder);
    if (image->factory) StopCom(&image->factory);
    Mem_Free(image->row);
    image->~ImagePng();
    Mem_Free(image);
}

} // namespace

ImagePng* Image_PngStart(TileMapWriter* writer, uint32_t width, uint32_t height, uint32_t) {
    void* block = Mem_Alloc(sizeof(ImagePng));
    if (!block) return nullptr;
    ImagePng* image = new (block) ImagePng(writer);
    image->width = width;
    image->height = height;
    image->row = static_cast<uint8_t*>(Mem_Alloc(static_cast<size_t>(width) * 3 + 1));
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (!image->row || !StartCom(&image->factory) ||
        FAILED(image->factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &image->encoder)) ||
        FAILED(image->encoder->Initialize(&image->stream, WICBitmapEncoderNoCache)) ||
        FAILED(image->encoder->CreateNewFrame(&image->frame, nullptr)) ||
        FAILED(image->frame->Initialize(nullptr)) || FAILED(image->frame->SetSize(width, height)) ||
        FAILED(image->frame->SetPixelFormat(&format)) ||
        !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
        Free(image);
        return nullptr;
    }
    return image;
}

bool Image_PngRow(ImagePng* image, const uint8_t* rgb) {
    if (image->failed || image->rows == image->height) return false;
    const UINT bytes = image->width * 3;
    memcpy(image->row, rgb, bytes);
    SwapRedBlue(image->row, image->width);
    image->failed = FAILED(image->frame->WritePixels(1, bytes, bytes, image->row));
    image->rows += !image->failed;
    return !image->failed;
}

bool Image_PngEnd(ImagePng* image) {
    if (!image) return false;
    const bool done = !image->failed && image->rows == image->height &&
                      SUCCEEDED(image->frame->Commit()) && SUCCEEDED(image->encoder->Commit());
    Free(image);
    return done;
}

bool Image_DecodePng(const uint8_t* bytes, uint32_t length, PreviewImage* image) {
    image->rgb = nullptr;
    IWICImagingFactory* factory;
    if (!StartCom(&factory)) return false;
    IWICStream* stream = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    UINT w = 0, h = 0;
    bool ok =
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes), length)) &&
        SUCCEEDED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand,
                                                   &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&w, &h)) &&
        SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone,
                                        nullptr, 0.0, WICBitmapPaletteTypeCustom));
    const uint64_t size = uint64_t{w} * h * 3;
    if (ok && size < 0x80000000u)
        image->rgb = static_cast<uint8_t*>(Mem_Alloc(static_cast<size_t>(size ? size : 1)));
    ok = ok && image->rgb &&
         SUCCEEDED(converter->CopyPixels(nullptr, w * 3, static_cast<UINT>(size), image->rgb));
    for (UINT y = 0; ok && y < h; y++)
        SwapRedBlue(image->rgb + uint64_t{y} * w * 3, w);
    ReleaseOf(converter);
    ReleaseOf(frame);
    ReleaseOf(decoder);
    ReleaseOf(stream);
    StopCom(&factory);
    if (!ok) {
        Mem_Free(image->rgb);
        image->rgb = nullptr;
        return false;
    }
    image->width = w;
    image->height = h;
    return true;
}
