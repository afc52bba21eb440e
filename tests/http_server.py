#!/usr/bin/env python3
"""A scripted HTTP server for the network tests, on loopback only.

Prints "PORT <port> REFUSED <port>" once it listens: the first port serves the
routes below, the second is bound but never listens, so connecting to it is
refused. It stops by itself after LIFETIME seconds (the one argument, 300 if none).

  /reply?status=N&body=TEXT&delay=MS   that status and body, after a delay
  /redirect/N                          a chain of N redirects, then "arrived after N"
  /big?size=N&chunked=1                a body of N bytes (default 1 MiB + 1)
  /cut                                 declares 1000 bytes, sends 100, closes
  /silent                              reads the request and never answers
  /dimmscope/dimmscope.ini             a links file
  /tavo/check.php                      the update reply set through /__control
  /__control?reply=TEXT&delay=MS&mode=normal|cut   sets the update reply, counts from 0
  /__last_check                        the last update request's target and headers, and the count
"""
import http.server
import os
import socket
import socketserver
import sys
import threading
import time
import urllib.parse


class State:
    lock = threading.Lock()
    reply, delay, mode, count, last = b"1.8.0.20", 0.0, "normal", 0, b""


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):  # quiet: the tests print what matters
        pass

    def send(self, status, body, headers=(), length=-1):  # length None: no Content-Length
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        if length is not None:
            self.send_header("Content-Length", str(len(body) if length == -1 else length))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        self.close_connection = True

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = dict(urllib.parse.parse_qsl(url.query, keep_blank_values=True))
        path, delay = url.path, min(int(query.get("delay", "0")), 30000) / 1000.0
        lines = [self.requestline.split(" ")[1]] + ["%s: %s" % item for item in self.headers.items()]
        request = ("\r\n".join(lines) + "\r\n").encode("latin-1")
        if path == "/reply":
            time.sleep(delay)
            self.send(int(query.get("status", "200")), query.get("body", "").encode("latin-1"))
        elif path.startswith("/redirect/"):
            left, of = int(path[10:]), query.get("of", path[10:])
            if left > 0:
                self.send(302, b"moved", [("Location", "/redirect/%d?of=%s" % (left - 1, of))])
            else:
                self.send(200, b"arrived after " + of.encode())
        elif path == "/big":
            size = int(query.get("size", str(1024 * 1024 + 1)))
            if query.get("chunked") == "1":
                pieces = [b"y" * min(left, 65536) for left in range(size, 0, -65536)]
                body = b"".join(b"%x\r\n%s\r\n" % (len(piece), piece) for piece in pieces) + b"0\r\n\r\n"
                self.send(200, body, [("Transfer-Encoding", "chunked")], length=None)
            else:
                self.send(200, b"y" * size)
        elif path == "/cut":
            self.send(200, b"x" * 100, length=1000)
        elif path == "/silent":
            time.sleep(LIFETIME)
        elif path == "/dimmscope/dimmscope.ini":
            self.send(200, b"[links]\r\nram=http://www.example.com/ram\r\n")
        elif path == "/tavo/check.php":
            with State.lock:
                State.count += 1
                State.last = request
                reply, delay, mode = State.reply, State.delay, State.mode
            time.sleep(delay)
            self.close_connection = True
            if mode != "cut":
                self.send(200, reply)
        elif path == "/__control":
            with State.lock:
                State.reply, State.delay, State.count = query.get("reply", "").encode("latin-1"), delay, 0
                State.mode = query.get("mode", "normal")
            self.send(200, b"ok")
        elif path == "/__last_check":
            with State.lock:
                self.send(200, State.last + b"count: %d\r\n" % State.count)
        else:
            self.send(404, b"not found")


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = False

    def handle_error(self, request, client_address):
        pass  # clients that give up early (abandoned requests, bodies over the cap) are expected


if __name__ == "__main__":
    LIFETIME = float(sys.argv[1]) if len(sys.argv) > 1 else 300.0
    server = Server(("127.0.0.1", 0), Handler)
    refused = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    refused.bind(("127.0.0.1", 0))  # bound, never listening: connections are refused
    print("PORT %d REFUSED %d" % (server.server_address[1], refused.getsockname()[1]), flush=True)
    threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True).start()
    time.sleep(LIFETIME)
    os._exit(0)  # handlers still asleep in /silent are not waited for
