#!/usr/bin/env python3
"""Build the sample books in samples/ from tools/sample_text.txt.

The source text is UTF-8 with LF line ends.  Every output file gets CR LF
line ends (the last line too) and no byte-order mark:

    samples/kniga-cp1251.txt   Windows-1251
    samples/kniga-cp866.txt    DOS 866
    samples/kniga-koi8r.txt    KOI8-R
    samples/kniga-utf8.txt     UTF-8

and the same story as a FictionBook (chapters as sections, paragraphs joined,
with a poem, a note, emphasis and a cover picture added to try each part of
the format):

    samples/kniga-utf8.fb2     UTF-8
    samples/kniga-cp1251.fb2   Windows-1251 (box drawing as for the .txt)
    samples/kniga.fb2.zip      kniga-utf8.fb2 zipped

Windows-1251 has no box-drawing or shading characters, so for that file they
are replaced by plain ASCII (see BOX_TO_ASCII).  Any other character that a
target coding lacks is replaced through FALLBACK; a character with no
replacement stops the script with an error, so nothing is lost silently.

Usage:
    python3 tools/make_samples.py           write the files
    python3 tools/make_samples.py --check   exit 1 if a file is out of date

Standard library only.
"""

import argparse
import base64
import io
import pathlib
import sys
import gzip
import zipfile
from xml.sax.saxutils import escape

ROOT = pathlib.Path(__file__).resolve().parent.parent
SOURCE = ROOT / "tools" / "sample_text.txt"
SAMPLES = ROOT / "samples"

# Box drawing and shading -> ASCII, used for Windows-1251 only.
BOX_TO_ASCII = {
    "─": "-", "│": "|",
    "┌": "+", "┐": "+", "└": "+", "┘": "+",
    "├": "+", "┤": "+", "┬": "+", "┴": "+", "┼": "+",
    "░": ".", "▒": ":", "▓": "%", "█": "#", "▄": "_",
}

# Typographic characters that some codings lack (the text avoids them, but a
# later edit might bring one in).
FALLBACK = {
    "\u2014": "-",   # em dash
    "\u2013": "-",   # en dash
    "\u00ab": '"',   # left guillemet
    "\u00bb": '"',   # right guillemet
    "\u201e": '"', "\u201c": '"', "\u201d": '"',
    "\u2026": "...",
    "\u2116": "N",   # numero sign
    "\u00a0": " ",   # no-break space
}

TARGETS = [
    ("kniga-cp1251.txt", "cp1251", BOX_TO_ASCII),
    ("kniga-cp866.txt", "cp866", {}),
    ("kniga-koi8r.txt", "koi8_r", {}),
    ("kniga-utf8.txt", "utf-8", {}),
]


def read_source():
    raw = SOURCE.read_bytes()
    if raw.startswith(b"\xef\xbb\xbf"):
        sys.exit(f"{SOURCE}: must not start with a byte-order mark")
    if b"\r" in raw:
        sys.exit(f"{SOURCE}: must use LF line ends")
    text = raw.decode("utf-8")
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    return lines


def convert_line(line, codec, subst, counts):
    out = []
    for ch in line:
        rep = subst.get(ch, ch)
        try:
            rep.encode(codec)
        except UnicodeEncodeError:
            rep = FALLBACK.get(ch)
            if rep is None:
                sys.exit(f"{codec}: no way to write {ch!r} (U+{ord(ch):04X})")
        if rep != ch:
            counts[ch] = counts.get(ch, 0) + 1
        out.append(rep)
    return "".join(out)


def build(lines, codec, subst):
    counts = {}
    converted = [convert_line(line, codec, subst, counts) for line in lines]
    data = ("\r\n".join(converted) + "\r\n").encode(codec)
    return data, counts


# Additions of the FictionBook form, our own text like the story.
POEM = [
    "Горит фонарь над тёмною водой,",
    "Идёт по кругу свет его простой,",
    "И тот, кто в море, знает наперёд:",
    "Его на берегу огонь найдёт.",
]
NOTE = ("Смотрители северных маяков нередко жили при маяке круглый год, "
        "а припасы им привозили раз в месяц.")
NOTE_AFTER = "Фёдор Ильич Зарубин."
EMPHASIS = "белый маяк"
COVER = ROOT / "resources" / "icons" / "hicolor" / "16x16" / "apps" / "tresslin.png"


def fb2_paragraphs(block):
    """A block of source lines as FictionBook elements: a paragraph starts at
    a three-blank indent and keeps its source line breaks (the reader joins
    them); a framed drawing keeps one paragraph a line, its blanks no-break."""
    if block[0].startswith("    "):
        return ["<p>" + escape(line.strip().replace(" ", "\u00a0")) + "</p>" for line in block]
    paras = []
    for line in block:
        if line.startswith("   ") or not paras:
            paras.append([line.strip()])
        else:
            paras[-1].append(line.strip())
    out = []
    for para in paras:
        text = escape("\n".join(para))
        if EMPHASIS in text and not any(EMPHASIS in o for o in out):
            text = text.replace(EMPHASIS, f"<emphasis>{EMPHASIS}</emphasis>", 1)
        if NOTE_AFTER in text:
            text = text.replace(NOTE_AFTER, NOTE_AFTER + '<a l:href="#n1" type="note">[1]</a>', 1)
        out.append("<p>" + text + "</p>")
    return out


def build_fb2(lines, encoding):
    blocks, block = [], []
    for line in lines + [""]:
        if line:
            block.append(line)
        elif block:
            blocks.append(block)
            block = []
    title, subtitle = blocks[0]
    body = ["<body>", f"<title><p>{escape(title)}</p><p>{escape(subtitle)}</p></title>"]
    chapters = 0
    for block in blocks[1:]:
        if block[0].startswith("ГЛАВА"):
            if chapters:
                body.append("</section>")
            if chapters == 1:
                body.insert(-1, "<poem><stanza>" + "".join(f"<v>{v}</v>" for v in POEM) +
                            "</stanza><text-author>Варя</text-author></poem>")
            chapters += 1
            body.append(f"<section><title><p>{escape(block[0])}</p></title>")
            continue
        body.extend(fb2_paragraphs(block))
    body.append("</section></body>")
    cover = base64.b64encode(COVER.read_bytes()).decode("ascii")
    doc = [
        f'<?xml version="1.0" encoding="{encoding}"?>',
        '<FictionBook xmlns="http://www.gribuser.ru/xml/fictionbook/2.0" '
        'xmlns:l="http://www.w3.org/1999/xlink">',
        "<description><title-info><genre>prose_contemporary</genre>",
        "<author><first-name>Авторы</first-name><last-name>Tresslin</last-name></author>",
        f"<book-title>{escape(title.capitalize())}</book-title>",
        '<coverpage><image l:href="#cover.png"/></coverpage><lang>ru</lang></title-info>',
        "<document-info><author><nickname>make_samples.py</nickname></author>",
        "<date>2024</date><id>tresslin-sample-1</id><version>1.0</version></document-info>",
        "</description>",
        *body,
        '<body name="notes"><title><p>Примечания</p></title>',
        f'<section id="n1"><title><p>1</p></title><p>{NOTE}</p></section></body>',
        f'<binary id="cover.png" content-type="image/png">{cover}</binary>',
        "</FictionBook>",
    ]
    return "\n".join(doc) + "\n"


def fb2_outputs(lines):
    """(name, bytes, how to compare) of each FictionBook form."""
    utf8 = build_fb2(lines, "utf-8").encode("utf-8")
    cp1251_lines = [convert_line(line, "cp1251", BOX_TO_ASCII, {}) for line in lines]
    cp1251 = build_fb2(cp1251_lines, "windows-1251").encode("cp1251")
    # A fixed date keeps the archive the same on every run.
    packed = io.BytesIO()
    with zipfile.ZipFile(packed, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo("kniga-utf8.fb2", date_time=(2024, 1, 1, 0, 0, 0)), utf8,
                   compress_type=zipfile.ZIP_DEFLATED)
    txt_cp1251, _ = build(lines, "cp1251", BOX_TO_ASCII)
    txt_utf8, _ = build(lines, "utf-8", {})
    return [("kniga-utf8.fb2", utf8), ("kniga-cp1251.fb2", cp1251), ("kniga.fb2.zip", packed.getvalue()),
            ("kniga-epub3.epub", build_epub(lines, 3)), ("kniga-epub2.epub", build_epub(lines, 2)),
            ("kniga-utf16le.txt", b"\xff\xfe" + txt_utf8.decode("utf-8").encode("utf-16-le")),
            ("kniga-as-found.fb2", as_found(utf8)),
            ("kniga.fb2.gz", gzip.compress(utf8, mtime=0)),
            ("kniga-two.zip", zip_bytes([("kniga-utf8.fb2", utf8), ("kniga-cp1251.txt", txt_cp1251)]))]


def zip_bytes(entries, epub=False):
    """A deterministic archive; an EPUB's mimetype comes first and stored."""
    packed = io.BytesIO()
    with zipfile.ZipFile(packed, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in entries:
            kind = zipfile.ZIP_STORED if epub and name == "mimetype" else zipfile.ZIP_DEFLATED
            z.writestr(zipfile.ZipInfo(name, date_time=(2024, 1, 1, 0, 0, 0)), data,
                       compress_type=kind)
    return packed.getvalue()


def build_epub(lines, version):
    """The story as an EPUB 3 (navigation document) or EPUB 2 (NCX): a title page, then one
    XHTML document a chapter, each opening with its heading."""
    blocks, block = [], []
    for line in lines + [""]:
        if line:
            block.append(line)
        elif block:
            blocks.append(block)
            block = []
    title, subtitle = blocks[0]
    docs = [("title.xhtml", title, [f"<h1>{escape(title)}</h1>", f"<p>{escape(subtitle)}</p>"])]
    for block in blocks[1:]:
        if block[0].startswith("ГЛАВА"):
            docs.append((f"ch{len(docs)}.xhtml", block[0], [f"<h2>{escape(block[0])}</h2>"]))
            continue
        paras = fb2_paragraphs(block)
        docs[-1][2].extend(p.replace('<a l:href="#n1" type="note">[1]</a>', "")
                           .replace("emphasis>", "em>") for p in paras)
    head = '<?xml version="1.0" encoding="utf-8"?>\n<html xmlns="http://www.w3.org/1999/xhtml"' \
           ' xmlns:epub="http://www.idpf.org/2007/ops">'
    entries = [("mimetype", b"application/epub+zip"),
               ("META-INF/container.xml",
                b'<?xml version="1.0"?>\n<container version="1.0" '
                b'xmlns="urn:oasis:names:tc:opendocument:xmlns:container"><rootfiles>'
                b'<rootfile full-path="OEBPS/content.opf" '
                b'media-type="application/oebps-package+xml"/></rootfiles></container>\n')]
    for name, heading, body in docs:
        text = f"{head}<head><title>{escape(heading)}</title></head><body>\n" + \
               "\n".join(body) + "\n</body></html>\n"
        entries.append(("OEBPS/" + name, text.encode("utf-8")))
    items = "".join(f'<item id="d{i}" href="{n}" media-type="application/xhtml+xml"/>'
                    for i, (n, _, _) in enumerate(docs))
    spine = "".join(f'<itemref idref="d{i}"/>' for i in range(len(docs)))
    chapters = [(n, h) for n, h, _ in docs[1:]]
    if version == 3:
        nav = "".join(f'<li><a href="{n}">{escape(h)}</a></li>' for n, h in chapters)
        entries.append(("OEBPS/nav.xhtml", (f'{head}<head><title>Оглавление</title></head><body>'
                        f'<nav epub:type="toc"><ol>{nav}</ol></nav></body></html>\n')
                        .encode("utf-8")))
        items += '<item id="nav" href="nav.xhtml" media-type="application/xhtml+xml" ' \
                 'properties="nav"/>'
        toc = ""
    else:
        points = "".join(f'<navPoint id="p{i}" playOrder="{i + 1}"><navLabel><text>{escape(h)}'
                         f'</text></navLabel><content src="{n}"/></navPoint>'
                         for i, (n, h) in enumerate(chapters))
        entries.append(("OEBPS/toc.ncx", ('<?xml version="1.0" encoding="utf-8"?>\n<ncx '
                        'xmlns="http://www.daisy.org/z3986/2005/ncx/" version="2005-1"><navMap>'
                        f'{points}</navMap></ncx>\n').encode("utf-8")))
        items += '<item id="ncx" href="toc.ncx" media-type="application/x-dtbncx+xml"/>'
        toc = ' toc="ncx"'
    opf = (f'<?xml version="1.0" encoding="utf-8"?>\n<package xmlns="http://www.idpf.org/2007/opf"'
           f' version="{version}.0" unique-identifier="id"><metadata '
           'xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:identifier id="id">tresslin-sample-1'
           f'</dc:identifier><dc:title>{escape(title.capitalize())}</dc:title>'
           '<dc:creator>Авторы Tresslin</dc:creator><dc:language>ru</dc:language></metadata>'
           f'<manifest>{items}</manifest><spine{toc}>{spine}</spine></package>\n')
    entries.insert(2, ("OEBPS/content.opf", opf.encode("utf-8")))
    return zip_bytes(entries, epub=True)


def as_found(utf8):
    """The FictionBook as such files circulate: HTML entities, an entity of a program's own, a
    bare ampersand, a stray token, "елка" for "ёлка", soft hyphens, comments for notes."""
    doc = utf8.decode("utf-8")
    doc = doc.replace("<version>1.0</version>", "<version>&Version;</version>", 1)
    doc = doc.replace("тихого вечернего", "тихого&nbsp;вечернего &amp; & долгого", 1)
    doc = doc.replace("ёлка", "елка").replace("маяком", "ма\u00adя\u00adком", 1)
    doc = doc.replace("</section>", "</section><?>", 1)
    doc = doc.replace('<body name="notes">', '<body name="comments">', 1)
    return doc.encode("utf-8")


def same_content(name, data, path):
    if not path.exists():
        return False
    if name.endswith(".gz"):
        return gzip.decompress(path.read_bytes()) == gzip.decompress(data)
    if name.endswith(".zip") or name.endswith(".epub"):
        # Compare what the archive holds: another zlib may compress differently.
        with zipfile.ZipFile(path) as old, zipfile.ZipFile(io.BytesIO(data)) as new:
            return [(i.filename, old.read(i)) for i in old.infolist()] == \
                   [(i.filename, new.read(i)) for i in new.infolist()]
    return path.read_bytes() == data


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare with the files on disk instead of writing")
    args = parser.parse_args()

    lines = read_source()
    SAMPLES.mkdir(exist_ok=True)
    stale = []
    for name, codec, subst in TARGETS:
        data, counts = build(lines, codec, subst)
        path = SAMPLES / name
        if args.check:
            if not path.exists() or path.read_bytes() != data:
                stale.append(name)
            continue
        path.write_bytes(data)
        replaced = sum(counts.values())
        note = f", {replaced} characters replaced" if replaced else ""
        print(f"{path.relative_to(ROOT)}: {codec}, {len(lines)} lines, {len(data)} bytes{note}")
    for name, data in fb2_outputs(lines):
        path = SAMPLES / name
        if args.check:
            if not same_content(name, data, path):
                stale.append(name)
            continue
        path.write_bytes(data)
        print(f"{path.relative_to(ROOT)}: {len(data)} bytes")
    if stale:
        print("out of date: " + ", ".join(stale) + " (run tools/make_samples.py)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
