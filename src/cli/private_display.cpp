// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/private_display.h"

#include "core/deckrec_error.h"

#include <poll.h>
#include <unistd.h>

PrivateDisplay::PrivateDisplay(int width, int height, const std::string& logPath)
{
    int ready[2];
    if (pipe(ready) != 0)
        throw DeckrecError("Cannot start a private display: no pipe");
    // -displayfd: the server picks a free display number itself and writes it when it accepts
    // clients, so two runs never race for one number.
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    std::string error;
    const bool started = server_.Start({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", screen,
                                        "-nolisten", "tcp", "-ac"},
                                       {}, ready[1], logPath, error);
    close(ready[1]);
    std::string number;
    if (started) {
        pollfd wait{ready[0], POLLIN, 0};
        int waited = 0;
        while (waited < 10000 && number.find('\n') == std::string::npos) {
            if (poll(&wait, 1, 100) > 0) {
                char buffer[32];
                const ssize_t n = read(ready[0], buffer, sizeof buffer);
                if (n <= 0)
                    break;
                number.append(buffer, static_cast<size_t>(n));
            }
            waited += 100;
            if (!server_.Running())
                break;
        }
    }
    close(ready[0]);
    while (!number.empty() && (number.back() == '\n' || number.back() == '\r'))
        number.pop_back();
    if (!started || number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
        server_.Stop();
        throw DeckrecError("Cannot start a private display (Xvfb" + (error.empty() ? "" : ": " + error) +
                           "); is the xvfb package installed? Its log: " + logPath);
    }
    name_ = ":" + number;
}
