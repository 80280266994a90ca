#!/usr/bin/python3
"""Reads a CalDAV calendar back without Natalix (PROPFIND, GET, icalendar): one sorted line
"NAME UID SUMMARY" per event. Usage: calendar_dump.py URL USER PASSWORD"""
import base64
import sys
import urllib.parse
import urllib.request
import xml.etree.ElementTree as ET

import icalendar

url, user, password = sys.argv[1:4]
auth = "Basic " + base64.b64encode(f"{user}:{password}".encode()).decode()


def request(method, target, body=None, headers=None):
    req = urllib.request.Request(target, data=body, method=method)
    req.add_header("Authorization", auth)
    for k, v in (headers or {}).items():
        req.add_header(k, v)
    with urllib.request.urlopen(req, timeout=10) as answer:
        return answer.read()


listing = request("PROPFIND", url, b'<propfind xmlns="DAV:"><prop><getetag/></prop></propfind>',
                  {"Depth": "1", "Content-Type": "application/xml"})
base = urllib.parse.urlparse(url).path.rstrip("/")
lines = []
for href in (e.text for e in ET.fromstring(listing).iter("{DAV:}href")):
    if href.rstrip("/") == base:
        continue
    calendar = icalendar.Calendar.from_ical(request("GET", urllib.parse.urljoin(url, href)))
    name = urllib.parse.unquote(href.rstrip("/").rsplit("/", 1)[-1])
    lines += [f"{name} {e['UID']} {e['SUMMARY']}" for e in calendar.walk("VEVENT")]
print("\n".join(sorted(lines)))
