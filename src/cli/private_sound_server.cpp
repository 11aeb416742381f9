// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/private_sound_server.h"

#include "core/deckrec_error.h"

#include <chrono>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

// Whether something accepts connections on the socket.
bool Answers(const std::string& socketPath)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) {
        close(fd);
        return false;
    }
    socketPath.copy(address.sun_path, socketPath.size());
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

} // namespace

PrivateSoundServer::PrivateSoundServer(const std::string& runtimeFolder, const std::string& logPath)
{
    const std::string socket = runtimeFolder + "/native";
    // -n: no default configuration, whose idle suspend would lose the first seconds of the
    // recording; norewinds: the show's sound starting during the recording would stall it.
    std::string error;
    const bool started = server_.Start(
        {"pulseaudio", "--daemonize=no", "-n", "--exit-idle-time=-1", "--disallow-exit", "--system=false",
         "--load=module-native-protocol-unix socket=" + socket,
         "--load=module-null-sink sink_name=deckrec_output norewinds=1 sink_properties=device.description=Deckrec"},
        {"XDG_RUNTIME_DIR=" + runtimeFolder, "XDG_CONFIG_HOME=" + runtimeFolder + "/config", "HOME=" + runtimeFolder},
        -1, logPath, error);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (started && server_.Running() && !Answers(socket) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!started || !server_.Running() || !Answers(socket)) {
        server_.Stop();
        throw DeckrecError("Cannot start a private sound server (pulseaudio" + (error.empty() ? "" : ": " + error) +
                           "); is the pulseaudio package installed? Its log: " + logPath);
    }
    address_ = "unix:" + socket;
}
