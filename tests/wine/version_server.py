#!/usr/bin/env python3
"""The update endpoint as the version check's Wine tests need it.

Serves HTTPS on 127.0.0.1 (with --cert and --key; the tests ask it as localhost) and plain
HTTP on a second port, and answers every GET with the reply of a case chosen by the first
segment of the path, e.g. /ok9/ad/zembrick/version.php?version=2.0.0.8. Besides the plain
replies there are servers that misbehave: one that trickles its body a byte at a time,
one that floods an endless body, one that stops in the middle of its body, and one that
accepts the connection and never answers.

    version_server.py --port-file FILE [--port N] [--lifetime SECONDS] [--cert PEM --key PEM]

Once listening it writes three lines to FILE: its port, a port on 127.0.0.1 where nothing
listens (for the "unreachable" case), and the plain HTTP port. It ends by itself after --lifetime seconds
whatever happens, and on SIGTERM or SIGINT. Python 3 standard library only.
"""

import argparse
import os
import select
import signal
import socket
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

# How long one misbehaving connection may last at most, so that nothing here outlives a
# test run even if the client never hangs up.
MAX_CONNECTION_SECONDS = 120

# Plain replies: path segment -> (HTTP status, body text).
REPLIES = {
    "ok9": (200, "2.0.0.9|x|Faster start|New icons|"),
    "nofinal": (200, "2.0.0.9|x|Faster start"),
    "same": (200, "2.0.0.8|"),
    "older": (200, "2.0.0.7|"),
    "three": (200, "3|"),
    "nobar": (200, "2.0.0.9"),
    "empty": (200, ""),
    "long500": (200, "2.0.0.9|x|" + "n" * 489 + "|"),
    "long501": (200, "2.0.0.9|x|" + "n" * 490 + "|"),
    "cn500": (200, "2.0.0.9|x|" + "新" * 489 + "|"),
    "cn": (200, "2.0.0.9|x|启动更快|全新图标|"),
    "crlf": (200, "2.0.0.9|x|first\r\nsecond|\r\n"),
    "error500": (500, "2.0.0.9|x|from an error page|"),
}


def client_gone(sock, wait):
    """True when the peer has closed its end (waits up to `wait` seconds to find out)."""
    readable, _, _ = select.select([sock], [], [], wait)
    if not readable:
        return False
    try:  # (a TLS socket cannot peek; nothing more is read from it anyway)
        return (sock.recv(1) if isinstance(sock, ssl.SSLSocket) else sock.recv(1, socket.MSG_PEEK)) == b""
    except (OSError, ValueError):
        return True


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"  # one request per connection; the body ends with it
    plain_port = 0
    last_echo = ""

    def log_message(self, fmt, *args):  # quiet: the test log is for the tests
        pass

    def case(self):
        parts = self.path.split("?", 1)[0].strip("/").split("/")
        return parts[0] if parts else ""

    def send_body(self, status, body, extra_headers=()):
        data = body.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        for name, value in extra_headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(data)

    def start_open_body(self):
        """Headers of a body without a length: it lasts until the connection closes."""
        self.send_response(200)
        self.send_header("Content-Type", "text/plain; charset=utf-8")
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.flush()

    def do_GET(self):
        case = self.case()
        if case in REPLIES:
            status, body = REPLIES[case]
            self.send_body(status, body)
        elif case == "echo":
            # What the request looked like: its path with the query, and the user agent.
            Handler.last_echo = "%s|%s|" % (self.path, self.headers.get("User-Agent", ""))
            self.send_body(200, "9.9.9.9|")
        elif case == "lastecho":
            self.send_body(200, Handler.last_echo)
        elif case == "tohttp":
            self.send_body(302, "", [("Location", "http://127.0.0.1:%d/ok9/" % Handler.plain_port)])
        elif case == "slow":
            time.sleep(3)
            self.send_body(200, "2.0.0.9|x|slow reply|")
        elif case == "split":
            # A valid reply whose UTF-8 sequences are cut across separate writes.
            data = "2.0.0.9|x|分段到达|".encode("utf-8")
            self.start_open_body()
            for i in range(0, len(data), 4):
                self.wfile.write(data[i:i + 4])
                self.wfile.flush()
                time.sleep(0.05)
        elif case == "trickle":
            # A valid-looking reply, a byte every half second, never finished.
            pattern = b"2.0.0.9|x|slow|"
            self.start_open_body()
            end = time.monotonic() + MAX_CONNECTION_SECONDS
            i = 0
            try:
                while time.monotonic() < end:
                    self.wfile.write(pattern[i % len(pattern):i % len(pattern) + 1])
                    self.wfile.flush()
                    i += 1
                    if client_gone(self.connection, 0.5):
                        break
            except OSError:
                pass
        elif case == "flood":
            # An endless body as fast as the client takes it.
            chunk = b"2.0.0.9|x|" + b"n" * 65536
            self.start_open_body()
            end = time.monotonic() + MAX_CONNECTION_SECONDS
            try:
                while time.monotonic() < end:
                    self.wfile.write(chunk)
            except OSError:
                pass
        elif case == "stall":
            # The start of a valid reply, then silence with the connection open.
            self.start_open_body()
            self.wfile.write(b"2.0.0.9|x|")
            self.wfile.flush()
            end = time.monotonic() + MAX_CONNECTION_SECONDS
            while time.monotonic() < end and not client_gone(self.connection, 0.5):
                pass
        elif case == "hang":
            # The request is taken and never answered; the connection stays open.
            end = time.monotonic() + MAX_CONNECTION_SECONDS
            while time.monotonic() < end and not client_gone(self.connection, 0.5):
                pass
            self.close_connection = True
        else:
            self.send_body(404, "no such case: %s" % case)


class TlsServer(ThreadingHTTPServer):
    """HTTPS; each handshake runs on its connection's own thread, at the handler's first read."""
    context = None

    def get_request(self):
        sock, address = super().get_request()
        return self.context.wrap_socket(sock, server_side=True, do_handshake_on_connect=False), address


def free_port():
    """A port on 127.0.0.1 that nothing listens on (taken and given back at once)."""
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--port", type=int, default=0, help="port to listen on (0: any free one)")
    parser.add_argument("--port-file", help="where to write the port and an unused port")
    parser.add_argument("--lifetime", type=float, default=1800, help="seconds until the server ends by itself")
    parser.add_argument("--cert", help="PEM certificate: serve HTTPS")
    parser.add_argument("--key", help="PEM private key of --cert")
    args = parser.parse_args()

    if args.cert:
        TlsServer.context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        TlsServer.context.load_cert_chain(args.cert, args.key)
    server = (TlsServer if args.cert else ThreadingHTTPServer)(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    port = server.server_address[1]
    plain = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    plain.daemon_threads = True
    Handler.plain_port = plain.server_address[1]
    threading.Thread(target=plain.serve_forever, daemon=True).start()
    closed = free_port()
    while closed == port:
        closed = free_port()

    def stop(*_):
        os._exit(0)  # handler threads may be asleep in a misbehaving case: do not wait for them

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    timer = threading.Timer(args.lifetime, stop)
    timer.daemon = True
    timer.start()

    if args.port_file:
        # Written whole, after the socket listens: a reader never sees half a file.
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n%d\n%d\n" % (port, closed, Handler.plain_port))
        os.replace(tmp, args.port_file)
    print("version server on 127.0.0.1:%d (nothing on %d)" % (port, closed), flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
