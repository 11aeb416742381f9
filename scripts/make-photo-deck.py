#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes data/sample/deckrec-photos.fodp: a 16:9 flat ODF deck of 30 slides with gradient
backgrounds, photo-like pictures (smooth colour fields with grain, made here and embedded as
PNG), text, and a few fade transitions. It is the hard case for GIF export: far more colours
than a palette holds. Run from anywhere: python3 scripts/make-photo-deck.py"""

import base64
import math
import os
import random
import struct
import zlib

SLIDES = 30
PHOTOS = 6
PHOTO_W, PHOTO_H = 200, 133


def png(width, height, pixel):
    rows = bytearray()
    for y in range(height):
        line = b"".join(pixel(x, y) for x in range(width))
        rows.append(1)  # "Sub" filter: smooth fields become small numbers that deflate well
        rows.extend((line[i] - (line[i - 3] if i >= 3 else 0)) & 0xFF for i in range(len(line)))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def photo(seed):
    rnd = random.Random(seed)
    a, b, c = (rnd.uniform(3, 9) for _ in range(3))
    base = [rnd.randint(60, 190) for _ in range(3)]

    def pixel(x, y):
        u, v = x / PHOTO_W, y / PHOTO_H
        sky = 1 - v
        r = base[0] + 60 * math.sin(a * u + seed) * sky + 40 * math.cos(b * v)
        g = base[1] + 50 * math.sin(b * (u + v)) + 30 * sky
        bl = base[2] + 70 * sky - 40 * math.sin(c * u * v + seed)
        grain = rnd.randint(-2, 2)
        return bytes(max(0, min(255, int(ch + grain))) for ch in (r, g, bl))

    return base64.b64encode(png(PHOTO_W, PHOTO_H, pixel)).decode()


def gradient_colors(i):
    hue = (i * 37) % 360
    def hsl(h, l):
        c = (1 - abs(2 * l - 1)) * 0.6
        x = c * (1 - abs((h / 60) % 2 - 1))
        m = l - c / 2
        r, g, b = [(c, x, 0), (x, c, 0), (0, c, x), (0, x, c), (x, 0, c), (c, 0, x)][int(h // 60) % 6]
        return "#%02x%02x%02x" % tuple(int((v + m) * 255) for v in (r, g, b))
    return hsl(hue, 0.85), hsl((hue + 40) % 360, 0.45)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "data", "sample", "deckrec-photos.fodp")
    photos = [photo(s) for s in range(PHOTOS)]
    gradients, pages_styles, pages = [], [], []
    for i in range(SLIDES):
        start, end = gradient_colors(i)
        gradients.append(
            f'  <draw:gradient draw:name="g{i}" draw:style="linear" draw:start-color="{start}" draw:end-color="{end}"'
            f' draw:start-intensity="100%" draw:end-intensity="100%" draw:angle="{(i * 450) % 3600}" draw:border="0%"/>')
        fade = ' presentation:transition-speed="medium" smil:type="fade" smil:subtype="crossfade"' if i % 6 == 5 else ""
        pages_styles.append(
            f'  <style:style style:name="dp{i}" style:family="drawing-page">\n'
            f'   <style:drawing-page-properties presentation:background-visible="true" draw:background-size="full"'
            f' draw:fill="gradient" draw:fill-gradient-name="g{i}"{fade}/>\n  </style:style>')
        left = i % 2 == 0
        text_x, photo_x = ("1.2cm", "15.2cm") if left else ("13.6cm", "1.2cm")
        lines = "\n".join(f"      <text:p>Point {k + 1} of slide {i + 1}: colour, light and detail</text:p>" for k in range(3))
        pages.append(f"""   <draw:page draw:name="Slide{i + 1}" draw:style-name="dp{i}" draw:master-page-name="Default">
    <draw:frame draw:style-name="title" svg:x="1.2cm" svg:y="0.6cm" svg:width="25.6cm" svg:height="2.4cm">
     <draw:text-box><text:p>Photo slide {i + 1}</text:p></draw:text-box>
    </draw:frame>
    <draw:frame draw:style-name="body" svg:x="{text_x}" svg:y="3.6cm" svg:width="13.2cm" svg:height="10cm">
     <draw:text-box>
{lines}
     </draw:text-box>
    </draw:frame>
    <draw:frame svg:x="{photo_x}" svg:y="3.6cm" svg:width="11.6cm" svg:height="7.73cm">
     <draw:image><office:binary-data>{photos[i % PHOTOS]}</office:binary-data></draw:image>
    </draw:frame>
   </draw:page>""")

    nl = "\n"
    doc = f"""<?xml version="1.0" encoding="UTF-8"?>
<!-- Deckrec's photo deck (written by scripts/make-photo-deck.py): 30 slides of 16:9 with gradient
     backgrounds, photo-like pictures and text, a fade into every sixth slide. -->
<office:document
  xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
  xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
  xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
  xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"
  xmlns:smil="urn:oasis:names:tc:opendocument:xmlns:smil-compatible:1.0"
  xmlns:xlink="http://www.w3.org/1999/xlink"
  office:version="1.3"
  office:mimetype="application/vnd.oasis.opendocument.presentation">
 <office:font-face-decls>
  <style:font-face style:name="Liberation Sans" svg:font-family="'Liberation Sans'" style:font-family-generic="swiss" style:font-pitch="variable"/>
 </office:font-face-decls>
 <office:styles>
{nl.join(gradients)}
  <style:default-style style:family="graphic">
   <style:graphic-properties draw:stroke="none" draw:fill="none"/>
   <style:text-properties style:font-name="Liberation Sans" fo:font-size="20pt" fo:color="#101010"/>
  </style:default-style>
  <style:style style:name="title" style:family="graphic">
   <style:graphic-properties draw:stroke="none" draw:fill="none" draw:textarea-vertical-align="middle"/>
   <style:paragraph-properties fo:text-align="center"/>
   <style:text-properties style:font-name="Liberation Sans" fo:font-size="36pt" fo:font-weight="bold" fo:color="#101010"/>
  </style:style>
  <style:style style:name="body" style:family="graphic">
   <style:graphic-properties draw:stroke="none" draw:fill="none" draw:textarea-vertical-align="top"/>
   <style:paragraph-properties fo:margin-top="0.3cm"/>
   <style:text-properties style:font-name="Liberation Sans" fo:font-size="20pt" fo:color="#101010"/>
  </style:style>
 </office:styles>
 <office:automatic-styles>
  <style:page-layout style:name="PM1">
   <style:page-layout-properties fo:margin-top="0cm" fo:margin-bottom="0cm" fo:margin-left="0cm" fo:margin-right="0cm"
     fo:page-width="28cm" fo:page-height="15.75cm" style:print-orientation="landscape"/>
  </style:page-layout>
  <style:style style:name="dp-master" style:family="drawing-page">
   <style:drawing-page-properties draw:background-size="full" draw:fill="solid" draw:fill-color="#ffffff"/>
  </style:style>
{nl.join(pages_styles)}
 </office:automatic-styles>
 <office:master-styles>
  <style:master-page style:name="Default" style:page-layout-name="PM1" draw:style-name="dp-master"/>
 </office:master-styles>
 <office:body>
  <office:presentation>
{nl.join(pages)}
  </office:presentation>
 </office:body>
</office:document>
"""
    with open(out, "w", encoding="utf-8") as f:
        f.write(doc)
    print(out, len(doc), "bytes")


if __name__ == "__main__":
    main()
