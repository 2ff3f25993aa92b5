// URLPicture of a 1 MiB and a 16 MiB GIF body from a loopback server: the time should
// grow with the size, not faster.

#include "app/url_picture.h"

#include "tests/support/http_server.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <string>

namespace {

// A valid 1 x 1 GIF followed by padding comment blocks up to `size` bytes, so the whole
// body is read, written and decoded as a picture.
std::string gif_of_size(size_t size)
{
    static const unsigned char pixel[] = {
        'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF,
    };
    std::string gif(reinterpret_cast<const char*>(pixel), sizeof pixel);
    while (gif.size() + 300 < size) { // comment extensions of 255-byte blocks
        gif.push_back('\x21');
        gif.push_back('\xFE');
        for (int i = 0; i < 200 && gif.size() + 260 < size; ++i) {
            gif += char(255);
            gif.append(255, 'x');
        }
        gif += '\0';
    }
    static const unsigned char image[] = {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, 0x3B};
    gif.append(reinterpret_cast<const char*>(image), sizeof image);
    return gif;
}

// Serves a body straight from memory, without copying it per request.
void serve(httplib::Response& response, const std::string& body)
{
    response.set_content_provider(body.size(), "image/gif",
                                  [&body](size_t offset, size_t length, httplib::DataSink& sink) {
                                      sink.write(body.data() + offset, std::min<size_t>(length, 1 << 16));
                                      return true;
                                  });
}

test::LocalHttpServer& server()
{
    static test::LocalHttpServer* instance = [] {
        auto* s = new test::LocalHttpServer;
        static std::map<int, std::string> bodies;
        for (auto [mib, path] : {std::pair {1, "/1mib.gif"}, {4, "/4mib.gif"}, {16, "/16mib.gif"}}) {
            bodies[mib] = gif_of_size(size_t(mib) << 20);
            s->routes().Get(path, [mib](const httplib::Request&, httplib::Response& r) { serve(r, bodies[mib]); });
        }
        s->start();
        return s;
    }();
    return *instance;
}

void BM_URLPicture(benchmark::State& state)
{
    std::string path = std::to_string(state.range(0));
    path.insert(0, 1, '/');
    path.append("mib.gif");
    const std::string url = server().url(path);
    for (auto _ : state) {
        auto picture = app::URLPicture(url);
        if (!picture)
            state.SkipWithError("no picture");
        benchmark::DoNotOptimize(picture);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0) * (1 << 20));
}
BENCHMARK(BM_URLPicture)->Arg(1)->Arg(4)->Arg(16)->ArgName("MiB")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
