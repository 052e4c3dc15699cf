#!/usr/bin/python3
"""Draws the program's artwork: the skin bitmap (resource 129), the program icons (107, 108)
and the four job-state icons (163 to 166). The outputs are committed beside this script;
run it again after a change (needs Debian's python3-pil and fonts-dejavu-core).

Usage: resources/make_art.py
"""
import os
from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

BAND_TOP = (36, 84, 160)
BAND_BOTTOM = (18, 48, 104)


def font(size, bold=False):
    return ImageFont.truetype(BOLD if bold else FONT, size)


def centred_text(draw, box, text, size, fill, bold=False):
    f = font(size, bold)
    left, top, right, bottom = draw.textbbox((0, 0), text, font=f)
    x = box[0] + (box[2] - box[0] - (right - left)) / 2 - left
    y = box[1] + (box[3] - box[1] - (bottom - top)) / 2 - top
    draw.text((x, y), text, font=f, fill=fill)


def band_colour(y, height=98):
    t = y / (height - 1)
    return tuple(round(a + (b - a) * t) for a, b in zip(BAND_TOP, BAND_BOTTOM))


def round_button(skin, x, y, face, edge, symbol, label):
    """A 39 x 49 tile: a round face on the band, its label below."""
    big = Image.new("RGB", (39 * 4, 49 * 4))
    d = ImageDraw.Draw(big)
    for row in range(49 * 4):
        d.line([(0, row), (39 * 4, row)], fill=band_colour(2 + row // 4))
    d.ellipse([4 * 4, 1 * 4, 35 * 4, 32 * 4], fill=edge)
    d.ellipse([6 * 4, 3 * 4, 33 * 4, 30 * 4], fill=face)
    d.ellipse([9 * 4, 5 * 4, 30 * 4, 15 * 4], fill=tuple(min(255, c + 60) for c in face))
    symbol(d)
    tile = big.resize((39, 49), Image.LANCZOS)
    td = ImageDraw.Draw(tile)
    centred_text(td, (0, 34, 39, 48), label, 9, (255, 255, 255))
    skin.paste(tile, (x, y))


def lightning(d):
    s = 4
    d.polygon([(21 * s, 7 * s), (13 * s, 18 * s), (19 * s, 18 * s), (16 * s, 27 * s), (26 * s, 14 * s),
               (20 * s, 14 * s), (23 * s, 7 * s)], fill=(255, 255, 255))


def gear(d):
    s = 4
    cx, cy = 19.5 * s, 16.5 * s
    for i in range(8):
        import math
        a = i * math.pi / 4
        x, y = cx + math.cos(a) * 9 * s, cy + math.sin(a) * 9 * s
        d.ellipse([x - 2.5 * s, y - 2.5 * s, x + 2.5 * s, y + 2.5 * s], fill=(255, 255, 255))
    d.ellipse([cx - 8 * s, cy - 8 * s, cx + 8 * s, cy + 8 * s], fill=(255, 255, 255))
    d.ellipse([cx - 3.5 * s, cy - 3.5 * s, cx + 3.5 * s, cy + 3.5 * s], fill=(235, 130, 20))


def question(d):
    centred_text(d, (6 * 4, 3 * 4, 33 * 4, 31 * 4), "?", 22 * 4, (255, 255, 255), bold=True)


def tab(skin, x, y, label, selected):
    """An 81 x 20 page tab: light and raised when selected, grey otherwise."""
    t = Image.new("RGB", (81, 20))
    d = ImageDraw.Draw(t)
    for row in range(20):
        d.line([(0, row), (80, row)], fill=band_colour(y + row))
    body = (244, 246, 250) if selected else (178, 186, 200)
    d.rounded_rectangle([1, 1 if selected else 3, 79, 25], radius=5, fill=body,
                        outline=(255, 255, 255) if selected else (120, 130, 150))
    colour = (16, 40, 96) if selected else (60, 66, 80)
    centred_text(d, (0, 2 if selected else 4, 81, 20), label, 11, colour, bold=selected)
    skin.paste(t, (x, y))


def make_skin():
    skin = Image.new("RGB", (324, 98))
    d = ImageDraw.Draw(skin)
    for row in range(98):
        d.line([(0, row), (323, row)], fill=band_colour(row))
    round_button(skin, 2, 2, (40, 170, 70), (20, 90, 40), lightning, "network")
    round_button(skin, 43, 2, (210, 50, 40), (110, 25, 20), lightning, "network")
    round_button(skin, 125, 2, (240, 140, 30), (140, 75, 10), gear, "options")
    round_button(skin, 166, 2, (240, 140, 30), (140, 75, 10), question, "help")
    for i, label in enumerate(("Search", "Download", "Bookmark")):
        tab(skin, 2 + 83 * i, 53, label, False)
        tab(skin, 2 + 83 * i, 75, label, True)
    # The band stripe, stretched across the window's top: the band's gradient with a fine
    # lighter line every fourth row.
    stripe = Image.new("RGB", (12, 80))
    sd = ImageDraw.Draw(stripe)
    for row in range(80):
        colour = band_colour(row * 98 // 80)
        if row % 4 == 0:
            colour = tuple(min(255, c + 14) for c in colour)
        sd.line([(0, row), (11, row)], fill=colour)
    skin.paste(stripe, (309, 15))
    skin.save(os.path.join(HERE, "skin.bmp"))


def program_icon(size):
    """A blue rounded square with a white downward arrow into a tray."""
    big = Image.new("RGBA", (size * 8, size * 8), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    s = size * 8
    d.rounded_rectangle([0, 0, s - 1, s - 1], radius=s // 5, fill=BAND_TOP + (255,))
    d.rounded_rectangle([s // 16, s // 16, s - s // 16, s // 2], radius=s // 6, fill=(70, 130, 210, 255))
    w = (255, 255, 255, 255)
    d.rectangle([s * 0.42, s * 0.16, s * 0.58, s * 0.52], fill=w)
    d.polygon([(s * 0.24, s * 0.48), (s * 0.76, s * 0.48), (s * 0.5, s * 0.74)], fill=w)
    d.rectangle([s * 0.18, s * 0.80, s * 0.82, s * 0.88], fill=(255, 200, 60, 255))
    return big.resize((size, size), Image.LANCZOS)


def state_icon(name, fill, edge, shape):
    big = Image.new("RGBA", (128, 128), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    if shape == "circle":
        d.ellipse([12, 12, 116, 116], fill=fill, outline=edge, width=10)
    elif shape == "play":
        d.ellipse([8, 8, 120, 120], fill=(0, 0, 0, 255))
        d.polygon([(46, 30), (46, 98), (100, 64)], fill=fill)
    elif shape == "check":
        d.ellipse([8, 8, 120, 120], fill=fill)
        d.line([(34, 66), (56, 88), (96, 40)], fill=(255, 255, 255, 255), width=16)
    elif shape == "square":
        d.rounded_rectangle([16, 16, 112, 112], radius=14, fill=fill, outline=edge, width=8)
    big.resize((16, 16), Image.LANCZOS).save(os.path.join(HERE, name), sizes=[(16, 16)], bitmap_format="bmp")


def main():
    make_skin()
    program_icon(32).save(os.path.join(HERE, "zorvel32.ico"), sizes=[(32, 32)], bitmap_format="bmp")
    program_icon(16).save(os.path.join(HERE, "zorvel16.ico"), sizes=[(16, 16)], bitmap_format="bmp")
    state_icon("state_queued.ico", (0, 200, 0, 255), (0, 120, 0, 255), "circle")
    state_icon("state_processing.ico", (0, 255, 0, 255), None, "play")
    state_icon("state_complete.ico", (40, 40, 40, 255), None, "check")
    state_icon("state_stopped.ico", (228, 107, 27, 255), (150, 60, 10, 255), "square")


if __name__ == "__main__":
    main()
