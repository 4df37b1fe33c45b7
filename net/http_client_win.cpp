#include "net/http_client_win.h"

#include <windows.h>
#include <wininet.h>

#include <array>
#include <string>

#include "base/unique_handle_win.h"
#include "net/host_port.h"

namespace tickra {

namespace {

using UniqueInternet = UniqueHandle<NullHandleTraits<HINTERNET, InternetCloseHandle>>;

constexpr char kFormContentType[] = "Content-Type: application/x-www-form-urlencoded";

// Wine ignores time-outs on the root handle, so every handle that talks to the host gets them.
void SetTimeouts(HINTERNET handle, unsigned long ms) {
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        DWORD value = ms;
        InternetSetOptionA(handle, option, &value, sizeof(value));
    }
}

class Deadline {
public:
    explicit Deadline(unsigned long ms) : start_(GetTickCount()), ms_(ms) {}
    bool Passed() const { return GetTickCount() - start_ > ms_; }

private:
    DWORD start_;
    unsigned long ms_;
};

std::optional<DWORD> QueryNumber(HINTERNET request, DWORD what) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (!HttpQueryInfoA(request, what | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr)) {
        return std::nullopt;
    }
    return value;
}

// The request handle of one transfer, closed once: when the transfer ends, or earlier by an
// abort from another thread.
class Request {
public:
    Request(HINTERNET handle, TransferControl* control) : handle_(handle), control_(control) {
        if (handle_ != nullptr && control_ != nullptr && !control_->Attach(handle_)) {
            handle_ = nullptr;
        }
    }
    ~Request() {
        if (handle_ == nullptr) {
            return;
        }
        if (control_ != nullptr) {
            control_->Release(handle_);
        } else {
            InternetCloseHandle(handle_);
        }
    }
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HINTERNET handle_;
    TransferControl* control_;
};

// Reads what has arrived, at most capacity bytes; read is 0 at the end of the data. Under Wine a
// read waits until its whole buffer is full, so a body dribbled a byte at a time would never
// reach the check of the total bound between two reads: each read asks only for what is there.
bool ReadSome(HINTERNET request, char* buffer, DWORD capacity, DWORD& read) {
    DWORD available = 0;
    read = 0;
    if (!InternetQueryDataAvailable(request, &available, 0, 0)) {
        return false;
    }
    return available == 0 ||
           InternetReadFile(request, buffer, available < capacity ? available : capacity, &read);
}

// Redirects are not followed: a server that points at itself would be asked for ever.
constexpr DWORD kRequestFlags = INTERNET_FLAG_NO_AUTO_REDIRECT;

}  // namespace

void TransferControl::Abort() {
    const std::lock_guard<std::mutex> lock(mutex_);
    aborted_ = true;
    if (request_ != nullptr) {
        InternetCloseHandle(request_);
        request_ = nullptr;
    }
}

bool TransferControl::aborted() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return aborted_;
}

bool TransferControl::Attach(void* request) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (aborted_) {
        InternetCloseHandle(request);
        return false;
    }
    request_ = request;
    return true;
}

void TransferControl::Release(void* request) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (request_ == request) {
        InternetCloseHandle(request);
        request_ = nullptr;
    }
}

HttpAnswer HttpRequest(std::string_view body, std::string_view verb, std::string_view host,
                       std::string_view object, const TransferLimits& limits,
                       TransferControl* control) {
    HttpAnswer answer;
    const UniqueInternet root(
        InternetOpenA("MyAgent", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!root) {
        return answer;
    }
    const HostPort server = SplitHostPort(host);
    const UniqueInternet connection(InternetConnectA(root.get(), server.host.c_str(), server.port,
                                                     nullptr, nullptr, INTERNET_SERVICE_HTTP, 0,
                                                     0));
    if (!connection) {
        return answer;
    }
    SetTimeouts(connection.get(), limits.idle_timeout_ms);

    const std::string path =
        (object.empty() || object.front() != '/' ? "/" : "") + std::string(object);
    const std::string method(verb);
    const char* accept[] = {"*/*", nullptr};
    const Request request(HttpOpenRequestA(connection.get(), method.c_str(), path.c_str(),
                                           "HTTP/1.0", nullptr, accept, kRequestFlags, 0),
                          control);
    if (!request) {
        return answer;
    }
    SetTimeouts(request.get(), limits.idle_timeout_ms);

    // The body is a C string: it ends at its first NUL.
    std::string payload(body.substr(0, body.find('\0')));
    if (!HttpSendRequestA(request.get(), kFormContentType, static_cast<DWORD>(-1),
                          payload.empty() ? nullptr : payload.data(),
                          static_cast<DWORD>(payload.size()))) {
        return answer;
    }
    answer.status = QueryNumber(request.get(), HTTP_QUERY_STATUS_CODE).value_or(0);
    // An early close reads as a normal end of data: only the promised length tells.
    const std::optional<DWORD> promised = QueryNumber(request.get(), HTTP_QUERY_CONTENT_LENGTH);

    std::string result;
    uint64_t received = 0;
    std::array<char, 513> chunk;
    const Deadline deadline(limits.total_ms);
    for (;;) {
        DWORD read = 0;
        if (!ReadSome(request.get(), chunk.data(), 512, read)) {
            return answer;
        }
        if (read == 0) {
            break;
        }
        received += read;
        // Each chunk is taken as a C string, so bytes after a NUL inside it are lost.
        chunk[read] = '\0';
        result += chunk.data();
        // A body cut off at a bound is a failed transfer: part of a record is no quote.
        if (received > limits.max_bytes || deadline.Passed()) {
            return answer;
        }
    }
    if (promised && received != *promised) {
        return answer;
    }
    answer.complete = true;
    answer.body = std::move(result);
    return answer;
}

DownloadResult DownloadUrlToFile(std::string_view url, const std::wstring& path,
                                 const TransferLimits& limits, TransferControl* control,
                                 const DownloadProgress& progress) {
    DownloadResult result;
    const std::string target(url);

    // The URL is opened through a connection of our own, so that it carries the time-outs.
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof(parts);
    char host[256] = {};
    char object[2048] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof(host);
    parts.lpszUrlPath = object;
    parts.dwUrlPathLength = sizeof(object);
    const bool cracked =
        InternetCrackUrlA(target.c_str(), 0, 0, &parts) && parts.nScheme == INTERNET_SCHEME_HTTP;

    const UniqueInternet root(
        InternetOpenA("Outlook", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    UniqueInternet connection;
    if (root && cracked) {
        connection.reset(InternetConnectA(root.get(), host, parts.nPort, nullptr, nullptr,
                                          INTERNET_SERVICE_HTTP, 0, 0));
    }
    if (connection) {
        SetTimeouts(connection.get(), limits.idle_timeout_ms);
    }
    const Request request(
        connection ? HttpOpenRequestA(connection.get(), "GET", object[0] ? object : "/", nullptr,
                                      nullptr, nullptr, INTERNET_FLAG_RELOAD | kRequestFlags, 0)
                   : nullptr,
        control);
    bool sent = false;
    if (request) {
        SetTimeouts(request.get(), limits.idle_timeout_ms);
        sent = HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0) != FALSE;
    }
    if (sent) {
        result.status = QueryNumber(request.get(), HTTP_QUERY_STATUS_CODE).value_or(0);
        if (auto length = QueryNumber(request.get(), HTTP_QUERY_CONTENT_LENGTH)) {
            result.content_length = *length;
        }
    }

    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    // An answer announced larger than the bound is not fetched at all.
    if (!file || !sent || (result.content_length && *result.content_length > limits.max_bytes)) {
        return result;
    }

    std::string chunk(10240, '\0');
    const Deadline deadline(limits.total_ms);
    for (;;) {
        DWORD read = 0;
        if (!ReadSome(request.get(), chunk.data(), static_cast<DWORD>(chunk.size()), read)) {
            return result;
        }
        if (read == 0) {
            result.completed = true;
            return result;
        }
        DWORD written = 0;
        if (!WriteFile(file.get(), chunk.data(), read, &written, nullptr) || written != read) {
            return result;
        }
        result.bytes += read;
        if (progress) {
            progress(result.bytes, result.content_length.value_or(0));
        }
        if (result.bytes > limits.max_bytes || deadline.Passed()) {
            return result;
        }
    }
}

}  // namespace tickra
