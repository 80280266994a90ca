#!/usr/bin/python3
"""A calendar read back without Natalix: sorted lines "NAME UID SUMMARY". Args: URL USER PASSWORD"""
import base64
import sys
import urllib.parse
import urllib.request
import xml.etree.ElementTree as ET

import icalendar

url, user, password = sys.argv[1:4]


def request(method, target, body=None, headers={}):
    auth = "Basic " + base64.b64encode(f"{user}:{password}".encode()).decode()
    req = urllib.request.Request(target, body, {"Authorization": auth, **headers}, method=method)
    with urllib.request.urlopen(req, timeout=10) as answer:
        return answer.read()


listing = request("PROPFIND", url, b'<propfind xmlns="DAV:"><prop><getetag/></prop></propfind>',
                  {"Depth": "1", "Content-Type": "application/xml"})
lines = []
for href in (e.text for e in ET.fromstring(listing).iter("{DAV:}href")):
    if href.rstrip("/") != urllib.parse.urlparse(url).path.rstrip("/"):
        name = urllib.parse.unquote(href.rstrip("/").rsplit("/", 1)[-1])
        calendar = icalendar.Calendar.from_ical(request("GET", urllib.parse.urljoin(url, href)))
        lines += [f"{name} {e['UID']} {e['SUMMARY']}" for e in calendar.walk("VEVENT")]
print("\n".join(sorted(lines)))
