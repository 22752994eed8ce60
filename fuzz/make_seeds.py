#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets.

    python3 fuzz/make_seeds.py OUTDIR

OUTDIR/setupreader gets the shipped presets, the test data's setup files
and setup files made here to reach the reader's corners (UTF-8 with and
without a byte-order mark, lone LFs, a file cut short, one running past
line 44, numbers out of range); OUTDIR/serialread and OUTDIR/screenlink get
well-behaved and misbehaving boxes in the input layout of those targets;
OUTDIR/buttonassignment button files and OUTDIR/recordfile record files,
sound, refused and damaged; OUTDIR/qbjreader QBJ files, sound and hostile
(deep nesting, reference bombs, huge and control-character names, UTF-16).
The output is the same on every run.
"""
import json
import shutil
import sqlite3
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def valid_lines():
    return (["Torvanel Setup File", "2", "4",
             "Alpha", "One", "Two", "Three", "Four", "Five",
             "Beta", "Six", "Seven", "Eight", "Nine", "Ten",
             "Gamma", "Eleven", "Twelve", "Thirteen", "Fourteen", "Fifteen",
             "15:00", "5", "10", "60", "60", "1",
             " 16711680 ", " 192 ",
             "ringin.wav", "ringout.wav", "ringin.wav", "inactive.wav", "sound528.wav",
             "-1 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 12 ", " 0 ", " 0 "], "")


def joined(lines, end=b"\r\n", encoding="cp1252"):
    return b"".join(l.encode(encoding) + end for l in lines)


def setup_seeds():
    body, last = valid_lines()
    seeds = {}
    seeds["valid"] = joined(body + [last])
    seeds["header-case"] = joined(["TORVANEL SETUP FILE"] + body[1:])
    seeds["lf-only"] = joined(body, end=b"\n")
    seeds["cr-only"] = joined(body, end=b"\r")
    seeds["no-last-line-end"] = joined(body)[:-2]
    seeds["thirty-lines"] = joined(body[:30])
    seeds["past-line-44"] = joined(body + ["45", "46 \xe9", "Zo\xeb"])
    names = list(body)
    names[4] = "Zoë Œuvre"
    names[5] = "Ærø"
    seeds["windows-1252"] = joined(names)
    utf = list(body)
    utf[4] = "Łukasz 李"
    utf[5] = "Zoë и Ж"
    seeds["utf-8"] = joined(utf, encoding="utf-8")
    seeds["utf-8-bom"] = b"\xef\xbb\xbf" + joined(utf, encoding="utf-8")
    mixed = joined(utf, encoding="utf-8").replace(b"Zo\xc3\xab", b"Zo\xeb")
    seeds["mixed"] = mixed
    numbers = list(body)
    numbers[27] = "blue"           # a colour without a number
    numbers[28] = " 4294967296 "   # too big for 32 bits
    seeds["colour-words"] = joined(numbers)
    ranges = list(body)
    ranges[34] = " 3 "             # sound source beyond its list
    seeds["sound-source-3"] = joined(ranges)
    overflow = list(body)
    overflow[36] = " 40000 "
    seeds["check-overflow"] = joined(overflow)
    halves = list(body)
    halves[35] = " 1.5 "
    halves[36] = "2.5e0"
    halves[41] = "&H0C"
    seeds["rounding"] = joined(halves)
    breaks = list(body)
    breaks[4] = "Ann\nLee"
    seeds["lf-inside-a-name"] = joined(breaks)
    seeds["empty"] = b""
    seeds["one-cr"] = b"\r"
    return seeds


def box_byte(value, slow=0):
    """The status reads of a box presenting `value`: for each bit the ready
    line's level, then the same again for the data read. `slow` sets the
    delay bits (0xC0) of the first read of each bit."""
    out = bytearray()
    for k in range(8):
        ready = 0x20 if k % 2 else 0x00
        data = 0x10 if value >> k & 1 else 0x00
        out.append(ready | data | (slow << 6))
        out.append(ready | data)
    return bytes(out)


def serial_seeds():
    seeds = {}
    address = bytes([0x78, 0x03])  # 888
    for mode, name in ((0, "read"), (1, "poll")):
        head = bytes([mode, 1]) + address
        waiting = b"\x00\x00" if mode else b""
        for value in (0, 1, 128, 0xAA, 0xD2, 255):
            seeds[f"{name}-{value}"] = head + waiting + box_byte(value)
        seeds[f"{name}-stalled"] = head + waiting + box_byte(0x55)[:7]
        seeds[f"{name}-slow"] = head + waiting + box_byte(0x0F, slow=2)
        seeds[f"{name}-too-slow"] = head + waiting + box_byte(0xF0, slow=3)
        seeds[f"{name}-idle"] = head + b"\x20\x20"
    seeds["read-top-address"] = bytes([0, 3, 0xFF, 0xFF]) + box_byte(7)
    return seeds


WIRED_IDLE = 0xFF  # every button line idles high


def screenlink_seeds():
    seeds = {}
    models = [170, 180, 199, 200, 210]
    screens = ["2_4", "2_5", "3_4", "3_5"]
    tick = b"\x00"
    click = b"\xc0"
    space = b"\xe0"
    waiting = b"\x00\x00"
    idle = b"\x20\x20"
    for m, model in enumerate(models):
        for s, screen in enumerate(screens):
            choice = bytes([m + 5 * s])
            # Sound card, timer stops, lock-up off; extra transmitter not in
            # use; port 888.
            settings = bytes([2, 13, 2])
            if model in (180, 210):
                # Button line 0 down, then two down at once (a tie).
                first = tick + waiting + box_byte(WIRED_IDLE ^ 0x10) + box_byte(WIRED_IDLE)
                tie = (tick + waiting + box_byte(WIRED_IDLE ^ 0x30) + box_byte(WIRED_IDLE)
                       + b"\x80")
                body = first + space + idle + tie + space + tick + idle
            else:
                # Transmitter 3, then the extra transmitter's number.
                body = (tick + waiting + box_byte(3) + space + tick + waiting + box_byte(14)
                        + space + tick + waiting + box_byte(0))
            seeds[f"{model}-{screen}"] = choice + settings + body
            # The lock-up on: a first, then a second respondent held and
            # shown by a click.
            locked = bytes([2 + 12 * 1, 13, 2])
            held = (tick + waiting + box_byte(1) + tick + waiting + box_byte(6) + click)
            seeds[f"{model}-{screen}-second-place"] = choice + locked + held
    # A box that stops answering: the read fails, the model is asked again,
    # the operator retries once and then cancels.
    seeds["dead-box"] = bytes([0, 1, 13, 2]) + tick + waiting + box_byte(3)[:5] + b"\x01"
    return seeds


def button_seeds():
    device = {"vendor": "1209", "product": "4d42", "serial": "S1",
              "phys": "usb-0000:00:14.0-2/input0", "name": "Encoder"}
    bindings = [{"device": device, "code": 287 + p, "player": p} for p in range(1, 16)]
    bindings.append({"device": device, "code": 320, "extra": True})
    doc = {"format": "torvanel-buttons", "version": 1, "bindings": bindings}
    return {
        "full": json.dumps(doc, indent=4).encode(),
        "empty": b'{"format":"torvanel-buttons","version":1,"bindings":[]}',
        "newer": b'{"format":"torvanel-buttons","version":2,"bindings":[]}',
        "no-bindings": b'{"format":"torvanel-buttons","version":1}',
        "twice": json.dumps({"format": "torvanel-buttons", "version": 1,
                             "bindings": bindings[:2] + bindings[:2]}).encode(),
    }


# The record's first schema, version 1 (the migrations in
# record/recordstore.cpp); the program brings such a file up to date.
RECORD_SCHEMA = """
CREATE TABLE matches (id INTEGER PRIMARY KEY, started INTEGER NOT NULL, ended INTEGER,
  end_how TEXT NOT NULL DEFAULT '', screen TEXT NOT NULL DEFAULT '',
  teams TEXT NOT NULL DEFAULT '[]', last_alive REAL NOT NULL DEFAULT 0);
CREATE TABLE events (id INTEGER PRIMARY KEY, match_id INTEGER NOT NULL,
  match_time REAL NOT NULL, wall INTEGER NOT NULL, kind TEXT NOT NULL,
  data TEXT NOT NULL DEFAULT '{}');
CREATE INDEX events_by_match ON events (match_id, id);
"""


def database(statements):
    with tempfile.TemporaryDirectory() as folder:
        path = Path(folder) / "record.sqlite"
        db = sqlite3.connect(path)
        db.executescript(statements)
        db.commit()
        db.close()
        return path.read_bytes()


def record_seeds():
    teams = json.dumps(["Alpha", "Beta", "Gamma"])
    events = "".join(
        f"INSERT INTO events (match_id, match_time, wall, kind, data) VALUES "
        f"(2, {t}, {1765200000000 + t * 1000}, '{kind}', '{data}');"
        for t, kind, data in [
            (0, "match-started", json.dumps({"screen": "3_4", "teams": json.loads(teams),
                                              "scores": [0, 0, 0], "clock": 900})),
            (5, "clock-started", json.dumps({"left": 900})),
            (9, "score-changed", json.dumps({"team": 2, "before": 0, "after": 40})),
            (12, "unknown-kind", "{}"),
        ])
    valid = database(RECORD_SCHEMA + "PRAGMA user_version=1;"
                     f"INSERT INTO matches (id, started, ended, end_how, teams) "
                     f"VALUES (1, 1765100000000, 1765100900000, 'exit', '{teams}');"
                     f"INSERT INTO matches (id, started, screen, teams, last_alive) "
                     f"VALUES (2, 1765200000000, '3_4', '{teams}', 30.5);" + events)
    return {
        "valid": valid,
        "empty-schema": database(RECORD_SCHEMA + "PRAGMA user_version=1;"),
        # As this program writes it now: matches numbered for good.
        "numbered": database(RECORD_SCHEMA.replace("id INTEGER PRIMARY KEY, started",
                                                   "id INTEGER PRIMARY KEY AUTOINCREMENT, started")
                             + "INSERT INTO matches (id, started) VALUES (4, 0);"
                             "PRAGMA user_version=2;"),
        "newer": database(RECORD_SCHEMA + "PRAGMA user_version=7;"),
        "foreign": database("CREATE TABLE contacts (name TEXT); INSERT INTO contacts VALUES ('x');"),
        "bad-json": database(RECORD_SCHEMA + "PRAGMA user_version=1;"
                             "INSERT INTO matches (id, started, teams) VALUES (1, 0, '{[');"
                             "INSERT INTO events (match_id, match_time, wall, kind, data) "
                             "VALUES (1, 0, 0, 'score-changed', 'not json');"),
        "truncated": valid[: len(valid) // 2],
        "empty": b"",
    }


def qbj_seeds():
    def envelope(objects):
        return json.dumps({"version": "2.1.1", "objects": objects}).encode()

    tournament = envelope([
        {"type": "Tournament", "name": "T", "registrations": [{"$ref": "school"}]},
        {"id": "school", "type": "Registration", "name": "Lomax", "teams": [
            {"id": "team_a", "name": "Lomax A", "players": [
                {"id": "p1", "name": "Flo"}, {"id": "p2", "name": "Morgan"}]},
            {"id": "team_b", "name": "Lomax B", "players": [{"$ref": "p9"}]}]},
        {"type": "Team", "id": "team_c", "name": "Walk-ins",
         "players": [{"id": "p9", "name": "Laurie"}]},
    ])
    # Every team referencing one long-named player many times: the reader
    # must share the name, not copy it per reference.
    bomb = [{"type": "Team", "id": "x", "name": "Pat",
             "players": [{"id": "p", "name": "n" * 190}]}]
    for t in range(200):
        bomb.append({"type": "Team", "name": f"T{t}", "players": [{"$ref": "p"}] * 100})
    registrations = [{"type": "Registration", "name": "R", "teams": [{"$ref": "x"}] * 50000}]
    return {
        "tournament": tournament,
        "registration": json.dumps({"type": "Registration", "name": "L",
                                    "teams": [{"name": "L A"}]}).encode(),
        "reference-bomb": envelope(bomb),
        "reference-fan-out": envelope(bomb[:1] + registrations),
        "reference-cycle": envelope([{"type": "Team", "id": "a", "name": "A",
                                      "players": [{"$ref": "a"}, {"$ref": "b"}]},
                                     {"id": "b", "$ref": "a"}]),
        "deep-arrays": b"[" * 100000,
        "deep-objects": b'{"a":' * 1000 + b"1" + b"}" * 1000,
        "deep-just-inside": b"[" * 1000 + b"]" * 1000,
        "huge-name": envelope([{"type": "Team", "name": "x" * (2 << 20)}]),
        "huge-spaces": envelope([{"type": "Team", "name": " " * (2 << 20) + "A"}]),
        "many-teams": envelope([{"type": "Team", "name": f"T{t}"} for t in range(1100)]),
        "nul-name": envelope([{"type": "Team", "name": "Lo\u0000max"}]),
        "esc-name": envelope([{"type": "Team", "name": "Lo\u001b[2Jmax"}]),
        "utf-16": b"\xff\xfe" + tournament.decode().encode("utf-16-le"),
        "utf-8-bom": b"\xef\xbb\xbf" + tournament,
        "empty": b"",
    }


def write(folder, seeds):
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in seeds.items():
        (folder / name).write_bytes(data)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = Path(sys.argv[1])
    setup = out / "setupreader"
    write(setup, setup_seeds())
    for preset in sorted((ROOT / "assets" / "presets").glob("*.txt")):
        shutil.copyfile(preset, setup / ("preset-" + preset.name))
    for data in sorted((ROOT / "tests" / "data" / "setup").glob("*")):
        shutil.copyfile(data, setup / ("test-" + data.name))
    write(out / "serialread", serial_seeds())
    write(out / "screenlink", screenlink_seeds())
    write(out / "buttonassignment", button_seeds())
    write(out / "recordfile", record_seeds())
    write(out / "qbjreader", qbj_seeds())


if __name__ == "__main__":
    main()
