#include "screenshot_wic.h"

#include <objbase.h>
#include <wincodec.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace kd508::platform {

namespace {

constexpr WORD bits_per_bgr_pixel = 24;

struct ComReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};

template <typename Interface>
using Com = std::unique_ptr<Interface, ComReleaser>;

struct DeviceContextReleaser {
    HWND window;
    void operator()(HDC context) const { ReleaseDC(window, context); }
};

struct MemoryContextDeleter {
    void operator()(HDC context) const { DeleteDC(context); }
};

struct BitmapDeleter {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};

// COM is started for the encoding only, and ended again if this call started it; a program
// that runs COM in the other threading model already has it, which serves as well.
class ComSession {
public:
    ComSession() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComSession() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComSession(const ComSession&) = delete;
    ComSession& operator=(const ComSession&) = delete;
    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

std::string codec_failure(const char* step, HRESULT result) {
    char text[96];
    std::snprintf(text, sizeof text, "the system's PNG encoder failed to %s (error 0x%08lX)", step,
                  static_cast<unsigned long>(result));
    return text;
}

// Encodes the picture into memory; the file itself is written by the C library, so that its
// errors read as they do in every other message about a file.
std::string encode_png(const ClientPicture& picture, std::vector<unsigned char>& png) {
    ComSession com;
    if (!com.usable()) return codec_failure("start", E_FAIL);
    IWICImagingFactory* raw_factory = nullptr;
    HRESULT result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(&raw_factory));
    if (FAILED(result)) return codec_failure("start", result);
    Com<IWICImagingFactory> factory(raw_factory);

    IStream* raw_stream = nullptr;
    result = CreateStreamOnHGlobal(nullptr, TRUE, &raw_stream);
    if (FAILED(result)) return codec_failure("get memory", result);
    Com<IStream> stream(raw_stream);

    IWICBitmapEncoder* raw_encoder = nullptr;
    result = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &raw_encoder);
    if (FAILED(result)) return codec_failure("start", result);
    Com<IWICBitmapEncoder> encoder(raw_encoder);
    result = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache);
    if (FAILED(result)) return codec_failure("start", result);

    IWICBitmapFrameEncode* raw_frame = nullptr;
    IPropertyBag2* raw_options = nullptr;
    result = encoder->CreateNewFrame(&raw_frame, &raw_options);
    if (FAILED(result)) return codec_failure("make a frame", result);
    Com<IWICBitmapFrameEncode> frame(raw_frame);
    Com<IPropertyBag2> options(raw_options);
    result = frame->Initialize(options.get());
    if (SUCCEEDED(result)) result = frame->SetSize(static_cast<UINT>(picture.width), static_cast<UINT>(picture.height));
    // The encoder may answer with a format of its own choosing; then these pixels do not fit.
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(result)) result = frame->SetPixelFormat(&format);
    if (SUCCEEDED(result) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) result = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    if (FAILED(result)) return codec_failure("take the picture's size and format", result);
    const UINT row_bytes = static_cast<UINT>(picture.row_bytes());
    result = frame->WritePixels(static_cast<UINT>(picture.height), row_bytes,
                                static_cast<UINT>(picture.rows.size()), const_cast<BYTE*>(picture.rows.data()));
    if (SUCCEEDED(result)) result = frame->Commit();
    if (SUCCEEDED(result)) result = encoder->Commit();
    if (FAILED(result)) return codec_failure("encode the pixels", result);

    STATSTG status{};
    result = stream->Stat(&status, STATFLAG_NONAME);
    HGLOBAL memory = nullptr;
    if (SUCCEEDED(result)) result = GetHGlobalFromStream(stream.get(), &memory);
    if (FAILED(result)) return codec_failure("hand over the image", result);
    const auto* bytes = static_cast<const unsigned char*>(GlobalLock(memory));
    if (bytes == nullptr) return codec_failure("hand over the image", E_OUTOFMEMORY);
    png.assign(bytes, bytes + status.cbSize.QuadPart);
    GlobalUnlock(memory);
    return {};
}

}  // namespace

bool capture_client(HWND window, ClientPicture& picture) {
    RECT client{};
    if (window == nullptr || !GetClientRect(window, &client)) return false;
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return false;

    std::unique_ptr<HDC__, DeviceContextReleaser> window_context(GetDC(window), DeviceContextReleaser{window});
    if (!window_context) return false;
    std::unique_ptr<HDC__, MemoryContextDeleter> memory_context(CreateCompatibleDC(window_context.get()));
    if (!memory_context) return false;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;  // negative: the top row comes first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = bits_per_bgr_pixel;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    std::unique_ptr<HBITMAP__, BitmapDeleter> section(
        CreateDIBSection(window_context.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || bits == nullptr) return false;
    const HGDIOBJ previous = SelectObject(memory_context.get(), section.get());
    const bool copied =
        BitBlt(memory_context.get(), 0, 0, width, height, window_context.get(), 0, 0, SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(memory_context.get(), previous);
    if (!copied) return false;

    picture.width = width;
    picture.height = height;
    const auto* first = static_cast<const unsigned char*>(bits);
    picture.rows.assign(first, first + static_cast<std::size_t>(picture.row_bytes()) * height);
    return true;
}

std::string write_png_image(const std::string& path, const ClientPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0) return "the picture is empty";
    std::vector<unsigned char> png;
    if (std::string problem = encode_png(picture, png); !problem.empty()) return problem;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return std::strerror(errno);
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    int error = written ? 0 : errno;
    // The data may still sit in the stream's buffer: only a successful close means it is there.
    if (std::fclose(file) != 0 && error == 0) error = errno;
    if (written && error == 0) return {};
    // Half an image would pass for a picture of something else.
    std::remove(path.c_str());
    return std::strerror(error != 0 ? error : EIO);
}

}  // namespace kd508::platform
