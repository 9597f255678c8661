#!/usr/bin/env python3
"""A forecast service on loopback for the gateway's tests and figures.

Answers every GET in Open-Meteo's documented answer shape, three days of hours
from --start (every hour alike), over HTTPS when given a certificate,
gzip-compressed when the client accepts it. --status answers that status
instead (with Retry-After when --retry-after is given). Writes the port it
listens on to --port-file once it listens, and one line per request
("<path> gzip=<0|1>") to --log.
"""
import argparse
import datetime
import gzip
import http.server
import json
import ssl
import sys


def answer(start, days):
    first = datetime.datetime.strptime(start, "%Y-%m-%d")
    hours = 24 * days
    times = [(first + datetime.timedelta(hours=h)).strftime("%Y-%m-%dT%H:%M") for h in range(hours)]
    return {
        "latitude": 55.82, "longitude": 37.62, "generationtime_ms": 0.5,
        "utc_offset_seconds": 10800, "timezone": "Europe/Moscow",
        "timezone_abbreviation": "MSK", "elevation": 156.0,
        "hourly_units": {"time": "iso8601", "temperature_2m": "\u00b0C",
                         "relative_humidity_2m": "%", "cloud_cover": "%",
                         "weather_code": "wmo code", "wind_speed_10m": "m/s",
                         "wind_direction_10m": "\u00b0"},
        "hourly": {"time": times, "temperature_2m": [-3.4] * hours,
                   "relative_humidity_2m": [88] * hours, "cloud_cover": [100] * hours,
                   "weather_code": [71] * hours, "wind_speed_10m": [4.1] * hours,
                   "wind_direction_10m": [250] * hours},
    }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--log", default="/dev/null")
    parser.add_argument("--start", default="2026-12-07")
    parser.add_argument("--status", type=int, default=200)
    parser.add_argument("--retry-after")
    options = parser.parse_args()
    body = json.dumps(answer(options.start, 3)).encode()
    log = open(options.log, "a", buffering=1)

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def do_GET(self):
            zipped = "gzip" in self.headers.get("Accept-Encoding", "")
            log.write("%s gzip=%d\n" % (self.path, zipped))
            if options.status != 200:
                self.send_response(options.status)
                if options.retry_after:
                    self.send_header("Retry-After", options.retry_after)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            data = gzip.compress(body) if zipped else body
            self.send_response(200)
            self.send_header("Content-Type", "application/json")
            if zipped:
                self.send_header("Content-Encoding", "gzip")
            self.send_header("Content-Length", str(len(data)))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(data)

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    if options.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(options.cert, options.key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    with open(options.port_file + ".part", "w") as f:
        f.write(str(server.server_address[1]))
    import os
    os.replace(options.port_file + ".part", options.port_file)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
