// Start-up as the user sees it, beside a peer in the same run: from just before the process
// starts to the first pixels of each top-level window it shows, and its resident memory once
// idle. Pixels are seen from X events: a DAMAGE object on every new child of the root reports
// the first drawing into the window once it is mapped. The two programs take turns, the one
// going first alternating, and the summary gives medians and their ratio.
//
//   startup_bench [--runs N] [--idle-ms MS] --ours WINDOWS PROGRAM... --peer WINDOWS PROGRAM...
//
// WINDOWS: how many top-level windows to wait for (the splash and the main window: 2).

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Program {
    int windows = 1;
    std::vector<std::string> argv;
};

struct Memory {
    long rss_kb = 0;
    long anonymous_kb = 0;
    long file_kb = 0;
};

// One start: when each window showed its first pixels (ms from the start), and the memory.
struct Run {
    std::vector<double> painted_ms;
    Memory memory;
};

Memory memory_of(pid_t pid)
{
    Memory m;
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string key;
    long kb = 0;
    while (in >> key) {
        if (!(in >> kb)) {
            in.clear();
            in.ignore(1 << 20, '\n');
            continue;
        }
        if (key == "Rss:")
            m.rss_kb = kb;
        else if (key == "Anonymous:")
            m.anonymous_kb = kb;
        in.ignore(1 << 20, '\n');
    }
    m.file_kb = m.rss_kb - m.anonymous_kb;
    return m;
}

// The X side: events of the root's children, and the damage of each new one.
class Watcher {
public:
    Watcher()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection))
            throw std::runtime_error("cannot connect to the X display");
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(m_connection, &xcb_damage_id);
        if (!damage || !damage->present)
            throw std::runtime_error("the X server has no DAMAGE extension");
        m_damage_event = damage->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(m_connection, xcb_damage_query_version(m_connection, 1, 1), nullptr));
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    ~Watcher() { xcb_disconnect(m_connection); }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    // Starts the program and waits until it has painted its windows, then for `idle_ms`.
    std::optional<Run> run(const Program& program, int idle_ms)
    {
        drain();
        m_windows.clear();
        Run result;
        std::vector<char*> argv;
        for (const std::string& a : program.argv)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);

        const Clock::time_point start = Clock::now();
        const pid_t pid = fork();
        if (pid < 0)
            return std::nullopt;
        if (pid == 0) {
            execvp(argv[0], argv.data());
            _exit(127);
        }
        const bool painted = wait_for_paints(start, program.windows, result.painted_ms);
        if (painted) {
            const Clock::time_point idle = Clock::now();
            while (ms_since(idle) < idle_ms)
                wait_for_event(int(idle_ms - ms_since(idle)) + 1, start, result.painted_ms);
            result.memory = memory_of(pid);
        }
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        if (!painted)
            return std::nullopt;
        return result;
    }

private:
    struct Window {
        bool mapped = false;
        bool painted = false;
    };

    bool wait_for_paints(Clock::time_point start, int windows, std::vector<double>& painted)
    {
        while (int(painted.size()) < windows) {
            if (ms_since(start) > 15000)
                return false;
            wait_for_event(100, start, painted);
        }
        return true;
    }

    void wait_for_event(int timeout_ms, Clock::time_point start, std::vector<double>& painted)
    {
        xcb_flush(m_connection);
        std::unique_ptr<xcb_generic_event_t, decltype(&free)> event(xcb_poll_for_event(m_connection), &free);
        if (!event) {
            pollfd fd {xcb_get_file_descriptor(m_connection), POLLIN, 0};
            poll(&fd, 1, std::max(timeout_ms, 0));
            event.reset(xcb_poll_for_event(m_connection));
        }
        if (event)
            handle(*event, start, painted);
    }

    void handle(const xcb_generic_event_t& event, Clock::time_point start, std::vector<double>& painted)
    {
        const uint8_t type = event.response_type & 0x7F;
        if (type == XCB_CREATE_NOTIFY) {
            const auto& e = reinterpret_cast<const xcb_create_notify_event_t&>(event);
            if (e.parent != m_root)
                return;
            m_windows[e.window] = {};
            // Fails quietly for an input-only window, which shows nothing anyway.
            xcb_damage_create(m_connection, xcb_generate_id(m_connection), e.window,
                              XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        } else if (type == XCB_MAP_NOTIFY) {
            const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
            if (auto it = m_windows.find(e.window); it != m_windows.end())
                it->second.mapped = true;
        } else if (type == XCB_DESTROY_NOTIFY) {
            m_windows.erase(reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window);
        } else if (type == m_damage_event) {
            const auto& e = reinterpret_cast<const xcb_damage_notify_event_t&>(event);
            auto it = m_windows.find(e.drawable);
            if (it != m_windows.end() && it->second.mapped && !it->second.painted) {
                it->second.painted = true;
                painted.push_back(ms_since(start));
            }
        }
    }

    void drain()
    {
        xcb_flush(m_connection);
        while (xcb_generic_event_t* e = xcb_poll_for_event(m_connection))
            free(e);
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    uint8_t m_damage_event = 0;
    std::map<xcb_window_t, Window> m_windows;
};

double quantile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const double at = q * double(v.size() - 1);
    const size_t below = size_t(at);
    const size_t above = std::min(below + 1, v.size() - 1);
    return v[below] + (v[above] - v[below]) * (at - double(below));
}

struct Series {
    std::vector<double> values;
    void add(double v) { values.push_back(v); }
    double median() const { return quantile(values, 0.5); }
    std::string spread(const char* unit) const
    {
        char text[96];
        std::snprintf(text, sizeof text, "%.2f%s%s (quartiles %.2f–%.2f)", median(), *unit ? " " : "", unit,
                      quantile(values, 0.25), quantile(values, 0.75));
        return text;
    }
};

struct Results {
    Series first_pixels, handed_over, rss_mb, anonymous_mb, file_mb;
    std::vector<double> order; // first pixels by run, failed runs as 0

    void add(const Run& run)
    {
        order.push_back(run.painted_ms.front());
        first_pixels.add(run.painted_ms.front());
        if (run.painted_ms.size() > 1)
            handed_over.add(run.painted_ms[1] - run.painted_ms[0]);
        rss_mb.add(double(run.memory.rss_kb) / 1024);
        anonymous_mb.add(double(run.memory.anonymous_kb) / 1024);
        file_mb.add(double(run.memory.file_kb) / 1024);
    }
};

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: startup_bench [--runs N] [--idle-ms MS] --ours WINDOWS PROGRAM... "
                         "--peer WINDOWS PROGRAM...\n");
    std::exit(2);
}

void parse(int argc, char** argv, int& runs, int& idle_ms, Program& ours, Program& peer)
{
    Program* current = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if ((a == "--runs" || a == "--idle-ms") && i + 1 < argc) {
            (a == "--runs" ? runs : idle_ms) = std::atoi(argv[++i]);
            current = nullptr;
        } else if ((a == "--ours" || a == "--peer") && i + 1 < argc) {
            current = a == "--ours" ? &ours : &peer;
            current->windows = std::atoi(argv[++i]);
        } else if (current) {
            current->argv.push_back(a);
        } else {
            usage();
        }
    }
    if (runs < 1 || ours.argv.empty() || peer.argv.empty() || ours.windows < 1 || peer.windows < 1)
        usage();
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 20;
    int idle_ms = 1000;
    Program ours, peer;
    parse(argc, argv, runs, idle_ms, ours, peer);
    try {
        Watcher watcher;
        // One start of each unmeasured: the file cache and the font cache warm up.
        if (!watcher.run(peer, 0) || !watcher.run(ours, 0)) {
            std::fprintf(stderr, "a program did not show its windows\n");
            return 1;
        }
        Results our_results, peer_results;
        int failed = 0;
        for (int i = 0; i < runs; ++i) {
            const bool ours_first = i % 2 == 1;
            for (const bool is_ours : {ours_first, !ours_first}) {
                const std::optional<Run> run = watcher.run(is_ours ? ours : peer, idle_ms);
                if (!run) {
                    ++failed;
                    (is_ours ? our_results : peer_results).order.push_back(0);
                    continue;
                }
                (is_ours ? our_results : peer_results).add(*run);
                std::printf("run %2d %-4s first pixels %6.1f ms", i + 1, is_ours ? "ours" : "peer",
                            run->painted_ms.front());
                if (run->painted_ms.size() > 1)
                    std::printf(", next window +%.1f ms", run->painted_ms[1] - run->painted_ms[0]);
                std::printf(", RSS %.1f MB\n", double(run->memory.rss_kb) / 1024);
            }
        }
        if (our_results.first_pixels.values.empty() || peer_results.first_pixels.values.empty()) {
            std::fprintf(stderr, "no run succeeded\n");
            return 1;
        }
        std::printf("\n%d runs each, alternating which goes first (%d failed)\n", runs, failed);
        std::printf("start to first pixels: ours %s, peer %s, ratio %.2f\n",
                    our_results.first_pixels.spread("ms").c_str(), peer_results.first_pixels.spread("ms").c_str(),
                    our_results.first_pixels.median() / peer_results.first_pixels.median());
        // The two starts of one run meet the same load on the machine.
        Series paired;
        for (size_t i = 0; i < our_results.order.size() && i < peer_results.order.size(); ++i)
            if (our_results.order[i] > 0 && peer_results.order[i] > 0)
                paired.add(our_results.order[i] / peer_results.order[i]);
        std::printf("  ratio within each run: %s; fastest starts: ours %.1f ms, peer %.1f ms\n",
                    paired.spread("").c_str(), quantile(our_results.first_pixels.values, 0),
                    quantile(peer_results.first_pixels.values, 0));
        if (!our_results.handed_over.values.empty())
            std::printf("first window to next window: ours %s\n", our_results.handed_over.spread("ms").c_str());
        std::printf("idle RSS: ours %s, peer %s, ratio %.2f\n", our_results.rss_mb.spread("MB").c_str(),
                    peer_results.rss_mb.spread("MB").c_str(),
                    our_results.rss_mb.median() / peer_results.rss_mb.median());
        std::printf("  of it anonymous: ours %.1f MB, peer %.1f MB; file-backed: ours %.1f MB, peer %.1f MB\n",
                    our_results.anonymous_mb.median(), peer_results.anonymous_mb.median(),
                    our_results.file_mb.median(), peer_results.file_mb.median());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "startup_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
