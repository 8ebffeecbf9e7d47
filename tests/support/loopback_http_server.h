#pragma once
// A small HTTP server for one request on a free loopback port, run by the
// test itself (Windows): it reads one request and answers with status, or
// never answers when status is 0 (until the client closes). It gives up
// after a minute whatever happens.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/unique_any.h"

struct SocketTraits {
  static SOCKET Invalid() { return INVALID_SOCKET; }
  static void Close(SOCKET s) { closesocket(s); }
};
using UniqueSocket = UniqueAny<SOCKET, SocketTraits>;

class OneRequestServer {
 public:
  explicit OneRequestServer(int status) {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    listener_.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    int len = sizeof addr;
    getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    listen(listener_.get(), 1);
    // The server gives up after a minute whatever happens.
    DWORD limit = 60000;
    setsockopt(listener_.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&limit),
               sizeof limit);
    thread_ = std::thread([this, status] { Serve(status); });
  }
  ~OneRequestServer() {
    thread_.join();
    WSACleanup();
  }

  uint16_t port = 0;
  std::string request;  // read it once answered holds, or after the server ended
  std::atomic<bool> answered{false};

 private:
  void Serve(int status) {
    UniqueSocket client(accept(listener_.get(), nullptr, nullptr));
    if (!client) return;
    DWORD limit = 60000;
    setsockopt(client.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&limit),
               sizeof limit);
    char buf[4096];
    for (;;) {
      const size_t headerEnd = request.find("\r\n\r\n");
      if (headerEnd != std::string::npos) {
        const size_t at = request.find("Content-Length: ");
        const size_t length = at == std::string::npos ? 0 : std::stoul(request.substr(at + 16));
        if (request.size() >= headerEnd + 4 + length) break;
      }
      const int n = recv(client.get(), buf, sizeof buf, 0);
      if (n <= 0) return;
      request.append(buf, static_cast<size_t>(n));
    }
    if (status == 0) {
      // Never answers: waits until the client gives up and closes.
      while (recv(client.get(), buf, sizeof buf, 0) > 0) {
      }
      return;
    }
    const std::string answer = "HTTP/1.1 " + std::to_string(status) +
                               " X\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    send(client.get(), answer.data(), static_cast<int>(answer.size()), 0);
    answered = true;
  }

  UniqueSocket listener_;
  std::thread thread_;
};
