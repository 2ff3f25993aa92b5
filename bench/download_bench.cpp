// URLPicture beside its peer, in the same run: curl fetching the same body from the same
// server into a file, then Qt's own QImage loading that file. The server is a process of
// its own; the body is a photo-like JPEG of the largest size a picture may have.
//
// Two rows: the download half (the body into the temporary file) and the whole call.
// Times are medians over rounds that alternate which side goes first; peak memory is of
// one call in a fresh process, above what that process held just before it.
//
//     download_bench [ROUNDS]

#include "app/url_picture.h"
#include "bench/child_process.h"
#include "bench/photo_jpeg.h"
#include "platform/host/picture.h"
#include "platform/services/temp_path.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// 4928 x 3264 is a 16-megapixel camera's picture, just under the pixel cap; quality 100
// brings its body near 16 MiB.
constexpr int PHOTO_WIDTH = 4928;
constexpr int PHOTO_HEIGHT = 3264;
constexpr int PHOTO_QUALITY = 100;

double elapsed_ms(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e6; }

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A field of /proc/self/status in KiB, such as "VmRSS" or "VmHWM".
long status_kb(const char* field)
{
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(field) + ":";
    for (std::string line; std::getline(status, line);)
        if (line.rfind(prefix, 0) == 0)
            return std::atol(line.c_str() + prefix.size());
    return -1;
}

// The high-water mark starts again from what is resident now.
bool reset_peak()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    return bool(clear.flush());
}

// In a fresh process: "idle peak after" in KiB around one load of `what`, after a load of
// `warm_up` has brought in what any first call brings (libraries, plugins).
template <typename Load>
int report_peak(Load load, const std::string& warm_up, const std::string& what)
{
    if (load(warm_up).isNull())
        return 1;
    const long idle = status_kb("VmRSS");
    if (!reset_peak())
        return 1;
    const QImage image = load(what);
    const long peak = status_kb("VmHWM");
    std::printf("%ld %ld %ld %d\n", idle, peak, status_kb("VmRSS"), image.isNull() ? 0 : 1);
    return 0;
}

QImage url_picture_image(const std::string& url)
{
    const platform::Picture picture = app::URLPicture(url);
    return picture ? picture->image() : QImage();
}

QImage qt_file_image(const std::string& path) { return QImage(QString::fromStdString(path)); }

struct Peak {
    double idle_mb = 0, peak_mb = 0, after_mb = 0;
    bool ok = false;
};

// The median peak of a few fresh processes, each running `mode` once.
Peak measure_peak(const std::string& mode, const std::string& warm_up, const std::string& what)
{
    std::vector<double> idle, peak, after;
    for (int i = 0; i < 3; ++i) {
        const bench::Finished done = bench::run({"/proc/self/exe", mode, warm_up, what});
        long values[4] = {};
        if (!done.ok() || std::sscanf(done.output.c_str(), "%ld %ld %ld %ld", &values[0], &values[1], &values[2],
                                      &values[3]) != 4 || values[3] != 1)
            return {};
        idle.push_back(double(values[0]) / 1024);
        peak.push_back(double(values[1]) / 1024);
        after.push_back(double(values[2]) / 1024);
    }
    return {median(idle), median(peak), median(after), true};
}

// curl in its own process; the time it reports for the transfer, which leaves out its
// own start-up. Negative when it failed.
struct CurlRun {
    double transfer_ms = -1;
    double wall_ms = 0;
};

CurlRun curl_download(const std::string& url, const std::string& file)
{
    const bench::Finished done = bench::run({"curl", "-s", "-o", file, "-w", "%{time_total}", url});
    if (!done.ok())
        return {};
    return {std::atof(done.output.c_str()) * 1000, done.wall_ms};
}

// curl's peak in MB, through time(1): a child spawned from this large process would
// count this process's pages until its exec. 0 when it cannot be had.
double curl_peak_mb(const std::string& url, const std::string& file, const std::string& report)
{
    if (!bench::run({"/usr/bin/time", "-f", "%M", "-o", report, "curl", "-s", "-o", file, url}).ok())
        return 0;
    std::ifstream in(report);
    long kb = 0;
    in >> kb;
    return double(kb) / 1024;
}

struct Samples {
    std::vector<double> ours_download, peer_download, peer_wall;
    std::vector<double> ours_whole, peer_load;
};

bool run_round(Samples& s, const std::string& url, const std::string& peer_file, bool peer_first)
{
    const auto ours = [&] {
        QElapsedTimer timer;
        timer.start();
        const bool written = !app::download_to_temp_file(url).empty();
        const double download = elapsed_ms(timer);
        timer.restart();
        platform::Picture picture = app::URLPicture(url);
        const double whole = elapsed_ms(timer);
        if (!written || !picture || picture->pixel_width() != PHOTO_WIDTH)
            return false;
        picture.reset();
        s.ours_download.push_back(download);
        s.ours_whole.push_back(whole);
        return true;
    };
    const auto peer = [&] {
        // A fresh file: a rewritten one is truncated first, which would slow the peer.
        std::filesystem::remove(peer_file);
        const CurlRun curl = curl_download(url, peer_file);
        QElapsedTimer timer;
        timer.start();
        QImage image = qt_file_image(peer_file);
        const double load = elapsed_ms(timer);
        if (curl.transfer_ms < 0 || image.width() != PHOTO_WIDTH)
            return false;
        s.peer_download.push_back(curl.transfer_ms);
        s.peer_wall.push_back(curl.wall_ms);
        s.peer_load.push_back(load);
        return true;
    };
    return peer_first ? peer() && ours() : ours() && peer();
}

std::vector<double> sums(const std::vector<double>& a, const std::vector<double>& b)
{
    std::vector<double> out;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        out.push_back(a[i] + b[i]);
    return out;
}

std::vector<double> ratios(const std::vector<double>& ours, const std::vector<double>& peer)
{
    std::vector<double> out;
    for (size_t i = 0; i < ours.size() && i < peer.size(); ++i)
        out.push_back(ours[i] / peer[i]);
    return out;
}

void print_spread(const char* label, const std::vector<double>& values)
{
    std::vector<double> v = values;
    std::sort(v.begin(), v.end());
    std::printf("  %-44s %8.1f   [%.1f .. %.1f]\n", label, median(v), v.front(), v.back());
}

void print_ratio(const std::vector<double>& ours, const std::vector<double>& peer)
{
    std::vector<double> r = ratios(ours, peer);
    std::sort(r.begin(), r.end());
    std::printf("  ratio of medians %.2f   (per round: median %.2f, %.2f .. %.2f)\n", median(ours) / median(peer),
                median(r), r.front(), r.back());
}

void print_peak(const char* label, const Peak& p, double decoded_and_body_mb)
{
    if (!p.ok) {
        std::printf("  %-26s failed\n", label);
        return;
    }
    std::printf("  %-26s idle %6.1f MB  peak %6.1f MB  = idle + %.2f x (decoded + body)   after %6.1f MB\n", label,
                p.idle_mb, p.peak_mb, (p.peak_mb - p.idle_mb) / decoded_and_body_mb, p.after_mb);
}

bool write_file(const std::filesystem::path& path, const QByteArray& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.constData(), bytes.size());
    return bool(out.flush());
}

int compare(int rounds)
{
    const std::string temp = platform::private_temp_directory();
    if (temp.empty())
        return 1;
    const std::filesystem::path served = temp + "download_bench";
    std::filesystem::create_directories(served);
    const QByteArray photo = bench::photo_like_jpeg(PHOTO_WIDTH, PHOTO_HEIGHT, PHOTO_QUALITY);
    if (!write_file(served / "photo.jpg", photo) || !write_file(served / "small.jpg", bench::photo_like_jpeg(64, 64, 90)))
        return 1;
    bench::ChildProcess server({VELMORA_FILE_SERVER, served.string()});
    const std::string port = server.read_line();
    if (port.empty())
        return 1;
    const std::string url = "http://127.0.0.1:" + port + "/photo.jpg";
    const std::string small_url = "http://127.0.0.1:" + port + "/small.jpg";
    const std::string peer_file = temp + "curl_peer.jpg"; // beside ours, on the same file system

    Samples samples;
    if (!run_round(samples, url, peer_file, false)) { // warm-up, not counted
        std::fprintf(stderr, "a download or a load failed\n");
        return 1;
    }
    samples = {};
    for (int i = 0; i < rounds; ++i)
        if (!run_round(samples, url, peer_file, i % 2 == 1))
            return 1;

    const double body_mb = double(photo.size()) / (1 << 20);
    const double decoded_mb = double(PHOTO_WIDTH) * PHOTO_HEIGHT * 4 / (1 << 20);
    std::printf("%d x %d photo-like JPEG, body %lld bytes (%.2f MiB), decoded %.1f MiB; %d rounds, ms\n", PHOTO_WIDTH,
                PHOTO_HEIGHT, static_cast<long long>(photo.size()), body_mb, decoded_mb, rounds);
    std::printf("download half (the body into the temporary file)             median   [min .. max]\n");
    print_spread("ours: download_to_temp_file", samples.ours_download);
    print_spread("peer: curl -o, its own transfer time", samples.peer_download);
    print_spread("     (curl -o, whole process)", samples.peer_wall);
    print_ratio(samples.ours_download, samples.peer_download);
    std::printf("whole URLPicture\n");
    const std::vector<double> peer_whole = sums(samples.peer_download, samples.peer_load);
    print_spread("ours: URLPicture", samples.ours_whole);
    print_spread("peer: curl -o + QImage load of its file", peer_whole);
    print_spread("     (QImage load alone)", samples.peer_load);
    print_ratio(samples.ours_whole, peer_whole);

    std::printf("peak memory of one call in a fresh process\n");
    print_peak("ours: URLPicture", measure_peak("--peak-url-picture", small_url, url), decoded_mb + body_mb);
    print_peak("peer: QImage load", measure_peak("--peak-qimage", (served / "small.jpg").string(), peer_file),
               decoded_mb + body_mb);
    std::printf("  %-26s peak %6.1f MB (the whole process)\n", "peer: curl -o",
                curl_peak_mb(url, peer_file, (served / "curl_peak").string()));
    std::filesystem::remove_all(served);
    std::filesystem::remove(peer_file);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--peak-url-picture" && argc == 4)
        return report_peak(url_picture_image, argv[2], argv[3]);
    if (mode == "--peak-qimage" && argc == 4)
        return report_peak(qt_file_image, argv[2], argv[3]);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 15;
    return compare(rounds > 0 ? rounds : 15);
}
