#include "platform/services/curl_library.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdarg>

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

} // namespace

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

// The one value after the option is a long, a pointer, a function or a curl_off_t, told by the
// option's number, as libcurl itself reads it.
CURLcode curl_easy_setopt(CURL* curl, CURLoption option, ...)
{
    VELMORA_CURL_REAL(curl_easy_setopt);
    if (!f)
        return CURLE_FAILED_INIT;
    va_list args;
    va_start(args, option);
    CURLcode result;
    if (option < CURLOPTTYPE_OBJECTPOINT)
        result = f(curl, option, va_arg(args, long));
    else if (option < CURLOPTTYPE_FUNCTIONPOINT)
        result = f(curl, option, va_arg(args, void*));
    else if (option < CURLOPTTYPE_OFF_T)
        result = f(curl, option, va_arg(args, void (*)()));
    else if (option < CURLOPTTYPE_BLOB)
        result = f(curl, option, va_arg(args, curl_off_t));
    else
        result = f(curl, option, va_arg(args, void*));
    va_end(args);
    return result;
}

// Every query takes one pointer to where the answer goes.
CURLcode curl_easy_getinfo(CURL* curl, CURLINFO info, ...)
{
    VELMORA_CURL_REAL(curl_easy_getinfo);
    if (!f)
        return CURLE_FAILED_INIT;
    va_list args;
    va_start(args, info);
    const CURLcode result = f(curl, info, va_arg(args, void*));
    va_end(args);
    return result;
}

CURLcode curl_easy_perform(CURL* curl)
{
    VELMORA_CURL_REAL(curl_easy_perform);
    return f ? f(curl) : CURLE_FAILED_INIT;
}

const char* curl_easy_strerror(CURLcode code)
{
    VELMORA_CURL_REAL(curl_easy_strerror);
    return f ? f(code) : "libcurl could not be loaded";
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
