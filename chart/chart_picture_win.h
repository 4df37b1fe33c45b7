// Chart pictures decoded off the window thread: the window is handed a bitmap ready to draw.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "base/unique_handle_win.h"
#include "chart/png_header.h"

namespace tickra {

// 32-bit premultiplied, top-down.
struct ChartPicture {
    UniqueBitmap bitmap;
    Size size;
    bool has_alpha = false;
};

// Decodes chart pictures on any thread. The image library is loaded and started with the first
// picture, not with the program (most runs show none), and ends with the decoder.
class ChartDecoder {
public:
    ChartDecoder();
    ~ChartDecoder();
    ChartDecoder(const ChartDecoder&) = delete;
    ChartDecoder& operator=(const ChartDecoder&) = delete;

    // Nothing for bytes that are no PNG picture of a chart's size.
    std::optional<ChartPicture> Decode(std::string_view bytes);

private:
    struct Library;
    bool Start();

    std::mutex mutex_;
    std::unique_ptr<Library> library_;
    ULONG_PTR token_ = 0;
    bool failed_ = false;
};

}  // namespace tickra
