// Starts a program and reports, in milliseconds from the start, when its first top-level window
// is mapped on the X server (as the window manager's frame, or the window itself), followed by
// the processor time it has used by then. Then ends the program with SIGTERM. With
// "--idle SECONDS", waits that long after the map and reports the voluntary context switches
// of the program's main thread over that time instead, measured after a second of settling.
// Usage: start_watch [--idle SECONDS [--minimise]] program [arguments...]
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

long field(const std::string& path, const char* name) {
    std::ifstream in(path);
    std::string line;
    const size_t length = strlen(name);
    while (std::getline(in, line))
        if (line.compare(0, length, name) == 0)
            return std::strtol(line.c_str() + length, nullptr, 10);
    return -1;
}

// User + system processor time in milliseconds, from /proc/<pid>/stat.
long processorMs(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    unsigned long user = 0, system = 0;
    // Fields after the name: state is 3; utime and stime are 14 and 15.
    if (std::sscanf(stat.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
                    &user, &system) != 2)
        return -1;
    return long((user + system) * 1000 / sysconf(_SC_CLK_TCK));
}

} // namespace

int main(int argc, char* argv[]) {
    int first = 1;
    int idleSeconds = 0;
    bool minimise = false;
    if (argc > 2 && std::strcmp(argv[1], "--idle") == 0) {
        idleSeconds = std::atoi(argv[2]);
        first = 3;
        if (argc > 3 && std::strcmp(argv[3], "--minimise") == 0) {
            minimise = true;
            first = 4;
        }
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: start_watch [--idle SECONDS [--minimise]] program [args]\n");
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    const double start = nowMs();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[first], argv + first);
        _exit(127);
    }
    double mapped = -1;
    xcb_window_t window = XCB_NONE;
    // A program that shows nothing within 20 s counts as failed.
    while (mapped < 0 && nowMs() - start < 20000) {
        xcb_generic_event_t* event = xcb_poll_for_event(c);
        if (!event) {
            if (xcb_connection_has_error(c))
                break;
            pollfd display = {xcb_get_file_descriptor(c), POLLIN, 0};
            poll(&display, 1, 100);
            continue;
        }
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (!map->override_redirect) {
                mapped = nowMs() - start;
                window = map->window;
            }
        }
        free(event);
    }
    const long cpu = processorMs(pid);
    if (mapped < 0)
        std::fprintf(stderr, "%s showed no window\n", argv[first]);
    if (idleSeconds > 0) {
        if (minimise) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            const std::string command = "xdotool search --pid " + std::to_string(pid) +
                                        " --onlyvisible --name . windowminimize %@ >/dev/null 2>&1";
            (void)!std::system(command.c_str());
        }
        (void)window;
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const std::string status =
            "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/status";
        const long before = field(status, "voluntary_ctxt_switches:");
        std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
        const long after = field(status, "voluntary_ctxt_switches:");
        std::printf("%ld\n", after - before);
    } else {
        std::printf("%.1f %ld\n", mapped, cpu);
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    xcb_disconnect(c);
    return mapped < 0 ? 1 : 0;
}
