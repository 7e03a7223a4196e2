#pragma once

#include <curl/curl.h>

namespace hv {

// The libcurl calls the POSIX ports make. libcurl and the TLS and protocol libraries behind it
// are loaded the first time a transfer needs them rather than when the program starts: loading
// them is most of the start-up of a command that never transfers (detect, register, the
// messaging host answering the detection properties).
struct Libcurl {
  decltype(&::curl_global_init) global_init;
  decltype(&::curl_version_info) version_info;
  decltype(&::curl_easy_init) easy_init;
  decltype(&::curl_easy_cleanup) easy_cleanup;
  decltype(&::curl_easy_setopt) easy_setopt;
  decltype(&::curl_easy_getinfo) easy_getinfo;
  decltype(&::curl_easy_pause) easy_pause;
  decltype(&::curl_easy_strerror) easy_strerror;
  decltype(&::curl_multi_init) multi_init;
  decltype(&::curl_multi_cleanup) multi_cleanup;
  decltype(&::curl_multi_setopt) multi_setopt;
  decltype(&::curl_multi_add_handle) multi_add_handle;
  decltype(&::curl_multi_remove_handle) multi_remove_handle;
  decltype(&::curl_multi_socket_action) multi_socket_action;
  decltype(&::curl_multi_info_read) multi_info_read;
  decltype(&::curl_slist_append) slist_append;
  decltype(&::curl_slist_free_all) slist_free_all;
  decltype(&::curl_url) url;
  decltype(&::curl_url_cleanup) url_cleanup;
  decltype(&::curl_url_set) url_set;
  decltype(&::curl_url_get) url_get;
  decltype(&::curl_free) free;
};

// libcurl, loaded and initialised on the first call. Throws std::runtime_error, saying why, when
// it cannot be loaded or initialised.
const Libcurl& libcurl();

}  // namespace hv
