#!/usr/bin/env python3
"""Writes the city list and the stations file from the hand-kept town table.

tools/citylist/generate.py [--sources DIR] [--check]

Reads tools/citylist/towns.tsv (which towns, their Russian names, their codes)
and, from DIR (default: the shared folder beside the repository), the two
public lists the positions come from: wmo-stations-cis.csv (Meteostat's WMO
stations) and towns-cis.csv (GeoNames' towns with their centres), plus
stations.csv (the positions of the list as it first shipped, for the one
index the station list lacks). A town without a code gets the index of the
nearest unused WMO station within 15 km of its centre, or else the
next free code of ours in block 00, which the WMO gives no region; the codes
are written back into the table, so that they never change again.

Writes data/NimbrelCodSity.txt (code, space, name; CP1251, CRLF) and
data/NimbrelStations.txt (code latitude longitude: the station's position,
or the town centre for a code of ours), and prints the lines by country,
every position farther than 15 km from its town centre and the largest.
Fails when a position is more than 30 km from its town, a name or code is
given twice, or a code of the first list is gone. --check writes nothing
and fails when the files would change.
"""
import argparse
import csv
import math
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
TABLE = ROOT / "tools" / "citylist" / "towns.tsv"
CITY_LIST = ROOT / "data" / "NimbrelCodSity.txt"
STATIONS = ROOT / "data" / "NimbrelStations.txt"

MATCH_KM = 15.0  # a station this close to the centre is the town's own
DEFECT_KM = 30.0  # a position farther than this names another place
OUR_BLOCK = "00"  # no WMO region numbers its stations 00xxx
FIRST = ["Москва", "Санкт-Петербург"]
# Russia first; the other countries in the order of their Russian names.
COUNTRIES = {
    "RU": "Россия", "AZ": "Азербайджан", "AM": "Армения", "BY": "Беларусь", "GE": "Грузия",
    "KZ": "Казахстан", "KG": "Киргизия", "LV": "Латвия", "LT": "Литва", "MD": "Молдавия",
    "TJ": "Таджикистан", "TM": "Туркмения", "UZ": "Узбекистан", "UA": "Украина", "EE": "Эстония",
}


def distance_km(a, b):
    (lat1, lon1), (lat2, lon2) = a, b
    p1, p2 = math.radians(lat1), math.radians(lat2)
    h = (math.sin((p2 - p1) / 2) ** 2 +
         math.cos(p1) * math.cos(p2) * math.sin(math.radians(lon2 - lon1) / 2) ** 2)
    return 2 * 6371.0 * math.asin(math.sqrt(h))


def read_csv(path):
    with open(path, encoding="utf-8", newline="") as f:
        return list(csv.DictReader(line for line in f if not line.startswith("#")))


def sort_key(name):
    # Dictionary order: Ё as Е, case and hyphens do not count.
    return name.lower().replace("ё", "е").replace("-", " ")


def read_table():
    towns = []
    for number, line in enumerate(TABLE.read_text(encoding="utf-8").splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) != 5:
            sys.exit(f"{TABLE}:{number}: expected five tab-separated fields")
        code, country, place, name, latin = fields
        towns.append({"code": code, "country": country, "place": place, "name": name,
                      "latin": latin, "line": number})
    return towns


def write_table(towns):
    head = [line for line in TABLE.read_text(encoding="utf-8").splitlines() if line.startswith("#")]
    body = ["\t".join([t["code"], t["country"], t["place"], t["name"], t["latin"]]) for t in towns]
    TABLE.write_text("\n".join(head + body) + "\n", encoding="utf-8")


def locate(towns, geonames):
    for t in towns:
        if t["place"].startswith("@"):
            lat, lon = t["place"][1:].split(",")
            t["centre"] = (float(lat), float(lon))
            t["centreSource"] = "by hand"
        else:
            g = geonames.get(t["place"])
            if not g:
                sys.exit(f"{TABLE}:{t['line']}: GeoNames id {t['place']} is not in towns-cis.csv")
            if g["country"] != t["country"]:
                sys.exit(f"{TABLE}:{t['line']}: {t['name']} lies in {g['country']}")
            t["centre"] = (float(g["latitude"]), float(g["longitude"]))
            t["centreSource"] = "GeoNames"


def assign_codes(towns, stations):
    used = {t["code"] for t in towns if t["code"]}
    pairs = []
    for i, t in enumerate(towns):
        if t["code"]:
            continue
        for code, s in stations.items():
            if code in used:
                continue
            km = distance_km(t["centre"], s["position"])
            if km <= MATCH_KM:
                pairs.append((km, i, code))
    # Nearest pairs first, so that a station goes to the town it is nearest.
    for km, i, code in sorted(pairs):
        if not towns[i]["code"] and code not in used:
            towns[i]["code"] = code
            used.add(code)
    ours = sorted(int(c) for c in used if c.startswith(OUR_BLOCK))
    following = (ours[-1] if ours else 0) + 1
    for t in towns:
        if not t["code"]:
            t["code"] = f"{following:05d}"
            following += 1
            used.add(t["code"])
    if following > 999:
        sys.exit("block 00 is full")


def place(towns, stations, first_list):
    for t in towns:
        code = t["code"]
        t["source"] = "centre"
        t["position"] = t["centre"]
        if code.startswith(OUR_BLOCK):
            continue
        if code in stations:
            position, t["station"] = stations[code]["position"], stations[code]["name"]
        elif isinstance(first_list.get(code), tuple):
            position, t["station"] = first_list[code], "first list"
        elif code in first_list:
            t["station"] = "a WMO index the station list lacks"
            continue
        else:
            sys.exit(f"{t['name']}: {code} is neither a station nor in the first list")
        t["stationKm"] = distance_km(position, t["centre"])
        # Farther off, the station forecasts for the country around the town
        # rather than for its people: the code stays, the position is the centre.
        if t["stationKm"] <= MATCH_KM:
            t["source"] = "station"
            t["position"] = position


def ordered(towns):
    rank = {country: i for i, country in enumerate(sorted(COUNTRIES, key=lambda c: (
        c != "RU", sort_key(COUNTRIES[c]))))}

    def key(t):
        first = FIRST.index(t["name"]) if t["name"] in FIRST and t["country"] == "RU" else 2
        return (rank[t["country"]], first, sort_key(t["name"]))
    return sorted(towns, key=key)


def check(towns, first_codes):
    problems = []
    for field in ("code", "name"):
        seen = {}
        for t in towns:
            if t[field] in seen:
                problems.append(f"{field} {t[field]} given twice ({seen[t[field]]}, {t['line']})")
            seen[t[field]] = t["line"]
    codes = {t["code"] for t in towns}
    problems += [f"code {c} of the first list is gone" for c in sorted(first_codes - codes)]
    for t in towns:
        if t["country"] not in COUNTRIES:
            problems.append(f"{t['name']}: unknown country {t['country']}")
        try:
            t["name"].encode("cp1251")
        except UnicodeEncodeError:
            problems.append(f"{t['name']}: not in CP1251")
        if distance_km(t["position"], t["centre"]) > DEFECT_KM:
            problems.append(f"{t['name']}: position {distance_km(t['position'], t['centre']):.1f} km "
                            "from the town")
    return problems


def city_list_bytes(towns):
    return b"".join(f"{t['code']} {t['name']}\r\n".encode("cp1251") for t in towns)


def stations_bytes(towns):
    lines = [
        "# Forecast positions of the cities of NimbrelCodSity.txt: code latitude longitude",
        "# (decimal degrees, WGS84). One line per city; \"#\" starts a comment. Written by",
        "# tools/citylist/generate.py: see data/SOURCES.txt.",
        "# A line without a remark is the position of the WMO station whose index is the code",
        "# (Station data: Meteostat, CC BY 4.0). \"centre\": the town centre (Town data: GeoNames,",
        "# CC BY 4.0, or set by hand where it lists no town), for a code of ours (00xxx) or a",
        "# WMO index without a usable station position.",
    ]
    for t in sorted(towns, key=lambda t: t["code"]):
        lat, lon = t["position"]
        remark = ""
        if t["source"] == "centre":
            remark = "  # centre" if t["code"].startswith(OUR_BLOCK) else "  # centre, WMO index"
        lines.append(f"{t['code']} {lat:.4f} {lon:.4f}{remark}")
    return ("\n".join(lines) + "\n").encode("ascii")


def report(towns):
    by_country = {}
    for t in towns:
        by_country[t["country"]] = by_country.get(t["country"], 0) + 1
    print(f"{len(towns)} lines:", ", ".join(f"{COUNTRIES[c]} {n}" for c, n in by_country.items()))
    sources = {}
    for t in towns:
        sources[t["source"]] = sources.get(t["source"], 0) + 1
    print("positions:", ", ".join(f"{n} {s}" for s, n in sorted(sources.items())))
    far = sorted(towns, key=lambda t: -distance_km(t["position"], t["centre"]))
    for t in far:
        km = distance_km(t["position"], t["centre"])
        if km > MATCH_KM / 2:
            print(f"  {t['code']} {t['name']}: {km:.1f} km from the centre ({t.get('station', '')})")
    t = far[0]
    print(f"largest distance: {distance_km(t['position'], t['centre']):.1f} km ({t['name']})")
    moved = [t for t in towns if t["source"] == "centre" and not t["code"].startswith(OUR_BLOCK)]
    for t in moved:
        why = (f"the station lies {t['stationKm']:.1f} km away" if "stationKm" in t
               else t.get("station", ""))
        print(f"  {t['code']} {t['name']}: centre; {why}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sources", type=Path, default=None)
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    sources = args.sources
    if sources is None:
        sources = next((p for p in (ROOT.parent / "shared", ROOT.parent.parent / "shared")
                        if (p / "towns-cis.csv").exists()), ROOT.parent / "shared")

    geonames = {r["geonames_id"]: r for r in read_csv(sources / "towns-cis.csv")}
    stations = {r["wmo"]: {"country": r["country"], "name": r["name_en"],
                           "position": (float(r["latitude"]), float(r["longitude"]))}
                for r in read_csv(sources / "wmo-stations-cis.csv")}
    first_list = {}
    for r in read_csv(sources / "stations.csv"):
        first_list[r["code"]] = "manual" if r["source"] == "manual" else (
            float(r["latitude"]), float(r["longitude"]))

    towns = read_table()
    new_codes = any(not t["code"] for t in towns)
    locate(towns, geonames)
    assign_codes(towns, stations)
    place(towns, stations, first_list)
    problems = check(towns, set(first_list))
    towns = ordered(towns)
    report(towns)
    if problems:
        sys.exit("\n".join(problems))

    outputs = {CITY_LIST: city_list_bytes(towns), STATIONS: stations_bytes(towns)}
    if args.check:
        stale = [p for p, data in outputs.items() if not p.exists() or p.read_bytes() != data]
        if new_codes:
            stale.append(TABLE)
        if stale:
            sys.exit("out of date: " + ", ".join(str(p) for p in stale))
        return
    for path, data in outputs.items():
        path.write_bytes(data)
    write_table(sorted(towns, key=lambda t: t["line"]))


if __name__ == "__main__":
    main()
