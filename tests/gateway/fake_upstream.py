#!/usr/bin/env python3
"""A forecast service on loopback for the gateway's tests and figures.

Answers every GET in Open-Meteo's documented answer shape, three days of hours
from --start (every hour alike), over HTTPS when given a certificate,
gzip-compressed when the client accepts it. --status answers that status
instead (with Retry-After when --retry-after is given). Writes the port it
listens on to --port-file once it listens, and one line per request
("<path> gzip=<0|1>") to --log.

--mode-file makes it a network that changes while it runs: before each
connection it reads the file's first line, "up [TEMPERATURE [DELAY]]"
(answer as above, that temperature every hour, after DELAY seconds), "closed" (reset every connection at
once, as an unreachable network or a firewall does), "silent" (take the
request and never answer, as a captive portal or a dropping firewall does)
or "status CODE [RETRY-AFTER]". --delay SECONDS holds every answer that
long (a far service). Each connection is logged as "<unix time> <mode>
<path>" to --log instead then.
"""
import argparse
import datetime
import gzip
import http.server
import json
import os
import socket
import ssl
import struct
import sys
import time


def answer(start, days, temperature=-3.4):
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
        "hourly": {"time": times, "temperature_2m": [temperature] * hours,
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
    parser.add_argument("--mode-file")
    parser.add_argument("--delay", type=float, default=0)
    options = parser.parse_args()
    body = json.dumps(answer(options.start, 3)).encode()
    log = open(options.log, "a", buffering=1)

    def mode():
        if not options.mode_file:
            return ["up"]
        try:
            with open(options.mode_file) as f:
                return (f.readline().split() or ["up"])
        except OSError:
            return ["up"]

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def do_GET(self):
            zipped = "gzip" in self.headers.get("Accept-Encoding", "")
            now = mode()
            if options.mode_file:
                log.write("%.3f %s %s\n" % (time.time(), now[0], self.path))
            else:
                log.write("%s gzip=%d\n" % (self.path, zipped))
            if now[0] == "silent":
                self.connection.settimeout(60)
                try:
                    while self.connection.recv(4096):
                        pass
                except OSError:
                    pass
                self.close_connection = True
                return
            time.sleep(float(now[2]) if now[0] == "up" and len(now) > 2 else options.delay)
            status = int(now[1]) if now[0] == "status" else options.status
            retry_after = (now[2] if len(now) > 2 else None) if now[0] == "status" else options.retry_after
            if status != 200:
                self.send_response(status)
                if retry_after:
                    self.send_header("Retry-After", retry_after)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            data = body
            if now[0] == "up" and len(now) > 1:
                data = json.dumps(answer(options.start, 3, float(now[1]))).encode()
            data = gzip.compress(data) if zipped else data
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

    class Server(http.server.ThreadingHTTPServer):
        daemon_threads = True

        def verify_request(self, request, client_address):
            if mode()[0] != "closed":
                return True
            log.write("%.3f closed\n" % time.time())
            request.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            request.close()
            return False

    server = Server(("127.0.0.1", 0), Handler)
    if options.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(options.cert, options.key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    with open(options.port_file + ".part", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(options.port_file + ".part", options.port_file)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
