// Serves the files of one directory over HTTP on 127.0.0.1, from memory, so a download
// benchmark and its peer fetch the same bytes from a process of their own. Prints the
// port on a line of its own once it listens; runs until it is killed.
//
//     file_server DIR

#include <httplib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

std::map<std::string, std::string> read_files(const std::filesystem::path& directory)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string name(1, '/');
        name += entry.path().filename().string();
        files[name].assign(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: file_server DIR\n");
        return 2;
    }
    static const std::map<std::string, std::string> files = read_files(argv[1]);
    httplib::Server server;
    server.Get(".*", [](const httplib::Request& request, httplib::Response& response) {
        const auto it = files.find(request.path);
        if (it == files.end()) {
            response.status = 404;
            return;
        }
        const std::string& body = it->second;
        // Straight from memory in 64 KiB writes: no copy of the body per request.
        response.set_content_provider(body.size(), "application/octet-stream",
                                      [&body](size_t offset, size_t length, httplib::DataSink& sink) {
                                          sink.write(body.data() + offset, std::min<size_t>(length, 1 << 16));
                                          return true;
                                      });
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    if (port <= 0)
        return 1;
    std::printf("%d\n", port);
    std::fflush(stdout);
    return server.listen_after_bind() ? 0 : 1;
}
