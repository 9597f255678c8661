#!/usr/bin/env python3
"""Development feed server for Nimbrel.

Answers GET /xml/<code>_1.xml (any five-character city code) with a plausible
four-period forecast in the shape the widget reads: today's afternoon and
evening and tomorrow's morning and afternoon. The weather is invented, but the
same for one city on one day, and different from city to city. The town name
comes from the city list when there is one, as percent-encoded CP1251.

Standard library only.
"""

import argparse
import datetime
import hashlib
import http.server
import os
import random
import re
import sys
import threading
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_CITIES = os.path.normpath(os.path.join(HERE, "..", "..", "data", "NimbrelCodSity.txt"))
FEED_PATH = re.compile(r"^/xml/([^/]{5})_1\.xml$")

# Hours of the four periods: two of today, two of tomorrow.
PERIODS = ((0, 15), (0, 21), (1, 9), (1, 15))

# Rough mean temperature per month for a mid-latitude inland town.
MONTH_MEAN = (-9, -8, -3, 5, 13, 17, 19, 17, 11, 5, -1, -6)


def load_cities(path):
    """City code -> name bytes (CP1251) from a city list, if it exists."""
    cities = {}
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        return cities
    for line in re.split(rb"\r\n|\r|\n|\0", data):
        if len(line) >= 5:
            cities[line[:5].decode("cp1251", "replace")] = line[5:].strip()
    return cities


def weekday_code(day):
    """1 for Sunday up to 7 for Saturday."""
    return (day.weekday() + 1) % 7 + 1


def forecast_xml(code, today, cities):
    digest = hashlib.sha256(("%s|%s" % (code, today.isoformat())).encode("utf-8")).digest()
    rng = random.Random(int.from_bytes(digest[:8], "big"))
    name = cities.get(code) or ("Город " + code).encode("cp1251", "replace")
    town = urllib.parse.quote_from_bytes(name, safe="")
    # A city's climate offset stays the same from day to day.
    city_offset = int.from_bytes(hashlib.sha256(code.encode("utf-8")).digest()[:2], "big") % 11 - 5
    mean = MONTH_MEAN[today.month - 1] + city_offset + rng.randint(-3, 3)
    wind_dir = rng.randint(0, 7)

    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<weatherfeed>',
             '  <place code="%s" sname="%s" source="nimbrel-dev">' % (code, town)]
    for offset, hour in PERIODS:
        day = today + datetime.timedelta(days=offset)
        daytime = 9 <= hour <= 18
        low = mean + rng.randint(-2, 1) + (1 if daytime else -3)
        high = low + rng.randint(1, 4)
        cloudiness = rng.randint(0, 3)
        if cloudiness < 2:
            precipitation = 10
        elif mean <= 0:
            precipitation = rng.choice((6, 7, 10, 10))
        else:
            precipitation = rng.choice((4, 5, 8, 10, 10))
        wind_low = rng.randint(0, 6)
        wind_dir = (wind_dir + rng.randint(-1, 1)) % 8
        wet_low = rng.randint(45, 85)
        pressure = rng.randint(738, 765)
        lines += [
            '    <FORECAST day="%02d" month="%02d" year="%d" hour="%02d" weekday="%d">'
            % (day.day, day.month, day.year, hour, weekday_code(day)),
            '      <SKY cloudiness="%d" precipitation="%d"/>' % (cloudiness, precipitation),
            '      <TEMPERATURE min="%d" max="%d"/>' % (low, high),
            '      <WIND min="%d" max="%d" direction="%d"/>' % (wind_low, wind_low + rng.randint(1, 4), wind_dir),
            '      <RELWET min="%d" max="%d"/>' % (wet_low, min(100, wet_low + rng.randint(2, 12))),
            '      <PRESSURE min="%d" max="%d"/>' % (pressure, pressure + rng.randint(0, 3)),
            '    </FORECAST>']
    lines += ['  </place>', '</weatherfeed>', '']
    return "\r\n".join(lines).encode("ascii")


def make_handler(options, cities):
    class FeedHandler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"
        server_version = "NimbrelFeed/1.0"

        def log_message(self, fmt, *args):
            if not options.quiet:
                sys.stderr.write("%s %s\n" % (self.log_date_time_string(), fmt % args))

        def do_GET(self):
            self.close_connection = True
            path = urllib.parse.urlsplit(self.path).path
            if path == "/quit" and options.allow_quit:
                self.answer(200, b"bye\r\n", "text/plain")
                threading.Thread(target=self.server.shutdown, daemon=True).start()
                return
            match = FEED_PATH.match(path)
            if not match:
                self.answer(404, b"<html><body>no such feed</body></html>\r\n", "text/html")
                return
            if options.file:
                with open(options.file, "rb") as f:
                    body = f.read()
            else:
                today = options.date or datetime.date.today()
                body = forecast_xml(match.group(1), today, cities)
            self.answer(200, body, "text/xml")

        def answer(self, status, body, kind):
            self.send_response(status)
            self.send_header("Content-Type", kind)
            self.send_header("Connection", "close")
            if options.framing == "length":
                self.send_header("Content-Length", str(len(body)))
            elif options.framing == "chunked":
                self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            if options.framing == "chunked":
                for at in range(0, len(body), 512):
                    piece = body[at:at + 512]
                    self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
                self.wfile.write(b"0\r\n\r\n")
            else:
                self.wfile.write(body)
            self.wfile.flush()

    return FeedHandler


def parse_args(argv):
    p = argparse.ArgumentParser(description="Serve invented weather feeds for Nimbrel.")
    p.add_argument("--host", default="127.0.0.1", help="address to listen on (127.0.0.1)")
    p.add_argument("--port", type=int, default=8930, help="port to listen on (8930); 0 picks a free one")
    p.add_argument("--file", help="serve this file for every feed request instead")
    p.add_argument("--cities", default=DEFAULT_CITIES, help="city list for the town names")
    p.add_argument("--date", type=datetime.date.fromisoformat, help="pretend today is YYYY-MM-DD")
    p.add_argument("--framing", choices=("length", "none", "chunked"), default="length",
                   help="body framing: Content-Length (default), none (close ends it) or chunked")
    p.add_argument("--print", dest="print_code", metavar="CODE", help="print one feed and exit")
    p.add_argument("--quiet", action="store_true", help="do not log requests")
    p.add_argument("--exit-after", type=float, metavar="SECONDS", help="stop serving after this long")
    p.add_argument("--allow-quit", action="store_true", help="let GET /quit stop the server (for tests)")
    return p.parse_args(argv)


def main(argv):
    options = parse_args(argv)
    cities = load_cities(options.cities)
    if options.print_code:
        sys.stdout.buffer.write(forecast_xml(options.print_code, options.date or datetime.date.today(), cities))
        return 0
    server = http.server.ThreadingHTTPServer((options.host, options.port), make_handler(options, cities))
    host, port = server.server_address[:2]
    if options.exit_after:
        timer = threading.Timer(options.exit_after, server.shutdown)
        timer.daemon = True
        timer.start()
    print("feed server on http://%s:%d/xml/<code>_1.xml" % (host, port), flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
