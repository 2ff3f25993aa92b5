#pragma once
// libcurl opened the first time the program fetches something, not at start: most runs fetch
// nothing, and the library with the thirty it needs would be mapped and bound before the first
// window shows. platform/services/curl_library.cpp defines the libcurl calls the HTTP code
// makes, each forwarding to the opened library, or failing as libcurl fails when it cannot be
// opened.

#include <curl/curl.h>

#include <string>

namespace platform {

class CurlLibrary {
public:
    explicit CurlLibrary(const std::string& file);
    ~CurlLibrary();
    CurlLibrary(const CurlLibrary&) = delete;
    CurlLibrary& operator=(const CurlLibrary&) = delete;

    bool loaded() const { return m_handle != nullptr; }
    // The library's function of this name, or null.
    void* function(const char* name) const;

private:
    void* m_handle;
};

// The system's libcurl, opened on first use.
const CurlLibrary& curl_library();

// curl_easy_setopt and curl_easy_getinfo with the value's type in the signature: libcurl reads
// the value after the option as the type the option names, so each overload passes exactly that.
CURLcode curl_set_option(CURL* curl, CURLoption option, long value);
CURLcode curl_set_option(CURL* curl, CURLoption option, const char* text);
CURLcode curl_set_option(CURL* curl, CURLoption option, void* object);
CURLcode curl_set_option(CURL* curl, CURLoption option, curl_write_callback callback);
CURLcode curl_get_info(CURL* curl, CURLINFO info, long* answer);

} // namespace platform
