#pragma once
// The WinINet calls that fetch a whole response body by HTTP GET, over libcurl.
//
// InternetOpenUrlA runs the whole transfer before it returns; the body is then read from
// memory by InternetQueryDataAvailable and InternetReadFile. A transfer that breaks off
// after the response headers (a stall, the time limit, the body ceiling, a reset) still
// gives a handle: its reads deliver the bytes that came, then fail. Handles are 32-bit
// numbers that are never reused; 0 is failure.

#include "platform/win_types.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace platform {

using DWORD = uint32_t;
using DWORD_PTR = uintptr_t;
using HINTERNET = uint32_t;

inline constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0; // proxy from the usual environment variables
inline constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;    // no proxy, whatever the environment says
inline constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;     // the proxy named in the call

// What keeps one download from freezing the window or filling the memory. Picture
// services answer within a second with a few KiB; a screenshot service may take some
// seconds to render a page, which the total allows for.
inline constexpr std::chrono::milliseconds HTTP_CONNECT_TIMEOUT {10'000}; // name lookup and connection
inline constexpr std::chrono::milliseconds HTTP_STALL_TIMEOUT {15'000};  // from the last byte, headers too
inline constexpr std::chrono::milliseconds HTTP_TOTAL_TIMEOUT {60'000};  // the whole transfer
inline constexpr size_t HTTP_BODY_CEILING = size_t(32) << 20;            // bytes kept of one body
inline constexpr long HTTP_MAX_REDIRECTS = 10;
// InternetQueryDataAvailable reports at most this much at once, so a reader works in
// blocks; the body waits in blocks of this size, each let go once it has been read, so a
// reader that keeps the whole body never holds a second copy of it.
inline constexpr DWORD HTTP_READ_BLOCK = DWORD(64) << 10;

struct HttpLimits {
    std::chrono::milliseconds connect_timeout = HTTP_CONNECT_TIMEOUT;
    std::chrono::milliseconds stall_timeout = HTTP_STALL_TIMEOUT;
    std::chrono::milliseconds total_timeout = HTTP_TOTAL_TIMEOUT;
    size_t body_ceiling = HTTP_BODY_CEILING;
    long max_redirects = HTTP_MAX_REDIRECTS;
};

// Process-wide, as WinINet's options set on a null handle: later transfers use them.
HttpLimits http_limits();
void set_http_limits(const HttpLimits& limits);

// What the calling thread does while InternetOpenUrlA holds it for a transfer, so that a
// program with windows keeps them alive meanwhile. `begin` comes before the request goes out,
// `end` once the transfer is over, however it ended; between them `waiting` comes every
// HTTP_WAIT_TURN, never more often, and as long as the transfer lasts. All three run on the
// thread that called InternetOpenUrlA; any of them may be empty.
struct HttpWaitHooks {
    std::function<void()> begin;
    std::function<void()> waiting;
    std::function<void()> end;
};
inline constexpr std::chrono::milliseconds HTTP_WAIT_TURN {10};
// Process-wide, for the transfers that start later.
void set_http_wait_hooks(HttpWaitHooks hooks);

// A null agent sends no User-Agent header. With INTERNET_OPEN_TYPE_PROXY, `proxy` is the
// proxy ("host:port" or a URL) and `proxy_bypass` comma-separated hosts reached directly;
// otherwise both are ignored, as are the flags. 0 for any other access type.
HINTERNET InternetOpenA(const char* agent, DWORD access_type, const char* proxy, const char* proxy_bypass,
                        DWORD flags);
// GET of an http:// or https:// address; any other scheme, or none, is refused, also as a
// redirect target. Spaces, control and non-ASCII bytes after the host are sent
// percent-encoded; the fragment is not sent. Any status counts: an error page is a body
// too. `headers`: extra request header lines separated by CRLF (a length of 0 or
// 0xFFFFFFFF reads up to the NUL). Flags and context are ignored.
HINTERNET InternetOpenUrlA(HINTERNET internet, const char* url, const char* headers, DWORD headers_length,
                           DWORD flags, DWORD_PTR context);
// The body bytes readable at once, up to HTTP_READ_BLOCK, 0 at the end. FALSE for an
// unknown handle, and for a broken-off body once it has been read up to the break.
BOOL InternetQueryDataAvailable(HINTERNET file, DWORD* available, DWORD flags, DWORD_PTR context);
// Up to `to_read` bytes into `buffer` and their count. A count of 0 at the end of the
// body (TRUE) or where a broken-off body stops (FALSE).
BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD to_read, DWORD* read);
BOOL InternetCloseHandle(HINTERNET handle);

} // namespace platform
