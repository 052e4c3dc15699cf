#!/usr/bin/env python3
"""Writes the static site that nginx and http.server serve to the network and engine tests.

Usage: make_site.py DIR NGINX_PORT TLS_PORT
"""
import os
import random
import sys

root = sys.argv[1]
port = int(sys.argv[2])
tls_port = int(sys.argv[3])
rng = random.Random(20261210)


def write(name, data):
    path = os.path.join(root, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


write("page.html", b"<html><body><a href=\"dir/index.html\">in</a></body></html>\n")
write("dir/index.html", b"<html><body>index of dir</body></html>\n")
# A page far over the 299,999 bytes a fetch keeps.
write("big.html", bytes(rng.randrange(32, 127) for _ in range(500000)))
for size in (0, 1, 1459, 1460, 1461, 5000, 65536, 1000000):
    write(f"files/size-{size}.bin", rng.randbytes(size))
write("files/large.bin", rng.randbytes(50 * 1024 * 1024))


# A site to crawl. Levels count link steps from crawl/index.html: an href counts 1, a frame
# src 0. Each page links one image file of its own (f<name>.jpg), so the saved set shows
# which pages were scanned.
absolute = f"http://127.0.0.1:{port}/crawl/"
pages = {
    "index.html": f"""<html><head><title>start</title></head><body>
<frameset><frame src="frame.html"></frameset>
<img src="img0.jpg" alt="only an image source">
<a href="f0.jpg">f0</a> <A HREF = 'doc0.pdf'>doc</A> <a href=UPPER.JPG>upper</a> <a href="x.jpeg">x</a>
<a href="song.mp3">song</a> <a href="clip.avi">clip</a> <a href="notes.txt">notes</a> <a href="pack.tar.gz">gz</a>
<a href="q.jpg?x=1">query</a> <a href="mailto:me@example.invalid">mail</a> <a href="javascript:go()">js</a>
<a href="l1a.html">a</a> <a href="l1a.html">a again</a>
<a href="{absolute}l1b.html">b</a> <a href="{absolute}l1b.html">b again</a>
<a href="{absolute}index.html">home</a>
<script src="app.js"></script>
</body></html>""",
    "frame.html": """<a href="ff.jpg">ff</a> <a href="l1c.html">c</a>""",
    "l1a.html": """<a href="f1.jpg">f1</a> <a href="l2.html">2</a>""",
    "l1b.html": f"""<a href="f1b.jpg">f1b</a> <a href="{absolute}l2b.html">2b</a>""",
    "l1c.html": """<a href="f1c.jpg">f1c</a>""",
    "l2.html": """<a href="f2.jpg">f2</a> <a href="l3.html">3</a>""",
    "l2b.html": """<a href="f2b.jpg">f2b</a>""",
    "l3.html": """<a href="f3.jpg">f3</a> <a href="l4.html">4</a>""",
    "l4.html": """<a href="f4.jpg">f4</a>""",
}
for name, text in pages.items():
    write("crawl/" + name, text.encode())
for name in ("img0.jpg", "f0.jpg", "ff.jpg", "f1.jpg", "f1b.jpg", "f1c.jpg", "f2.jpg", "f2b.jpg", "f3.jpg",
             "f4.jpg", "UPPER.JPG", "x.jpeg", "q.jpg", "doc0.pdf", "song.mp3", "clip.avi", "notes.txt",
             "pack.tar.gz", "app.js"):
    write("crawl/" + name, rng.randbytes(rng.randrange(100, 20000)))

# Five pages of their own, each with one file, all linked absolutely from one start page:
# the link limit decides how many are queued.
write("limit/index.html", "".join(f'<a href="{absolute[:-6]}limit/p{i}.html">{i}</a>\n'
                                  for i in range(5)).encode())
for i in range(5):
    write(f"limit/p{i}.html", f'<a href="f{i}.jpg">f</a>'.encode())
    write(f"limit/f{i}.jpg", rng.randbytes(1000 + i))

# A file that takes seconds to arrive (nginx sends /slow/ at 100 KB/s): for stops mid-transfer.
write("slow/index.html", b'<a href="big.jpg">big</a>')
write("slow/big.jpg", rng.randbytes(600 * 1024))

# A chain in which every page is reachable one way only, so the pages a crawl reaches do not
# depend on which thread gets there first: a* through relative links, b* through absolute ones.
chain = f"http://127.0.0.1:{port}/chain/"
for name, text in {
    "index.html": f'<a href="c0.jpg">c0</a> <a href="a.html">a</a> <a href="{chain}b.html">b</a>',
    "a.html": '<a href="a1.jpg">a1</a> <a href="a2.html">a2</a>',
    "a2.html": '<a href="a2.jpg">a2</a> <a href="a3.html">a3</a>',
    "a3.html": '<a href="a3.jpg">a3</a>',
    "b.html": f'<a href="b1.jpg">b1</a> <a href="{chain}b2.html">b2</a>',
    "b2.html": '<a href="b2.jpg">b2</a> <a href="b3.html">b3</a>',
    "b3.html": '<a href="b3.jpg">b3</a>',
}.items():
    write("chain/" + name, text.encode())
for name in ("c0", "a1", "a2", "a3", "b1", "b2", "b3"):
    write(f"chain/{name}.jpg", rng.randbytes(rng.randrange(500, 5000)))

# A site of many similar page addresses (sections, pages, dates), all linked relatively:
# many/index.html -> s/N.html (20 sections) -> s/N/M.html (50 pages each), each page with one
# image of its own; and 336 dated pages d/2026/MM/DD.html linked from the start page. Such
# addresses differ only by shifted or swapped digits.
many = ['<a href="s/%d.html">section %d</a>' % (n, n) for n in range(20)]
many += ['<a href="d/2026/%02d/%02d.html">day</a>' % (m, d) for m in range(1, 13) for d in range(1, 29)]
write("many/index.html", "\n".join(many).encode())
for n in range(20):
    write(f"many/s/{n}.html", "\n".join(f'<a href="{n}/{m}.html">{m}</a>' for m in range(50)).encode())
    for m in range(50):
        write(f"many/s/{n}/{m}.html", f'<a href="{m}.jpg">picture</a>'.encode())
        write(f"many/s/{n}/{m}.jpg", b"%d-%d" % (n, m))
for m in range(1, 13):
    for d in range(1, 29):
        write(f"many/d/2026/{m:02d}/{d:02d}.html", f'<a href="{d:02d}.jpg">picture</a>'.encode())
        write(f"many/d/2026/{m:02d}/{d:02d}.jpg", b"2026-%02d-%02d" % (m, d))

# A documentation-like site in which every page and image is linked under several spellings:
# "./x", "a/../x", "x#anchor", a bare "#anchor", an empty link and absolute twins.
docs = f"http://127.0.0.1:{port}/docs/"
for name, text in {
    "index.html": f"""<a href="./en/index.html">en</a> <a href="en/../en/index.html#top">en</a>
<a href="en/index.html#a">en</a> <a href="{docs}en/./index.html">en</a> <a href="#top">top</a> <a href="">self</a>
<a href="./images/logo.png">logo</a> <a href="images/../images/logo.png#x">logo</a> <a href="{docs}index.html#y">self</a>""",
    "en/index.html": f"""<a href="../images/logo.png">logo</a> <a href="./guide.html">guide</a>
<a href="guide.html#s1">guide</a> <a href="../en/guide.html#s2">guide</a> <a href="#contents">contents</a>
<a href="{docs}en/../en/guide.html#top">guide</a> <a href="./mod/index.html">mod</a> <a href="{docs}./images/shot.png#b">shot</a>""",
    "en/guide.html": """<a href="../images/logo.png#x">logo</a> <a href="./../images/shot.png">shot</a>
<a href="index.html#top">back</a> <a href="mod/../guide.html">self</a> <a href="./mod/./index.html#m">mod</a>""",
    "en/mod/index.html": f"""<a href="../../images/logo.png">logo</a> <a href="../../images/shot.png#a">shot</a>
<a href="../guide.html">guide</a> <a href="./../../en/mod/./index.html#x">self</a> <a href="{docs}en/mod/../mod/index.html">self</a>
<a href="../../images/../images/./feather.png">feather</a>""",
}.items():
    write("docs/" + name, text.encode())
for name in ("logo", "shot", "feather"):
    write(f"docs/images/{name}.png", rng.randbytes(rng.randrange(500, 5000)))

# An https site: a start page with relative and absolute https links, and an http page that
# links https files. The TLS server's certificate names localhost.
secure = f"https://localhost:{tls_port}/tls/"
write("tls/index.html", f"""<a href="t1.jpg">t1</a> <a href="sub/page.html">sub</a>
<a href="{secure}abs.html">abs</a> <a href="{secure}t2.jpg">t2</a>""".encode())
write("tls/sub/page.html", f'<a href="t3.jpg">t3</a> <a href="../t1.jpg">t1</a>'.encode())
write("tls/abs.html", f'<a href="t4.jpg">t4</a> <a href="{secure}sub/page.html">sub</a>'.encode())
for name in ("t1", "t2", "sub/t3", "t4"):
    write(f"tls/{name}.jpg", rng.randbytes(rng.randrange(2000, 9000)))
write("mixed/index.html", f"""<a href="{secure}t1.jpg">t1</a> <a href="{secure}t2.jpg">t2</a>
<a href="local.jpg">local</a>""".encode())
write("mixed/local.jpg", rng.randbytes(3000))

# A file with a short name, for a download folder whose path is nearly 255 characters long.
write("z", rng.randbytes(3000))

# Several files that take seconds each (nginx sends /slow/ at 100 KB/s), fetched side by side.
write("slow/many.html", "".join(f'<a href="m{i}.jpg">m{i}</a> ' for i in range(4)).encode())
for i in range(4):
    write(f"slow/m{i}.jpg", rng.randbytes(300 * 1024))

# Requests logged with their connection, for the tests of reused connections.
write("reuse/a.html", b'<a href="b.jpg">b</a>')
write("reuse/b.jpg", rng.randbytes(200 * 1024))

# A page whose links fail in every common way: a missing file, a file and a page on a host
# that never resolves (".invalid"), after a file that takes seconds (so that the failures come
# while a terminal shows the live status line).
write("broken/index.html", b"""<a href="ok.jpg">ok</a> <a href="missing.jpg">missing</a>
<a href="/slow/wait.jpg">wait</a> <a href="http://gone.invalid/pic.jpg">pic</a>
<a href="http://gone.invalid/page.html">page</a>""")
write("broken/ok.jpg", rng.randbytes(2000))
write("slow/wait.jpg", rng.randbytes(200 * 1024))
