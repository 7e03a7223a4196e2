#!/usr/bin/env python3
"""A messaging host that speaks the bridge's protocol with canned answers, for checking the
extension and the page library on their own: who may connect, what is relayed, who ends what.

It keeps Base's five detection properties as a fresh machine has them, refuses other members as
the dispatch layer does, and answers `call DOWNLOAD` (a member the real control does not have)
by showing a panel at 42% and a box. Each start,
message and end is appended to $HVDETECTOR_FAKE_HOST_LOG as one JSON line. It serves the build
whose vendor.json $HVDETECTOR_VENDOR_JSON names.
"""
import json
import os
import re
import struct
import sys
import xml.etree.ElementTree as ElementTree

# The build's vendor settings, as the real host has them built in.
with open(os.environ["HVDETECTOR_VENDOR_JSON"], encoding="utf-8") as vendor_file:
    VENDOR = json.load(vendor_file)
EXTENSION_CALLERS = [f"chrome-extension://{id}/" for id in VENDOR["chromiumExtensionIds"]]
ADDON_ID = VENDOR["firefoxId"]
DOMAIN_SUFFIX = "." + VENDOR["siteDomain"]
PANEL_SVG = os.path.join(os.path.dirname(__file__), "..", "..", "docs", "panel.svg")
PROPERTIES = {
    "hascvxmime": False,
    "hascvtmime": False,
    "hasparticipanthalverine": False,
    "hassupervisorhv": False,
    "hasieautoopen": False,
}


def log(**entry):
    path = os.environ.get("HVDETECTOR_FAKE_HOST_LOG")
    if path:
        with open(path, "a", encoding="utf-8") as out:
            out.write(json.dumps({"pid": os.getpid(), **entry}) + "\n")


def send(message):
    body = json.dumps(message).encode()
    sys.stdout.buffer.write(struct.pack("=I", len(body)) + body)
    sys.stdout.buffer.flush()


def frames():
    while True:
        head = sys.stdin.buffer.read(4)
        if len(head) < 4:
            return
        (length,) = struct.unpack("=I", head)
        body = sys.stdin.buffer.read(length)
        if len(body) < length:
            return
        yield json.loads(body)


def on_the_domain(origin):
    match = re.fullmatch(r"https?://([a-z0-9.-]+)", origin or "")
    return bool(match) and match.group(1).endswith(DOMAIN_SUFFIX)


def twips(element, name):
    return round(float(element.get(name, "0")) * 15)


# The panel as the layout stores it, read back from the picture drawn from that layout.
def panel(value, caption, with_picture):
    ns = {"svg": "http://www.w3.org/2000/svg"}
    root = ElementTree.parse(PANEL_SVG).getroot()
    children = []
    for box in reversed(root.findall("svg:svg", ns)):
        child = {"name": box.get("id"), "left": twips(box, "x"), "top": twips(box, "y"),
                 "width": twips(box, "width"), "height": twips(box, "height"), "visible": True}
        text = box.find("svg:text", ns)
        if text is not None:
            back = box.find("svg:rect", ns)
            child.update(kind="label", caption=text.text, color=text.get("fill"),
                         backColor=back.get("fill") if back is not None else text.get("fill"),
                         font={"name": text.get("font-family").split("'")[1],
                               "points": float(text.get("font-size")) * 72 / 96, "bold": True})
            if child["name"] == "lblDownload":
                child["caption"] = caption
        elif box.find("svg:image", ns) is not None:
            child["kind"] = "image"
            if with_picture:
                child["picture"] = box.find("svg:image", ns).get("{http://www.w3.org/1999/xlink}href")
        elif child["name"].startswith("prg"):
            child.update(kind="progress", value=value, fill="#0F7A84", trough="#ECEFF1",
                         edge="#9AA5AE")
        else:
            child.update(kind="shape", color="#4A5A6A", style=[4, 2])
        children.append(child)
    return {"type": "event", "name": "panel",
            "detail": {"caption": caption, "color": "#000000", "value": value, "visible": True,
                       "width": twips(root, "width"), "height": twips(root, "height"),
                       "children": children}}


# The build's version, or the one a file beside the log names: a host of another version.
def announced_version():
    try:
        with open(os.environ["HVDETECTOR_FAKE_HOST_LOG"] + ".version", encoding="utf-8") as named:
            return named.read().strip()
    except (KeyError, OSError):
        return VENDOR["version"]


def error(message_id, number, description):
    send({"type": "error", "id": message_id, "number": number, "description": description,
          "source": ""})


def answer(message):
    kind, name, message_id = message.get("type"), str(message.get("name", "")), message.get("id")
    if kind == "listen":
        return
    if kind == "get" and name.lower() in PROPERTIES:
        send({"type": "result", "id": message_id, "value": PROPERTIES[name.lower()]})
    elif kind == "call" and name.lower() == "download":
        send(panel(42, "Download Progress", False))
        send({"type": "event", "name": "box",
              "detail": {"title": "Corvantis Halverine Detector", "text": "Halfway <b>there</b>"}})
        send({"type": "result", "id": message_id, "value": None})
    elif kind in ("get", "put", "call"):
        error(message_id, 438, "Object doesn't support this property or method")
    else:
        error(message_id, 5, "Invalid procedure call or argument")


def main():
    log(event="start", argv=sys.argv[1:])
    caller_ok = sys.argv[1:2] in [[caller] for caller in EXTENSION_CALLERS] or sys.argv[2:3] == [ADDON_ID]
    if not caller_ok:
        send({"type": "refused", "message": "the caller is not the HVDetector extension"})
        return 1
    opened = False
    for message in frames():
        log(event="message", message=message)
        if not opened:
            if message.get("type") != "open" or not on_the_domain(message.get("origin")):
                send({"type": "refused",
                      "message": f"the page {message.get('origin')} is not on {VENDOR['siteDomain']}"})
                return 1
            opened = True
            send({"type": "opened", "version": announced_version()})
            send(panel(0, "Download Progress", True))
        else:
            answer(message)
    return 0


if __name__ == "__main__":
    status = main()
    log(event="end", status=status)
    sys.exit(status)
