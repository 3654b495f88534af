#include "framework/qt/display_probe.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cstdlib>

namespace {

// A connected stream socket to the address, or -1.
int Connect(int family, const sockaddr* address, socklen_t length) {
    const int endpoint = socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (endpoint < 0)
        return -1;
    bool connected = connect(endpoint, address, length) == 0;
    if (!connected && errno == EINPROGRESS) {
        // A display on another host may not answer at all: wait two seconds at most.
        pollfd ready{endpoint, POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof error;
        connected = poll(&ready, 1, 2000) == 1 &&
                    getsockopt(endpoint, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    if (connected)
        return endpoint;
    close(endpoint);
    return -1;
}

// An X server answers the start of a connection (byte order, protocol 11.0, no authorisation)
// with success, failure or a request to authenticate; anything else at that address is no X
// server.
bool SpeaksX11(int endpoint) {
    const unsigned char setup[12] = {'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    if (send(endpoint, setup, sizeof setup, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof setup)) {
        return false;
    }
    pollfd ready{endpoint, POLLIN, 0};
    unsigned char status = 0xFF;
    return poll(&ready, 1, 2000) == 1 && recv(endpoint, &status, 1, 0) == 1 && status <= 2;
}

bool Answers(int family, const sockaddr* address, socklen_t length, bool x11) {
    const int endpoint = Connect(family, address, length);
    if (endpoint < 0)
        return false;
    const bool answers = !x11 || SpeaksX11(endpoint);
    close(endpoint);
    return answers;
}

bool LocalSocketAnswers(const std::string& path, bool abstract, bool x11) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (path.size() + offset >= sizeof address.sun_path)
        return false;
    path.copy(address.sun_path + offset, path.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset +
                                               path.size() + (abstract ? 0 : 1));
    return Answers(AF_UNIX, reinterpret_cast<const sockaddr*>(&address), length, x11);
}

}  // namespace

// DISPLAY is [host]:number[.screen]; a local display listens on a socket named after its number.
bool X11DisplayAnswers(const std::string& display) {
    const std::size_t colon = display.rfind(':');
    if (colon == std::string::npos)
        return false;
    const std::string host = display.substr(0, colon);
    const std::string number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
    // A display listens on TCP port 6000 + its number, so larger numbers name no display.
    unsigned displayNumber = 0;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), displayNumber);
    if (number.empty() || error != std::errc() || end != number.data() + number.size() ||
        displayNumber > 65535 - 6000) {
        return false;
    }
    if (host.empty() || host == "unix") {
        const std::string socketPath = "/tmp/.X11-unix/X" + number;
        return LocalSocketAnswers(socketPath, false, true) ||
               LocalSocketAnswers(socketPath, true, true);
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(6000 + displayNumber);
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0)
        return false;
    bool reachable = false;
    for (const addrinfo* each = found; each != nullptr && !reachable; each = each->ai_next) {
        reachable = Answers(each->ai_family, each->ai_addr, each->ai_addrlen, true);
    }
    freeaddrinfo(found);
    return reachable;
}

bool WaylandDisplayAnswers(const std::string& display) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string path = display.starts_with('/')
                                 ? display
                                 : std::string(runtime != nullptr ? runtime : "") + "/" + display;
    return LocalSocketAnswers(path, false, false);
}
