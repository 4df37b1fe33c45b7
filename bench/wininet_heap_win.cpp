// What one transfer leaves behind in the process's heaps under Wine: N requests for new addresses
// to HOST, after a few to warm up, and the bytes and blocks in use in every heap before and after.
// CLIENT is Tickra's HTTP client (tickra, the default), the WinInet calls it makes, bare and
// without asking to keep the connection (wininet), or a plain socket (sockets): what is the
// program's, what is WinInet's.
// bench/wine_bench.py runs each against servers that keep the connection or end it.
// Usage: wininet_heap HOST:PORT N [tickra|wininet|sockets]
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <wininet.h>

#include "bench/heap_walk_win.h"
#include "net/http_client_win.h"

using tickra::HeapFigures;
using tickra::WalkHeaps;

namespace {

void BareWinInet(const std::string& host, int port, const std::string& path) {
    HINTERNET root = InternetOpenA("bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET connection = InternetConnectA(root, host.c_str(), static_cast<INTERNET_PORT>(port),
                                            nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request =
        HttpOpenRequestA(connection, "GET", path.c_str(), "HTTP/1.0", nullptr, nullptr,
                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                             INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT,
                         0);
    if (HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
        char buffer[512];
        DWORD read = 0;
        while (InternetReadFile(request, buffer, sizeof buffer, &read) && read != 0) {
        }
    }
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(root);
}

void PlainSocket(const std::string& host, const std::string& port, const std::string& path) {
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), nullptr, &found) != 0) {
        return;
    }
    const SOCKET s = socket(found->ai_family, SOCK_STREAM, IPPROTO_TCP);
    if (connect(s, found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0) {
        const std::string request = "GET " + path + " HTTP/1.0\r\n\r\n";
        send(s, request.data(), static_cast<int>(request.size()), 0);
        char buffer[512];
        while (recv(s, buffer, sizeof buffer, 0) > 0) {
        }
    }
    closesocket(s);
    freeaddrinfo(found);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: wininet_heap HOST:PORT N [tickra|wininet|sockets]\n");
        return 2;
    }
    const std::string address = argv[1];
    const std::string host = address.substr(0, address.find(':'));
    const std::string port = address.substr(address.find(':') + 1);
    const int count = std::atoi(argv[2]);
    const std::string client = argc > 3 ? argv[3] : "tickra";
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    int serial = 0;
    auto transfer = [&] {
        // A new address each time, as the quote and the chart have.
        const std::string path = "/" + std::to_string(++serial) + "?0600000";
        if (client == "wininet") {
            BareWinInet(host, std::atoi(port.c_str()), path);
        } else if (client == "sockets") {
            PlainSocket(host, port, path);
        } else {
            tickra::HttpRequest("", "GET", address, path);
        }
    };
    for (int i = 0; i < 10; ++i) {
        transfer();
    }
    const HeapFigures before = WalkHeaps();
    for (int i = 0; i < count; ++i) {
        transfer();
    }
    const HeapFigures after = WalkHeaps();
    std::printf("%s, %d transfers: %+.1f bytes and %+.2f blocks per transfer\n", client.c_str(),
                count,
                (static_cast<double>(after.bytes) - static_cast<double>(before.bytes)) / count,
                (static_cast<double>(after.blocks) - static_cast<double>(before.blocks)) / count);
    return 0;
}
