#!/usr/bin/env python3
"""A loopback HTTP(S) server for the tests, with switchable misbehaviour.

usage: fault-server.py FOLDER [--tls]   (--tls: FOLDER holds cert.pem and key.pem)
Prints its port once listening. Logs every request target to FOLDER/requests.log, then answers
as FOLDER/routes.json says for the path (404 without a route): "body" (a file in FOLDER),
"status" (200), "framing" (length, chunked or close), "redirect" (302 unless status is 3xx),
"trickle" (bytes sent every "interval" ms), "drop_after" (bytes, then the connection closes),
"stall_after" (bytes, then nothing more) and "silent" (never answer).
"""
import http.server, json, os, ssl, sys, threading, time, urllib.parse

folder = sys.argv[1]
lock = threading.Lock()


def in_folder(name):
    return os.path.join(folder, name)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        with lock:
            with open(in_folder("requests.log"), "a") as log:
                log.write(self.path + "\n")
            with open(in_folder("routes.json")) as routes:
                route = json.load(routes).get(urllib.parse.urlsplit(self.path).path)
        self.close_connection = True
        if route is None:
            route = {"status": 404}
        if route.get("silent"):
            time.sleep(3600)
        status = route.get("status", 200)
        if "redirect" in route:
            self.send_response(status if status // 100 == 3 else 302)
            self.send_header("Location", route["redirect"])
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        body = open(in_folder(route["body"]), "rb").read() if "body" in route else b"Not found\n"
        framing = route.get("framing", "length")
        self.send_response(status)
        self.send_header("Connection", "close")
        if framing == "length":
            self.send_header("Content-Length", str(len(body)))
        elif framing == "chunked":
            self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        limit = min(len(body), route.get("drop_after", route.get("stall_after", len(body))))
        step = route.get("trickle") or 1 << 20
        for start in range(0, limit, step):
            piece = body[start:min(limit, start + step)]
            self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece) if framing == "chunked" else piece)
            self.wfile.flush()
            if "trickle" in route:
                time.sleep(route.get("interval", 50) / 1000)
        if "stall_after" in route and "drop_after" not in route:
            time.sleep(3600)
        elif framing == "chunked" and "drop_after" not in route:
            self.wfile.write(b"0\r\n\r\n")


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
server.handle_error = lambda *args: None  # a client that gives up (a refused certificate) is normal
if "--tls" in sys.argv:
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(in_folder("cert.pem"), in_folder("key.pem"))
    server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
print(server.server_address[1], flush=True)
server.serve_forever()
