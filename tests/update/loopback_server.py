#!/usr/bin/env python3
"""Web servers on the loopback interface for the HTTP client's tests.

Usage: loopback_server.py FOLDER [--tls]

Prints one JSON line with its ports, then serves until its standard input
closes (so it never outlives the test process). With --tls it also makes, in
FOLDER, a test certificate authority ("ca.pem") and three HTTPS servers whose
certificates it signed: one valid for 127.0.0.1, one naming another host and
one that has expired.

Paths:
  /reply?body=TEXT[&status=N]  TEXT as the body, status N (200)
  /redirect?to=URL             302 to URL, with a body of its own
  /loop                        302 to itself
  /zero                        a 1024-byte chunk cut by a zero byte, then more
  /size?n=N                    N bytes of a repeating pattern
  /drop                        announces 5000 bytes, sends 2000, hangs up
  /, /echo...                  the request line and headers as received
  /hang                        prints "hang" on standard output, then waits
                               until the client goes away
  absolute URL (proxy form)    "proxied " and the URL
  anything else                404 with an HTML page
"""

import http.server
import json
import os
import ssl
import subprocess
import sys
import threading
import urllib.parse

NOT_FOUND_PAGE = (b"<html><head><title>404 Not Found</title></head>"
                  b"<body><h1>Not Found</h1></body></html>")
PATTERN = bytes(range(ord("a"), ord("z") + 1))
stdout_lock = threading.Lock()


def announce(line):
    with stdout_lock:
        sys.stdout.write(line + "\n")
        sys.stdout.flush()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def send_body(self, status, body, content_type="text/plain"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if self.path.startswith("http://") or self.path.startswith("https://"):
            self.send_body(200, b"proxied " + self.path.encode())
            return
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        if url.path == "/reply":
            body = query.get("body", [""])[0].encode("utf-8")
            self.send_body(int(query.get("status", ["200"])[0]), body)
        elif url.path == "/redirect":
            self.send_response(302)
            self.send_header("Location", query["to"][0])
            body = b"<html><body>Moved</body></html>"
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
        elif url.path == "/loop":
            self.send_response(302)
            self.send_header("Location", "/loop")
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif url.path == "/zero":
            self.send_body(200, b"A" * 10 + b"\0" + b"B" * 1013 + b"C" * 100)
        elif url.path == "/size":
            n = int(query["n"][0])
            self.send_body(200, (PATTERN * (n // len(PATTERN) + 1))[:n])
        elif url.path == "/drop":
            self.send_response(200)
            self.send_header("Content-Length", "5000")
            self.end_headers()
            self.wfile.write(b"D" * 2000)
            self.wfile.flush()
            self.close_connection = True
        elif url.path == "/" or url.path.startswith("/echo"):
            text = self.requestline + "\r\n" + str(self.headers)
            self.send_body(200, text.encode())
        elif url.path == "/hang":
            announce("hang")
            self.connection.settimeout(None)
            while self.connection.recv(1024):
                pass
        else:
            self.send_body(404, NOT_FOUND_PAGE, "text/html")


def serve(context=None):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    if context is not None:
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def openssl(folder, *args):
    subprocess.run(["openssl", *args], cwd=folder, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_certificates(folder):
    """The authority and three server certificates it signs, with EC keys."""
    ec = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
    openssl(folder, "req", "-x509", *ec, "-keyout", "ca.key", "-out", "ca.pem",
            "-days", "2", "-subj", "/CN=Brisklane Test Authority")
    with open(os.path.join(folder, "ca.cnf"), "w") as cnf:
        cnf.write("[ca]\ndefault_ca = test\n[test]\ndatabase = index.txt\n"
                  "new_certs_dir = .\nserial = serial\ndefault_md = sha256\n"
                  "policy = any\ncopy_extensions = copy\nunique_subject = no\n"
                  "[any]\ncommonName = supplied\n")
    open(os.path.join(folder, "index.txt"), "w").close()
    with open(os.path.join(folder, "serial"), "w") as serial:
        serial.write("1000\n")
    leaves = {
        "valid": ("IP:127.0.0.1", []),
        "wronghost": ("DNS:other.example", []),
        "expired": ("IP:127.0.0.1", ["-startdate", "20200101000000Z", "-enddate", "20200201000000Z"]),
    }
    for name, (alt_name, dates) in leaves.items():
        openssl(folder, "req", *ec, "-keyout", name + ".key", "-out", name + ".csr",
                "-subj", "/CN=" + name, "-addext", "subjectAltName=" + alt_name)
        openssl(folder, "ca", "-batch", "-notext", "-config", "ca.cnf", "-cert", "ca.pem",
                "-keyfile", "ca.key", "-in", name + ".csr", "-out", name + ".pem",
                *(dates or ["-days", "2"]))
    return leaves.keys()


def main():
    folder = sys.argv[1]
    ports = {"http": serve()}
    if "--tls" in sys.argv[2:]:
        for name in make_certificates(folder):
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(os.path.join(folder, name + ".pem"), os.path.join(folder, name + ".key"))
            ports[name] = serve(context)
        ports["ca"] = os.path.join(folder, "ca.pem")
    announce(json.dumps(ports))
    while sys.stdin.buffer.read(4096):
        pass
    os._exit(0)


if __name__ == "__main__":
    main()
