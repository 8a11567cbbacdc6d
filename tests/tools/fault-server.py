#!/usr/bin/env python3
"""A loopback HTTP server for the tests, with switchable misbehaviour.

usage: fault-server.py FOLDER
Prints its port once listening. Logs every request target (and its Range) to FOLDER/requests.log,
then answers as FOLDER/routes.json says for the path (404 without a route): "body" (a file in
FOLDER, also its ETag), "status" (200), "framing" (length, chunked or close), "content_type",
"redirect" (302 unless status is 3xx), "trickle" (bytes sent every "interval" ms), "drop_after"
(bytes, then the connection closes; inside a chunk when chunked), "stall_after" (bytes, then
nothing more), "silent" (never answer), "retry_after" (a header), "proxy" (an address whose
answer, Range and If-Range passed on, is sent instead of a body) and "answers" (routes for the
first requests, in order, each taking the keys it lacks from the route).
A 200 answers "Range: bytes=N-" with a 206 of the rest, unless an If-Range names another ETag
(or date: "last_modified" is sent instead of the ETag).
"""
import ctypes, http.server, json, os, ssl, sys, threading, time, urllib.error, urllib.parse, urllib.request

os.chdir(sys.argv[1])  # the named files live here
lock = threading.Lock()
served = {}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    log_message = lambda *args: None

    def do_GET(self):
        path = urllib.parse.urlsplit(self.path).path
        asked = self.headers.get("Range")
        with lock:
            with open("requests.log", "a") as log:
                log.write(self.path + (" Range: " + asked if asked else "") + "\n")
            with open("routes.json") as routes:
                route = json.load(routes).get(path, {"status": 404})
            count = served[path] = served.get(path, 0) + 1
        answers = route.get("answers", [])
        if count <= len(answers):
            route = {**route, **answers[count - 1]}
        if route.get("silent"):
            time.sleep(3600)
        status = route.get("status", 200)
        headers = {"Retry-After": str(route["retry_after"])} if "retry_after" in route else {}
        if "content_type" in route:
            headers["Content-Type"] = route["content_type"]
        if "redirect" in route:
            status, body, headers["Location"] = status if status // 100 == 3 else 302, b"", route["redirect"]
        elif "proxy" in route:  # what a real server answers, passed on
            asking = {name: self.headers[name] for name in ("Range", "If-Range") if name in self.headers}
            request = urllib.request.Request(route["proxy"], headers=asking)
            try:
                upstream = urllib.request.urlopen(request, context=ssl._create_unverified_context())
            except urllib.error.HTTPError as error:
                upstream = error
            status, body = upstream.status, upstream.read()
            headers.update({name: upstream.headers[name] for name in ("ETag", "Content-Range")
                            if upstream.headers[name]})
        else:
            body = open(route["body"], "rb").read() if "body" in route else b"Not found\n"
            validator = route.get("last_modified", '"%s"' % route.get("body", ""))
            headers["Last-Modified" if "last_modified" in route else "ETag"] = validator
            if status == 200 and asked and asked.startswith("bytes=") and \
                    self.headers.get("If-Range", validator) == validator:
                start = int(asked[6:].split("-")[0])
                status = 206 if start < len(body) else 416
                headers["Content-Range"] = "bytes %d-%d/%d" % (start, len(body) - 1, len(body))
                body = body[start:] if status == 206 else b""
        framing = route.get("framing", "length")
        self.send_response(status)
        self.send_header("Connection", "close")
        for name, value in headers.items():
            self.send_header(name, value)
        if framing == "length":
            self.send_header("Content-Length", str(len(body)))
        elif framing == "chunked":
            self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        limit = min(len(body), route.get("drop_after", route.get("stall_after", len(body))))
        step = route.get("trickle") or 1 << 20
        for at in range(0, limit, step):
            whole, piece = body[at:at + step], body[at:min(limit, at + step)]
            if framing == "chunked":  # a cut chunk still announces its whole length
                self.wfile.write(b"%x\r\n" % len(whole))
            self.wfile.write(piece + (b"\r\n" if framing == "chunked" and len(piece) == len(whole) else b""))
            self.wfile.flush()
            if "trickle" in route:
                time.sleep(route.get("interval", 50) / 1000)
        if "stall_after" in route and "drop_after" not in route:
            time.sleep(3600)
        elif framing == "chunked" and "drop_after" not in route:
            self.wfile.write(b"0\r\n\r\n")


ctypes.CDLL(None).prctl(1, 9)  # PR_SET_PDEATHSIG, SIGKILL: ends with its parent, wrapper or test
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.handle_error = lambda *args: None  # a client that gives up is normal
print(server.server_address[1], flush=True)
server.serve_forever()
