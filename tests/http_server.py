#!/usr/bin/env python3
"""A scripted HTTP server for the network tests, on loopback only.

Prints "PORT <port> REFUSED <port>" once it listens: the first port serves the
routes below, the second is bound but never listens, so connecting to it is
refused. It stops by itself after --lifetime seconds or --max-requests
requests, whichever comes first.

Routes:
  /reply?status=N&body=TEXT&delay=MS   that status and body, after a delay
  /redirect/N                          a chain of N redirects, then "arrived after N"
  /big?size=N&chunked=1                a body of N bytes (default 1 MiB + 1)
  /cut                                 declares 1000 bytes, sends 100, closes
  /silent                              reads the request and never answers
  /echo                                the request line and headers as the body
  /dimmscope/dimmscope.ini             a links file
  /tavo/check.php                      the update reply set through /__control
  /__control?reply=TEXT&delay=MS&mode=normal|cut   sets the update reply
  /__last_check                        the last update request's target and headers
"""
import argparse
import http.server
import os
import socket
import socketserver
import sys
import threading
import time
import urllib.parse

LINKS_FILE = b"[links]\r\nram=http://www.example.com/ram\r\n"


class State:
    lock = threading.Lock()
    check_reply = b"1.8.0.20"
    check_delay = 0.0
    check_mode = "normal"
    check_count = 0
    last_check = b""
    requests = 0
    stop = threading.Event()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    timeout = 60

    def log_message(self, format, *args):  # quiet: the tests print what matters
        pass

    def send_body(self, status, body, headers=()):
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        self.close_connection = True

    def do_GET(self):
        with State.lock:
            State.requests += 1
            if State.requests >= ARGS.max_requests:
                State.stop.set()
        url = urllib.parse.urlsplit(self.path)
        query = dict(urllib.parse.parse_qsl(url.query, keep_blank_values=True))
        path = url.path
        if path == "/reply":
            time.sleep(min(int(query.get("delay", "0")), 30000) / 1000.0)
            self.send_body(int(query.get("status", "200")), query.get("body", "").encode("latin-1"))
        elif path.startswith("/redirect/"):
            left = int(path[len("/redirect/"):])
            if left <= 0:
                self.send_body(200, b"arrived after %d" % int(query.get("of", "0")))
            else:
                target = "/redirect/%d?of=%s" % (left - 1, query.get("of", str(left)))
                self.send_body(302, b"moved", [("Location", target)])
        elif path == "/big":
            size = int(query.get("size", str(1024 * 1024 + 1)))
            self.send_big(size, query.get("chunked") == "1")
        elif path == "/cut":
            self.send_response(200)
            self.send_header("Content-Length", "1000")
            self.end_headers()
            self.wfile.write(b"x" * 100)
            self.wfile.flush()
            self.close_connection = True
        elif path == "/silent":
            State.stop.wait(min(ARGS.lifetime, 60))
            self.close_connection = True
        elif path == "/echo":
            self.send_body(200, self.request_text())
        elif path == "/dimmscope/dimmscope.ini":
            self.send_body(200, LINKS_FILE)
        elif path == "/tavo/check.php":
            with State.lock:
                State.check_count += 1
                State.last_check = self.request_text()
                reply, delay, mode = State.check_reply, State.check_delay, State.check_mode
            time.sleep(delay)
            if mode == "cut":
                self.close_connection = True
                return
            self.send_body(200, reply)
        elif path == "/__control":
            with State.lock:
                if "reply" in query:
                    State.check_reply = query["reply"].encode("latin-1")
                State.check_delay = min(int(query.get("delay", "0")), 30000) / 1000.0
                State.check_mode = query.get("mode", "normal")
            self.send_body(200, b"ok")
        elif path == "/__last_check":
            with State.lock:
                body = State.last_check + b"count: %d\r\n" % State.check_count
            self.send_body(200, body)
        else:
            self.send_body(404, b"not found")

    def request_text(self):
        lines = [self.requestline.split(" ")[1]] + ["%s: %s" % item for item in self.headers.items()]
        return ("\r\n".join(lines) + "\r\n").encode("latin-1")

    def send_big(self, size, chunked):
        self.send_response(200)
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_header("Content-Length", str(size))
        self.send_header("Connection", "close")
        self.end_headers()
        block = b"y" * 65536
        left = size
        try:
            while left > 0:
                piece = block[: min(left, len(block))]
                self.wfile.write((b"%x\r\n" % len(piece) + piece + b"\r\n") if chunked else piece)
                left -= len(piece)
            if chunked:
                self.wfile.write(b"0\r\n\r\n")
        except OSError:
            pass  # the client gave up, as it should for an oversized body
        self.close_connection = True


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = False

    def handle_error(self, request, client_address):
        pass  # clients that give up early (abandoned or capped requests) are expected


def main():
    server = Server(("127.0.0.1", 0), Handler)
    refused = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    refused.bind(("127.0.0.1", 0))  # bound, never listening: connections are refused
    print("PORT %d REFUSED %d" % (server.server_address[1], refused.getsockname()[1]), flush=True)
    worker = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True)
    worker.start()
    State.stop.wait(ARGS.lifetime)
    State.stop.set()
    server.shutdown()
    server.server_close()
    refused.close()
    os._exit(0)  # do not wait for a handler still sleeping in /silent


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lifetime", type=float, default=300.0, help="seconds before the server stops")
    parser.add_argument("--max-requests", type=int, default=2000, help="requests before the server stops")
    ARGS = parser.parse_args()
    sys.exit(main())
