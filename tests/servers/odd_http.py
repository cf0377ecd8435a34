#!/usr/bin/python3
"""HTTP answers that a plain static server does not give, for the transfer
tests. Sizes and delays come from the query string.

  /redirect/PATH             302 to http://127.0.0.1:$UPDATER_HTTP_PORT/PATH (nginx)
  /status/CODE               that status with a short HTML page
  /nolength?size=N           200, N bytes, no Content-Length (connection closes)
  /cut?size=N                declares N bytes, sends half of them, closes
  /reset?size=N              declares N bytes, sends half of them, resets the connection
  /lying?size=N&sent=M       declares N bytes (any size), sends M of them, closes
  /slow?size=N&chunk=C&delay=S&id=T
                             N bytes in pieces of C, S seconds apart
  /echo/ANYTHING             200, the request line and headers as sent
  /count?id=T                how many requests carried id=T so far
  /hops/N/PATH               302 to /hops/N-1/PATH; /hops/1/PATH as /redirect/PATH
  /loop                      302 to itself
  /to_https/PATH             302 to the HTTPS server (UPDATER_HTTPS_PORT)
  /overlong?size=N&extra=M&delay=S
                             declares N bytes but sends N+M, chunked; the
                             pieces after the first N bytes S seconds apart
  /silent                    reads the request, then answers nothing until
                             the client goes away
  /dribble?delay=S           the status line and headers one byte every S
                             seconds, then a short body
  /range?size=N&mode=M&id=T  a request for "Range: bytes=S-" answered as M says:
                             honour (206 from S), ignore (200, the whole body),
                             shifted (206 from 1000 bytes before S); without
                             a Range header 200, the whole body
  /ranges?id=T               the Range headers of the requests that carried
                             id=T so far, "-" for none, joined by ","
All bodies are the repeating bytes 0, 1, ..., 250 from the file's start.
"""
import collections
import http.server
import os
import socket
import socketserver
import struct
import sys
import threading
import time
import urllib.parse

REDIRECT_BASE = "http://127.0.0.1:%s/" % os.environ.get("UPDATER_HTTP_PORT", "18080")
HTTPS_BASE = "https://127.0.0.1:%s/" % os.environ.get("UPDATER_HTTPS_PORT", "18443")
counts = collections.Counter()
ranges = collections.defaultdict(list)
counts_lock = threading.Lock()


def body_bytes(start, length):
    """The test pattern: byte i of a body is i % 251 (251 is prime, so a block
    that lands at the wrong offset does not match)."""
    return bytes((start + i) % 251 for i in range(length))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "odd_http"

    def log_message(self, fmt, *args):
        sys.stderr.write("%s %s\n" % (self.log_date_time_string(), fmt % args))

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = {k: v[0] for k, v in urllib.parse.parse_qs(url.query).items()}
        size = int(query.get("size", "65536"))
        route = url.path.split("/")[1] if "/" in url.path else ""
        if "id" in query and route not in ("count", "ranges"):
            with counts_lock:
                counts[query["id"]] += 1
                ranges[query["id"]].append(self.headers.get("Range", "-"))
        handler = getattr(self, "route_" + route, None)
        if handler is None:
            self.simple(404, b"<html><body>no such route</body></html>")
        else:
            handler(url, query, size)

    def simple(self, code, body, headers=()):
        self.send_response(code)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def route_redirect(self, url, query, size):
        target = REDIRECT_BASE + url.path[len("/redirect/"):]
        self.simple(302, b"<html><body>moved</body></html>", [("Location", target)])

    def route_hops(self, url, query, size):
        _, _, count, rest = url.path.split("/", 3)
        left = int(count) - 1
        target = "/hops/%d/%s" % (left, rest) if left > 0 else REDIRECT_BASE + rest
        self.simple(302, b"<html><body>moved</body></html>", [("Location", target)])

    def route_loop(self, url, query, size):
        self.simple(302, b"<html><body>moved</body></html>", [("Location", "/loop")])

    def route_to_https(self, url, query, size):
        target = HTTPS_BASE + url.path[len("/to_https/"):]
        self.simple(302, b"<html><body>moved</body></html>", [("Location", target)])

    def route_overlong(self, url, query, size):
        extra = int(query.get("extra", "1048576"))
        delay = float(query.get("delay", "0"))
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size))
        self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        sent, total = 0, size + extra
        try:
            while sent < total:
                n = min(65536, total - sent)
                self.wfile.write(b"%x\r\n" % n + body_bytes(sent, n) + b"\r\n")
                sent += n
                if delay and sent > size:
                    self.wfile.flush()
                    time.sleep(delay)
            self.wfile.write(b"0\r\n\r\n")
        except (BrokenPipeError, ConnectionResetError):
            pass
        self.close_connection = True

    def route_silent(self, url, query, size):
        try:
            while self.connection.recv(4096):
                pass
        except OSError:
            pass
        self.close_connection = True

    def route_dribble(self, url, query, size):
        delay = float(query.get("delay", "5"))
        head = b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 2\r\n\r\n"
        try:
            for i in range(len(head)):
                self.wfile.write(head[i:i + 1])
                self.wfile.flush()
                time.sleep(delay)
            self.wfile.write(b"ok")
        except (BrokenPipeError, ConnectionResetError):
            pass
        self.close_connection = True

    def route_status(self, url, query, size):
        code = int(url.path.split("/")[2])
        self.simple(code, b"<html><body>status %d: an error page long enough to look like content</body></html>" % code)

    def route_nolength(self, url, query, size):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body_bytes(0, size))
        self.close_connection = True

    def send_half(self, size):
        """Headers for `size` bytes, then only the first half of them."""
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size))
        self.end_headers()
        self.wfile.write(body_bytes(0, size // 2))
        self.wfile.flush()
        self.close_connection = True

    def route_cut(self, url, query, size):
        self.send_half(size)

    def route_lying(self, url, query, size):
        sent = int(query.get("sent", "1000"))
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size))
        self.end_headers()
        try:
            done = 0
            while done < sent:
                n = min(65536, sent - done)
                self.wfile.write(body_bytes(done, n))
                done += n
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            pass
        self.close_connection = True

    def route_reset(self, url, query, size):
        self.send_half(size)
        time.sleep(0.2)  # let the half arrive before the reset
        # Linger on with a time of 0: close sends RST instead of FIN.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.connection.close()

    def route_slow(self, url, query, size):
        chunk = int(query.get("chunk", "1024"))
        delay = float(query.get("delay", "0.02"))
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size))
        self.end_headers()
        sent = 0
        try:
            while sent < size:
                n = min(chunk, size - sent)
                self.wfile.write(body_bytes(sent, n))
                self.wfile.flush()
                sent += n
                if sent < size:
                    time.sleep(delay)
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    def route_echo(self, url, query, size):
        # The raw request as it arrived: request line, then the headers.
        lines = [self.requestline] + ["%s: %s" % item for item in self.headers.items()]
        self.simple(200, ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1"), [("Content-Type", "text/plain")])

    def route_count(self, url, query, size):
        with counts_lock:
            n = counts[query.get("id", "")]
        self.simple(200, str(n).encode())


    def route_range(self, url, query, size):
        mode = query.get("mode", "honour")
        asked = self.headers.get("Range", "")
        start = None
        if asked.startswith("bytes=") and asked.endswith("-") and mode != "ignore":
            start = int(asked[len("bytes="):-1])
            if mode == "shifted":
                start = max(0, start - 1000)
        self.send_response(200 if start is None else 206)
        self.send_header("Content-Type", "application/octet-stream")
        if start is None:
            start = 0
        else:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size))
        self.send_header("Content-Length", str(size - start))
        self.end_headers()
        try:
            self.wfile.write(body_bytes(start, size - start))
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    def route_ranges(self, url, query, size):
        with counts_lock:
            asked = list(ranges[query.get("id", "")])
        self.simple(200, ",".join(asked).encode())


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


if __name__ == "__main__":
    port = int(sys.argv[1]) if len(sys.argv) > 1 else 18081
    Server(("127.0.0.1", port), Handler).serve_forever()
