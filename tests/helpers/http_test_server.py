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
  /loop/KEY                   302 to itself (a Location of just the path), logged under KEY
  /silent                     reads the request and never answers, holding the connection
  /resumable/KEY/N?cut=AT&cuts=C&fail=F&ranges=ignore&reset=1
                              N pattern bytes, honouring "Range: bytes=S-" with a 206 (and a
                              416 from S = N on), logged under KEY; the first F requests are
                              answered 503; the body of each of the first C replies (default 1
                              when cut is given) stops after AT bytes, closed (with reset=1,
                              reset); with ranges=ignore every reply is the whole file
  /log/KEY                    what was logged under KEY: a line per request, its Range header
                              (or "-") and the status answered, as "bytes=5- 206"
  /tls/ports                  starts (once) an https server for each kind of certificate and
                              names their ports, a line each: "trusted=P", "wrong-name=P" (issued
                              to another name), "expired=P" and "self-signed=P" (issued by no
                              authority); all but the last are issued by a test authority of the
                              server's own, made with openssl at that moment, which the test
                              trusts by adding it to the Windows root store itself. They serve
                              the same paths as this server.
  /tls/ca.der                 that authority's certificate, DER encoded
  /record/KEY?reply=TEXT&repeat=N&type=TYPE
                              keeps the exact bytes of the request (request line, headers and
                              body) under KEY and answers TEXT repeated N times (default 1), with
                              Content-Type TYPE (default text/plain)
  /received/KEY               the bytes last kept under KEY (404 when none)
  /keep/NAME                  keeps the request's body as the file NAME
  /file/NAME[?anything]       the file NAME (404 when none), counting each time it is served
  /served/NAME                how many times /file/NAME was served, as decimal text
  /delay/MS                   every later request waits MS milliseconds before it is answered,
                              as over a distant network; /delay/0 ends that (itself not delayed)

A file NAME may span several path segments ("lib/part1/a.dll"); names past ASCII come
percent-encoded as UTF-8.

Every reply closes its connection. The standard library and the openssl program only; nothing
but 127.0.0.1 is used. Logged requests are printed as well, a line each.
"""

import argparse
import os
import shutil
import socket
import socketserver
import ssl
import struct
import subprocess
import sys
import tempfile
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
logged = {}
# Seconds every request waits before its answer (/delay/MS).
reply_delay = 0.0
tls_lock = threading.Lock()
tls_servers = {}
tls_authority = None
# How long /silent holds a connection: far past every time-out of the client's.
SILENT_SECONDS = 120
RESET_PAUSE_SECONDS = 0.5


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
        try:
            # A TLS connection's handshake happens here, on the connection's own thread.
            if isinstance(self.request, ssl.SSLSocket):
                self.request.do_handshake()
            request = self.read_request()
            if request is None:
                return
            method, target, raw = request
            path, _, query = target.partition("?")
            parts = [urllib.parse.unquote(p) for p in path.strip("/").split("/")]
            self.route(parts, urllib.parse.parse_qs(query), raw)
        except (OSError, ValueError):
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
        # Grown in place: a body of hundreds of megabytes (the bench keeps such files) would take
        # minutes as bytes copied whole at every piece.
        body = bytearray(body)
        while len(body) < length:
            piece = self.request.recv(1 << 20)
            if not piece:
                break
            body += piece
        return method, target, head + b"\r\n\r\n" + bytes(body)

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
        global reply_delay
        kind, args = parts[0], parts[1:]
        if kind == "delay":
            reply_delay = int(args[0]) / 1000.0
            self.send_head(200, [("Content-Length", "0")])
            return
        if reply_delay > 0:
            time.sleep(reply_delay)
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
        elif kind == "loop":
            log(args[0], header(raw, "range"), 302)
            self.send_head(302, [("Location", "/loop/" + args[0]), ("Content-Length", "0")])
        elif kind == "silent":
            self.request.settimeout(SILENT_SECONDS)
            while self.request.recv(65536):
                pass
        elif kind == "resumable":
            self.send_resumable(args[0], int(args[1]), query, header(raw, "range"))
        elif kind == "log":
            with recorded_lock:
                text = "".join(line + "\n" for line in logged.get(args[0], [])).encode("ascii")
            self.send_head(200, [("Content-Length", str(len(text)))], text)
        elif kind == "tls" and args == ["ports"]:
            text = start_tls_servers().encode("ascii")
            self.send_head(200, [("Content-Length", str(len(text)))], text)
        elif kind == "tls" and args == ["ca.der"] and tls_authority is not None:
            self.send_head(200, [("Content-Length", str(len(tls_authority)))], tls_authority)
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

    def send_resumable(self, key, size, query, range_header):
        # The product adds "?ts=..." to every URL, also after a query of its own.
        option = lambda name, default: query.get(name, [default])[0].partition("?")[0]
        with recorded_lock:
            count = len(logged.get(key, []))
            bodies = sum(1 for line in logged.get(key, []) if not line.endswith(" 503"))
        start = 0
        if range_header.startswith("bytes=") and range_header.endswith("-") and \
                option("ranges", "") != "ignore":
            start = int(range_header[len("bytes="):-1])
        if count < int(option("fail", "0")):
            log(key, range_header, 503)
            self.send_head(503, [("Content-Length", "0")])
            return
        if start >= size:
            log(key, range_header, 416)
            self.send_head(416, [("Content-Range", "bytes */%d" % size), ("Content-Length", "0")])
            return
        status = 206 if start > 0 else 200
        log(key, range_header, status)
        headers = [("Content-Length", str(size - start))]
        if status == 206:
            headers.append(("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size)))
        length = size - start
        cut = "cut" in query and bodies < int(option("cuts", "1"))
        if cut:
            length = min(length, int(option("cut", "0")))
        self.send_head(status, headers)
        self.send_pattern(start, length)
        if cut and option("reset", "") == "1":
            # Closed with a reset rather than an orderly end: what a dropped connection looks like.
            # The pause lets the client take in what was sent, which a reset would discard.
            time.sleep(RESET_PAUSE_SECONDS)
            self.request.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.request.close()

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


def header(raw, name):
    """The value of the request's header name (in lower case), or "-" when it has none."""
    for line in raw.partition(b"\r\n\r\n")[0].split(b"\r\n")[1:]:
        key, _, value = line.decode("latin-1").partition(":")
        if key.strip().lower() == name:
            return value.strip()
    return "-"


def log(key, range_header, status):
    line = "%s %d" % (range_header, status)
    with recorded_lock:
        logged.setdefault(key, []).append(line)
    print("%s: Range %s" % (key, line), flush=True)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    # Room for the connections a client opens at once: past the backlog the system drops them,
    # and the client tries again only after a second.
    request_queue_size = 64


class TlsServer(Server):
    """Serves the same paths over TLS with one certificate."""

    def __init__(self, context):
        super().__init__(("127.0.0.1", 0), Handler)
        self.context = context

    def get_request(self):
        connection, address = self.socket.accept()
        return self.context.wrap_socket(connection, server_side=True,
                                        do_handshake_on_connect=False), address


def openssl(*arguments, folder):
    subprocess.run(["openssl"] + list(arguments), cwd=folder, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_certificates(folder):
    """Writes an authority, leaf certificates it issues and a self-signed one into folder; returns
    {kind: certificate file} (the key of every leaf is leaf.key)."""
    with open(os.path.join(folder, "ca.cnf"), "w") as out:
        out.write("[ca]\ndefault_ca = test_ca\n[test_ca]\ndir = .\ndatabase = index.txt\n"
                  "new_certs_dir = .\nserial = serial\ndefault_md = sha256\npolicy = any\n"
                  "unique_subject = no\ncopy_extensions = copy\n[any]\n"
                  "commonName = supplied\n[leaf]\nbasicConstraints = CA:FALSE\n")
    open(os.path.join(folder, "index.txt"), "w").close()
    with open(os.path.join(folder, "serial"), "w") as out:
        out.write("1000\n")
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out",
            "ca.pem", "-days", "2", "-subj", "/CN=setup tests authority", folder=folder)
    openssl("x509", "-in", "ca.pem", "-outform", "DER", "-out", "ca.der", folder=folder)
    # Wine matches the name against a DNS entry; Windows against the IP address one.
    loopback = "subjectAltName=DNS:127.0.0.1,IP:127.0.0.1"
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "leaf.key", "-out", "good.csr",
            "-subj", "/CN=127.0.0.1", "-addext", loopback, folder=folder)
    openssl("req", "-new", "-key", "leaf.key", "-out", "wrong.csr", "-subj", "/CN=wrong.invalid",
            "-addext", "subjectAltName=DNS:wrong.invalid", folder=folder)
    issue = ["ca", "-batch", "-config", "ca.cnf", "-cert", "ca.pem", "-keyfile", "ca.key",
             "-extensions", "leaf"]
    openssl(*issue, "-in", "good.csr", "-out", "trusted.pem", "-days", "2", folder=folder)
    openssl(*issue, "-in", "wrong.csr", "-out", "wrong-name.pem", "-days", "2", folder=folder)
    openssl(*issue, "-in", "good.csr", "-out", "expired.pem", "-startdate", "20200101000000Z",
            "-enddate", "20200102000000Z", folder=folder)
    openssl("req", "-x509", "-new", "-key", "leaf.key", "-out", "self-signed.pem", "-days", "2",
            "-subj", "/CN=127.0.0.1", "-addext", loopback, folder=folder)
    return {kind: os.path.join(folder, kind + ".pem")
            for kind in ("trusted", "wrong-name", "expired", "self-signed")}


def start_tls_servers():
    """Starts the https servers on first use; returns their ports, "kind=port" a line."""
    global tls_authority
    with tls_lock:
        if not tls_servers:
            folder = tempfile.mkdtemp(prefix="http-test-server-tls-")
            try:
                for kind, certificate in make_certificates(folder).items():
                    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
                    context.load_cert_chain(certificate, os.path.join(folder, "leaf.key"))
                    server = TlsServer(context)
                    threading.Thread(target=server.serve_forever, daemon=True).start()
                    tls_servers[kind] = server
                with open(os.path.join(folder, "ca.der"), "rb") as der:
                    tls_authority = der.read()
            finally:
                shutil.rmtree(folder, ignore_errors=True)
        return "".join("%s=%d\n" % (kind, server.server_address[1])
                       for kind, server in sorted(tls_servers.items()))


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
