#!/usr/bin/env python3
"""Writes the packets the packet tests, benchmarks and fuzz seeds read.

    python3 tools/make_packets.py OUTDIR [--seeds]

Each Word file is made here from a plain description, a list of paragraphs
with {b} {u} {i} {sub} {sup} (and their {/..}) for formatting, {br} for a
line break inside a paragraph, {split} for a run boundary a word processor
might leave, and a leading {list} for a paragraph numbered by the word
processor. Beside them: JSON packets, the damaged and hostile files the
reader must refuse, and a 24 + 24 question packet for the benchmarks.
--seeds leaves out the files that are large only once unpacked or
opened; --large
adds a 50 MB Word file (the benchmark packet beside 50 MB of picture data);
--fodt adds look.fodt, a packet as an editor writes it in a word processor
(flat OpenDocument text), for a word processor to convert to .docx:

    libreoffice --headless --convert-to docx look.fodt

The output is the same on every run.
"""
import json
import random
import re
import sys
import zipfile
from pathlib import Path
from xml.sax.saxutils import escape

W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
CONTENT_TYPES = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Default Extension="xml" ContentType="application/xml"/>'
    '<Override PartName="/word/document.xml" ContentType="application/'
    'vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>'
    '</Types>')
RELS = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
    'relationships/officeDocument" Target="word/document.xml"/></Relationships>')
FIXED_TIME = (2024, 1, 1, 0, 0, 0)
FLAGS = ("b", "u", "i", "sub", "sup")


def run_xml(text, flags):
    props = ""
    if "b" in flags:
        props += "<w:b/>"
    if "i" in flags:
        props += "<w:i/>"
    if "u" in flags:
        props += '<w:u w:val="single"/>'
    if "sub" in flags:
        props += '<w:vertAlign w:val="subscript"/>'
    if "sup" in flags:
        props += '<w:vertAlign w:val="superscript"/>'
    # Fonts and sizes on every run, as word processors write them.
    rpr = (f'<w:rPr><w:rFonts w:ascii="Times New Roman" w:hAnsi="Times New Roman" '
           f'w:cs="Times New Roman"/>{props}<w:sz w:val="20"/><w:szCs w:val="20"/></w:rPr>')
    return f'<w:r w:rsidRPr="00C4A2F1">{rpr}<w:t xml:space="preserve">{escape(text)}</w:t></w:r>'


def paragraph_xml(description):
    numbering = ""
    if description.startswith("{list}"):
        description = description[len("{list}"):]
        numbering = '<w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr>'
    # The paragraph mark's own formatting (bold here) is no formatting of the
    # text.
    ppr = (f'<w:pPr>{numbering}<w:spacing w:after="0" w:line="240" w:lineRule="auto"/>'
           f'<w:rPr><w:b/></w:rPr></w:pPr>')
    flags = set()
    out = []
    for piece in re.split(r"(\{/?(?:b|u|i|sub|sup|br|split)\})", description):
        if not piece or piece == "{split}":
            continue
        if piece == "{br}":
            out.append("<w:r><w:br/></w:r>")
        elif piece[1:-1] in FLAGS:
            flags.add(piece[1:-1])
        elif piece.startswith("{/") and piece[2:-1] in FLAGS:
            flags.discard(piece[2:-1])
        else:
            out.append(run_xml(piece, flags))
    return f'<w:p w:rsidR="00A1B2C3" w:rsidRDefault="00A1B2C3">{ppr}{"".join(out)}</w:p>'


def document_xml(paragraphs):
    body = "".join(paragraph_xml(p) for p in paragraphs)
    return (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
            f'<w:document xmlns:w="{W}"><w:body>{body}<w:sectPr/></w:body></w:document>')


def write_zip(path, entries):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in entries:
            info = zipfile.ZipInfo(name, FIXED_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data)


def write_docx(path, paragraphs, extra=()):
    write_zip(path, [("[Content_Types].xml", CONTENT_TYPES), ("_rels/.rels", RELS),
                     ("word/document.xml", document_xml(paragraphs)), *extra])


# Every convention once: a title, sections, power mark, guide, directive,
# required part underlined and bold, italics, sub- and superscripts, a run
# split inside a word, metadata and category lines, acceptances on a line of
# their own, bonus parts with and without difficulty.
SECTIONS = [
    "Spring Open 2024 - Round 3",
    "Tossups",
    "1. This author of {i}The Trial{/i} wrote of Gregor Samsa (*) waking as an insect. "
    "For 10 points, name this Prague-born writer.",
    "ANSWER: Franz {u}{b}Kaf{split}ka{/b}{/u}",
    "<Ann Author, Literature>",
    "2. This gas, H{sub}2{/sub}O's partner in photosynthesis, is CO{sub}2{/sub}. Its "
    "discoverer Black (\"blak\") called it fixed air (read slowly) in 1750 (*) and 10{sup}3{/sup} "
    "parts per million of it - for 10 points - name it.",
    "ANSWER: {u}carbon dioxide{/u}",
    "[accept {u}CO2{/u}; prompt on {u}gas{/u}]",
    "Category: Science",
    "3. In a noted speech, this man {br}said \"Ich bin ein Berliner.\" For 10 points, name "
    "this president.",
    "ANSWER: John F. {u}Kennedy{/u} [or {u}JFK{/u}]",
    "Bonuses",
    "1. Answer these questions about rivers, for 10 points each.",
    "[10e] This river flows through Cairo.",
    "ANSWER: {u}Nile{/u}",
    "[10m] This river flows through Baghdad.",
    "ANSWER: {u}Tigris{/u}",
    "[10h] This river, the {i}Oxus{/i} of antiquity, ends in the Aral Sea.",
    "ANSWER: {u}Amu Darya{/u}",
    "<Ben Writer, Geography>",
    "2. Name these elements, for 10 points each.",
    "[10] Symbol Fe.",
    "ANSWER: {u}iron{/u}",
    "[10] Symbol Au.",
    "ANSWER: {u}gold{/u}",
    "[10] Symbol Hg.",
    "ANSWER: {u}mercury{/u}",
]

ALTERNATING = [
    "1. This planet has the Great Red Spot (*). Name this gas giant.",
    "ANSWER: {u}Jupiter{/u}",
    "1. Name these moons of Jupiter, for 10 points each.",
    "[10] The largest.",
    "ANSWER: {u}Ganymede{/u}",
    "[10] The volcanic one.",
    "ANSWER: {u}Io{/u}",
    "[10] The icy one.",
    "ANSWER: {u}Europa{/u}",
    "2. This composer wrote the {i}Eroica{/i} (*). Name this German.",
    "ANSWER: Ludwig van {u}Beethoven{/u}",
    "2. Name these operas, for 10 points each.",
    "[10] Mozart's {i}Figaro{/i} opera.",
    "ANSWER: {i}The {u}Marriage of Figaro{/u}{/i}",
    "[10] Bizet's opera set in Seville.",
    "ANSWER: {u}Carmen{/u}",
    "[10] Verdi's opera about a jester.",
    "ANSWER: {u}Rigoletto{/u}",
    "Extra Toss-ups",
    "21. This extra toss-up (*) is read only in a tie.",
    "ANSWER: {u}extra{/u}",
]

LIST_NUMBERED = [
    "Tossups",
    "{list}This river (*) flows north through Egypt.",
    "ANSWER: {u}Nile{/u}",
    "{list}This mountain (*) is the highest on Earth.",
    "ANSWER: Mount {u}Everest{/u}",
]

# What cannot be read, beside what can and what is only warned about.
PROBLEMS = [
    "Tossups",
    "ANSWER: an answer with no question",
    "1. A toss-up with its power mark (*) and its answer.",
    "ANSWER: {u}fine{/u}",
    "2.",
    "ANSWER: nothing was asked",
    "3. A toss-up without a power mark whose answer line was forgotten.",
    "4. A toss-up read after the broken ones (*).",
    "ANSWER: {u}still read{/u}",
    "5. A toss-up with two answer lines (*).",
    "ANSWER: one",
    "ANSWER: two",
    "Bonuses",
    "1. A bonus with no parts at all.",
    "ANSWER: lonely",
    "2. A bonus with two parts, for 10 points each.",
    "[10] Part one.",
    "ANSWER: {u}one{/u}",
    "[10] Part two.",
    "ANSWER: {u}two{/u}",
]

# One toss-up written both ways, for the word numbering of each.
SAME_TOSSUP = ("A {i}nine{/i}teenth-century \u201cwork\u201d by Tchaikovsky (\"chai-KOFF-skee\") "
               "\u2013 read it slowly [emphasize] \u2013 ends (*), with \u00e9clat & 1812's "
               "cannons. Name it.")
SAME_ANSWER = "{u}1812 Overture{/u}"


# A packet as its editors write one, to be converted by a word processor:
# headings, numbered toss-ups with a power mark and a pronunciation guide,
# answer lines with the required part underlined and bold, alternatives in
# brackets, bonuses with difficulty marks, author and category lines.
LOOK = [
    "{b}Autumn Invitational 2024{/b}",
    "{b}Round 5{/b}",
    "{b}Tossups{/b}",
    "1. In one novel by this author, a land surveyor known only as K. tries in vain to reach "
    "the authorities of a castle. This writer of {i}The Trial{/i} described Gregor Samsa "
    "(\"GREG-or ZAHM-zah\") waking to find he has become a monstrous vermin (*) in "
    "{i}The Metamorphosis{/i}. For 10 points, name this Prague-born author.",
    "ANSWER: Franz {u}{b}Kafka{/b}{/u}",
    "<Ann Author, Literature>",
    "2. This gas makes up about 0.04 percent of the atmosphere and is written CO{sub}2{/sub}. "
    "Joseph Black (\"blak\") called it fixed air, and plants take it in during (*) "
    "photosynthesis. For 10 points, name this gas exhaled by animals.",
    "ANSWER: {u}{b}carbon dioxide{/b}{/u} [accept {u}{b}CO2{/b}{/u}; prompt on {u}gas{/u}]",
    "<Ben Writer, Science>",
    "3. [Note to moderator: read slowly.] This city's Charles Bridge crosses the Vltava "
    "(\"VUL-tah-vah\") river (*). For 10 points, name this capital of the Czech Republic.",
    "ANSWER: {u}{b}Prague{/b}{/u} [or {u}{b}Praha{/b}{/u}]",
    "<Cy Editor, Geography>",
    "{b}Bonuses{/b}",
    "1. Answer these questions about rivers of the world, for 10 points each.",
    "[10e] This longest river of Africa flows north through Cairo.",
    "ANSWER: {u}{b}Nile{/b}{/u}",
    "[10m] This river joins the Euphrates to form the Shatt al-Arab (\"shot al AH-rab\").",
    "ANSWER: {u}{b}Tigris{/b}{/u}",
    "[10h] This river, the {i}Oxus{/i} of antiquity, once fed the Aral Sea.",
    "ANSWER: {u}{b}Amu Darya{/b}{/u}",
    "<Cy Editor, Geography>",
    "2. Name these chemical elements from their symbols, for 10 points each.",
    "[10e] Fe.",
    "ANSWER: {u}{b}iron{/b}{/u}",
    "[10m] Hg, a metal liquid at 20{sup}o{/sup}C.",
    "ANSWER: {u}{b}mercury{/b}{/u}",
    "[10h] W.",
    "ANSWER: {u}{b}tungsten{/b}{/u} [accept {u}{b}wolfram{/b}{/u}]",
    "<Ben Writer, Science>",
]

ODF_NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
          'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
          'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
          'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"')


def write_fodt(path, paragraphs):
    """The paragraphs as flat OpenDocument text, one automatic text style per
    combination of formats, as a word processor keeps them."""
    looks = {"b": 'fo:font-weight="bold"', "i": 'fo:font-style="italic"',
             "u": 'style:text-underline-style="solid" style:text-underline-width="auto" '
                  'style:text-underline-color="font-color"',
             "sub": 'style:text-position="sub 58%"', "sup": 'style:text-position="super 58%"'}
    styles = {}
    body = []
    for description in paragraphs:
        flags = set()
        out = []
        for piece in re.split(r"(\{/?(?:b|u|i|sub|sup|br|split)\})", description):
            if not piece or piece == "{split}":
                continue
            if piece == "{br}":
                out.append("<text:line-break/>")
            elif piece[1:-1] in FLAGS:
                flags.add(piece[1:-1])
            elif piece.startswith("{/") and piece[2:-1] in FLAGS:
                flags.discard(piece[2:-1])
            elif flags:
                key = tuple(f for f in FLAGS if f in flags)
                name = styles.setdefault(key, f"T{len(styles) + 1}")
                out.append(f'<text:span text:style-name="{name}">{escape(piece)}</text:span>')
            else:
                out.append(escape(piece))
        body.append(f'<text:p text:style-name="P1">{"".join(out)}</text:p>')
    auto = "".join(
        f'<style:style style:name="{name}" style:family="text"><style:text-properties '
        f'{" ".join(looks[f] for f in key)}/></style:style>' for key, name in styles.items())
    Path(path).write_text(
        '<?xml version="1.0" encoding="UTF-8"?>'
        f'<office:document {ODF_NS} office:version="1.3" '
        'office:mimetype="application/vnd.oasis.opendocument.text">'
        '<office:font-face-decls/><office:automatic-styles>'
        '<style:style style:name="P1" style:family="paragraph"><style:text-properties '
        'style:font-name="Times New Roman" fo:font-size="11pt"/></style:style>'
        f'{auto}</office:automatic-styles>'
        f'<office:body><office:text>{"".join(body)}</office:text></office:body>'
        '</office:document>', encoding="utf-8")


def field_form(description):
    """The description in the field's text form, as a packet parser writes it."""
    text = description.replace("{split}", "").replace("{br}", " ")
    for f in FLAGS:
        text = text.replace("{%s}" % f, "\x01%s\x02" % f).replace("{/%s}" % f, "\x01/%s\x02" % f)
    text = escape(text)
    return text.replace("\x01", "<").replace("\x02", ">")


def bench_packet():
    paragraphs = ["Benchmark packet", "Tossups"]
    tossups, bonuses = [], []
    for n in range(1, 25):
        q = (f"Toss-up {n} opens on a clue about {{i}}work {n}{{/i}} and goes on for a while "
             "with details a strong player knows, (\"pro-NUN-see-AY-shun\") then a second clue "
             "of middling difficulty that many players know (*) and finally, for 10 points, "
             f"the giveaway that every player in the room should know by now, number {n}.")
        paragraphs += [f"{n}. {q}", f"ANSWER: {{u}}answer {n}{{/u}} [accept {{u}}reply {n}{{/u}}]",
                       f"<Writer {n}, Category {n % 7}>"]
        tossups.append({"question": field_form(q),
                        "answer": field_form(f"{{u}}answer {n}{{/u}} [accept {{u}}reply {n}{{/u}}]"),
                        "metadata": f"Writer {n}, Category {n % 7}"})
    paragraphs.append("Bonuses")
    for n in range(1, 25):
        lead = f"Bonus {n} asks about three related things, for 10 points each."
        paragraphs.append(f"{n}. {lead}")
        parts, answers = [], []
        for p, d in enumerate("emh"):
            part = f"Part {p + 1} of bonus {n} asks about a thing of {{i}}some{{/i}} difficulty."
            answer = f"{{u}}thing {n}.{p + 1}{{/u}}"
            paragraphs += [f"[10{d}] {part}", f"ANSWER: {answer}"]
            parts.append(field_form(part))
            answers.append(field_form(answer))
        paragraphs.append(f"<Writer {n}, Category {n % 7}>")
        bonuses.append({"leadin": field_form(lead), "parts": parts, "answers": answers,
                        "values": [10, 10, 10], "difficultyModifiers": ["e", "m", "h"],
                        "metadata": f"Writer {n}, Category {n % 7}"})
    return paragraphs, {"name": "Benchmark packet", "tossups": tossups, "bonuses": bonuses}


def main():
    out = Path(sys.argv[1])
    seeds_only = "--seeds" in sys.argv[2:]
    out.mkdir(parents=True, exist_ok=True)
    write_docx(out / "sections.docx", SECTIONS)
    write_docx(out / "alternating.docx", ALTERNATING)
    write_docx(out / "listnumbered.docx", LIST_NUMBERED)
    write_docx(out / "problems.docx", PROBLEMS)
    write_docx(out / "same.docx", ["Tossups", "1. " + SAME_TOSSUP, "ANSWER: " + SAME_ANSWER])
    (out / "same.json").write_text(json.dumps(
        {"tossups": [{"question": field_form(SAME_TOSSUP), "answer": field_form(SAME_ANSWER)}],
         "bonuses": []}, indent=1))
    paragraphs, packet = bench_packet()
    write_docx(out / "bench24.docx", paragraphs)
    (out / "bench24.json").write_text(json.dumps(packet, indent=1))

    # Files the reader must refuse, each with its own plain reason.
    (out / "notword.docx").write_text("Just some notes, not a packet.\n")
    (out / "old.doc").write_bytes(bytes.fromhex("d0cf11e0a1b11ae1") + bytes(504))
    whole = (out / "sections.docx").read_bytes()
    (out / "truncated.docx").write_bytes(whole[: len(whole) // 2])
    # The document's compressed bytes overwritten: the archive opens, its
    # text does not unpack.
    damaged = bytearray(whole)
    start = whole.index(b"word/document.xml") + len("word/document.xml") + 40
    damaged[start:start + 64] = bytes(64)
    (out / "damaged.docx").write_bytes(bytes(damaged))
    write_zip(out / "nodocument.docx", [("notes.txt", "nothing here")])
    write_zip(out / "badxml.docx", [("[Content_Types].xml", CONTENT_TYPES), ("_rels/.rels", RELS),
                                    ("word/document.xml", document_xml(SECTIONS)[:-40] + "<w:p><")])
    if not seeds_only:
        write_docx(out / "many-entries.docx", LIST_NUMBERED,
                   [(f"word/media/empty{i}.bin", "") for i in range(6000)])
    if "--fodt" in sys.argv[2:]:
        write_fodt(out / "look.fodt", LOOK)
    if "--large" in sys.argv[2:]:
        picture = random.Random(50).randbytes(50 * 1024 * 1024)
        with zipfile.ZipFile(out / "large.docx", "w", zipfile.ZIP_DEFLATED) as z:
            for name, data in [("[Content_Types].xml", CONTENT_TYPES), ("_rels/.rels", RELS),
                               ("word/document.xml", document_xml(paragraphs))]:
                z.writestr(zipfile.ZipInfo(name, FIXED_TIME), data, zipfile.ZIP_DEFLATED)
            z.writestr(zipfile.ZipInfo("word/media/image1.png", FIXED_TIME), picture,
                       zipfile.ZIP_STORED)
    if not seeds_only:
        # A zip bomb: 80 MB of paragraphs in under a megabyte.
        with zipfile.ZipFile(out / "bomb.docx", "w", zipfile.ZIP_DEFLATED) as z:
            z.writestr(zipfile.ZipInfo("[Content_Types].xml", FIXED_TIME), CONTENT_TYPES)
            z.writestr(zipfile.ZipInfo("_rels/.rels", FIXED_TIME), RELS)
            info = zipfile.ZipInfo("word/document.xml", FIXED_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            with z.open(info, "w", force_zip64=True) as f:
                f.write(f'<w:document xmlns:w="{W}"><w:body>'.encode())
                block = b"<w:p/>" * (1024 * 1024 // 6)
                for _ in range(80):
                    f.write(block)
                f.write(b"</w:body></w:document>")


if __name__ == "__main__":
    main()
