#!/usr/bin/python3
"""A misbehaving front for a real DAV server: forwards every request and plays the faults of its
rules. Usage: davproxy.py UPSTREAM RULES (prints its port, then serves).

RULES, JSON read afresh per request: {"run": 3, "pidfile": "/path", "rules": [{"method": "PUT",
"contains": "...", "nth": 2, "do": "..."}]}. A rule takes the `nth` (0 or absent: every one) of
the requests of its method whose path or body holds `contains`, counted anew per "run". `do`:
lose-reply (forward, drop the connection unanswered), kill-before / kill-after (SIGKILL the
process of `pidfile` before forwarding / after), answer (answer `status` and `body` without
forwarding).
"""
import http.client
import http.server
import json
import os
import signal
import sys
import threading
import urllib.parse

upstream = urllib.parse.urlparse(sys.argv[1])
lock = threading.Lock()
counts = {}
seen_run = [None]
HOP = {"connection", "keep-alive", "transfer-encoding", "content-length", "accept-encoding"}


def matching(data, method, path, body):
    with lock:
        if data.get("run") != seen_run[0]:
            seen_run[0] = data.get("run")
            counts.clear()
        for i, rule in enumerate(data["rules"]):
            needle = rule.get("contains", "")
            if rule.get("method", method) != method or needle not in path + body.decode():
                continue
            counts[i] = counts.get(i, 0) + 1
            if rule.get("nth", 0) in (0, counts[i]):
                return rule
    return {}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def handle_one(self):
        body = self.rfile.read(int(self.headers.get("Content-Length") or 0))
        with open(sys.argv[2]) as f:
            data = json.load(f)
        rule = matching(data, self.command, self.path, body)
        do = rule.get("do")
        if do == "answer":
            return self.reply(rule["status"], {"Content-Type": "application/xml"},
                              rule.get("body", "").encode())
        if do in ("kill-before", "kill-after", "lose-reply"):
            self.close_connection = True
        if do == "kill-before":
            return self.kill(data)
        conn = http.client.HTTPConnection(upstream.hostname, upstream.port, timeout=30)
        conn.request(self.command, self.path, body=body,
                     headers={k: v for k, v in self.headers.items() if k.lower() not in HOP})
        answer = conn.getresponse()
        content = answer.read()
        headers = {k: v for k, v in answer.getheaders() if k.lower() not in HOP}
        conn.close()
        if do == "kill-after":
            self.kill(data)
        if do in ("kill-after", "lose-reply"):
            return
        self.reply(answer.status, headers, content)

    def kill(self, data):
        with open(data["pidfile"]) as f:
            os.kill(int(f.read().strip()), signal.SIGKILL)

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
