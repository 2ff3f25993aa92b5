#pragma once
// A local HTTP server for tests: 127.0.0.1 on a free port, served from its own thread,
// stopped when it goes. Routes are added before start(); every request is recorded.
// Handlers that hold a response open call wait_until_released(), which returns when the
// server is being stopped, so no worker outlives the test.

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace test {

struct SeenRequest {
    std::string method;
    std::string target; // as sent on the request line
    std::string host;
    std::string user_agent;
};

class LocalHttpServer {
public:
    LocalHttpServer()
    {
        m_server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
            std::lock_guard lock(m_mutex);
            m_seen.push_back({request.method, request.target, request.get_header_value("Host"),
                              request.get_header_value("User-Agent")});
            return httplib::Server::HandlerResponse::Unhandled;
        });
    }
    ~LocalHttpServer() { stop(); }
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    httplib::Server& routes() { return m_server; }

    // Listening once this returns. It waits for the server's loop to run: a stop() that
    // came before it would find nothing to stop, and the loop would then never end. A loop
    // that does not run within seconds (no port could be bound) throws, failing the test.
    void start()
    {
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!m_server.is_running()) {
            if (std::chrono::steady_clock::now() > deadline) {
                m_server.stop();
                m_thread.join();
                throw std::runtime_error("the local HTTP server did not start");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    void stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_released = true;
        }
        m_released_changed.notify_all();
        if (m_thread.joinable()) {
            m_server.stop();
            m_thread.join();
        }
    }

    int port() const { return m_port; }
    std::string url(std::string_view path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
    }

    std::vector<SeenRequest> seen() const
    {
        std::lock_guard lock(m_mutex);
        return m_seen;
    }

    // True when released, false after the safety limit.
    bool wait_until_released(std::chrono::milliseconds limit = std::chrono::seconds(30))
    {
        std::unique_lock lock(m_mutex);
        return m_released_changed.wait_for(lock, limit, [this] { return m_released; });
    }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_released_changed;
    bool m_released = false;
    std::vector<SeenRequest> m_seen;
};

// A loopback port that nothing listens on: bound but not listening, so connections are
// refused and no other test can take the port while this lives.
class UnusedPort {
public:
    UnusedPort() : m_fd(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~UnusedPort() { ::close(m_fd); }
    UnusedPort(const UnusedPort&) = delete;
    UnusedPort& operator=(const UnusedPort&) = delete;

    std::string url(std::string_view path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
    }

private:
    int m_fd;
    int m_port = 0;
};

// Sets (or, with nullopt, removes) an environment variable for a scope.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value) : m_name(std::move(name))
    {
        if (const char* old = std::getenv(m_name.c_str()))
            m_old = old;
        if (value)
            ::setenv(m_name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// No proxy from the environment of whoever runs the tests: loopback traffic goes direct.
class NoProxyEnv {
    ScopedEnv m_http {"http_proxy", std::nullopt};
    ScopedEnv m_https_lower {"https_proxy", std::nullopt};
    ScopedEnv m_https {"HTTPS_PROXY", std::nullopt};
    ScopedEnv m_all_lower {"all_proxy", std::nullopt};
    ScopedEnv m_all {"ALL_PROXY", std::nullopt};
};

} // namespace test
