// Starts a program under the X server named by DISPLAY and watches the screen for it.
//
//   screen_probe first-frame X Y RRGGBB -- PROGRAM [ARGUMENT...]
//     Time from starting PROGRAM until screen pixel (X, Y) shows colour RRGGBB, the CPU time
//     PROGRAM used until then, and its peak resident memory (VmHWM) a moment later; then kills
//     PROGRAM. Prints "first_frame_ms=... cpu_ms=... peak_kib=... poll_ms=...", poll_ms being
//     the mean time between two looks at the screen, that is the time figure's resolution.
//     Also "flip_ms=... flip_cpu_ms=...": when PROGRAM's first SDL_Flip returned, and its CPU
//     time then, as reported from inside PROGRAM by libfirst_flip_report.so, which the probe
//     preloads. Unlike the look at the screen, that is not delayed when the probe itself waits
//     for a CPU, as it does beside a program that keeps a core busy.
//   screen_probe pen-speed X Y RRGGBB -- PROGRAM [ARGUMENT...]
//     Waits for the same first frame, then holds Right (which also leaves the title screen)
//     and follows the pen's front along its row until it reaches the board's limit or five
//     seconds have passed; prints "steps_per_second=...", then ends PROGRAM with q.
//
// The screen is read with XGetImage, one round trip per look; between looks the probe sleeps
// a little so that it does not starve the program it measures of the X server.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <csignal>
#include <dirent.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cursor_stamp.h"
#include "pen.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto first_frame_timeout = std::chrono::seconds(30);
constexpr auto first_frame_poll = std::chrono::microseconds(100);
constexpr auto settle_before_memory = std::chrono::milliseconds(300);
// Long enough for a hundred steps at the slowest rate seen; the pen need not cross the board.
constexpr auto pen_timeout = std::chrono::seconds(5);
constexpr auto pen_poll = std::chrono::milliseconds(1);
constexpr int screen_width = 1280;

double milliseconds_between(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

int fail(const char* message) {
    std::fprintf(stderr, "screen_probe: %s\n", message);
    return 2;
}

unsigned long pixel_at(Display* display, int x, int y) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return ~0UL;
    }
    const unsigned long value = XGetPixel(image, 0, 0) & 0xffffffUL;
    XDestroyImage(image);
    return value;
}

std::vector<unsigned long> row_at(Display* display, int y) {
    std::vector<unsigned long> row(screen_width, ~0UL);
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), 0, y, screen_width, 1, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return row;
    }
    for (int x = 0; x < screen_width; ++x) {
        row[x] = XGetPixel(image, x, 0) & 0xffffffUL;
    }
    XDestroyImage(image);
    return row;
}

// The report library lies next to the probe.
std::string flip_report_library() {
    std::vector<char> path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) {
        return "";
    }
    std::string folder(path.data(), static_cast<size_t>(length));
    return folder.substr(0, folder.rfind('/') + 1) + "libfirst_flip_report.so";
}

// Starts the program with the first-flip report preloaded, writing into report_fd.
pid_t start_program(char** argv, int report_fd) {
    const std::string library = flip_report_library();
    const pid_t child = fork();
    if (child == 0) {
        const char* preload = std::getenv("LD_PRELOAD");
        const std::string preloads =
            preload == nullptr || *preload == '\0' ? library : library + ":" + preload;
        setenv("LD_PRELOAD", preloads.c_str(), 1);
        setenv("SCREEN_PROBE_FLIP_FD", std::to_string(report_fd).c_str(), 1);
        execvp(argv[0], argv);
        _exit(127);
    }
    return child;
}

struct FirstFlip {
    bool reported = false;
    double milliseconds = 0;     // from the start to the first flip's return
    double cpu_milliseconds = 0; // CPU time the program had used by then
};

FirstFlip read_first_flip(int report_fd, Clock::time_point start) {
    FirstFlip flip;
    pollfd ready{report_fd, POLLIN, 0};
    if (poll(&ready, 1, 2000) != 1) {
        return flip;
    }
    char line[64] = {};
    if (read(report_fd, line, sizeof line - 1) <= 0) {
        return flip;
    }
    long long wall = 0;
    long long cpu = 0;
    if (std::sscanf(line, "%lld %lld", &wall, &cpu) != 2) {
        return flip;
    }
    const auto start_ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
    flip.reported = true;
    flip.milliseconds = static_cast<double>(wall - start_ns) / 1e6;
    flip.cpu_milliseconds = static_cast<double>(cpu) / 1e6;
    return flip;
}

bool has_ended(pid_t child) {
    int status = 0;
    return waitpid(child, &status, WNOHANG) == child;
}

void kill_program(pid_t child) {
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
}

long peak_resident_kib(pid_t child) {
    std::ifstream status("/proc/" + std::to_string(child) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

// CPU time the program's threads have run so far, from the scheduler's own accounting
// (nanoseconds, unlike the clock ticks of /proc/<pid>/stat). Threads that have already ended
// are not counted.
double cpu_milliseconds(pid_t child) {
    const std::string tasks = "/proc/" + std::to_string(child) + "/task";
    DIR* folder = opendir(tasks.c_str());
    if (folder == nullptr) {
        return -1;
    }
    double total = 0;
    while (const dirent* entry = readdir(folder)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        std::ifstream schedstat(tasks + "/" + entry->d_name + "/schedstat");
        double nanoseconds = 0;
        if (schedstat >> nanoseconds) {
            total += nanoseconds / 1e6;
        }
    }
    closedir(folder);
    return total;
}

struct FirstFrame {
    bool seen = false;
    double milliseconds = 0;
    double poll_milliseconds = 0;
    double cpu_milliseconds = 0;
};

FirstFrame wait_for_first_frame(Display* display, pid_t child, Clock::time_point start, int x,
                                int y, unsigned long colour) {
    FirstFrame frame;
    long looks = 0;
    while (Clock::now() - start < first_frame_timeout) {
        ++looks;
        if (pixel_at(display, x, y) == colour) {
            const Clock::time_point seen = Clock::now();
            frame.cpu_milliseconds = cpu_milliseconds(child);
            frame.seen = true;
            frame.milliseconds = milliseconds_between(start, seen);
            frame.poll_milliseconds = frame.milliseconds / static_cast<double>(looks);
            return frame;
        }
        if (has_ended(child)) {
            return frame;
        }
        std::this_thread::sleep_for(first_frame_poll);
    }
    return frame;
}

void press(Display* display, KeySym key, bool down) {
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), down ? True : False, CurrentTime);
    XFlush(display);
}

// Column of the pen's centre on its starting row: the rightmost pixel that changed, less the
// stamp's reach. -1 while nothing has changed.
int pen_column(const std::vector<unsigned long>& before, const std::vector<unsigned long>& now) {
    for (int x = screen_width - 1; x >= 0; --x) {
        if (now[x] != before[x]) {
            return x - cursor_stamp_reach;
        }
    }
    return -1;
}

struct PenSample {
    Clock::time_point when;
    int column;
};

int measure_pen_speed(Display* display, pid_t child) {
    const std::vector<unsigned long> before = row_at(display, cursor_start_y);
    press(display, XK_Right, true);
    const Clock::time_point start = Clock::now();
    std::vector<PenSample> samples;
    int column = -1;
    while (column <= cursor_max_x && Clock::now() - start < pen_timeout) {
        column = pen_column(before, row_at(display, cursor_start_y));
        if (column > cursor_start_x && (samples.empty() || samples.back().column != column)) {
            samples.push_back({Clock::now(), column});
        }
        std::this_thread::sleep_for(pen_poll);
    }
    press(display, XK_Right, false);

    // Only the samples on the way count: the first shows the pen already moving, the last
    // before the limit still moving.
    while (!samples.empty() && samples.back().column > cursor_max_x) {
        samples.pop_back();
    }
    if (samples.size() < 2 || samples.back().column - samples.front().column < 20) {
        kill_program(child);
        return fail("the pen did not move far enough to be timed");
    }
    const double seconds = milliseconds_between(samples.front().when, samples.back().when) / 1000.0;
    const int steps = samples.back().column - samples.front().column;
    std::printf("steps_per_second=%.1f steps=%d seconds=%.3f\n", steps / seconds, steps, seconds);

    // q is held until the program has gone: a press and release that both arrive between two
    // passes of the drawing loop would leave q up by the time the loop reads the keys.
    press(display, XK_q, true);
    const Clock::time_point quit = Clock::now();
    while (!has_ended(child)) {
        if (Clock::now() - quit > std::chrono::seconds(5)) {
            press(display, XK_q, false);
            kill_program(child);
            return fail("the program did not end with q");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    press(display, XK_q, false);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 7 || std::string(argv[5]) != "--") {
        return fail("usage: screen_probe first-frame|pen-speed X Y RRGGBB -- PROGRAM [ARG...]");
    }
    const std::string mode = argv[1];
    const int x = std::atoi(argv[2]);
    const int y = std::atoi(argv[3]);
    const unsigned long colour = std::strtoul(argv[4], nullptr, 16);
    if (mode != "first-frame" && mode != "pen-speed") {
        return fail("unknown mode");
    }

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return fail("cannot open the display");
    }
    // A screen that already shows the colour would end the wait at once.
    if (pixel_at(display, x, y) == colour) {
        XCloseDisplay(display);
        return fail("the screen already shows the first frame's colour");
    }

    int report[2];
    if (pipe(report) != 0) {
        XCloseDisplay(display);
        return fail("cannot make a pipe");
    }
    const Clock::time_point start = Clock::now();
    const pid_t child = start_program(argv + 6, report[1]);
    close(report[1]);
    if (child < 0) {
        XCloseDisplay(display);
        return fail("cannot start the program");
    }
    const FirstFrame frame = wait_for_first_frame(display, child, start, x, y, colour);
    if (!frame.seen) {
        kill_program(child);
        XCloseDisplay(display);
        return fail("the first frame never showed");
    }

    int result = 0;
    if (mode == "first-frame") {
        const FirstFlip flip = read_first_flip(report[0], start);
        std::this_thread::sleep_for(settle_before_memory);
        const long peak = peak_resident_kib(child);
        kill_program(child);
        if (!flip.reported) {
            result = fail("the program did not report its first flip");
        }
        std::printf("first_frame_ms=%.2f cpu_ms=%.2f flip_ms=%.2f flip_cpu_ms=%.2f peak_kib=%ld "
                    "poll_ms=%.3f\n",
                    frame.milliseconds, frame.cpu_milliseconds, flip.milliseconds,
                    flip.cpu_milliseconds, peak, frame.poll_milliseconds);
    } else {
        result = measure_pen_speed(display, child);
    }
    close(report[0]);
    XCloseDisplay(display);
    return result;
}
