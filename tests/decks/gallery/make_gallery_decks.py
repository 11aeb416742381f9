#!/usr/bin/env python3
"""Writes the gallery decks: every effect and slide transition the installed LibreOffice offers,
one slide each, as flat ODF (.fodp), read from the suite's own preset lists (effects.xml,
transitions.xml and transitions-ogl.xml under share/config/soffice.cfg/simpress/).

  gallery-entrance.fodp, gallery-emphasis.fodp, gallery-exit.fodp, gallery-motion.fodp
      one slide per preset, titled with its id; each of the preset's variants runs on a text
      box and on a picture (a second text box for text-only presets), started on a click, with
      the previous effect or after it, at a mix of speeds.
  gallery-transitions.fodp
      a plain opening slide, then one slide per transition (also the 3D ones), half a second,
      one or two seconds long.
  gallery-timing.fodp
      a transition on the first and the last slide, slides the show advances by itself (also
      right after click builds and exits), a semi-automatic one, effects that repeat, go back
      and forth or rewind.

With --end-state every deck is written a second time as NAME.end.fodp: the same slides with no
effects, each shape as the slide's effects leave it (an exit's shape gone, a motion path's shape
where the path ends, an emphasis's colour, size, weight... kept where the effect holds it). Its
PDF is what the last picture of each recorded slide is compared with.

The media presets (start, pause or stop a sound or video) need a media shape and are left out.
--only REGEX writes only the presets and transitions whose id matches, each with the trigger
and speed it has in the whole deck, and no timing deck: a few slides to look at.

  usage: make_gallery_decks.py OUT_DIR [--end-state] [--suite DIR] [--only REGEX]
"""

import argparse
import base64
import colorsys
import glob
import math
import os
import re
import shutil
import struct
import sys
import zlib
import xml.etree.ElementTree as ET
from xml.sax.saxutils import escape, quoteattr

# The preset lists are written with OpenOffice.org's namespaces; a deck takes ODF's.
SOURCE_NS = {
    'urn:oasis:names:tc:openoffice:xmlns:animation:1.0': 'anim',
    'http://www.w3.org/2001/SMIL20': 'smil',
    'urn:oasis:names:tc:openoffice:xmlns:presentation:1.0': 'presentation',
    'http://www.w3.org/2000/svg': 'svg',
}
PRES = '{urn:oasis:names:tc:openoffice:xmlns:presentation:1.0}'
SMIL = '{http://www.w3.org/2001/SMIL20}'
ANIM = '{urn:oasis:names:tc:openoffice:xmlns:animation:1.0}'
SVG = '{http://www.w3.org/2000/svg}'
# Attributes that only the suite's effect panel reads.
PANEL_ONLY = {PRES + 'preset-property', PRES + 'text-only'}

EFFECT_CLASSES = [('entrance', 'entrance'), ('emphasis', 'emphasis'), ('exit', 'exit'), ('motion-path', 'motion')]

# The slide: 28 x 15.75 cm, a title on top, shapes in the area below it.
SLIDE_W, SLIDE_H = 28.0, 15.75
AREA_X, AREA_Y, AREA_W, AREA_H = 1.0, 2.6, 26.0, 12.6
TRIGGERS = ['on-click', 'with-previous', 'after-previous']
# Effect lengths in seconds; None keeps the preset's own.
SPEEDS = [None, 0.5, 1.0, 2.0]
# Transition lengths in seconds, and the speed names the suite gives lengths near them.
TRANSITION_LENGTHS = [0.5, 1.0, 2.0]
SPEED_NAMES = {0.5: 'fast', 1.0: 'fast', 2.0: 'medium', 3.0: 'slow'}
PAGE_COLOURS = ['#ffffff', '#fff4d6', '#e4f4e4', '#e6ecff', '#f6e6f6']


def find_suite_presets(explicit):
    candidates = [explicit] if explicit else []
    soffice = shutil.which('soffice')
    if soffice:
        program = os.path.dirname(os.path.realpath(soffice))
        candidates.append(os.path.join(program, '..', 'share', 'config', 'soffice.cfg', 'simpress'))
    candidates += glob.glob('/usr/lib/libreoffice/share/config/soffice.cfg/simpress')
    candidates += glob.glob('/opt/libreoffice*/share/config/soffice.cfg/simpress')
    for folder in candidates:
        if folder and os.path.isfile(os.path.join(folder, 'effects.xml')):
            return os.path.normpath(folder)
    sys.exit('make_gallery_decks.py: no effects.xml of an installed LibreOffice found (give --suite DIR)')


def seconds(value):
    """A preset's time ("0.5", "4s", "200ms") in seconds, or None for "indefinite" and events."""
    match = re.fullmatch(r'\s*([0-9.]+)\s*(ms|s)?\s*', value or '')
    if not match:
        return None
    return float(match.group(1)) / (1000.0 if match.group(2) == 'ms' else 1.0)


def clock(value):
    return ('%.3f' % value).rstrip('0').rstrip('.') + 's'


def odf_name(tag):
    namespace, local = tag[1:].split('}')
    if local == 'animatePhysics':
        return 'loext:animatePhysics'  # not in ODF 1.3: the suite writes it in its own namespace
    return SOURCE_NS[namespace] + ':' + local


def odf_attribute(element, key):
    namespace, local = key[1:].split('}')
    if element.tag.endswith('animatePhysics') and SOURCE_NS[namespace] == 'anim':
        return 'loext:' + local
    return SOURCE_NS[namespace] + ':' + local


# -- presets -------------------------------------------------------------------------------------

class Preset:
    def __init__(self, node):
        self.node = node  # the effect node: anim:par or anim:iterate holding the animations
        self.klass = node.get(PRES + 'preset-class')
        self.id = node.get(PRES + 'preset-id')
        self.sub_type = node.get(PRES + 'preset-sub-type')
        self.text_only = node.get(PRES + 'text-only') == 'true'


def read_effects(folder):
    root = ET.parse(os.path.join(folder, 'effects.xml')).getroot()
    by_class = {}
    for node in root.iter():
        if node.get(PRES + 'preset-class') and node.get(PRES + 'preset-id'):
            preset = Preset(node)
            by_class.setdefault(preset.klass, {}).setdefault(preset.id, []).append(preset)
    return by_class


def read_transitions(folder):
    found = []
    for name in ('transitions.xml', 'transitions-ogl.xml'):
        path = os.path.join(folder, name)
        if not os.path.isfile(path):
            continue
        for par in ET.parse(path).getroot():  # commented-out presets are not parsed
            preset_id = par.get(PRES + 'preset-id')
            flt = par.find(ANIM + 'transitionFilter')
            if preset_id and flt is not None:
                found.append((preset_id, {k[len(SMIL):]: v for k, v in flt.attrib.items() if k.startswith(SMIL)}))
    return found


# -- the picture ---------------------------------------------------------------------------------

def png_picture():
    """A 96 x 64 picture of four flat quarters: orange, teal, violet and yellow (enough pixels that
    the browser's smoothing of its edges, which the PDF rasteriser does not do, stays narrow)."""
    width, height = 96, 64
    quarters = [(255, 128, 0), (0, 150, 150), (110, 60, 170), (240, 210, 40)]
    rows = b''
    for y in range(height):
        rows += b'\0' + b''.join(bytes(quarters[(y >= height // 2) * 2 + (x >= width // 2)]) for x in range(width))

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
    return base64.b64encode(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)) +
                            chunk(b'IDAT', zlib.compress(rows, 9)) + chunk(b'IEND', b'')).decode()


PICTURE = png_picture()


# -- shapes and their end state --------------------------------------------------------------

TEXT_STYLE = {'fill': '#dde8ff', 'color': '#202020', 'stroke': None, 'weight': None, 'italic': False,
              'underline': False, 'family': None, 'size': 18.0, 'opacity': None}


class Shape:
    def __init__(self, ident, kind, x, y, w, h, text=None):
        self.id, self.kind, self.text = ident, kind, text
        self.x, self.y, self.w, self.h = x, y, w, h  # as the slide's effects leave it
        self.start = (x, y, w, h)
        self.shown = True
        self.rotate = 0.0
        self.scale = (1.0, 1.0)  # of the shape as drawn, text and all
        self.font_factor = 1.0  # of the text's size alone
        self.look = dict(TEXT_STYLE) if kind == 'text' else {'opacity': None}

    def frame(self, styles, end_state):
        look = self.look if end_state else (dict(TEXT_STYLE) if self.kind == 'text' else {'opacity': None})
        x, y, w, h = (self.x, self.y, self.w, self.h) if end_state else self.start
        style = styles.name(self.kind, look)
        geometry = 'svg:width="%.3fcm" svg:height="%.3fcm"' % (w, h)
        if end_state and self.rotate % 360:
            # A turn about the shape's centre; the show turns clockwise, ODF's angle counts the other way.
            a = -math.radians(self.rotate % 360)
            cx, cy = x + w / 2, y + h / 2
            geometry += ' draw:transform="translate(%.3fcm %.3fcm) rotate(%.6f) translate(%.3fcm %.3fcm)"' % (
                -w / 2, -h / 2, a, cx, cy)
        else:
            geometry += ' svg:x="%.3fcm" svg:y="%.3fcm"' % (x, y)
        ident = '' if end_state else ' draw:id="%s" xml:id="%s"' % (self.id, self.id)
        if self.kind == 'text':
            body = '<draw:text-box><text:p>%s</text:p></draw:text-box>' % escape(self.text)
        else:
            body = '<draw:image><office:binary-data>%s</office:binary-data></draw:image>' % PICTURE
        return '    <draw:frame draw:style-name="%s"%s %s>%s</draw:frame>\n' % (style, ident, geometry, body)


class Styles:
    """Graphic styles of the shapes, one per distinct look."""

    def __init__(self):
        self.names = {}

    def name(self, kind, look):
        key = (kind,) + tuple(sorted((k, v) for k, v in look.items()))
        if key not in self.names:
            self.names[key] = 'gallery-%s%d' % (kind, len(self.names) + 1)
        return self.names[key]

    def xml(self, kind):
        """The styles of text boxes or of pictures (these among the automatic styles, where the
        suite reads a picture's opacity)."""
        out = ''
        for key, name in self.names.items():
            if key[0] != kind:
                continue
            look = dict(key[1:])
            graphic = 'draw:stroke="none" draw:fill="none"'
            if key[0] == 'text':
                graphic = 'draw:fill="solid" draw:fill-color="%s" draw:textarea-vertical-align="middle" ' % look['fill']
                graphic += ('draw:stroke="solid" svg:stroke-width="0.1cm" svg:stroke-color="%s"' % look['stroke']
                            if look['stroke'] else 'draw:stroke="none"')
            opacity = look.get('opacity')
            if opacity is not None:
                graphic += ' draw:%s="%d%%"' % ('opacity' if key[0] == 'text' else 'image-opacity', round(100 * opacity))
            text = ''
            if key[0] == 'text':
                text = '<style:text-properties fo:color="%s" fo:font-size="%.1fpt"%s%s%s%s%s/>' % (
                    look['color'], look['size'],
                    ' loext:opacity="%d%%"' % round(100 * opacity) if opacity is not None else '',
                    ' fo:font-weight="bold"' if look['weight'] == 'bold' else '',
                    ' fo:font-style="italic"' if look['italic'] else '',
                    ' style:text-underline-style="solid" style:text-underline-width="auto" style:text-underline-color="font-color"'
                    if look['underline'] else '',
                    ' fo:font-family=%s' % quoteattr(look['family']) if look['family'] else '')
            out += ('  <style:style style:name="%s" style:family="graphic"><style:graphic-properties %s/>'
                    '<style:paragraph-properties fo:text-align="center"/>%s</style:style>\n') % (name, graphic, text)
        return out


def hsl_shift(colour, by):
    match = re.fullmatch(r'hsl\(\s*(-?[0-9.]+)\s*,\s*(-?[0-9.]+)%\s*,\s*(-?[0-9.]+)%\s*\)', by)
    r, g, b = (int(colour[i:i + 2], 16) / 255.0 for i in (1, 3, 5))
    h, l, s = colorsys.rgb_to_hls(r, g, b)
    h = (h + float(match.group(1)) / 360.0) % 1.0
    s = min(1.0, max(0.0, s + float(match.group(2)) / 100.0))
    l = min(1.0, max(0.0, l + float(match.group(3)) / 100.0))
    return '#%02x%02x%02x' % tuple(round(255 * c) for c in colorsys.hls_to_rgb(h, l, s))


def path_end(path):
    """Where a motion path ends, in parts of the slide's width and height."""
    tokens = re.findall(r'[MLCQZmlcqz]|-?[0-9.]+(?:[eE][-+]?[0-9]+)?', path)
    x = y = start_x = start_y = 0.0
    command, k = 'M', 0
    arity = {'M': 2, 'L': 2, 'C': 6, 'Q': 4}
    while k < len(tokens):
        if tokens[k].isalpha():
            command = tokens[k]
            k += 1
            if command in 'Zz':
                x, y = start_x, start_y
            continue
        n = arity[command.upper()]
        values = [float(v) for v in tokens[k:k + n]]
        k += n
        end_x, end_y = values[-2], values[-1]
        if command.islower():
            end_x, end_y = x + end_x, y + end_y
        x, y = end_x, end_y
        if command in 'Mm':
            start_x, start_y = x, y
            command = 'L' if command == 'M' else 'l'
    return x, y


def formula(expression, names):
    """The value of one of the presets' formulas ("y-1", "(x)", "0-width/2"), or None."""
    if not expression or not re.fullmatch(r'[-+*/(). 0-9a-z]*', expression):
        return None
    try:
        return float(eval(expression, {'__builtins__': {}}, names))
    except (NameError, SyntaxError, TypeError, ZeroDivisionError):
        return None


def apply_end_state(shape, node, klass):
    """Leaves the shape as the effect node leaves it when it has run to its end."""
    held = node.get(SMIL + 'fill') != 'remove' and node.get(SMIL + 'autoReverse') != 'true'
    if len(node) == 0:
        return  # an empty preset ("random"): the suite picks another effect when one is applied
    if klass == 'entrance':
        shape.shown = shape.shown if held else False
    elif klass == 'exit':
        shape.shown = not held and shape.shown
    if not held:
        return
    for leaf in node:
        name, tag = leaf.get(SMIL + 'attributeName'), leaf.tag.split('}')[1]
        if klass in ('entrance', 'exit') and name not in ('x', 'y'):
            continue  # what else they change is over when they end
        if leaf.get(SMIL + 'autoReverse') == 'true' or leaf.get(SMIL + 'fill') == 'remove':
            continue
        if leaf.get(SMIL + 'dur') != 'indefinite' and leaf.get(SMIL + 'fill') != 'hold' and tag != 'animateMotion':
            continue
        values = leaf.get(SMIL + 'values')
        to = leaf.get(SMIL + 'to') or (values.split(';')[-1] if values else None)
        by = leaf.get(SMIL + 'by')
        if name in ('x', 'y') and tag == 'animate':
            if leaf.get(ANIM + 'formula'):
                continue  # a path by formula (spirals) ends where the formula puts it at 1: at the shape
            # The suite's formulas over the shape's own centre and size, in parts of the slide; of
            # several in a row the last holds.
            x, y, w, h = shape.start
            place = {'x': (x + w / 2) / SLIDE_W, 'y': (y + h / 2) / SLIDE_H, 'width': w / SLIDE_W, 'height': h / SLIDE_H}
            end = formula(by or to, place)
            if end is not None:
                end += place[name] if by else 0
                if name == 'x':
                    shape.x = end * SLIDE_W - shape.w / 2
                else:
                    shape.y = end * SLIDE_H - shape.h / 2
        elif tag == 'animateMotion':
            dx, dy = path_end(leaf.get(SVG + 'path'))
            shape.x += dx * SLIDE_W
            shape.y += dy * SLIDE_H
        elif tag == 'animateTransform' and leaf.get(SVG + 'type') == 'rotate':
            shape.rotate += float(by or 0)
        elif tag == 'animateTransform' and leaf.get(SVG + 'type') == 'scale' and (by or to):
            # "to" is the size against the shape's own; "by" is added to the size there is (the
            # suite writes its 150 % grow as "1.5,1.5", and PowerPoint's 250 % for it).
            sx, sy = (float(v) for v in (by or to).split(','))
            if by:
                sx, sy = shape.scale[0] + sx, shape.scale[1] + sy
            cx, cy = shape.x + shape.w / 2, shape.y + shape.h / 2
            shape.scale = (sx, sy)
            shape.w, shape.h = shape.start[2] * sx, shape.start[3] * sy
            shape.x, shape.y = cx - shape.w / 2, cy - shape.h / 2
        elif name == 'visibility':
            shape.shown = to != 'hidden'
        elif name == 'opacity' and to:
            shape.look['opacity'] = float(to)
        elif shape.kind != 'text':
            continue  # colours and type on a picture frame show nowhere
        elif name in ('color', 'fill-color', 'stroke-color'):
            key = {'color': 'color', 'fill-color': 'fill', 'stroke-color': 'stroke'}[name]
            if by and shape.look[key]:
                shape.look[key] = hsl_shift(shape.look[key], by)
            elif to and to.startswith('#'):
                shape.look[key] = to.lower()
        elif name == 'font-weight':
            shape.look['weight'] = to
        elif name == 'font-style':
            shape.look['italic'] = to == 'italic'
        elif name == 'text-underline':
            shape.look['underline'] = to == 'solid'
        elif name == 'font-family':
            shape.look['family'] = to
        elif name == 'font-size' and to:
            shape.font_factor *= float(to.rstrip('pt'))
    if shape.kind == 'text':
        shape.look['size'] = TEXT_STYLE['size'] * shape.font_factor * min(shape.scale)


# -- effect nodes ------------------------------------------------------------------------------

def effect_length(node, letters):
    """How long the effect node runs, in seconds (a repeat or a back-and-forth counts)."""
    longest = 0.0
    for leaf in node:
        begin = seconds(leaf.get(SMIL + 'begin', '0')) or 0.0
        length = seconds(leaf.get(SMIL + 'dur', '0')) or 0.0
        if leaf.get(SMIL + 'autoReverse') == 'true':
            length *= 2
        longest = max(longest, begin + length)
    if node.tag == ANIM + 'iterate':
        longest += (seconds(node.get(ANIM + 'iterate-interval')) or 0.0) * max(0, letters - 1)
    repeats = seconds(node.get(SMIL + 'repeatCount', '1')) or 1.0
    return longest * repeats * (2 if node.get(SMIL + 'autoReverse') == 'true' else 1)


def preset_length(node):
    return effect_length(node, 1)


def effect_xml(node, target, trigger, factor, extra, indent):
    """The preset's effect node in ODF terms: aimed at the shape, with the given trigger, its
    times multiplied by factor, extra attributes on the effect itself."""
    def attributes(element, skip=(), scale=False):
        out = []
        for key, value in element.attrib.items():
            if key in PANEL_ONLY or key in skip:
                continue
            if key in (SMIL + 'begin', SMIL + 'dur') and seconds(value) is not None:
                value = clock(seconds(value) * (factor if scale else 1.0))
            out.append('%s=%s' % (odf_attribute(element, key), quoteattr(value)))
        return out

    is_iterate = node.tag == ANIM + 'iterate'
    overridden = tuple(SMIL + k.split(':')[1] for k in extra)
    head = attributes(node, skip=(PRES + 'node-type', SMIL + 'begin') + overridden)
    head = ['smil:begin="0s"'] + head + ['presentation:node-type="%s"' % trigger]
    head += ['%s=%s' % (k, quoteattr(v)) for k, v in extra.items()]
    if is_iterate:
        head.append('smil:targetElement="%s"' % target)
    lines = ['%s<%s %s>' % (indent, odf_name(node.tag), ' '.join(head))]
    for leaf in node:
        parts = attributes(leaf, scale=True)
        if not is_iterate:
            parts.insert(0, 'smil:targetElement="%s"' % target)
        lines.append('%s <%s %s/>' % (indent, odf_name(leaf.tag), ' '.join(parts)))
    lines.append('%s</%s>' % (indent, odf_name(node.tag)))
    return '\n'.join(lines) + '\n'


class Effect:
    def __init__(self, node, shape, trigger, length=None, extra=None):
        self.node, self.shape, self.trigger = node, shape, trigger
        own = preset_length(node)
        self.factor = (length / own) if (length and own) else 1.0
        self.extra = extra or {}
        letters = len(shape.text or '') if shape.kind == 'text' else 1
        self.length = effect_length(node, letters) * self.factor
        repeats = seconds(self.extra.get('smil:repeatCount', '1'))
        self.length *= (repeats or 1.0) * (2 if self.extra.get('smil:autoReverse') == 'true' else 1)


def main_sequence(effects):
    """The slide's main sequence as the suite writes it: a group per click (the first starting
    at once when its first effect is not a click's), in it a group per effect that starts after
    the previous one, holding it and the effects that start with it."""
    clicks = []
    for effect in effects:
        if effect.trigger == 'on-click' or not clicks:
            clicks.append({'begin': 'next' if effect.trigger == 'on-click' else '0s', 'withs': [[0.0, []]]})
        elif effect.trigger == 'after-previous':
            begin, group = clicks[-1]['withs'][-1]
            clicks[-1]['withs'].append([begin + max((e.length for e in group), default=0.0), []])
        clicks[-1]['withs'][-1][1].append(effect)
    out = '     <anim:seq presentation:node-type="main-sequence">\n'
    for click in clicks:
        out += '      <anim:par smil:begin="%s">\n' % click['begin']
        for begin, group in click['withs']:
            out += '       <anim:par smil:begin="%s">\n' % clock(begin)
            for e in group:
                out += effect_xml(e.node, e.shape.id, e.trigger, e.factor, e.extra, '        ')
            out += '       </anim:par>\n'
        out += '      </anim:par>\n'
    return out + '     </anim:seq>\n'


# -- decks ---------------------------------------------------------------------------------------

class Slide:
    def __init__(self, title, page_style='dp-plain', transition=None):
        self.title, self.page_style = title, page_style
        self.transition = transition  # (attributes, seconds) of the transition into the slide
        self.shapes, self.effects = [], []


class Deck:
    def __init__(self, name, comment):
        self.name, self.comment = name, comment
        self.slides = []
        self.page_styles = {'dp-plain': 'draw:fill="solid" draw:fill-color="#ffffff"'}

    def page_style(self, properties):
        for name, value in self.page_styles.items():
            if value == properties:
                return name
        name = 'dp%d' % len(self.page_styles)
        self.page_styles[name] = properties
        return name

    def xml(self, end_state):
        styles = Styles()
        body = ''
        for number, slide in enumerate(self.slides, 1):
            page_style = slide.page_style
            if end_state:  # the end state is a still: no transition, no timer
                page_style = self.page_style(re.sub(r' (presentation:(transition|duration)|smil:)[^ ]*', '',
                                                    self.page_styles[slide.page_style]))
            body += ('   <draw:page draw:name=%s draw:style-name="%s" draw:master-page-name="Default" '
                     'presentation:presentation-page-layout-name="AL1T19" draw:id="page%d" xml:id="page%d">\n') % (
                quoteattr('%d %s' % (number, slide.title)), page_style, number, number)
            body += ('    <draw:frame presentation:style-name="Default-title" presentation:class="title" svg:x="1.4cm" '
                     'svg:y="0.4cm" svg:width="25.2cm" svg:height="1.8cm"><draw:text-box><text:p>%s</text:p>'
                     '</draw:text-box></draw:frame>\n') % escape(slide.title)
            for shape in slide.shapes:
                if not end_state or shape.shown:
                    body += shape.frame(styles, end_state)
            if (slide.effects or slide.transition) and not end_state:
                # The transition's length as the suite writes it: a filter that starts with the page.
                body += '    <anim:par presentation:node-type="timing-root">\n'
                if slide.transition:
                    attributes, length = slide.transition
                    body += ('     <anim:par smil:begin="page%d.begin"><anim:transitionFilter smil:dur="%s" %s/>'
                             '</anim:par>\n') % (number, clock(length), ' '.join(
                                 'smil:%s=%s' % (k, quoteattr(v)) for k, v in attributes.items()))
                if slide.effects:
                    body += main_sequence(slide.effects)
                body += '    </anim:par>\n'
            body += '   </draw:page>\n'
        pages = ''.join('  <style:style style:name="%s" style:family="drawing-page"><style:drawing-page-properties '
                        'presentation:background-visible="true" draw:background-size="full" %s/></style:style>\n'
                        % (n, p) for n, p in self.page_styles.items())
        return HEAD % {'comment': self.comment.replace('--', '- -'), 'styles': styles.xml('text'),
                       'pages': pages + styles.xml('picture')} + body + TAIL


HEAD = '''<?xml version="1.0" encoding="UTF-8"?>
<!-- %(comment)s
     Written by tests/decks/gallery/make_gallery_decks.py from the installed suite's preset lists. -->
<office:document
  xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
  xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
  xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
  xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"
  xmlns:smil="urn:oasis:names:tc:opendocument:xmlns:smil-compatible:1.0"
  xmlns:anim="urn:oasis:names:tc:opendocument:xmlns:animation:1.0"
  xmlns:loext="urn:org:documentfoundation:names:experimental:office:xmlns:loext:1.0"
  xmlns:xlink="http://www.w3.org/1999/xlink"
  office:version="1.3"
  office:mimetype="application/vnd.oasis.opendocument.presentation">
 <office:font-face-decls>
  <style:font-face style:name="Liberation Sans" svg:font-family="'Liberation Sans'" style:font-family-generic="swiss" style:font-pitch="variable"/>
 </office:font-face-decls>
 <office:styles>
  <style:default-style style:family="graphic">
   <style:graphic-properties draw:stroke="none" draw:fill="none"/>
   <style:text-properties style:font-name="Liberation Sans" fo:font-size="18pt" fo:color="#202020"/>
  </style:default-style>
  <style:style style:name="Default-title" style:family="presentation">
   <style:graphic-properties draw:stroke="none" draw:fill="none" draw:textarea-vertical-align="middle"/>
   <style:paragraph-properties fo:text-align="center"/>
   <style:text-properties style:font-name="Liberation Sans" fo:font-size="24pt" fo:font-weight="bold" fo:color="#202020"/>
  </style:style>
  <style:style style:name="Default-background" style:family="presentation">
   <style:graphic-properties draw:fill="solid" draw:fill-color="#ffffff"/>
  </style:style>
  <style:style style:name="Default-backgroundobjects" style:family="presentation"/>
%(styles)s  <style:presentation-page-layout style:name="AL1T19">
   <presentation:placeholder presentation:object="title" svg:x="1.4cm" svg:y="0.4cm" svg:width="25.2cm" svg:height="1.8cm"/>
  </style:presentation-page-layout>
 </office:styles>
 <office:automatic-styles>
  <style:page-layout style:name="PM1">
   <style:page-layout-properties fo:margin-top="0cm" fo:margin-bottom="0cm" fo:margin-left="0cm" fo:margin-right="0cm"
     fo:page-width="28cm" fo:page-height="15.75cm" style:print-orientation="landscape"/>
  </style:page-layout>
  <style:style style:name="dp-master" style:family="drawing-page">
   <style:drawing-page-properties draw:background-size="full" draw:fill="solid" draw:fill-color="#ffffff"/>
  </style:style>
%(pages)s </office:automatic-styles>
 <office:master-styles>
  <style:master-page style:name="Default" style:page-layout-name="PM1" draw:style-name="dp-master">
   <draw:frame presentation:style-name="Default-title" presentation:class="title" presentation:placeholder="true"
     svg:x="1.4cm" svg:y="0.4cm" svg:width="25.2cm" svg:height="1.8cm">
    <draw:text-box/>
   </draw:frame>
  </style:master-page>
 </office:master-styles>
 <office:body>
  <office:presentation>
'''

TAIL = '''  </office:presentation>
 </office:body>
</office:document>
'''


def grid(count):
    """Cells for count pairs of shapes in the area under the title: (x, y, width, height)."""
    columns = 1 if count == 1 else 2 if count <= 4 else 3 if count <= 9 else 4
    rows = -(-count // columns)
    w, h = AREA_W / columns, AREA_H / rows
    return [(AREA_X + (k % columns) * w, AREA_Y + (k // columns) * h, w, h) for k in range(count)]


def effect_slides(deck, presets_by_id, klass, counter, chosen):
    for preset_id, variants in presets_by_id.items():
        if not chosen(preset_id):
            counter[0] += 1  # the slides left out keep their places in the mix of triggers and speeds
            continue
        slide = Slide(preset_id)
        cells = grid(len(variants))
        for v, (preset, (x, y, w, h)) in enumerate(zip(variants, cells)):
            label = preset.sub_type or 'Text'
            if klass == 'motion-path':
                # Paths reach up to half the slide: the pair starts near its middle.
                x, y, w, h = AREA_X + AREA_W * 0.25, AREA_Y + AREA_H * 0.25, AREA_W * 0.5, AREA_H * 0.5
            # A pair no larger than a fifth of the slide's height, in the middle of its cell, so
            # that what grows or moves stays mostly on the slide.
            pad = min(w, h) * 0.08
            tw, pw, ph = min((w - 3 * pad) * 0.55, 6.0), min((w - 3 * pad) * 0.45, 4.5), min(h - 2 * pad, 3.2)
            x, y = x + (w - tw - pw - pad) / 2, y + (h - ph) / 2
            first = Shape('s%dt%d' % (counter[0], v), 'text', x, y, tw, ph, label)
            kind = 'text' if preset.text_only else 'picture'
            second = Shape('s%dp%d' % (counter[0], v), kind, x + pad + tw, y, pw, ph, label if kind == 'text' else None)
            slide.shapes += [first, second]
            for shape in (first, second):
                n = len(slide.effects)
                trigger = TRIGGERS[(counter[0] + n) % len(TRIGGERS)]
                # The first effect of every third slide starts with it, the others on clicks.
                if n == 0 and counter[0] % 3 != 1:
                    trigger = 'on-click'
                slide.effects.append(Effect(preset.node, shape, trigger, SPEEDS[(counter[0] + n) % len(SPEEDS)]))
                apply_end_state(shape, preset.node, klass)
        deck.slides.append(slide)
        counter[0] += 1


def transition_slide(deck, title, attributes, length, advance='presentation:transition-type="manual"',
                     colour='#ffffff'):
    """A slide that comes in with the transition: its kind in the page's style, with the speed the
    suite names nearest to its length, and the length itself in the page's timing."""
    parts = ['draw:fill="solid" draw:fill-color="%s"' % colour, advance]
    parts += ['smil:%s=%s' % (k, quoteattr(v)) for k, v in attributes.items()]
    parts.append('presentation:transition-speed="%s"' % SPEED_NAMES[length])
    return Slide(title, deck.page_style(' '.join(parts)), (attributes, length))


def transitions_deck(transitions, chosen):
    deck = Deck('gallery-transitions', 'Every slide transition the suite offers, one slide each, half a second, one '
                'or two seconds long, after a plain opening slide.')
    if any(chosen(preset_id) for preset_id, _ in transitions):
        deck.slides.append(Slide('transitions'))
    for k, (preset_id, attributes) in enumerate(transitions):
        if not chosen(preset_id):
            continue
        slide = transition_slide(deck, preset_id, attributes, TRANSITION_LENGTHS[k % len(TRANSITION_LENGTHS)],
                                 colour=PAGE_COLOURS[k % len(PAGE_COLOURS)])
        slide.shapes.append(Shape('tr%dp' % k, 'picture', 11.5, 5.5, 5.0, 5.0))
        deck.slides.append(slide)
    return deck


def timing_deck(effects):
    """Slides that advance by themselves, repeat, go back and forth or rewind."""
    def preset(klass, preset_id):
        return effects[klass][preset_id][0]

    def pair(slide, k):
        text = Shape('tm%dt' % k, 'text', 4.0, 5.0, 9.0, 5.0, 'Text %d' % k)
        picture = Shape('tm%dp' % k, 'picture', 15.0, 5.0, 9.0, 5.0)
        slide.shapes += [text, picture]
        return text, picture

    def add(slide, klass, preset_id, shape, trigger, length=None, **extra):
        node = preset(klass, preset_id).node
        slide.effects.append(Effect(node, shape, trigger, length, {'smil:' + k: v for k, v in extra.items()}))
        probe = ET.Element(node.tag, dict(node.attrib))
        probe.extend(list(node))
        for key, value in extra.items():
            probe.set(SMIL + key, value)
        apply_end_state(shape, probe, klass)

    deck = Deck('gallery-timing', 'Slides that advance by themselves or wait, transitions on the first and the '
                'last slide, effects that repeat, go back and forth or rewind.')
    fade_black = {'type': 'fade', 'subtype': 'fadeOverColor', 'fadeColor': '#000000'}
    auto = lambda seconds_: 'presentation:transition-type="automatic" presentation:duration="PT00H00M%02dS"' % seconds_

    s = transition_slide(deck, 'opening-through-black', fade_black, 2.0)
    t, p = pair(s, 0)
    add(s, 'entrance', 'ooo-entrance-fade-in', t, 'on-click', 0.5)
    deck.slides.append(s)

    s = transition_slide(deck, 'advances-after-1s', {'type': 'pushWipe', 'subtype': 'fromRight'}, 0.5, auto(1),
                         PAGE_COLOURS[1])
    pair(s, 1)
    deck.slides.append(s)

    s = transition_slide(deck, 'effects-then-advances', {'type': 'fade', 'subtype': 'crossfade'}, 1.0, auto(1),
                         PAGE_COLOURS[2])
    t, p = pair(s, 2)
    add(s, 'entrance', 'ooo-entrance-fly-in', t, 'after-previous', 1.0)
    add(s, 'entrance', 'ooo-entrance-wipe', p, 'after-previous', 0.5)
    deck.slides.append(s)

    s = Slide('builds-and-exits-on-clicks')
    t, p = pair(s, 3)
    add(s, 'entrance', 'ooo-entrance-appear', t, 'on-click')
    add(s, 'entrance', 'ooo-entrance-fade-in', p, 'on-click', 0.5)
    add(s, 'exit', 'ooo-exit-fade-out', t, 'on-click', 0.5)
    add(s, 'exit', 'ooo-exit-disappear', p, 'after-previous')
    deck.slides.append(s)

    s = transition_slide(deck, 'advances-after-1s-not-on-a-click', {'type': 'barWipe', 'subtype': 'leftToRight'}, 0.5,
                         auto(1), PAGE_COLOURS[3])
    t, p = pair(s, 4)
    add(s, 'motion-path', 'ooo-motionpath-right', p, 'with-previous', 1.0)
    deck.slides.append(s)

    s = transition_slide(deck, 'advances-at-once', {'type': 'irisWipe', 'subtype': 'diamond'}, 0.5, auto(0),
                         PAGE_COLOURS[4])
    t, p = pair(s, 5)
    add(s, 'entrance', 'ooo-entrance-zoom', t, 'with-previous', 0.5)
    deck.slides.append(s)

    s = Slide('semi-automatic', deck.page_style('draw:fill="solid" draw:fill-color="#ffffff" '
                                                'presentation:transition-type="semi-automatic"'))
    t, p = pair(s, 6)
    add(s, 'entrance', 'ooo-entrance-dissolve-in', t, 'on-click', 0.5)
    add(s, 'entrance', 'ooo-entrance-fade-in', p, 'after-previous', 0.5)
    deck.slides.append(s)

    s = Slide('repeats-three-times')
    t, p = pair(s, 7)
    add(s, 'emphasis', 'ooo-emphasis-spin', t, 'on-click', 0.5, repeatCount='3')
    add(s, 'emphasis', 'ooo-emphasis-grow-and-shrink', p, 'with-previous', 0.5, repeatCount='2')
    deck.slides.append(s)

    s = Slide('repeats-until-next-click')
    t, p = pair(s, 8)
    add(s, 'emphasis', 'ooo-emphasis-spin', t, 'on-click', 1.0, repeatCount='indefinite', end='next')
    add(s, 'entrance', 'ooo-entrance-fade-in', p, 'on-click', 0.5)
    deck.slides.append(s)

    s = Slide('repeats-until-end-of-slide')
    t, p = pair(s, 9)
    add(s, 'emphasis', 'ooo-emphasis-spin', p, 'with-previous', 1.0, repeatCount='indefinite')
    add(s, 'entrance', 'ooo-entrance-appear', t, 'on-click')
    deck.slides.append(s)

    s = Slide('back-and-forth')
    t, p = pair(s, 10)
    add(s, 'motion-path', 'ooo-motionpath-down', t, 'on-click', 1.0, autoReverse='true')
    add(s, 'emphasis', 'ooo-emphasis-grow-and-shrink', p, 'with-previous', 1.0, autoReverse='true')
    deck.slides.append(s)

    s = Slide('rewinds-when-done')
    t, p = pair(s, 11)
    add(s, 'emphasis', 'ooo-emphasis-fill-color', t, 'on-click', 0.5, fill='remove')
    add(s, 'entrance', 'ooo-entrance-fly-in', p, 'after-previous', 0.5, fill='remove')
    deck.slides.append(s)

    s = transition_slide(deck, 'closing-dissolve', {'type': 'dissolve', 'subtype': 'default'}, 3.0,
                         colour=PAGE_COLOURS[3])
    pair(s, 12)
    deck.slides.append(s)
    return deck


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('out_dir')
    parser.add_argument('--end-state', action='store_true', help='also write NAME.end.fodp, the slides as they end')
    parser.add_argument('--suite', help="the suite's simpress configuration folder (holding effects.xml)")
    parser.add_argument('--only', metavar='REGEX', help='only the presets and transitions whose id matches (to look at a few)')
    args = parser.parse_args()
    folder = find_suite_presets(args.suite)
    effects = read_effects(folder)
    transitions = read_transitions(folder)
    chosen = (lambda preset_id: re.search(args.only, preset_id)) if args.only else (lambda preset_id: True)
    decks = []
    counter = [0]
    for klass, name in EFFECT_CLASSES:
        deck = Deck('gallery-' + name, 'Every %s preset the suite offers, one slide each: its variants on a text box '
                    'and a picture, on a click, with or after the previous effect, at several speeds.' % klass)
        effect_slides(deck, effects.get(klass, {}), klass, counter, chosen)
        decks.append(deck)
    decks.append(transitions_deck(transitions, chosen))
    if not args.only:
        decks.append(timing_deck(effects))
    os.makedirs(args.out_dir, exist_ok=True)
    for deck in decks:
        if not deck.slides:
            continue
        with open(os.path.join(args.out_dir, deck.name + '.fodp'), 'w', encoding='utf-8') as out:
            out.write(deck.xml(False))
        if args.end_state:
            with open(os.path.join(args.out_dir, deck.name + '.end.fodp'), 'w', encoding='utf-8') as out:
                out.write(deck.xml(True))
        print('%s: %d slides' % (deck.name, len(deck.slides)))


if __name__ == '__main__':
    main()
