#!/usr/bin/env python3
"""A KOReader progress-sync server for the tests, on 127.0.0.1 only.

Follows the protocol (vendor Accept header, md5 keys, 201/402/401, 200 {} for an unknown book)
and appends every request it receives to LOG as one JSON line. The first line it prints is
"PORT n". MODE_FILE, read at each request, makes it misbehave: "500", "garbage", "404", "502",
"hang" (never answers), anything else is normal.

   kosync_server.py LOG MODE_FILE
   kosync_server.py --digest FILE   (prints KOReader's partial MD5 of FILE, from hashlib)
"""
import hashlib
import json
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

VENDOR = "application/vnd.koreader.v1+json"


def partial_md5(path):
    md5 = hashlib.md5()
    with open(path, "rb") as f:
        size = f.seek(0, 2)
        for offset in [0] + [1024 * 4 ** i for i in range(11)]:
            if offset >= size:
                break
            f.seek(offset)
            md5.update(f.read(1024))
    return md5.hexdigest()


class State:
    lock = threading.Lock()
    users = {}
    records = {}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, status, obj=None, raw=None):
        body = raw if raw is not None else json.dumps(obj if obj is not None else {}).encode()
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def error(self, status, code, message):
        self.answer(status, {"code": code, "message": message})

    def handle_any(self, method):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length).decode("utf-8", "replace") if length else ""
        entry = {"method": method, "path": self.path, "body": body,
                 "accept": self.headers.get("Accept"),
                 "user": self.headers.get("x-auth-user"), "key": self.headers.get("x-auth-key"),
                 "type": self.headers.get("Content-Type")}
        with State.lock, open(self.server.log, "a") as log:
            log.write(json.dumps(entry) + "\n")
        try:
            with open(self.server.mode_file) as f:
                mode = f.read().strip()
        except OSError:
            mode = ""
        if mode == "hang":
            time.sleep(60)
            return
        if mode == "500":
            return self.error(500, 2000, "Unknown server error.")
        if mode == "garbage":
            return self.answer(200, raw=b"<html>not json")
        if self.headers.get("Accept") != VENDOR:
            return self.error(412, 101, "Invalid Accept header format.")
        with State.lock:
            self.route(method, body, mode)

    def authorized(self):
        user = self.headers.get("x-auth-user")
        return user is not None and State.users.get(user) == self.headers.get("x-auth-key")

    def route(self, method, body, mode):
        if method == "POST" and self.path == "/users/create":
            data = json.loads(body or "{}")
            name, key = data.get("username"), data.get("password")
            if not name or not key or ":" in name:
                return self.error(403, 2003, "Invalid request")
            if name in State.users:
                return self.error(402, 2002, "Username is already registered.")
            State.users[name] = key
            return self.answer(201, {"username": name})
        if not self.authorized():
            return self.error(401, 2001, "Unauthorized")
        if method == "GET" and self.path == "/users/auth":
            return self.answer(200, {"authorized": "OK"})
        user = self.headers.get("x-auth-user")
        if method == "PUT" and self.path == "/syncs/progress":
            data = json.loads(body or "{}")
            if not isinstance(data.get("percentage"), (int, float)) or "progress" not in data \
                    or "device" not in data:
                return self.error(403, 2003, "Invalid request")
            stamp = int(time.time())
            State.records[(user, data["document"])] = {
                k: data.get(k) for k in ("percentage", "progress", "device", "device_id")}
            State.records[(user, data["document"])]["timestamp"] = stamp
            return self.answer(200, {"document": data["document"], "timestamp": stamp})
        if method == "GET" and self.path.startswith("/syncs/progress/"):
            document = self.path[len("/syncs/progress/"):]
            record = State.records.get((user, document))
            if record is None:
                if mode in ("404", "502"):
                    return self.error(int(mode), 2000, "Not found")
                return self.answer(200, {})
            return self.answer(200, dict(record, document=document))
        return self.answer(404, raw=b"<html>404</html>")

    def do_GET(self):
        self.handle_any("GET")

    def do_POST(self):
        self.handle_any("POST")

    def do_PUT(self):
        self.handle_any("PUT")


def main():
    if sys.argv[1] == "--digest":
        print(partial_md5(sys.argv[2]))
        return
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.log, server.mode_file = sys.argv[1], sys.argv[2]
    print("PORT", server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
