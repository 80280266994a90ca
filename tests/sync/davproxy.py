#!/usr/bin/python3
"""A misbehaving front for a real DAV server on 127.0.0.1: forwards every request and plays the
faults of its rules file. Usage: davproxy.py UPSTREAM RULES (prints its port, then serves).

RULES, JSON read afresh per request: {"run": 3, "pidfile": "/path", "rules": [{"method": "PUT",
"contains": "...", "nth": 2, "do": "..."}]}. A rule takes the `nth` (0 or absent: every one) of
the requests of its method whose path or body holds `contains`, counted anew per "run". `do`:
lose-reply (forward, drop the connection unanswered), kill-before (SIGKILL the process of
`pidfile`, forward nothing), kill-after (forward, then SIGKILL it), empty-207 (forward, answer an
empty multistatus), strip (forward, remove every `element` from the answer), answer (answer
`status`, `body`, `headers` without forwarding).
"""
import http.client
import http.server
import json
import os
import re
import signal
import sys
import threading
import urllib.parse

upstream = urllib.parse.urlparse(sys.argv[1])
rules_path = sys.argv[2]
lock = threading.Lock()
counts = {}
seen_run = [None]
HOP = {"connection", "keep-alive", "transfer-encoding", "content-length", "proxy-connection"}


def rules():
    with open(rules_path) as f:
        data = json.load(f)
    with lock:
        if data.get("run") != seen_run[0]:
            seen_run[0] = data.get("run")
            counts.clear()
    return data


def matching(data, method, path, body):
    for i, rule in enumerate(data.get("rules", [])):
        if rule.get("method", method) != method:
            continue
        needle = rule.get("contains", "")
        if needle and needle not in path and needle.encode() not in body:
            continue
        with lock:
            counts[i] = counts.get(i, 0) + 1
            n = counts[i]
        if rule.get("nth", 0) in (0, n):
            return rule
    return None


def kill(data):
    with open(data["pidfile"]) as f:
        os.kill(int(f.read().strip()), signal.SIGKILL)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def handle_one(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        data = rules()
        rule = matching(data, self.command, self.path, body) or {}
        do = rule.get("do")
        if do == "answer":
            headers = rule.get("headers", {})
            return self.reply(rule.get("status", 200), headers, rule.get("body", "").encode())
        if do == "kill-before":
            kill(data)
            self.close_connection = True
            return
        status, headers, answer = self.forward(body)
        if do == "kill-after":
            kill(data)
        if do in ("kill-after", "lose-reply"):
            self.close_connection = True
            return
        if do == "empty-207":
            answer = b'<?xml version="1.0" encoding="utf-8"?>\n<multistatus xmlns="DAV:"/>'
        elif do == "strip":
            name = re.escape(rule["element"])
            answer = re.sub(rb"<(\w+:)?" + name.encode() + rb"\b[^>]*?(/>|>.*?</(\w+:)?" +
                            name.encode() + rb">)", b"", answer, flags=re.S)
        self.reply(status, headers, answer)

    def forward(self, body):
        conn = http.client.HTTPConnection(upstream.hostname, upstream.port, timeout=30)
        # Plain bodies, so that a rule can rewrite them.
        headers = {k: v for k, v in self.headers.items()
                   if k.lower() not in HOP and k.lower() != "accept-encoding"}
        conn.request(self.command, self.path, body=body, headers=headers)
        answer = conn.getresponse()
        content = answer.read()
        kept = {k: v for k, v in answer.getheaders() if k.lower() not in HOP}
        conn.close()
        return answer.status, kept, content

    def reply(self, status, headers, body):
        self.send_response(status)
        for k, v in headers.items():
            self.send_header(k, v)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def __getattr__(self, name):
        if name.startswith("do_"):
            return self.handle_one
        raise AttributeError(name)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
