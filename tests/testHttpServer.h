// A real HTTP server on 127.0.0.1 for the life of the object, on a port of its own, with the
// routes the web tests need. Tests never reach beyond this machine.
#pragma once

#include <httplib.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

class CtestHttpServer {
  public:
    CtestHttpServer() {
        // One request per connection: a kept-alive one would hold the server's stop.
        server.set_keep_alive_max_count(1);
        port = server.bind_to_any_port("127.0.0.1");
        // A slow answer: nothing for a while (stopping cuts the wait short).
        server.Get("/slow", [this](httplib::Request const&, httplib::Response& res) {
            for (int i = 0; i < 100 && !stopping; i++)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            res.set_content("SCRIPT :float late 1", "text/plain");
        });
        server.Get("/missing", [](httplib::Request const&, httplib::Response& res) { res.status = 404; });
        server.Get("/broken", [](httplib::Request const&, httplib::Response& res) {
            res.status = 500;
            res.set_content("SCRIPT :float fromErrorPage 1", "text/plain");
        });
        listener = std::thread([this] { server.listen_after_bind(); });
        // Stopping a server that has not begun to listen would do nothing.
        while (!server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~CtestHttpServer() {
        stopping = true;
        server.stop();
        listener.join();
    }
    // Serves body at path, handed out in pieces of piece bytes with a pause between them.
    void serve(std::string const& path, std::string body, size_t piece = 0, int pauseMs = 0) {
        server.Get(path, [body, piece, pauseMs](httplib::Request const&, httplib::Response& res) {
            if (piece == 0) {
                res.set_content(body, "application/octet-stream");
                return;
            }
            res.set_content_provider(
                body.size(), "application/octet-stream",
                [body, piece, pauseMs](size_t offset, size_t length, httplib::DataSink& sink) {
                    size_t n = length < piece ? length : piece;
                    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
                    sink.write(body.data() + offset, n);
                    return true;
                });
        });
    }
    // "http://127.0.0.1:<port>/"
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port) + "/"; }
    std::string url(char const* path) const { return base() + path; }

    httplib::Server server;
    int port = 0;

  private:
    std::atomic<bool> stopping{false};
    std::thread listener;
};

// A port of this machine on which nothing listens (connections are refused).
inline int closedPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

// A stalled server on 127.0.0.1: it takes every connection and never answers, or, dripping,
// answers at once and then sends one byte of the reply every dripMs. onConnection runs (on
// the server's thread) when the first connection comes. It stops with the object, or by
// itself after a minute.
class CsilentServer {
  public:
    explicit CsilentServer(std::function<void()> onConnection = nullptr, int dripMs = 0)
        : told(std::move(onConnection)) {
        listening = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(listening, reinterpret_cast<sockaddr*>(&address), size);
        listen(listening, 16);
        getsockname(listening, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
        waiter = std::thread([this, dripMs] {
            std::vector<int> taken;
            auto now = std::chrono::steady_clock::now;
            auto end = now() + std::chrono::minutes(1), drip = now();
            while (!stopping && now() < end) {
                if (dripMs > 0 && now() >= drip) {
                    for (int fd : taken)
                        send(fd, "\n", 1, MSG_NOSIGNAL);
                    drip = now() + std::chrono::milliseconds(dripMs);
                }
                pollfd p{listening, POLLIN, 0};
                if (poll(&p, 1, 20) <= 0) continue;
                int fd = accept(listening, nullptr, nullptr);
                if (fd < 0) continue;
                taken.push_back(fd);
                // The reply's head at once; its body (until the connection closes) drips.
                char const head[] = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nSCRIPT\n";
                if (dripMs > 0) send(fd, head, sizeof head - 1, MSG_NOSIGNAL);
                if (taken.size() == 1 && told) told();
            }
            for (int fd : taken)
                close(fd);
        });
    }
    ~CsilentServer() {
        stopping = true;
        waiter.join();
        close(listening);
    }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port) + "/"; }
    int port = 0;

  private:
    std::function<void()> told;
    int listening = -1;
    std::atomic<bool> stopping{false};
    std::thread waiter;
};