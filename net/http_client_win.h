// The two blocking HTTP operations every provider goes through, on WinInet.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tickra {

// Bounds on one transfer. Each call runs on the calling thread; on the user-interface thread a
// stalled host would otherwise also stall the taskbar that hosts the ticker.
struct TransferLimits {
    unsigned long idle_timeout_ms = 5000;  // connect, send, and each receive
    unsigned long total_ms = 8000;         // the whole answer
    uint64_t max_bytes = 4u << 20;
};

// Sends one HTTP/1.0 request with "Accept: */*" and a form content type, as user agent
// "MyAgent"; host may carry ":port". An object without a leading "/" is asked for from the root.
// Returns the body read in 512-byte chunks, each cut at its first NUL byte; empty when the
// request could not be made or the body did not arrive whole (a read failed, a bound was reached,
// or fewer bytes came than Content-Length promised). No status check: an error page's body is
// returned like any other.
std::string HttpRequest(std::string_view body, std::string_view verb, std::string_view host,
                        std::string_view object, const TransferLimits& limits = {});

struct DownloadResult {
    bool completed = false;     // ended with a clean end of data and every byte written
    bool file_written = false;  // the destination was created (truncated)
    unsigned long status = 0;   // HTTP status, 0 when there was none
    std::optional<uint64_t> content_length;
    uint64_t bytes = 0;  // bytes received and written
};

// Fetches an absolute http:// URL into a file, always from the server (never the cache), as
// user agent "Outlook". The file is created before any data arrives, so a failed transfer leaves
// it empty or partial.
DownloadResult DownloadUrlToFile(std::string_view url, const std::wstring& path,
                                 const TransferLimits& limits);

// True when the transfer ended cleanly; false when it failed or the file could not be written.
inline bool DownloadToFile(std::string_view url, const std::wstring& path,
                           const TransferLimits& limits = {}) {
    return DownloadUrlToFile(url, path, limits).completed;
}

}  // namespace tickra
