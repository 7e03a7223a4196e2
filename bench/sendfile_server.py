#!/usr/bin/env python3
"""A fast loopback HTTP file server for the download comparison.

Serves the files of one folder on 127.0.0.1 with sendfile(2), so the server costs next to
nothing and the clients' own work is what gets measured. Prints the chosen port on its first
line and runs until killed.
"""
import http.server
import os
import socketserver
import sys


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        path = os.path.join(self.server.folder, os.path.basename(self.path.split("?")[0]))
        try:
            f = open(path, "rb")
        except OSError:
            self.send_error(404, "Not Found")
            return
        with f:
            size = os.fstat(f.fileno()).st_size
            self.send_response(200)
            self.send_header("Content-Length", str(size))
            self.send_header("Content-Type", "application/octet-stream")
            self.end_headers()
            self.wfile.flush()
            offset = 0
            while offset < size:
                sent = os.sendfile(self.connection.fileno(), f.fileno(), offset, size - offset)
                if sent == 0:
                    break
                offset += sent

    def log_message(self, *args):
        pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


def main():
    server = Server(("127.0.0.1", 0), Handler)
    server.folder = sys.argv[1]
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
