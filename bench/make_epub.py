#!/usr/bin/env python3
"""make_epub.py FB2 EPUB XHTML_DIR: the bench FictionBook's sections as the chapters of an EPUB 3
(one XHTML document each, a navigation document), the documents also left in XHTML_DIR for
xmllint. Standard library only."""
import pathlib, re, sys, zipfile

fb2, epub, out = sys.argv[1], sys.argv[2], pathlib.Path(sys.argv[3])
out.mkdir(exist_ok=True)
text = pathlib.Path(fb2).read_text("utf-8")
sections = re.findall(r"<section>(.*?)</section>", text, re.S)
head = ('<?xml version="1.0" encoding="utf-8"?>\n<html xmlns="http://www.w3.org/1999/xhtml">'
        "<head><title>c</title></head><body>\n")
docs = []
for i, s in enumerate(sections):
    s = re.sub(r"<title>\s*<p>(.*?)</p>\s*</title>", r"<h2>\1</h2>", s, flags=re.S)
    name = f"c{i}.xhtml"
    data = (head + s + "\n</body></html>\n").encode("utf-8")
    (out / name).write_bytes(data)
    docs.append((name, data))
nav = "".join(f'<li><a href="{n}">{i}</a></li>' for i, (n, _) in enumerate(docs))
with zipfile.ZipFile(epub, "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("mimetype", "application/epub+zip", compress_type=zipfile.ZIP_STORED)
    z.writestr("META-INF/container.xml", '<container xmlns="urn:oasis:names:tc:opendocument:'
               'xmlns:container"><rootfiles><rootfile full-path="content.opf"/></rootfiles>'
               "</container>")
    items = "".join(f'<item id="d{i}" href="{n}"/>' for i, (n, _) in enumerate(docs))
    spine = "".join(f'<itemref idref="d{i}"/>' for i in range(len(docs)))
    z.writestr("content.opf", '<package xmlns="http://www.idpf.org/2007/opf" version="3.0">'
               '<metadata xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:title>bench</dc:title>'
               f'</metadata><manifest>{items}<item id="nav" href="nav.xhtml" properties="nav"/>'
               f"</manifest><spine>{spine}</spine></package>")
    z.writestr("nav.xhtml", head + f"<nav><ol>{nav}</ol></nav></body></html>")
    for name, data in docs:
        z.writestr(name, data)
