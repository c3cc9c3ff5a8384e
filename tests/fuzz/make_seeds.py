#!/usr/bin/env python3
"""Writes the seed corpus of the export-call harness (corpus/exports/).

Each seed is a short host session in the byte code that export_calls.cpp
decodes: a byte choosing the export, then its arguments.  Run it again after
a change of that code, and commit the seeds.
"""
import os
import struct

TEXTS = ["", "20m", "40m", "80m", "160m", "15m", "10m", "30m", "20M", "020m", "BPSK63",
         "bpsk63", "PSK31", "RTTY", "ON", "DL", "UA", "ON4", "DL1", "ON4XX", "DL1AB", "DL1ABC",
         "ON4XX/P", "LGE", "BXE", "lge", "ZZZ", "001", "1234", "12", "599", "<CR><LF>", "a\r\nb",
         "Zelk=2", "host\\", "..\\", "%s%n%x", " ", "ON4ZZZ\r\nON_Section=XYZ"]
NULL = b"\xff"
# The bytes that choose each export (OpOf in export_calls.cpp).
RESET, ADD, REMOVE, CHECK, RESULT_OP, EXCHANGE, VERSION, OTHER = (
    bytes([k]) for k in (0, 1, 20, 26, 34, 36, 38, 39))


def t(text):
    """A text from the table, or a raw one."""
    if text is None:
        return NULL
    if text in TEXTS:
        return bytes([TEXTS.index(text)])
    raw = text.encode("latin-1")
    return b"\xc0" + bytes([len(raw)]) + raw


def day(d=0, minute=0):
    """A valid date: contest day d (in sixteenths) and a minute."""
    return b"\x00" + bytes([d, minute])


def raw_date(value, status_pick=0x80):
    return bytes([status_pick]) + struct.pack(">d", value)


def reset(own="ON4XX", country="ON", cabrillo=1, folder="", start=day(0), end=day(16)):
    return RESET + t(folder) + t(own) + t(country) + bytes([cabrillo]) + start + end


def qso(call="DL1AB", band="20m", mode="BPSK63", country="DL", prefix="DL1", exch="001",
        when=day(1, 30), hz=14070000, remove=False, sent="001"):
    op = REMOVE if remove else ADD
    return (op + t("ON4XX") + t(call) + t(mode) + t("599") + t("599") + t(sent) + t(exch) +
            t(prefix) + t(country) + t("") + t(band) + when + struct.pack(">I", hz))


def check(call="DL1AB", band="20m", band2=None, country="DL", prefix="DL1"):
    return CHECK + t(call) + t("BPSK63") + t(prefix) + t(country) + t(band) + t(band2) + b"\x00"


RESULT = RESULT_OP + b"\x01"

SEEDS = {
    "session": reset() + qso() + qso() + qso(call="ON4AA", country="ON", prefix="ON4", exch="lge")
    + qso(call="ON4BB", country="ON", prefix="ON4", exch="12") + qso(mode="PSK31")
    + qso(band="30m", hz=10120000) + qso(exch="") + check() + check(band2="40m") + RESULT
    + qso(remove=True) + RESULT + VERSION + t("Zelk 2.20") + RESULT,
    "null-pointers": reset(own=None, country=None, folder=None, start=NULL, end=NULL)
    + qso(call=None, band=None, mode=None, country=None, prefix=None, exch=None, when=NULL)
    + qso(call=None, band=None, mode=None, remove=True, when=NULL) + check(None, None, None, None,
                                                                           None)
    + EXCHANGE + NULL + NULL + VERSION + NULL + RESULT_OP + b"\x00",
    "odd-dates": reset(start=raw_date(float("nan")), end=raw_date(1e300))
    + qso(when=raw_date(-1e12)) + qso(when=raw_date(float("inf"))) + qso(when=b"\x03" + b"\x7f\xff\xff\xff" + b"\x00\x00")
    + RESULT + qso(when=raw_date(float("nan")), remove=True) + RESULT,
    "line-ends-in-texts": reset(own="ON4ZZZ\r\nON_Section=XYZ") + qso(call="a\r\nb", band="a\r\nb")
    + qso(sent="<CR><LF>") + RESULT + reset(own="%s%n%x", cabrillo=1) + qso(call="%s%n%x") + RESULT,
    "two-runs": reset(cabrillo=0, country="DL", own="DL1OWN") + qso() + qso(band="40m", hz=7040000)
    + RESULT + reset(cabrillo=1, own="ON4XX/P") + qso() + qso() + qso(remove=True)
    + qso(remove=True) + qso(remove=True) + RESULT + OTHER + b"\x00\x00\x00\x00" + OTHER + b"\xff\xff\xff\xff",
    "before-any-run": qso() + qso(mode="RTTY") + qso(remove=True) + check() + RESULT,
    "many-bands": reset() + b"".join(qso(band=b, hz=1000 * i) for i, b in
                                     enumerate(["160m", "80m", "40m", "30m", "20m", "20M", "020m",
                                                "15m", "10m", ""])) + RESULT,
}

if __name__ == "__main__":
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "exports")
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
