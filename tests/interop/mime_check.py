#!/usr/bin/python3
# Parses built mails with Python's email package and checks them against a manifest of expected
# contents: headers, texts, and every attachment and embedded file byte for byte.
import email
import email.policy
import json
import sys

# Defects we keep on purpose: a non-ASCII attachment name stands as an encoded word inside the
# quoted name= and filename= parameters, which stored mails and their readers expect.
KEPT_DEFECTS = {
    ("Content-Type", "encoded word inside quoted string"),
    ("Content-Type", "missing trailing whitespace after encoded-word"),
    ("Content-Disposition", "encoded word inside quoted string"),
    ("Content-Disposition", "missing trailing whitespace after encoded-word"),
}


def unhex(h):
    return bytes.fromhex(h)


# Kept on purpose too: an embedded file's Content-ID "<NAME>" and Content-Location carry the file
# name's bytes as they are, since stored HTML refers to "CID:NAME" with those bytes; a non-ASCII
# name therefore reaches Python as replacement characters, and the part is matched that way.
def raw_header_as_read(key):
    return "".join(c if ord(c) < 128 else "\ufffd" for c in key.decode("latin-1")).encode("utf-8")


def as_bytes(text):
    # Decoded header texts are latin-1 here; raw 8-bit header bytes come back as surrogates.
    try:
        return text.encode("latin-1")
    except UnicodeEncodeError:
        return text.encode("utf-8", "surrogateescape")


def lines_ok(data):
    return all(len(line) <= 998 for line in data.split(b"\r\n"))


def norm(text):
    return text.replace("\r\n", "\n")


def walk_defects(msg):
    found = []
    for part in msg.walk():
        for d in part.defects:
            found.append(("", type(d).__name__ + ": " + str(d)))
        for key in part.keys():
            for d in getattr(part[key], "defects", ()):
                found.append((key, str(d)))
    return found


def check(case):
    errors = []
    with open(case["eml"], "rb") as f:
        data = f.read()
    if not lines_ok(data):
        errors.append("a line passes 998 characters")
    head = data.split(b"\r\n\r\n", 1)[0]
    if b"\n" in head.replace(b"\r\n", b""):
        errors.append("bare LF in the header")
    msg = email.message_from_bytes(data, policy=email.policy.default)
    defects = [d for d in walk_defects(msg) if d not in KEPT_DEFECTS]
    if defects:
        errors.append("defects: %s" % defects)
    subject = unhex(case["subject"]).decode("latin-1")
    if str(msg["subject"] or "") != subject:
        errors.append("subject %r != %r" % (str(msg["subject"]), subject))
    frm = msg["from"].addresses[0]
    want_name = unhex(case["from_name"]).decode("latin-1")
    if frm.display_name != want_name or frm.addr_spec != case["from_addr"]:
        errors.append("from %r <%s>" % (frm.display_name, frm.addr_spec))
    tos = [a.addr_spec for a in msg["to"].addresses]
    if tos != case["to"]:
        errors.append("to %r" % tos)
    texts = {"text/plain": None, "text/html": None}
    files = {}
    for part in msg.walk():
        if part.is_multipart():
            continue
        ctype = part.get_content_type()
        disp = part.get_content_disposition()
        if ctype in texts and disp == "inline" and part.get("X-VudeMail-Attachment") is None:
            texts[ctype] = part.get_content()
            continue
        key = part.get("Content-ID") or part.get("Content-Location") or part.get_filename()
        files[as_bytes(str(key))] = part.get_payload(decode=True)
    for ctype, field in (("text/plain", "text"), ("text/html", "html")):
        if field in case:
            want = unhex(case[field]).decode("latin-1")
            got = texts[ctype]
            if got is None or norm(got).rstrip("\n") != norm(want).rstrip("\n"):
                errors.append("%s differs: %r" % (ctype, (got or "")[:80]))
    for att in case.get("files", []):
        key = unhex(att["key"] if "key" in att else att["name"])
        if "key" in att:
            key = raw_header_as_read(key)
        with open(unhex(att["path"]), "rb") as f:
            want = f.read()
        got = files.get(key)
        if got != want:
            errors.append("file %r: %s among %r" % (key, "missing" if got is None else "differs", sorted(files)))
    if len(files) != len(case.get("files", [])):
        errors.append("file parts %r" % sorted(files))
    return errors


def main():
    with open(sys.argv[1]) as f:
        cases = json.load(f)
    bad = 0
    for case in cases:
        errors = check(case)
        for e in errors:
            print("%s: %s" % (case["name"], e))
        bad += bool(errors)
    print("checked" if not bad else "failed")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
