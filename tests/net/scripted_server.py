#!/usr/bin/env python3
"""A small HTTP server for what real servers rarely do: split heads, bare LF line ends,
bodies that break off, lie about their length or never end, silence, odd redirects.

Usage: scripted_server.py PORT_FILE [CERT KEY]
With a certificate and key it speaks TLS. Listens on 127.0.0.1 on a free port, writes the port into PORT_FILE and serves until killed
(or for 30 minutes at most). Every request is recorded raw; GET /_requests/NAME answers with
the last request received for /NAME, so tests can compare the bytes on the wire. Searches are
also recorded per keyword (GET /_requests/search/KEYWORD, the keyword as encoded in the query),
so tests that search at the same time never read each other's requests.
"""
import socket
import ssl
import sys
import threading
import time

LIFETIME = 30 * 60
lock = threading.Lock()
last_request = {}   # path -> raw bytes of the last request for it
request_count = {}  # path -> number of requests
connection_of = {}  # path -> serial number of the connection its last request came on
serials = 0
# /par/KEY/: pages read at the same time, per KEY (a test's own), and the most seen at once.
par_lock = threading.Condition()
par_reading = {}
par_peak = {}

# /lv/: a small site whose page p.html is linked from a slow page at level 1 and, through a
# fast page, at level 2. A crawl that reads the level-2 page before the slow level-1 page is
# done gives p.html level 3 and never reaches q.html, whose image only a depth-3 crawl saves
# when p.html has level 2.
LEVELS_SITE = {
    "index.html": (0, ["a.html", "b.html"]),
    "a.html": (0.8, ["p.html"]),
    "b.html": (0, ["c.html"]),
    "c.html": (0, ["p.html"]),
    "p.html": (0, ["q.html"]),
    "q.html": (0, ["q.jpg"]),
}


def body(n, salt=0):
    """The deterministic body of n bytes that the tests expect: byte i is (i * 7 + salt) % 251."""
    return bytes((i * 7 + salt) % 251 for i in range(n))


def query_value(path, key, default):
    for part in path.split("?", 1)[-1].split("&"):
        if part.startswith(key + "="):
            return part[len(key) + 1:]
    return default


def search_page(path, port):
    """A result page in the shape of either service: Google for hl=en, Yahoo for fr=...
    The keyword "local pages" gives results on this server only, which tests may scan."""
    if "q=local+pages" in path:
        links = [f"http://127.0.0.1:{port}/echo-a.html", "/preferences", f"http://127.0.0.1:{port}/dir/echo-b.html"]
    elif "hl=en" in path:
        n = query_value(path, "start", "0")
        links = ["http://www.google.com/preferences", "/search?q=other", "http://216.239.51.104/search?q=cache:x",
                 "http://www.answers.com/topic/x", "/preferences", f"http://site{n}.example/",
                 f"http://site{n}.example/report.pdf", f"http://site{n}.example/index.php?id=5",
                 f"http://site{n}.example/", "http://other.example/?ref=google"]
    else:
        n = query_value(path, "b", "0")
        r = "http://rds.yahoo.com/_ylt=A0/SIG=12/EXP=3/"
        links = [f"{r}*-http%3A//site{n}.example/", f"{r}*-http%3A//site{n}.example/",
                 f"{r}*-http%3A//other.example/page.html", f"{r}*-http%3A//site{n}.example/",
                 f"{r}*-http%3A//www.yahoo.com/x", f"{r}*-http%3A//site.example/search/x",
                 f"{r}*-http%3A//files.example/a.pdf", "http://plain.example/"]
    body = "<html><body>" + "".join(f'<a href="{link}">r</a>\n' for link in links) + "</body></html>"
    return body.encode()


def read_head(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(4096)
        if not chunk:
            return None
        data += chunk
        if len(data) > 65536:
            return None
    return data


def head(status, headers):
    lines = [f"HTTP/1.1 {status}"] + headers
    return ("\r\n".join(lines) + "\r\n\r\n").encode()


def ok(n, extra=()):
    return head("200 OK", [f"Content-Length: {n}", "Connection: close", *extra])


def links_page(links):
    return "".join(f'<a href="{link}">x</a>\n' for link in links).encode()


def parallel_page(key, name):
    """A page of /par/KEY/: the index links six pages, and each of those waits (2 s at most)
    until two of them have been read at the same time."""
    if name == "index.html":
        return links_page(f"p{n}.html" for n in range(6))
    with par_lock:
        par_reading[key] = par_reading.get(key, 0) + 1
        par_peak[key] = max(par_peak.get(key, 0), par_reading[key])
        par_lock.notify_all()
        par_lock.wait_for(lambda: par_peak[key] >= 2, timeout=2)
        par_reading[key] -= 1
    return links_page([])


def serve(conn, port, connection):
    """Answers one request. True when the connection stays open for another one: only the
    /ka/ routes keep it, and only for a request that asks to keep it."""
    raw = read_head(conn)
    if raw is None:
        return False
    line = raw.split(b"\r\n", 1)[0].decode("latin-1")
    parts = line.split(" ")
    path = parts[1] if len(parts) > 1 else "/"
    ranged = b"\r\nRange: " in raw
    route = path.split("?")[0]
    with lock:
        if not path.startswith("/_requests/"):
            last_request[path] = raw
            last_request[route] = raw
            request_count[path] = request_count.get(path, 0) + 1
            connection_of[path] = connection["serial"]
            if route == "/search":
                keyword = query_value(path, "q", None) or query_value(path, "p", "")
                last_request["/search/" + keyword] = raw

    send = conn.sendall
    keep = b"\r\nConnection: keep-alive\r\n" in raw
    if connection.get("drop"):
        return False  # the connection is closed under the request, unanswered
    if route.startswith("/ka/"):
        kind = route[len("/ka/"):]
        if kind.startswith("sized/"):
            n = int(kind.split("/")[1])
            send(head("200 OK", [f"Content-Length: {n}"]) + body(n))
        elif kind == "chunked":
            # A page in chunks of 7 bytes, so that its link is cut by chunk lines.
            page = b'<a href="chunk-link.jpg">x</a><a href="second.jpg">y</a>'
            pieces = [page[i:i + 7] for i in range(0, len(page), 7)]
            send(head("200 OK", ["Transfer-Encoding: chunked"]) +
                 b"".join(b"%x\r\n%s\r\n" % (len(p), p) for p in pieces) + b"0\r\n\r\n")
        elif kind == "drop-next":
            send(head("200 OK", ["Content-Length: 10"]) + body(10))
            connection["drop"] = True
        elif kind == "close-idle":
            send(head("200 OK", ["Content-Length: 10"]) + body(10))
            connection["idle"] = 0.2
        return keep
    if path.startswith("/_connection/"):
        with lock:
            text = str(connection_of.get("/" + path[len("/_connection/"):], 0)).encode()
        send(ok(len(text)) + text)
    elif path.startswith("/_requests/"):
        with lock:
            recorded = last_request.get("/" + path[len("/_requests/"):], b"")
        send(ok(len(recorded)) + recorded)
    elif path.startswith("/_count/"):
        with lock:
            text = str(request_count.get("/" + path[len("/_count/"):], 0)).encode()
        send(ok(len(text)) + text)
    elif path.startswith("/_peak/"):
        with par_lock:
            text = str(par_peak.get(path[len("/_peak/"):], 0)).encode()
        send(ok(len(text)) + text)
    elif route.startswith("/par/") and route.count("/") == 3:
        page = parallel_page(*route[len("/par/"):].split("/"))
        send(ok(len(page)) + page)
    elif route.startswith("/lv/") and route[len("/lv/"):] in LEVELS_SITE:
        delay, links = LEVELS_SITE[route[len("/lv/"):]]
        time.sleep(delay)
        page = links_page(links)
        send(ok(len(page)) + page)
    elif route == "/lv/q.jpg":
        send(ok(100) + body(100))
    elif route == "/search":
        page = search_page(path, port)
        send(ok(len(page)) + page)
    elif route.startswith("/echo") or route.startswith("/dir/echo"):
        send(ok(len(raw)) + raw)
    elif path == "/one-receive":
        send(ok(1000) + body(1000))
    elif path == "/head-alone":
        send(ok(1000))
        time.sleep(0.3)
        send(body(1000))
    elif path == "/split-end":
        h = ok(1000)
        send(h[:-1])
        time.sleep(0.3)
        send(h[-1:] + body(1000))
    elif path == "/head-then-more":
        send(ok(1000) + body(1000)[:100])
        time.sleep(0.3)
        send(body(1000)[100:])
    elif path == "/bare-lf":
        send(b"HTTP/1.1 200 OK\nContent-Length: 10\nConnection: close\n\n" + body(10))
    elif path.startswith("/head-"):
        size = int(path[len("/head-"):])
        start = b"HTTP/1.1 200 OK\r\nContent-Length: 10\r\nX-Fill: "
        send(start + b"x" * (size - len(start) - 4) + b"\r\n\r\n" + body(10))
    elif path.startswith("/break-"):
        kind = path[len("/break-"):]
        if not ranged:
            send(ok(1000) + body(1000)[:600])
        elif kind == "206":
            send(head("206 Partial Content", ["Content-Range: bytes 600-999/1000", "Content-Length: 400"]) +
                 body(1000)[600:])
        elif kind == "206-long":
            send(head("206 Partial Content", ["Content-Range: bytes 600-999/1000", "Content-Length: 400"]) +
                 body(1000)[600:] + b"y" * 100)
        elif kind == "200":
            send(ok(1000) + body(1000))
        elif kind == "badrange":
            send(head("206 Partial Content", ["Content-Range: bytes 500-899/1000", "Content-Length: 400"]) +
                 body(1000)[500:900])
        elif kind == "again":
            send(head("206 Partial Content", ["Content-Range: bytes 600-999/1000", "Content-Length: 400"]) +
                 body(1000)[600:700])
    elif path == "/stall":
        # Part of the body, then silence with the connection open.
        send(ok(1000) + body(1000)[:600])
        time.sleep(10)
    elif path == "/longer":
        send(ok(1000) + body(1500))
    elif path == "/endless":
        send(ok(1000))
        deadline = time.time() + 10
        while time.time() < deadline:
            send(body(1460))
    elif path == "/close-alert":
        # A body to the close, then the close alert; the connection stays open until the
        # client answers with its own alert (as a bidirectional TLS shutdown does).
        send(head("200 OK", ["Connection: close"]) + body(3000))
        if hasattr(conn, "unwrap"):
            conn.settimeout(10)
            conn = conn.unwrap()
    elif path == "/silence":
        conn.settimeout(10)
        try:
            conn.recv(1)
        except OSError:
            pass
    elif path == "/slow":
        send(ok(10_000_000))
        deadline = time.time() + 10
        while time.time() < deadline:
            send(body(1460))
            time.sleep(0.01)
    elif path == "/redirect-twice":
        send(head("302 Found", [f"Location: http://127.0.0.1:{port}/redirect-again", "Content-Length: 0"]))
    elif path == "/redirect-again":
        send(head("302 Found", ["Location: /echo-never", "Content-Length: 0"]))
    elif path == "/lower-location":
        send(head("302 Found", ["location:/echo-lower", "Content-Length: 0"]))
    elif path == "/dir/relative-location":
        send(head("307 Temporary Redirect", ["Location: echo-relative", "Content-Length: 0"]))
    elif path == "/https-location":
        send(head("301 Moved", ["Location: https://127.0.0.1/echo", "Content-Length: 0"]))
    elif path == "/loc/empty-location":
        send(head("302 Found", ["Location: ", "Content-Length: 0"]))
    elif path == "/loc/blank-location":
        send(head("302 Found", ["Location: \t ", "Content-Length: 0"]))
    elif path == "/loc/":
        send(ok(100) + body(100))  # where an empty Location would lead if it were resolved
    elif path == "/no-location":
        send(head("301 Moved", ["Content-Length: 0"]))
    elif path == "/empty":
        send(ok(0))
    elif path == "/no-length":
        send(head("200 OK", ["Connection: close"]) + body(100))
    elif route.startswith("/sized/"):
        n = int(route.split("/")[2])
        send(ok(n) + body(n))
    else:
        send(head("404 Not Found", ["Content-Length: 0"]))
    return False


def handle(conn, port, tls):
    global serials
    with lock:
        serials += 1
        connection = {"serial": serials}
    try:
        if tls is not None:
            conn = tls.wrap_socket(conn, server_side=True)
        while serve(conn, port, connection):
            if "idle" in connection:
                # Closes the kept connection once it has been idle that long.
                conn.settimeout(connection.pop("idle"))
                try:
                    if not conn.recv(1, socket.MSG_PEEK):
                        break
                except (socket.timeout, ssl.SSLError, ValueError):
                    break
                conn.settimeout(30)
    except OSError:
        pass
    finally:
        try:
            conn.shutdown(socket.SHUT_WR)
        except OSError:
            pass
        conn.close()


def main():
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    port = listener.getsockname()[1]
    with open(sys.argv[1], "w") as f:
        f.write(str(port))
    tls = None
    if len(sys.argv) > 3:
        tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        tls.load_cert_chain(sys.argv[2], sys.argv[3])
    listener.settimeout(1)
    end = time.time() + LIFETIME
    while time.time() < end:
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            continue
        conn.settimeout(30)
        threading.Thread(target=handle, args=(conn, port, tls), daemon=True).start()


if __name__ == "__main__":
    main()
