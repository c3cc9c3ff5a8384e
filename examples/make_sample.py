#!/usr/bin/env python3
"""Writes sample.adi and sample.cbr: one operator's run in a UBA PSK63 Prefix
contest, made up from the list of active contest calls.

The run is deterministic (a fixed seed), so the same call list gives the
same files.  It holds what a scorer has to cope with: Belgian stations
sending UBA sections (one of them an unknown section), serial numbers from
everyone else, duplicates, one QSO in a wrong mode, one on a wrong band and
QSOs on all six contest bands.

    python3 examples/make_sample.py [MASTER.SCP]
"""
import random
import re
import sys
from datetime import datetime, timedelta
from pathlib import Path

HERE = Path(__file__).resolve().parent
CALLS = Path(sys.argv[1] if len(sys.argv) > 1 else "/usr/share/hamradio-files/MASTER.SCP")

SECTIONS = ("AAA ACC ALT ARA BDX BTS CRD DNZ DRC EKO GBN GDV KTK LGE LIR LUS MCL MNS NOK "
            "ODE ORA OST RAC RAT RCA TLS TRA WLD WTO ZTM").split()
# Not a UBA section: the scorer journals it.
UNKNOWN_SECTION = "QRT"
# Band, PSK63 working frequency in kHz, minutes spent on the band in a row.
BANDS = [("20m", 14072), ("40m", 7042), ("80m", 3582), ("160m", 1840),
         ("15m", 21072), ("10m", 28122)]
START = datetime(2026, 1, 3, 12, 0)
END = START + timedelta(hours=24)
OWN_CALL = ""  # picked from the call list
NAMES = ["Jürgen", "Zoë", "José", "André", "Małgorzata", "Søren", "Hervé", "Ştefan"]


def load_calls():
    calls = []
    for line in CALLS.read_text(encoding="ascii", errors="replace").splitlines():
        line = line.strip()
        if line and not line.startswith("#") and re.fullmatch(r"[A-Z0-9]{1,3}[0-9][A-Z]{1,4}", line):
            calls.append(line)
    return sorted(set(calls))


def main():
    rng = random.Random(20260103)
    calls = load_calls()
    belgian = [c for c in calls if re.match(r"O[N-T][0-9]", c)]
    global OWN_CALL
    OWN_CALL = rng.choice([c for c in calls if re.match(r"DL[0-9]", c)])
    others = [c for c in calls if not re.match(r"O[N-T][0-9]", c) and c != OWN_CALL]
    belgian = rng.sample(belgian, 45)
    others = rng.sample(others, 170)
    section = {c: rng.choice(SECTIONS) for c in belgian}
    section[belgian[7]] = UNKNOWN_SECTION
    serial = {c: rng.randint(1, 60) for c in others}

    qsos = []
    t = START
    band_index = 0
    worked = set()
    while t < END and len(qsos) < 290:
        band, khz = BANDS[band_index % len(BANDS)]
        block_end = t + timedelta(minutes=rng.randint(50, 110))
        while t < block_end and t < END:
            t += timedelta(minutes=rng.randint(1, 7))
            station = rng.choice(belgian if rng.random() < 0.3 else others)
            if (station, band) in worked:
                continue
            worked.add((station, band))
            qsos.append(make_qso(rng, station, band, khz, t, section, serial))
        band_index += 1

    # Problems a real log shows: duplicates (worked again on the same band),
    # one QSO in another mode and one on a band outside the contest.
    for n in (40, 95, 150, 230):
        first = qsos[n]
        again = dict(first)
        again["time"] = qsos[n + 3]["time"] + timedelta(seconds=30)
        again["srx"] = first["srx"]
        qsos.insert(n + 4, again)
    qsos[120] = dict(qsos[120], mode="RTTY", submode="")
    wrong = dict(qsos[200], band="30m", freq=10142.0)
    wrong["time"] = qsos[200]["time"] + timedelta(seconds=20)
    qsos.insert(201, wrong)
    for stx, qso in enumerate(qsos, start=1):
        qso["stx"] = stx
    write_adif(qsos)
    write_cabrillo(qsos)


def make_qso(rng, station, band, khz, t, section, serial):
    qso = {"call": station, "band": band, "time": t, "mode": "PSK", "submode": "PSK63",
           "freq": khz + rng.randint(-15, 25) / 10.0, "rst_sent": "599", "rst_rcvd": "599"}
    if station in section:
        qso["srx"] = section[station]
        qso["srx_is_string"] = True
    else:
        serial[station] += rng.randint(2, 25)
        qso["srx"] = str(serial[station])
        qso["srx_is_string"] = False
    if rng.random() < 0.04:
        qso["name"] = rng.choice(NAMES)
    return qso


def field(name, value):
    data = value.encode("utf-8")
    return b"<%s:%d>%s" % (name.encode(), len(data), data)


def write_adif(qsos):
    out = [b"Sample log of a UBA PSK63 Prefix contest run, made by make_sample.py\n",
           field("ADIF_VER", "3.1.4"), b" ", field("PROGRAMID", "make_sample.py"),
           b" <EOH>\n"]
    for q in qsos:
        parts = [field("CALL", q["call"]), field("QSO_DATE", q["time"].strftime("%Y%m%d")),
                 field("TIME_ON", q["time"].strftime("%H%M%S")), field("BAND", q["band"].upper()),
                 field("FREQ", "%.4f" % (q["freq"] / 1000.0)), field("MODE", q["mode"])]
        if q["submode"]:
            parts.append(field("SUBMODE", q["submode"]))
        parts += [field("RST_SENT", q["rst_sent"]), field("RST_RCVD", q["rst_rcvd"]),
                  field("STX", str(q["stx"]))]
        parts.append(field("SRX_STRING" if q["srx_is_string"] else "SRX", q["srx"]))
        if "name" in q:
            parts.append(field("NAME", q["name"]))
        parts.append(field("STATION_CALLSIGN", OWN_CALL))
        out.append(b" ".join(parts) + b" <EOR>\n")
    (HERE / "sample.adi").write_bytes(b"".join(out))


def write_cabrillo(qsos):
    lines = ["START-OF-LOG: 3.0", "CALLSIGN: " + OWN_CALL, "CONTEST: UBA-PSK63-PREFIX",
             "CATEGORY-OPERATOR: SINGLE-OP", "CATEGORY-MODE: DIGI", "CREATED-BY: make_sample.py"]
    for q in qsos:
        mode = "PM" if q["submode"] == "PSK63" else "RY"
        srx = q["srx"] if q["srx_is_string"] else "%03d" % int(q["srx"])
        lines.append("QSO: %5d %-2s %s %-13s %-3s %-6s %-13s %-3s %-6s 0" % (
            int(q["freq"]), mode, q["time"].strftime("%Y-%m-%d %H%M"), OWN_CALL, q["rst_sent"],
            "%03d" % q["stx"], q["call"], q["rst_rcvd"], srx))
    lines.append("END-OF-LOG:")
    (HERE / "sample.cbr").write_bytes(("\r\n".join(lines) + "\r\n").encode("ascii"))


if __name__ == "__main__":
    main()
