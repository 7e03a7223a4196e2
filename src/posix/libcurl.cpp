#include "posix/libcurl.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string>

namespace hv {
namespace {

// The library the headers the ports are built with describe.
constexpr char kLibcurl[] = "libcurl.so.4";

template <typename Function>
void resolve(void* library, Function& function, const char* name) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  if (function == nullptr)
    throw std::runtime_error(std::string(kLibcurl) + " has no " + name);
}

Libcurl load() {
  void* library = ::dlopen(kLibcurl, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr)
    throw std::runtime_error(std::string("libcurl could not be loaded: ") + ::dlerror());
  Libcurl l{};
  resolve(library, l.global_init, "curl_global_init");
  resolve(library, l.version_info, "curl_version_info");
  resolve(library, l.easy_init, "curl_easy_init");
  resolve(library, l.easy_cleanup, "curl_easy_cleanup");
  resolve(library, l.easy_setopt, "curl_easy_setopt");
  resolve(library, l.easy_getinfo, "curl_easy_getinfo");
  resolve(library, l.easy_pause, "curl_easy_pause");
  resolve(library, l.easy_strerror, "curl_easy_strerror");
  resolve(library, l.multi_init, "curl_multi_init");
  resolve(library, l.multi_cleanup, "curl_multi_cleanup");
  resolve(library, l.multi_setopt, "curl_multi_setopt");
  resolve(library, l.multi_add_handle, "curl_multi_add_handle");
  resolve(library, l.multi_remove_handle, "curl_multi_remove_handle");
  resolve(library, l.multi_socket_action, "curl_multi_socket_action");
  resolve(library, l.multi_info_read, "curl_multi_info_read");
  resolve(library, l.slist_append, "curl_slist_append");
  resolve(library, l.slist_free_all, "curl_slist_free_all");
  resolve(library, l.url, "curl_url");
  resolve(library, l.url_cleanup, "curl_url_cleanup");
  resolve(library, l.url_set, "curl_url_set");
  resolve(library, l.url_get, "curl_url_get");
  resolve(library, l.free, "curl_free");
  if (l.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
    throw std::runtime_error("libcurl could not be initialised");
  return l;
}

}  // namespace

// Loaded once and kept for the life of the process: handles made by it may live until exit.
const Libcurl& libcurl() {
  static const Libcurl loaded = load();
  return loaded;
}

}  // namespace hv
