// The two HTTP operations every provider goes through, on WinInet. Both block the calling thread,
// which is therefore never the user-interface thread; another thread may abort them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "net/http.h"
#include "net/transfer_limits.h"

namespace tickra {

// Lets another thread abort a transfer: closing the request handle makes a blocked WinInet call
// return at once on Windows. Once aborted, every transfer through the control fails.
class TransferControl {
public:
    TransferControl() = default;
    TransferControl(const TransferControl&) = delete;
    TransferControl& operator=(const TransferControl&) = delete;

    void Abort();
    bool aborted() const;

    // Transfer side. The control holds the request handle from Attach to Release, so that it is
    // closed exactly once and the transfer makes no call after it is closed: a closed handle's
    // value goes to the next handle WinInet makes, perhaps another transfer's. A call that returns
    // at once is made under the control's lock. One that may wait for the server is made between
    // BeginWait and EndWait; an abort meanwhile closes the handle to end the wait (the call keeps
    // WinInet's own hold on it until it returns), any other abort leaves the closing to Release.
    // Left open, as WinInet's blocking calls give no way to close it: an abort in the instant
    // between BeginWait and the call taking hold of the handle.
    bool Attach(void* request);  // false (and the handle closed) when already aborted
    template <class Call>
    bool Quick(Call&& call) {  // false, and no call made, once aborted
        const std::lock_guard<std::mutex> lock(mutex_);
        if (aborted_) {
            return false;
        }
        call();
        return true;
    }
    bool BeginWait();  // false once aborted: make no call
    bool EndWait();    // false when aborted meanwhile: the handle may be closed
    void Release(void* request);

private:
    mutable std::mutex mutex_;
    void* request_ = nullptr;
    bool aborted_ = false;
    bool waiting_ = false;
};

// Sends one HTTP/1.0 request with "Accept: */*" and a form content type, as user agent
// "MyAgent", asking the server to keep the connection; host may carry ":port". No transfer writes
// to the WinInet cache or sends cookies. An object without a leading "/" is asked for from the
// root. headers: more request headers, each ending in "\r\n".
// The body is read in 512-byte chunks, each cut at its first NUL byte. It is complete only when
// the whole of it arrived within the bounds and matches Content-Length when that is given; an
// answer that is not complete carries no body.
HttpAnswer HttpRequest(std::string_view body, std::string_view verb, std::string_view host,
                       std::string_view object, const TransferLimits& limits = {},
                       TransferControl* control = nullptr, std::string_view headers = {});

// An HTTP request made off the window thread, bounded as its kind is, which its control can
// abort; headers as HttpRequest takes them.
using AbortableHttpFunction = std::function<HttpAnswer(
    std::string_view body, std::string_view verb, std::string_view host, std::string_view object,
    std::string_view headers, TransferKind kind, TransferControl& control)>;

// The requests of one kind tied to one control, in the shape the platform-free logic takes.
inline HttpFunction BindControl(AbortableHttpFunction http, TransferKind kind,
                                TransferControl& control) {
    return
        [http = std::move(http), kind, &control](std::string_view body, std::string_view verb,
                                                 std::string_view host, std::string_view object) {
            return http(body, verb, host, object, {}, kind, control);
        };
}

struct DownloadResult {
    bool completed = false;    // ended with a clean end of data and every byte written
    unsigned long status = 0;  // HTTP status, 0 when there was none
    std::optional<uint64_t> content_length;
    uint64_t bytes = 0;  // bytes received and written
};

// Told of the bytes written so far and the announced length (0 when none); called on the
// transferring thread.
using DownloadProgress = std::function<void(uint64_t bytes, uint64_t length)>;

// Fetches an absolute http:// URL into a file, always from the server (never the cache), as
// user agent "Outlook". The file is created before any data arrives, so a failed transfer leaves
// it empty or partial.
DownloadResult DownloadUrlToFile(std::string_view url, const std::wstring& path,
                                 const TransferLimits& limits, TransferControl* control = nullptr,
                                 const DownloadProgress& progress = {});

}  // namespace tickra
