// A small HTTP/1.1 server on 127.0.0.1 for the download tests: one thread, one request per
// connection, answers from a handler the test gives. Never listens on any other address.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace v42::test {

struct HttpRequest {
  std::string Path;
  std::map<std::string, std::string> Headers;  // names in lower case
};

struct HttpResponse {
  int Status = 200;
  std::vector<std::pair<std::string, std::string>> Headers{};
  std::string Body;
  bool Hang = false;  // accept the request, then say nothing until the server stops
};

class LoopbackServer {
 public:
  using Handler = std::function<HttpResponse(const HttpRequest&)>;

  explicit LoopbackServer(Handler handler) : handler_(std::move(handler)) {
    listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listen_ < 0 || ::bind(listen_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listen_, 8) != 0 ||
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe(stop_) != 0) {
      throw std::runtime_error("loopback server failed to start");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackServer() {
    const char byte = 0;
    (void)!::write(stop_[1], &byte, 1);
    thread_.join();
    ::close(listen_);
    ::close(stop_[0]);
    ::close(stop_[1]);
  }
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  std::string Url(const std::string& path = "/") const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  int Port() const { return port_; }
  std::vector<HttpRequest> Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  // Waits for fd to be readable; false when the server is told to stop.
  bool Wait(int fd) const {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0) {
    }
    return (fds[1].revents & POLLIN) == 0;
  }

  void Serve() {
    while (Wait(listen_)) {
      const int client = ::accept(listen_, nullptr, nullptr);
      if (client < 0) continue;
      Answer(client);
      ::close(client);
    }
  }

  void Answer(int client) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
      if (!Wait(client)) return;
      const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) return;
      head.append(buffer, static_cast<std::size_t>(n));
    }
    HttpRequest request;
    const std::size_t firstSpace = head.find(' ');
    request.Path = head.substr(firstSpace + 1, head.find(' ', firstSpace + 1) - firstSpace - 1);
    for (std::size_t at = head.find("\r\n") + 2; at < head.find("\r\n\r\n");) {
      const std::size_t end = head.find("\r\n", at);
      const std::string line = head.substr(at, end - at);
      const std::size_t colon = line.find(':');
      if (colon != std::string::npos) {
        std::string name = line.substr(0, colon);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        request.Headers[name] = line.substr(line.find_first_not_of(' ', colon + 1));
      }
      at = end + 2;
    }
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
    }
    const HttpResponse response = handler_(request);
    if (response.Hang) {
      Wait(stop_[0]);
      return;
    }
    std::string text = "HTTP/1.1 " + std::to_string(response.Status) + " X\r\n";
    for (const auto& [name, value] : response.Headers) text += name + ": " + value + "\r\n";
    if (response.Status != 304)
      text += "Content-Length: " + std::to_string(response.Body.size()) + "\r\n";
    text += "Connection: close\r\n\r\n";
    if (response.Status != 304) text += response.Body;
    for (std::size_t sent = 0; sent < text.size();) {
      const ssize_t n = ::send(client, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return;  // the client gave up (a size cap): fine
      sent += static_cast<std::size_t>(n);
    }
  }

  Handler handler_;
  int listen_ = -1, port_ = 0;
  int stop_[2] = {-1, -1};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<HttpRequest> requests_;
};

}  // namespace v42::test
