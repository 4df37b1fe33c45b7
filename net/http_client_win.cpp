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
    for (int option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                       INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        DWORD value = ms;
        InternetSetOptionA(handle, static_cast<DWORD>(option), &value, sizeof(value));
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
// abort from another thread. Every call on it goes through Quick or Wait, which make it only while
// the transfer is wanted; after either has said no, the handle is never touched again.
class Request {
public:
    Request(HINTERNET handle, TransferControl* control) : handle_(handle), control_(control) {
        if (handle_ != nullptr && control_ != nullptr && !control_->Attach(handle_)) {
            handle_ = nullptr;
        }
        usable_ = handle_ != nullptr;
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

    // A call that returns at once: options, headers already received.
    template <class Call>
    bool Quick(Call&& call) {
        if (!usable_) {
            return false;
        }
        if (control_ == nullptr) {
            call(handle_);
            return true;
        }
        return Wanted(control_->Quick([&] { call(handle_); }));
    }
    // A call that may wait for the server.
    template <class Call>
    bool Wait(Call&& call) {
        if (!usable_ || (control_ != nullptr && !Wanted(control_->BeginWait()))) {
            return false;
        }
        call(handle_);
        return control_ == nullptr || Wanted(control_->EndWait());
    }

private:
    bool Wanted(bool wanted) {
        usable_ = usable_ && wanted;
        return wanted;
    }

    HINTERNET handle_;
    TransferControl* control_;
    bool usable_ = false;
};

// Reads what has arrived, at most capacity bytes; read is 0 at the end of the data. Under Wine a
// read waits until its whole buffer is full, so a body dribbled a byte at a time would never
// reach the check of the total bound between two reads: each read asks only for what is there.
bool ReadSome(Request& request, char* buffer, DWORD capacity, DWORD& read) {
    DWORD available = 0;
    read = 0;
    BOOL ok = FALSE;
    if (!request.Wait(
            [&](HINTERNET handle) { ok = InternetQueryDataAvailable(handle, &available, 0, 0); }) ||
        !ok) {
        return false;
    }
    if (available == 0) {
        return true;
    }
    return request.Wait([&](HINTERNET handle) {
        ok = InternetReadFile(handle, buffer, available < capacity ? available : capacity, &read);
    }) && ok;
}

struct Head {
    unsigned long status = 0;     // 0 when there was none
    std::optional<DWORD> length;  // Content-Length, when given
};

// The kind of a WinInet error, for telling the user what went wrong.
NetFailure FailureOf(DWORD error) {
    switch (error) {
        case ERROR_INTERNET_CANNOT_CONNECT:
            return NetFailure::kRefused;
        case ERROR_INTERNET_TIMEOUT:
            return NetFailure::kTimedOut;
        case ERROR_INTERNET_NAME_NOT_RESOLVED:
            return NetFailure::kNoHost;
        default:
            return NetFailure::kBroken;
    }
}

// Sets the time-outs, sends the request and reads the head of the answer; nothing when no answer
// came or the transfer was aborted.
std::optional<Head> Send(Request& request, unsigned long idle_timeout_ms, const char* headers,
                         std::string payload, NetFailure* failure = nullptr) {
    BOOL sent = FALSE;
    Head head;
    if (!request.Quick([&](HINTERNET handle) { SetTimeouts(handle, idle_timeout_ms); }) ||
        !request.Wait([&](HINTERNET handle) {
            sent = HttpSendRequestA(
                handle, headers, headers != nullptr ? static_cast<DWORD>(-1) : 0,
                payload.empty() ? nullptr : payload.data(), static_cast<DWORD>(payload.size()));
            if (!sent && failure != nullptr) {
                *failure = FailureOf(GetLastError());
            }
        }) ||
        !sent || !request.Quick([&](HINTERNET handle) {
            head.status = QueryNumber(handle, HTTP_QUERY_STATUS_CODE).value_or(0);
            head.length = QueryNumber(handle, HTTP_QUERY_CONTENT_LENGTH);
        })) {
        return std::nullopt;
    }
    return head;
}

// Redirects are not followed: a server that points at itself would be asked for ever. Every
// address we ask for is new (the time is in it), so a cached answer is never asked for again:
// writing it would only fill the disk with a file a transfer. Cookies are not kept or sent: no
// provider needs them, and WinInet keeps a record of every path it looked cookies up for.
constexpr DWORD kRequestFlags =
    INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES;
// Requests ask the server to keep the connection: a quote every 2 s then needs no new one, and
// WinInet under Wine keeps 152 bytes for good of every connection it ends itself. Downloads do
// not: WinInet would drain the unwanted rest of a refused image from a connection kept open.
constexpr DWORD kKeepConnection = INTERNET_FLAG_KEEP_CONNECTION;

}  // namespace

void TransferControl::Abort() {
    const std::lock_guard<std::mutex> lock(mutex_);
    aborted_ = true;
    // Between two calls the transfer sees the flag before its next one and closes the handle
    // itself; a call that waits holds on to the handle, and closing it is what ends the wait.
    if (request_ != nullptr && waiting_) {
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

bool TransferControl::BeginWait() {
    const std::lock_guard<std::mutex> lock(mutex_);
    waiting_ = !aborted_;
    return waiting_;
}

bool TransferControl::EndWait() {
    const std::lock_guard<std::mutex> lock(mutex_);
    waiting_ = false;
    return !aborted_;
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
                       TransferControl* control, std::string_view headers) {
    HttpAnswer answer;
    const UniqueInternet root(
        InternetOpenA("MyAgent", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    answer.failure = NetFailure::kBroken;  // until the answer is whole
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
    Request request(HttpOpenRequestA(connection.get(), method.c_str(), path.c_str(), "HTTP/1.0",
                                     nullptr, accept, kRequestFlags | kKeepConnection, 0),
                    control);
    const std::string all_headers = std::string(kFormContentType) + "\r\n" + std::string(headers);
    // The body is a C string: it ends at its first NUL.
    const std::optional<Head> head =
        Send(request, limits.idle_timeout_ms, all_headers.c_str(),
             std::string(body.substr(0, body.find('\0'))), &answer.failure);
    if (!head) {
        return answer;
    }
    answer.status = head->status;
    // A connection that broke before the status line leaves none: that is no answer at all.
    if (answer.status == 0) {
        return answer;
    }
    if (head->length && *head->length > limits.max_bytes) {
        return answer;  // announced beyond the bound: no use reading what would be thrown away
    }

    std::string result;
    uint64_t received = 0;
    std::array<char, 513> chunk;
    const Deadline deadline(limits.total_ms);
    for (;;) {
        DWORD read = 0;
        if (!ReadSome(request, chunk.data(), 512, read)) {
            answer.failure = FailureOf(GetLastError());
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
            answer.failure = deadline.Passed() ? NetFailure::kTimedOut : NetFailure::kBroken;
            return answer;
        }
    }
    // An early close reads as a normal end of data: only the promised length tells.
    if (head->length && received != *head->length) {
        return answer;
    }
    answer.complete = true;
    answer.failure = NetFailure::kNone;
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
    Request request(
        // HTTP/1.0, as for requests: a kept-alive connection would be drained of an unwanted
        // body when it is closed, a refused 20 MB picture included.
        connection ? HttpOpenRequestA(connection.get(), "GET", object[0] ? object : "/", "HTTP/1.0",
                                      nullptr, nullptr, INTERNET_FLAG_RELOAD | kRequestFlags, 0)
                   : nullptr,
        control);
    const std::optional<Head> head = Send(request, limits.idle_timeout_ms, nullptr, {});
    if (head) {
        result.status = head->status;
        if (head->length) {
            result.content_length = *head->length;
        }
    }

    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    // An answer announced larger than the bound is not fetched at all.
    if (!file || !head || (result.content_length && *result.content_length > limits.max_bytes)) {
        return result;
    }

    std::string chunk(10240, '\0');
    const Deadline deadline(limits.total_ms);
    for (;;) {
        DWORD read = 0;
        if (!ReadSome(request, chunk.data(), static_cast<DWORD>(chunk.size()), read)) {
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
