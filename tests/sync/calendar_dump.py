#!/usr/bin/python3
"""Reads a CalDAV calendar back, independently of Natalix: lists its members with PROPFIND,
fetches each with GET, parses it with icalendar and expands it with recurring_ical_events.

Prints one line per occurrence between START and END (ISO dates):
  UID DATE SUMMARY | alarm dates (occurrence + TRIGGER)
or, with START "members", one line per resource: NAME UID SUMMARY
Usage: calendar_dump.py URL USER PASSWORD START END
"""
import base64
import datetime
import sys
import urllib.parse
import urllib.request
import xml.etree.ElementTree as ET

import icalendar
import recurring_ical_events

url, user, password, start, end = sys.argv[1:6]
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
hrefs = [e.text for e in ET.fromstring(listing).iter("{DAV:}href")]
base = urllib.parse.urlparse(url).path
lines = []
for href in hrefs:
    if href.rstrip("/") == base.rstrip("/"):
        continue
    calendar = icalendar.Calendar.from_ical(request("GET", urllib.parse.urljoin(url, href)))
    if start == "members":
        for event in calendar.walk("VEVENT"):
            name = urllib.parse.unquote(href.rstrip("/").rsplit("/", 1)[-1])
            lines.append(f"{name} {event['UID']} {event['SUMMARY']}")
        continue
    for event in recurring_ical_events.of(calendar).between(
            datetime.date.fromisoformat(start), datetime.date.fromisoformat(end)):
        day = event.decoded("DTSTART")
        alarms = sorted(str(day + a.decoded("TRIGGER")) for a in event.walk("VALARM"))
        lines.append(f"{event['UID']} {day} {event['SUMMARY']} | {','.join(alarms)}".rstrip())
print("\n".join(sorted(lines)))
