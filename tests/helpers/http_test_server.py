#!/usr/bin/env python3
"""The HTTP server of the network tests: bound to 127.0.0.1 on a free port, which it writes to
the file named by --port-file once it is listening. Each reply's kind is chosen by its path:

  /body/N[/anything]          N bytes (byte i is i % 251) with their Content-Length
  /no-length/N                N bytes without a Content-Length, ended by closing the connection
  /more/N/EXTRA               announces N bytes, sends N + EXTRA
  /fewer/N/SENT               announces N bytes, sends SENT, then closes the connection
  /trickle/PIECES/SIZE/MS     PIECES * SIZE bytes, one piece every MS milliseconds
  /status/CODE                that status with an empty body (302 without a Location)
  /redirect/PATH              302 to /PATH on this server
  /record/KEY?reply=TEXT&repeat=N&type=TYPE
                              keeps the exact bytes of the request (request line, headers and
                              body) under KEY and answers TEXT repeated N times (default 1), with
                              Content-Type TYPE (default text/plain)
  /received/KEY               the bytes last kept under KEY (404 when none)
  /keep/NAME                  keeps the request's body as the file NAME
  /file/NAME[?anything]       the file NAME (404 when none), counting each time it is served
  /served/NAME                how many times /file/NAME was served, as decimal text

A file NAME may span several path segments ("lib/part1/a.dll"); names past ASCII come
percent-encoded as UTF-8.

Every reply closes its connection. Standard library only; nothing but 127.0.0.1 is used.
"""

import argparse
import os
import socketserver
import threading
import time
import urllib.parse

PATTERN_PERIOD = 251
# A block whose length is a multiple of the period, so the pattern can be sent block by block.
PATTERN_BLOCK = bytes(i % PATTERN_PERIOD for i in range(PATTERN_PERIOD * 261))
MAX_HEAD_BYTES = 65536

recorded = {}
recorded_lock = threading.Lock()
files = {}
served = {}


def pattern(start, length):
    """Bytes start .. start + length of the endless pattern."""
    offset = start % PATTERN_PERIOD
    out = bytearray()
    while len(out) < length:
        take = min(length - len(out), len(PATTERN_BLOCK) - offset)
        out += PATTERN_BLOCK[offset:offset + take]
        offset = 0
    return bytes(out)


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        request = self.read_request()
        if request is None:
            return
        method, target, raw = request
        path, _, query = target.partition("?")
        parts = [urllib.parse.unquote(p) for p in path.strip("/").split("/")]
        try:
            self.route(parts, urllib.parse.parse_qs(query), raw)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def read_request(self):
        data = b""
        while b"\r\n\r\n" not in data:
            piece = self.request.recv(65536)
            if not piece or len(data) > MAX_HEAD_BYTES:
                return None
            data += piece
        head, _, body = data.partition(b"\r\n\r\n")
        lines = head.split(b"\r\n")
        method, target, _ = lines[0].decode("latin-1").split(" ", 2)
        length = 0
        for line in lines[1:]:
            name, _, value = line.decode("latin-1").partition(":")
            if name.strip().lower() == "content-length":
                length = int(value.strip())
        while len(body) < length:
            piece = self.request.recv(65536)
            if not piece:
                break
            body += piece
        return method, target, head + b"\r\n\r\n" + body

    def send_head(self, status, headers, body=b""):
        reasons = {200: "OK", 204: "No Content", 302: "Found", 404: "Not Found"}
        lines = ["HTTP/1.1 %d %s" % (status, reasons.get(status, "Status"))]
        lines += ["%s: %s" % header for header in headers]
        lines.append("Connection: close")
        self.request.sendall(("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body)

    def send_body(self, length, announced):
        """length pattern bytes, announced as Content-Length unless announced is None."""
        headers = [] if announced is None else [("Content-Length", str(announced))]
        # The head and the first block leave as one piece, so the client's first read takes in
        # body bytes too (with /more, also those past the announced end).
        first = pattern(0, min(len(PATTERN_BLOCK), length))
        self.send_head(200, headers, first)
        self.send_pattern(len(first), length - len(first))

    def send_pattern(self, start, length):
        sent = 0
        while sent < length:
            piece = pattern(start + sent, min(len(PATTERN_BLOCK), length - sent))
            self.request.sendall(piece)
            sent += len(piece)

    def route(self, parts, query, raw):
        kind, args = parts[0], parts[1:]
        if kind == "body":
            self.send_body(int(args[0]), int(args[0]))
        elif kind == "no-length":
            self.send_body(int(args[0]), None)
        elif kind == "more":
            self.send_body(int(args[0]) + int(args[1]), announced=int(args[0]))
        elif kind == "fewer":
            self.send_body(int(args[1]), announced=int(args[0]))
        elif kind == "trickle":
            pieces, size, pause = int(args[0]), int(args[1]), int(args[2]) / 1000.0
            self.send_head(200, [("Content-Length", str(pieces * size))])
            for piece in range(pieces):
                time.sleep(pause)
                self.send_pattern(piece * size, size)
        elif kind == "status":
            self.send_head(int(args[0]), [] if args[0] == "204" else [("Content-Length", "0")])
        elif kind == "redirect":
            location = "http://127.0.0.1:%d/%s" % (self.server.server_address[1], "/".join(args))
            self.send_head(302, [("Location", location), ("Content-Length", "0")])
        elif kind == "record":
            with recorded_lock:
                recorded[args[0]] = raw
            text = query.get("reply", [""])[0] * int(query.get("repeat", ["1"])[0])
            reply = text.encode("utf-8")
            content_type = query.get("type", ["text/plain"])[0]
            self.send_head(200, [("Content-Type", content_type),
                                 ("Content-Length", str(len(reply)))], reply)
        elif kind == "keep":
            with recorded_lock:
                files["/".join(args)] = raw.partition(b"\r\n\r\n")[2]
            self.send_head(200, [("Content-Length", "0")])
        elif kind == "file":
            if self.serve_file("/".join(args)) is None:
                self.send_head(404, [("Content-Length", "0")])
        elif kind == "served":
            with recorded_lock:
                count = str(served.get("/".join(args), 0)).encode("ascii")
            self.send_head(200, [("Content-Length", str(len(count)))], count)
        elif kind == "received" and self.recorded(args[0]) is not None:
            kept = self.recorded(args[0])
            self.send_head(200, [("Content-Length", str(len(kept)))], kept)
        else:
            self.send_head(404, [("Content-Length", "0")])

    def serve_file(self, name):
        """Sends the file and counts it; None when there is no such file."""
        with recorded_lock:
            body = files.get(name)
            if body is not None:
                served[name] = served.get(name, 0) + 1
        if body is not None:
            self.send_head(200, [("Content-Length", str(len(body)))], body)
        return body

    @staticmethod
    def recorded(key):
        with recorded_lock:
            return recorded.get(key)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    arguments = parser.parse_args()
    with Server(("127.0.0.1", 0), Handler) as server:
        # Written whole under another name first, so a reader never sees half a number.
        partial = arguments.port_file + ".partial"
        with open(partial, "w") as out:
            out.write(str(server.server_address[1]))
        os.replace(partial, arguments.port_file)
        server.serve_forever()


if __name__ == "__main__":
    main()
