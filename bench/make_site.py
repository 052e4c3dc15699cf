#!/usr/bin/env python3
"""Writes one benchmark site: an index page, its section pages, their leaf pages, and image
files linked from the leaf pages.

Usage: make_site.py DIR NAME SECTIONS PAGES IMAGES TOTAL_BYTES [BASE]

DIR/NAME/index.html links SECTIONS pages NAME/sNN/index.html; each of them links PAGES leaf
pages (SECTIONS * PAGES in all), and each leaf page links IMAGES files NAME/sNN/pNNN-iNN.jpg
whose sizes add up to TOTAL_BYTES. Every link is an <a href>. Without BASE the links are
relative; with BASE (such as http://127.0.0.1:8081/) every link is absolute under BASE.

The site is rewritten only when its shape changed: DIR/NAME.stamp holds the arguments it
was written with, DIR/NAME.expected the number of image files and their bytes.
"""
import os
import random
import shutil
import sys

# Raised whenever the way a site is written changes, so written sites are rewritten.
LAYOUT = 2

FILLER = ("Photographs from the archive, sorted by year and place. Each picture opens in full "
          "size; the captions were written by the people who took them. ")


def page(title, links):
    rows = "\n".join(f'<li><a href="{href}">{text}</a></li>' for href, text in links)
    return (f"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>{title}</title></head>\n"
            f"<body><h1>{title}</h1>\n<p>{FILLER * 4}</p>\n<ul>\n{rows}\n</ul>\n"
            f"<p>{FILLER * 2}</p></body></html>\n").encode()


def image_sizes(count, total, rng):
    weights = [rng.uniform(0.4, 1.6) for _ in range(count)]
    scale = total / sum(weights)
    sizes = [max(1, int(w * scale)) for w in weights]
    sizes[-1] = max(1, sizes[-1] + total - sum(sizes))
    return sizes


def main():
    root, name = sys.argv[1], sys.argv[2]
    sections, pages, images, total = (int(a) for a in sys.argv[3:7])
    base = sys.argv[7] if len(sys.argv) > 7 else ""
    stamp_path = os.path.join(root, name + ".stamp")
    stamp = " ".join(sys.argv[2:]) + f" layout {LAYOUT}"
    site = os.path.join(root, name)
    if os.path.isdir(site) and os.path.exists(stamp_path):
        with open(stamp_path) as f:
            if f.read() == stamp:
                return
    shutil.rmtree(site, ignore_errors=True)
    if os.path.exists(stamp_path):
        os.remove(stamp_path)
    os.makedirs(site)

    def href(path_from_site, relative):
        return f"{base}{name}/{path_from_site}" if base else relative

    # Every file gets its own modification time: servers derive validators such as ETags from
    # time and size, and a crawler that skips pages with a known validator must see each page.
    stamps = iter(range(1_700_000_000, 1_800_000_000))

    def write(path, data):
        with open(path, "wb") as f:
            f.write(data)
        t = next(stamps)
        os.utime(path, (t, t))

    rng = random.Random(20261210)
    sizes = iter(image_sizes(sections * pages * images, total, rng))
    index_links = []
    for s in range(1, sections + 1):
        sdir = f"s{s:02d}"
        os.makedirs(os.path.join(site, sdir))
        index_links.append((href(f"{sdir}/index.html", f"{sdir}/index.html"), f"Section {s}"))
        section_links = []
        for p in range(1, pages + 1):
            leaf = f"p{p:03d}"
            section_links.append((href(f"{sdir}/{leaf}.html", f"{leaf}.html"), f"Page {p}"))
            leaf_links = []
            for i in range(1, images + 1):
                file = f"{leaf}-i{i:02d}.jpg"
                leaf_links.append((href(f"{sdir}/{file}", file), f"Picture {i}"))
                write(os.path.join(site, sdir, file), os.urandom(next(sizes)))
            write(os.path.join(site, sdir, leaf + ".html"), page(f"Section {s}, page {p}", leaf_links))
        write(os.path.join(site, sdir, "index.html"), page(f"Section {s}", section_links))
    write(os.path.join(site, "index.html"), page(f"Gallery {name}", index_links))
    with open(os.path.join(root, name + ".expected"), "w") as f:
        f.write(f"{sections * pages * images} {total}\n")
    with open(stamp_path, "w") as f:
        f.write(stamp)


if __name__ == "__main__":
    main()
