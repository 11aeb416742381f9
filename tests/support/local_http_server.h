// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An HTTP server on 127.0.0.1 for a test that must see whether the program reaches the network:
// it answers every request with one picture and keeps the request lines. It serves on a thread
// of its own (the test may wait in a blocking call meanwhile), at most kMaxRequests requests,
// and stops when destroyed.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <arpa/inet.h>
#include <atomic>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

class LocalHttpServer {
public:
    static constexpr int kMaxRequests = 200;

    explicit LocalHttpServer(QByteArray body, QByteArray type = "image/png")
        : body_(std::move(body))
        , type_(std::move(type))
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0; // a free port
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 16) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LocalHttpServer()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (listener_ >= 0)
            ::close(listener_);
    }
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    // 0 when the server could not listen.
    int port() const { return port_; }
    QString Url(const QString& path) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(path); }
    // "GET /picture.png HTTP/1.1", one a request, oldest first.
    QStringList requests() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }
    void forget()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.clear();
    }

private:
    void Serve()
    {
        for (int served = 0; served < kMaxRequests && !stop_;) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 100) <= 0)
                continue;
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            ++served;
            Answer(client);
            ::close(client);
        }
    }

    void Answer(int client)
    {
        // The request's head, read for at most two seconds and 16 KB.
        QByteArray head;
        for (int k = 0; k < 20 && !head.contains("\r\n\r\n") && head.size() < 16384; ++k) {
            pollfd readable{client, POLLIN, 0};
            if (::poll(&readable, 1, 100) <= 0)
                continue;
            char chunk[4096];
            const ssize_t got = ::recv(client, chunk, sizeof chunk, 0);
            if (got <= 0)
                break;
            head.append(chunk, static_cast<int>(got));
        }
        if (head.isEmpty())
            return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_ << QString::fromLatin1(head.left(head.indexOf("\r\n")));
        }
        const QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Type: " + type_ +
                                 "\r\nContent-Length: " + QByteArray::number(body_.size()) +
                                 "\r\nConnection: close\r\n\r\n" + (head.startsWith("HEAD ") ? QByteArray() : body_);
        for (qsizetype sent = 0; sent < reply.size();) {
            const ssize_t wrote =
                ::send(client, reply.constData() + sent, static_cast<size_t>(reply.size() - sent), MSG_NOSIGNAL);
            if (wrote <= 0)
                break;
            sent += wrote;
        }
    }

    QByteArray body_;
    QByteArray type_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    QStringList requests_;
};
