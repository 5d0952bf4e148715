#!/usr/bin/env bash
# Serves the development web server (tools/dev-server) on 127.0.0.1 with Python's
# http.server, so the web features can be tried on this machine:
#
#     bash scripts/dev-server.sh [PORT]          (default 8765; Ctrl-C stops it)
#     VELMORA_SERVER_URL=http://127.0.0.1:8765/ build-release/src/app/velmora
#
# The replies get the server's address in place of "@SERVER@"; the update package is
# built from tools/dev-server/package with its size announcement.
set -euo pipefail
cd "$(dirname "$0")/.."
PORT=${1:-8765}
SOURCE=${DEV_SERVER_FOLDER:-tools/dev-server}
served=$(mktemp -d)
trap 'rm -rf "$served"' EXIT
python3 - "$SOURCE" "$served" "http://127.0.0.1:$PORT/" <<'PY'
import os, sys
source, served, address = sys.argv[1:4]
replies = os.path.join(source, "replies")
for folder, _, names in os.walk(replies):
    for name in names:
        text = open(os.path.join(folder, name), "rb").read().replace(b"@SERVER@", address.encode())
        target = os.path.join(served, os.path.relpath(folder, replies), name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        open(target, "wb").write(text)
package = os.path.join(source, "package")
body = b""
files = os.path.join(package, "files")
for folder, _, names in sorted(os.walk(files)):
    for name in sorted(names):
        data = open(os.path.join(folder, name), "rb").read()
        path = os.path.relpath(os.path.join(folder, name), files).replace(os.sep, "/")
        body += b"file__[APD]devServer/" + path.encode() + b"\n" + str(len(data)).encode() + b"\n" + data
message = os.path.join(package, "message.txt")
if os.path.exists(message):
    body += b"msgbox" + open(message, "rb").read().split(b"\n")[0] + b"\n"
body += b"exit0_"
head = b"prgssz%08d\n" % (len(body) + 15)
os.makedirs(os.path.join(served, "updates"), exist_ok=True)
open(os.path.join(served, "updates", "VL_update.vli"), "wb").write(head + body)
PY
echo "Development web server on http://127.0.0.1:$PORT/ (Ctrl-C stops it)"
echo "Try: VELMORA_SERVER_URL=http://127.0.0.1:$PORT/ build-release/src/app/velmora"
cd "$served"
python3 -m http.server "$PORT" --bind 127.0.0.1
