// Times a window from outside, as a person meets it, through the X server
// (Xvfb): no code inside the program measured.
//
//   probe_window start TITLE COMMAND [ARGS...]
//       Starts the command and prints the milliseconds until a top-level
//       window whose name holds TITLE is mapped; then ends the command.
//   probe_window ping WINDOW STOP_FILE
//       Pings the window's event loop every 2 ms (_NET_WM_PING, which the
//       toolkit answers from its event loop) until STOP_FILE exists, and
//       prints the longest wait for an answer, its 99th percentile and how
//       many waits were above 16 ms.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Waits up to timeoutMs for the next event; false when none came.
bool nextEvent(Display* display, XEvent& event, int timeoutMs)
{
    if (XPending(display) == 0) {
        pollfd descriptor{ConnectionNumber(display), POLLIN, 0};
        if (poll(&descriptor, 1, timeoutMs) <= 0)
            return false;
    }
    XNextEvent(display, &event);
    return true;
}

std::string windowName(Display* display, Window window)
{
    XTextProperty property{};
    std::string name;
    if (XGetWMName(display, window, &property) && property.value) {
        name.assign(reinterpret_cast<const char*>(property.value), property.nitems);
        XFree(property.value);
    }
    return name;
}

int start(Display* display, const char* title, char** command)
{
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    const Clock::time_point started = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(command[0], command);
        _exit(127);
    }
    double mappedAfter = -1;
    while (mappedAfter < 0 && millisecondsSince(started) < 120000) {
        XEvent event;
        if (nextEvent(display, event, 100) && event.type == MapNotify
            && windowName(display, event.xmap.window).find(title) != std::string::npos)
            mappedAfter = millisecondsSince(started);
        if (waitpid(child, nullptr, WNOHANG) == child)
            break;
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    if (mappedAfter < 0) {
        std::fprintf(stderr, "no window named \"%s\" was mapped\n", title);
        return 1;
    }
    std::printf("%.0f\n", mappedAfter);
    return 0;
}

int ping(Display* display, Window window, const char* stopFile)
{
    const Window root = DefaultRootWindow(display);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom pingAtom = XInternAtom(display, "_NET_WM_PING", False);
    XSelectInput(display, root, SubstructureNotifyMask | StructureNotifyMask);
    std::vector<double> waits;
    struct stat status {};
    for (long serial = 1; stat(stopFile, &status) != 0; ++serial) {
        XEvent request{};
        request.xclient.type = ClientMessage;
        request.xclient.window = window;
        request.xclient.message_type = protocols;
        request.xclient.format = 32;
        request.xclient.data.l[0] = long(pingAtom);
        request.xclient.data.l[1] = serial;
        request.xclient.data.l[2] = long(window);
        const Clock::time_point sent = Clock::now();
        XSendEvent(display, window, False, NoEventMask, &request);
        XFlush(display);
        bool answered = false;
        while (!answered && millisecondsSince(sent) < 10000) {
            XEvent event;
            answered = nextEvent(display, event, 10) && event.type == ClientMessage
                       && Atom(event.xclient.data.l[0]) == pingAtom && event.xclient.data.l[1] == serial;
        }
        if (!answered) {
            std::fprintf(stderr, "the window did not answer for 10 s\n");
            return 1;
        }
        waits.push_back(millisecondsSince(sent));
        std::this_thread::sleep_until(sent + std::chrono::milliseconds(2));
    }
    if (waits.empty())
        return 1;
    std::sort(waits.begin(), waits.end());
    const long above = long(waits.end() - std::upper_bound(waits.begin(), waits.end(), 16.0));
    std::printf("pings %zu, longest %.1f ms, 99th percentile %.1f ms, above 16 ms: %ld\n", waits.size(), waits.back(),
                waits[waits.size() * 99 / 100], above);
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    if (argc >= 4 && std::strcmp(argv[1], "start") == 0)
        return start(display, argv[2], argv + 3);
    if (argc == 4 && std::strcmp(argv[1], "ping") == 0)
        return ping(display, Window(std::strtoul(argv[2], nullptr, 0)), argv[3]);
    std::fprintf(stderr, "usage: probe_window start TITLE COMMAND [ARGS...]\n"
                         "       probe_window ping WINDOW STOP_FILE\n");
    return 2;
}
