#include "support/self_signed_tls_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace hv::testing {
namespace {

SSL_CTX* selfSignedContext() {
  EVP_PKEY* key = EVP_RSA_gen(2048);
  X509* certificate = X509_new();
  X509_set_version(certificate, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
  X509_gmtime_adj(X509_getm_notBefore(certificate), 0);
  X509_gmtime_adj(X509_getm_notAfter(certificate), 3600);
  X509_set_pubkey(certificate, key);
  X509_NAME* name = X509_get_subject_name(certificate);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("localhost"), -1, -1, 0);
  X509_set_issuer_name(certificate, name);
  X509_sign(certificate, key, EVP_sha256());
  SSL_CTX* context = SSL_CTX_new(TLS_server_method());
  if (key == nullptr || context == nullptr || SSL_CTX_use_certificate(context, certificate) != 1 ||
      SSL_CTX_use_PrivateKey(context, key) != 1)
    throw std::runtime_error("test certificate could not be made");
  X509_free(certificate);
  EVP_PKEY_free(key);
  return context;
}

}  // namespace

SelfSignedTlsServer::SelfSignedTlsServer() : context_(selfSignedContext()) {
  thread_ = std::thread([this] { serve(); });
}

SelfSignedTlsServer::~SelfSignedTlsServer() {
  listener_.wake();
  thread_.join();
  SSL_CTX_free(static_cast<SSL_CTX*>(context_));
}

// One connection at a time; a client that refuses the certificate ends the handshake at once.
void SelfSignedTlsServer::serve() {
  for (;;) {
    pollfd fds[2] = {{listener_.socket(), POLLIN, 0}, {listener_.wakeFd(), POLLIN, 0}};
    if (::poll(fds, 2, -1) <= 0 || fds[1].revents != 0)
      return;
    const int connection = ::accept4(listener_.socket(), nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0)
      continue;
    timeval limit{5, 0};
    ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    SSL* tls = SSL_new(static_cast<SSL_CTX*>(context_));
    SSL_set_fd(tls, connection);
    if (SSL_accept(tls) == 1) {
      const std::string reply =
          "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nConnection: close\r\n\r\nabc";
      SSL_write(tls, reply.data(), static_cast<int>(reply.size()));
      SSL_shutdown(tls);
    }
    SSL_free(tls);
    ::close(connection);
  }
}

}  // namespace hv::testing
