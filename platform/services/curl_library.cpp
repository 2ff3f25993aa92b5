#include "platform/services/curl_library.h"

#include <curl/curl.h>
#include <dlfcn.h>

namespace platform {

CurlLibrary::CurlLibrary(const std::string& file) : m_handle(dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) { }

CurlLibrary::~CurlLibrary()
{
    if (m_handle)
        dlclose(m_handle);
}

void* CurlLibrary::function(const char* name) const
{
    return m_handle ? dlsym(m_handle, name) : nullptr;
}

const CurlLibrary& curl_library()
{
    // Never closed: a transfer may still be ending on another thread at exit.
    static const CurlLibrary* library = new CurlLibrary("libcurl.so.4");
    return *library;
}

namespace {

template <typename Function>
Function* real(const char* name)
{
    return reinterpret_cast<Function*>(curl_library().function(name));
}

// One value of the type the option reads, through libcurl's own variadic call.
template <typename Value>
CURLcode set_option(CURL* curl, CURLoption option, Value value)
{
    static auto* const f = real<decltype(curl_easy_setopt)>("curl_easy_setopt");
    return f ? f(curl, option, value) : CURLE_FAILED_INIT;
}

} // namespace

CURLcode curl_set_option(CURL* curl, CURLoption option, long value)
{
    return set_option(curl, option, value);
}

CURLcode curl_set_option(CURL* curl, CURLoption option, const char* text)
{
    return set_option(curl, option, text);
}

CURLcode curl_set_option(CURL* curl, CURLoption option, void* object)
{
    return set_option(curl, option, object);
}

CURLcode curl_set_option(CURL* curl, CURLoption option, curl_write_callback callback)
{
    return set_option(curl, option, callback);
}

CURLcode curl_get_info(CURL* curl, CURLINFO info, long* answer)
{
    static auto* const f = real<decltype(curl_easy_getinfo)>("curl_easy_getinfo");
    return f ? f(curl, info, answer) : CURLE_FAILED_INIT;
}

} // namespace platform

// Each call looks its function up once. Without the library, each answers as libcurl does
// when it cannot start: an error code, or no handle.
#define VELMORA_CURL_REAL(name) static auto* const f = platform::real<decltype(name)>(#name)

extern "C" {

CURLcode curl_global_init(long flags)
{
    VELMORA_CURL_REAL(curl_global_init);
    return f ? f(flags) : CURLE_FAILED_INIT;
}

CURL* curl_easy_init()
{
    VELMORA_CURL_REAL(curl_easy_init);
    return f ? f() : nullptr;
}

void curl_easy_cleanup(CURL* curl)
{
    VELMORA_CURL_REAL(curl_easy_cleanup);
    if (f)
        f(curl);
}

CURLU* curl_url()
{
    VELMORA_CURL_REAL(curl_url);
    return f ? f() : nullptr;
}

void curl_url_cleanup(CURLU* url)
{
    VELMORA_CURL_REAL(curl_url_cleanup);
    if (f)
        f(url);
}

CURLUcode curl_url_set(CURLU* url, CURLUPart part, const char* content, unsigned int flags)
{
    VELMORA_CURL_REAL(curl_url_set);
    return f ? f(url, part, content, flags) : CURLUE_OUT_OF_MEMORY;
}

CURLUcode curl_url_get(CURLU* url, CURLUPart part, char** content, unsigned int flags)
{
    VELMORA_CURL_REAL(curl_url_get);
    return f ? f(url, part, content, flags) : CURLUE_OUT_OF_MEMORY;
}

void curl_free(void* p)
{
    VELMORA_CURL_REAL(curl_free);
    if (f)
        f(p);
}

curl_slist* curl_slist_append(curl_slist* list, const char* text)
{
    VELMORA_CURL_REAL(curl_slist_append);
    return f ? f(list, text) : nullptr;
}

void curl_slist_free_all(curl_slist* list)
{
    VELMORA_CURL_REAL(curl_slist_free_all);
    if (f)
        f(list);
}

CURLM* curl_multi_init()
{
    VELMORA_CURL_REAL(curl_multi_init);
    return f ? f() : nullptr;
}

CURLMcode curl_multi_cleanup(CURLM* multi)
{
    VELMORA_CURL_REAL(curl_multi_cleanup);
    return f ? f(multi) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_add_handle(CURLM* multi, CURL* curl)
{
    VELMORA_CURL_REAL(curl_multi_add_handle);
    return f ? f(multi, curl) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_remove_handle(CURLM* multi, CURL* curl)
{
    VELMORA_CURL_REAL(curl_multi_remove_handle);
    return f ? f(multi, curl) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_perform(CURLM* multi, int* running)
{
    VELMORA_CURL_REAL(curl_multi_perform);
    return f ? f(multi, running) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_poll(CURLM* multi, curl_waitfd extra[], unsigned int count, int timeout_ms, int* events)
{
    VELMORA_CURL_REAL(curl_multi_poll);
    return f ? f(multi, extra, count, timeout_ms, events) : CURLM_BAD_HANDLE;
}

CURLMsg* curl_multi_info_read(CURLM* multi, int* queued)
{
    VELMORA_CURL_REAL(curl_multi_info_read);
    return f ? f(multi, queued) : nullptr;
}

} // extern "C"
