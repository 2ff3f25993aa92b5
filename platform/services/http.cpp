#include "platform/services/http.h"

#include "platform/services/curl_library.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

namespace {

struct Session {
    std::optional<std::string> agent;
    DWORD access_type = INTERNET_OPEN_TYPE_PRECONFIG;
    std::string proxy;
    std::string proxy_bypass;
};

// A body kept in blocks as it came: it grows without moving what it holds, and each block
// is let go once it has been read, so a reader that keeps what it reads holds one copy.
class BlockBody {
public:
    void append(const char* data, size_t count)
    {
        while (count > 0) {
            if (m_blocks.empty() || m_blocks.back().size() == HTTP_READ_BLOCK) {
                m_blocks.emplace_back();
                m_blocks.back().reserve(HTTP_READ_BLOCK);
            }
            std::vector<uint8_t>& last = m_blocks.back();
            const size_t taken = std::min(count, HTTP_READ_BLOCK - last.size());
            last.insert(last.end(), data, data + taken);
            data += taken;
            count -= taken;
            m_size += taken;
        }
    }

    // Up to `count` bytes from the front into `out`; their number.
    size_t take(uint8_t* out, size_t count)
    {
        size_t done = 0;
        while (done < count && !m_blocks.empty()) {
            const std::vector<uint8_t>& front = m_blocks.front();
            const size_t part = std::min(count - done, front.size() - m_front_read);
            std::memcpy(out + done, front.data() + m_front_read, part);
            done += part;
            m_front_read += part;
            if (m_front_read == front.size()) {
                m_blocks.pop_front();
                m_front_read = 0;
            }
        }
        m_size -= done;
        return done;
    }

    size_t size() const { return m_size; } // the bytes not yet taken

private:
    std::deque<std::vector<uint8_t>> m_blocks;
    size_t m_front_read = 0;
    size_t m_size = 0;
};

struct Response {
    BlockBody body;
    bool broken = false; // the transfer stopped before the end of the body
};

// The process's one table of internet handles.
struct Handles {
    std::mutex mutex;
    std::map<HINTERNET, Session> sessions;
    std::map<HINTERNET, Response> responses;
    HINTERNET next = 0x00CC0004;
    HttpLimits limits;
    HttpWaitHooks wait_hooks;

    HINTERNET take_handle()
    {
        if (next > UINT32_MAX - 4)
            return 0; // spent: a reused number could name somebody else's handle
        const HINTERNET handle = next;
        next += 4;
        return handle;
    }
};

Handles& handles()
{
    static Handles instance;
    return instance;
}

bool curl_ready()
{
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlPtr = std::unique_ptr<CURL, CurlDeleter>;
using CurlUrlPtr = std::unique_ptr<CURLU, CurlDeleter>;
using CurlListPtr = std::unique_ptr<curl_slist, CurlDeleter>;
// CURL and CURLM are one type to the compiler, so the multi handle has its own deleter.
struct CurlMultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
using CurlMultiPtr = std::unique_ptr<CURLM, CurlMultiDeleter>;

bool equals_ignoring_case(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? char(x + 32) : x) == (y >= 'A' && y <= 'Z' ? char(y + 32) : y);
           });
}

// A request line holds no blanks, control bytes or raw non-ASCII: those after the host
// go as %XX. The host keeps its bytes, for the name's own conversion.
std::string encode_after_host(std::string_view url)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    const size_t scheme_end = url.find("://");
    const size_t host_end = scheme_end == std::string_view::npos ? 0 : url.find_first_of("/?#", scheme_end + 3);
    if (host_end == std::string_view::npos)
        return std::string(url);
    std::string out(url.substr(0, host_end));
    for (const char c : url.substr(host_end)) {
        const auto byte = uint8_t(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// The parsed address, or nullptr when it is malformed or not http(s).
CurlUrlPtr parse_http_url(const char* url)
{
    CurlUrlPtr parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, encode_after_host(url).c_str(), 0) != CURLUE_OK)
        return nullptr;
    char* scheme = nullptr;
    if (curl_url_get(parsed.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK)
        return nullptr;
    const bool web = equals_ignoring_case(scheme, "http") || equals_ignoring_case(scheme, "https");
    curl_free(scheme);
    return web ? std::move(parsed) : nullptr;
}

CurlListPtr header_list(const char* headers, DWORD length)
{
    if (!headers)
        return nullptr;
    std::string_view text =
        length == 0 || length == 0xFFFFFFFF ? std::string_view(headers) : std::string_view(headers, length);
    curl_slist* list = nullptr;
    while (!text.empty()) {
        const size_t end = text.find("\r\n");
        const std::string line(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 2);
        if (line.empty())
            continue;
        curl_slist* longer = curl_slist_append(list, line.c_str());
        if (!longer)
            break;
        list = longer;
    }
    return CurlListPtr(list);
}

using Clock = std::chrono::steady_clock;

// libcurl hands the body over in pieces of up to this much. Its default of 16 KiB makes a
// large body from a fast server take half as long again: many more reads of the socket
// and turns of the transfer loop.
constexpr long RECEIVE_BUFFER = 256 << 10;

// What one transfer gathers while it runs.
struct Transfer {
    CURL* curl = nullptr;
    size_t ceiling = 0;
    BlockBody body; // nothing is taken from it while the transfer runs
    bool location_in_block = false;
    bool final_headers = false; // the headers of the response whose body this is have come
    Clock::time_point last_byte = Clock::now();
};

// Past the ceiling the body keeps what fits and the transfer stops.
size_t take_body(char* data, size_t size, size_t count, void* user)
{
    auto& transfer = *static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    transfer.last_byte = Clock::now();
    const size_t taken = std::min(bytes, transfer.ceiling - transfer.body.size());
    transfer.body.append(data, taken);
    return taken; // short of `bytes`: libcurl stops the transfer
}

// A block of headers ends with an empty line; a redirect that will be followed is not
// the final response.
size_t take_header(char* data, size_t size, size_t count, void* user)
{
    auto& transfer = *static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    transfer.last_byte = Clock::now();
    const std::string_view line(data, bytes);
    if (line.size() >= 9 && equals_ignoring_case(line.substr(0, 9), "location:"))
        transfer.location_in_block = true;
    if (line == "\r\n" || line == "\n") {
        long status = 0;
        curl_get_info(transfer.curl, CURLINFO_RESPONSE_CODE, &status);
        const bool redirect = status >= 300 && status < 400 && status != 304 && transfer.location_in_block;
        if (status >= 200 && !redirect)
            transfer.final_headers = true;
        transfer.location_in_block = false;
    }
    return bytes;
}

void set_proxy(CURL* curl, const Session& session)
{
    // Without a proxy option libcurl reads http_proxy, https_proxy, ALL_PROXY and NO_PROXY.
    if (session.access_type == INTERNET_OPEN_TYPE_DIRECT) {
        curl_set_option(curl, CURLOPT_PROXY, "");
    } else if (session.access_type == INTERNET_OPEN_TYPE_PROXY) {
        curl_set_option(curl, CURLOPT_PROXY, session.proxy.c_str());
        curl_set_option(curl, CURLOPT_NOPROXY, session.proxy_bypass.c_str());
    }
}

void set_limits(CURL* curl, const HttpLimits& limits)
{
    curl_set_option(curl, CURLOPT_CONNECTTIMEOUT_MS, long(limits.connect_timeout.count()));
    curl_set_option(curl, CURLOPT_TIMEOUT_MS, long(limits.total_timeout.count()));
    curl_set_option(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_set_option(curl, CURLOPT_MAXREDIRS, limits.max_redirects);
}

// Runs the transfer to its end and gives its result. The no-byte time-out is kept here,
// counted from the last byte that came: libcurl's own low-speed check averages over
// seconds, and its progress calls come only about once a second. The caller's turns are
// kept here too, for the same reason.
CURLcode perform(CURL* curl, const Transfer& transfer, std::chrono::milliseconds stall_timeout,
                 const std::function<void()>& waiting)
{
    const CurlMultiPtr multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), curl) != CURLM_OK)
        return CURLE_FAILED_INIT;
    CURLcode result = CURLE_OK;
    Clock::time_point last_turn = Clock::now();
    for (int running = 1;;) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (running == 0) {
            int left = 0;
            while (const CURLMsg* message = curl_multi_info_read(multi.get(), &left))
                if (message->msg == CURLMSG_DONE)
                    result = message->data.result;
            break;
        }
        std::chrono::milliseconds wait {1000};
        if (waiting) {
            if (Clock::now() - last_turn >= HTTP_WAIT_TURN) {
                waiting();
                last_turn = Clock::now();
            }
            wait = std::max(std::chrono::milliseconds(1),
                            std::chrono::ceil<std::chrono::milliseconds>(HTTP_WAIT_TURN - (Clock::now() - last_turn)));
        }
        if (stall_timeout.count() > 0) {
            const auto quiet = Clock::now() - transfer.last_byte;
            if (quiet >= stall_timeout) {
                result = CURLE_OPERATION_TIMEDOUT;
                break;
            }
            wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(stall_timeout - quiet));
        }
        // Returns early on socket activity and on libcurl's own timers (the total time-out).
        curl_multi_poll(multi.get(), nullptr, 0, int(wait.count()), nullptr);
    }
    curl_multi_remove_handle(multi.get(), curl);
    return result;
}

// Runs the GET; nothing when no final response came at all.
std::optional<Response> fetch(const Session& session, CURLU* url, curl_slist* headers, const HttpLimits& limits,
                              const HttpWaitHooks& hooks)
{
    CurlPtr curl(curl_easy_init());
    if (!curl)
        return std::nullopt;
    Transfer transfer;
    transfer.curl = curl.get();
    transfer.ceiling = limits.body_ceiling;
    CURL* c = curl.get();
    curl_set_option(c, CURLOPT_CURLU, url);
    curl_set_option(c, CURLOPT_HTTPGET, 1L);
    curl_set_option(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_set_option(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_set_option(c, CURLOPT_NOSIGNAL, 1L);
    curl_set_option(c, CURLOPT_BUFFERSIZE, RECEIVE_BUFFER);
    if (session.agent)
        curl_set_option(c, CURLOPT_USERAGENT, session.agent->c_str());
    if (headers)
        curl_set_option(c, CURLOPT_HTTPHEADER, headers);
    set_proxy(c, session);
    set_limits(c, limits);
    curl_set_option(c, CURLOPT_WRITEFUNCTION, take_body);
    curl_set_option(c, CURLOPT_WRITEDATA, &transfer);
    curl_set_option(c, CURLOPT_HEADERFUNCTION, take_header);
    curl_set_option(c, CURLOPT_HEADERDATA, &transfer);
    if (hooks.begin)
        hooks.begin();
    struct EndOfWait { // whatever ends the transfer
        const std::function<void()>& end;
        ~EndOfWait()
        {
            if (end)
                end();
        }
    } end_of_wait {hooks.end};
    transfer.last_byte = Clock::now();
    const CURLcode result = perform(c, transfer, limits.stall_timeout, hooks.waiting);
    if (result != CURLE_OK && !transfer.final_headers)
        return std::nullopt;
    return Response {std::move(transfer.body), result != CURLE_OK};
}

} // namespace

HttpLimits http_limits()
{
    auto& h = handles();
    std::lock_guard lock(h.mutex);
    return h.limits;
}

void set_http_limits(const HttpLimits& limits)
{
    auto& h = handles();
    std::lock_guard lock(h.mutex);
    h.limits = limits;
}

void set_http_wait_hooks(HttpWaitHooks hooks)
{
    auto& h = handles();
    std::lock_guard lock(h.mutex);
    h.wait_hooks = std::move(hooks);
}

HINTERNET InternetOpenA(const char* agent, DWORD access_type, const char* proxy, const char* proxy_bypass,
                        DWORD /*flags*/)
{
    Session session;
    if (agent)
        session.agent = agent;
    session.access_type = access_type;
    if (access_type == INTERNET_OPEN_TYPE_PROXY) {
        if (!proxy || !*proxy)
            return 0;
        session.proxy = proxy;
        session.proxy_bypass = proxy_bypass ? proxy_bypass : "";
    } else if (access_type != INTERNET_OPEN_TYPE_PRECONFIG && access_type != INTERNET_OPEN_TYPE_DIRECT) {
        return 0;
    }
    if (!curl_ready())
        return 0;
    auto& h = handles();
    std::lock_guard lock(h.mutex);
    const HINTERNET handle = h.take_handle();
    if (handle)
        h.sessions.emplace(handle, std::move(session));
    return handle;
}

HINTERNET InternetOpenUrlA(HINTERNET internet, const char* url, const char* headers, DWORD headers_length,
                           DWORD /*flags*/, DWORD_PTR /*context*/)
{
    if (!url)
        return 0;
    auto& h = handles();
    Session session;
    HttpLimits limits;
    HttpWaitHooks hooks;
    {
        std::lock_guard lock(h.mutex);
        const auto it = h.sessions.find(internet);
        if (it == h.sessions.end())
            return 0;
        session = it->second;
        limits = h.limits;
        hooks = h.wait_hooks;
    }
    const CurlUrlPtr parsed = parse_http_url(url);
    if (!parsed)
        return 0;
    const CurlListPtr header_lines = header_list(headers, headers_length);
    // The transfer runs without the lock: it may take up to the total time-out.
    std::optional<Response> response = fetch(session, parsed.get(), header_lines.get(), limits, hooks);
    if (!response)
        return 0;
    std::lock_guard lock(h.mutex);
    const HINTERNET handle = h.take_handle();
    if (handle)
        h.responses.emplace(handle, std::move(*response));
    return handle;
}

BOOL InternetQueryDataAvailable(HINTERNET file, DWORD* available, DWORD /*flags*/, DWORD_PTR /*context*/)
{
    if (!available)
        return FALSE;
    auto& h = handles();
    std::lock_guard lock(h.mutex);
    const auto it = h.responses.find(file);
    if (it == h.responses.end())
        return FALSE;
    const Response& response = it->second;
    const size_t left = response.body.size();
    if (left == 0 && response.broken)
        return FALSE;
    *available = DWORD(std::min<size_t>(left, HTTP_READ_BLOCK));
    return TRUE;
}

BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD to_read, DWORD* read)
{
    if (!read)
        return FALSE;
    *read = 0;
    if (!buffer && to_read > 0)
        return FALSE;
    auto& h = handles();
    std::lock_guard lock(h.mutex);
    const auto it = h.responses.find(file);
    if (it == h.responses.end())
        return FALSE;
    Response& response = it->second;
    if (response.body.size() == 0 || to_read == 0)
        return response.broken && response.body.size() == 0 ? FALSE : TRUE;
    *read = DWORD(response.body.take(static_cast<uint8_t*>(buffer), to_read));
    return TRUE;
}

BOOL InternetCloseHandle(HINTERNET handle)
{
    auto& h = handles();
    std::lock_guard lock(h.mutex);
    const bool closed = h.sessions.erase(handle) + h.responses.erase(handle) > 0;
    return closed ? TRUE : FALSE;
}

} // namespace platform
