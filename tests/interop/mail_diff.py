#!/usr/bin/python3
# Reads randomly built mails with Python's email package under policy=default and compat32 and
# compares what it reads with what the builder was given:
#   mail_diff.py MANIFEST.json
# Each case names its .eml file and holds, hex-encoded, the inputs: address fields (names and
# addresses), subject, texts, and every file (name, bytes, embedded or not, content type). Checked:
# the raw form (CRLF only, no line past 998, 7-bit header apart from the names of embedded files),
# defects, every header's decoded value, the tree of containers, and for each leaf part its content
# type, disposition, file name, Content-ID or Content-Location and decoded payload byte for byte.
# Prints one line per disagreement ("case: policy: what"), then "checked N" or "failed N".
import datetime
import email
import email.header
import email.policy
import email.utils
import json
import re
import sys

# Kept on purpose: a non-ASCII or otherwise encoded attachment name stands as one encoded word in
# the quoted name= and filename= parameters, which stored mails and their readers expect.
KEPT_DEFECTS = {
    ("Content-Type", "encoded word inside quoted string"),
    ("Content-Type", "missing trailing whitespace after encoded-word"),
    ("Content-Disposition", "encoded word inside quoted string"),
    ("Content-Disposition", "missing trailing whitespace after encoded-word"),
}


def unhex(h):
    return bytes.fromhex(h)


def pycs(charset):
    return {"iso-8859-1": "latin-1", "windows-1252": "cp1252"}[charset.lower()]


def crlf(data):
    return re.sub(rb"\r\n|\r|\n", b"\r\n", data)


def text_expected(raw, encoding):
    # Every line end becomes CRLF; quoted-printable always ends the text with a line end.
    t = crlf(raw)
    if encoding == "quoted-printable" and t and not t.endswith(b"\r\n"):
        t += b"\r\n"
    return t


def squeeze(b, charset):
    return "".join(c for c in b.decode(pycs(charset)) if not c.isspace())


def trim_blanks(b):
    return b.lstrip(b" \t").rstrip(b" ")


def words_to_bytes(value, charset):
    # A header text with its encoded words decoded, as bytes in the charset the words name.
    out = b""
    for chunk, cs in email.header.decode_header(value):
        if isinstance(chunk, str):
            out += chunk.encode(pycs(charset), "surrogateescape")
        else:
            out += chunk
    return out


def unfold(value):
    return re.sub(r"\r?\n(?=[ \t])", "", value)


def raw_value(msg, name):
    # The field's raw bytes as they stand on the wire, unfolded.
    for k, v in msg.raw_items():
        if k.lower() == name.lower():
            if isinstance(v, str):
                return unfold(v).strip().encode("ascii", "surrogateescape")
            return None
    return None


class Check:
    def __init__(self, case):
        self.case = case
        self.errors = []

    def fail(self, policy, what):
        self.errors.append("%s: %s: %s" % (self.case["name"], policy, what))


def check_raw(chk, data):
    if re.search(rb"\r(?!\n)|(?<!\r)\n", data):
        chk.fail("raw", "a bare CR or LF")
    for line in data.split(b"\r\n"):
        if len(line) > 998:
            chk.fail("raw", "a line of %d characters: %r" % (len(line), line[:60]))
            break
    head = data.split(b"\r\n\r\n", 1)[0]
    if any(c > 127 for c in head):
        chk.fail("raw", "8-bit bytes in the message header")


def structure(case):
    # The tree the containers must form: (type, children) for containers, a leaf tag otherwise.
    texts = [t for t in ("text", "html") if t in case]
    files = case["files"]
    emb = [("file", i) for i, f in enumerate(files) if f["embedded"]]
    att = [("file", i) for i, f in enumerate(files) if not f["embedded"]]
    t, e, a = len(texts), len(emb), len(att)
    node = [("text", x) for x in texts]
    if t > 1:
        node = [("multipart/alternative", node)]
    if e:
        node = [("multipart/related", node + emb)]
    if a > 1 or (a and t) or (a and e):
        node = [("multipart/mixed", node + att)]
    else:
        node = node + att
    return node[0]


def tree_of(part):
    if part.is_multipart():
        return (part.get_content_type(), [tree_of(p) for p in part.get_payload()])
    return "leaf"


def shape(node):
    if isinstance(node, tuple) and isinstance(node[1], list):
        return (node[0], [shape(n) for n in node[1]])
    return "leaf"


def leaves(node, out):
    if isinstance(node, tuple) and isinstance(node[1], list):
        for n in node[1]:
            leaves(n, out)
    else:
        out.append(node)
    return out


def addresses_default(msg, field, charset):
    h = msg[field]
    if h is None:
        return None
    return [(a.display_name.encode(pycs(charset), "surrogateescape"), a.addr_spec.encode("ascii"))
            for a in h.addresses]


def addresses_compat(msg, field, charset):
    values = msg.get_all(field)
    if values is None:
        return None
    return [(words_to_bytes(n, charset), a.encode("ascii", "surrogateescape"))
            for n, a in email.utils.getaddresses([unfold(str(v)) for v in values])]


def check_headers(chk, msg, policy, charset):
    case = chk.case
    reader = addresses_default if policy == "default" else addresses_compat
    for field in ("From", "Reply-To", "To", "Cc", "Bcc"):
        want = case.get(field.lower())
        want = None if want is None else [(trim_blanks(unhex(n)), unhex(a)) for n, a in want]
        if want == []:
            want = None
        try:
            got = reader(msg, field, charset)
        except Exception as e:  # a reader that chokes is a disagreement too
            chk.fail(policy, "%s unreadable: %r" % (field, e))
            continue
        if got != want and policy == "default" and got and want and len(got) == len(want):
            # policy=default keeps the blank between two encoded words of a display name and turns
            # a TAB or no-break space inside one into a blank or nothing (RFC 2047 drops the first
            # and keeps the second);
            # compat32 checks the exact bytes, so here whitespace is left out of the comparison.
            if all(g[1] == w[1] and squeeze(g[0], charset) == squeeze(w[0], charset) for g, w in zip(got, want)):
                continue
        if got != want:
            chk.fail(policy, "%s %r != %r" % (field, got, want))
    want = case.get("subject")
    if want is not None:
        # A subject with blanks or TABs is always encoded, so none are lost at its ends.
        want = unhex(want)
        if policy == "default":
            got = str(msg["subject"]).encode(pycs(charset), "surrogateescape")
        else:
            got = words_to_bytes(unfold(str(msg["subject"])), charset)
        if got != want:
            chk.fail(policy, "Subject %r != %r" % (got[:120], want[:120]))
    elif msg["subject"] is not None:
        chk.fail(policy, "a Subject where none was set")
    date = email.utils.parsedate_to_datetime(str(msg["date"]))
    if date.replace(tzinfo=None) != datetime.datetime(*case["date"]):
        chk.fail(policy, "Date %s" % date)
    if str(msg["mime-version"]).strip() != "1.0":
        chk.fail(policy, "Mime-Version %r" % msg["mime-version"])
    mid = str(msg["message-id"] or "")
    if not re.fullmatch(r"<\d{14}\.[0-9A-F]{1,8}\.[0-9A-F]{1,8}@[^<>@\s]+>", mid.strip()):
        chk.fail(policy, "Message-ID %r" % mid)


def check_leaf(chk, policy, part, want, case, charset):
    files = case["files"]
    ctype = part.get_content_type()
    disp = part.get_content_disposition()
    payload = part.get_payload(decode=True)
    if want[0] == "text":
        kind = want[1]
        wtype = "text/plain" if kind == "text" else "text/html"
        if ctype != wtype or disp != "inline":
            chk.fail(policy, "%s part is %s, %s" % (kind, ctype, disp))
        if (part.get_content_charset() or "").lower() != charset.lower():
            chk.fail(policy, "%s charset %r" % (kind, part.get_content_charset()))
        exp = text_expected(unhex(case[kind]), case["text_encoding"])
        # quopri gives LF line ends; base64 keeps the CRLF.
        a, b = payload.replace(b"\r\n", b"\n"), exp.replace(b"\r\n", b"\n")
        if a != b:
            at = next((i for i in range(min(len(a), len(b))) if a[i] != b[i]), min(len(a), len(b)))
            chk.fail(policy, "%s payload differs at %d: %r vs %r" % (kind, at, a[max(0, at - 30):at + 30],
                                                                   b[max(0, at - 30):at + 30]))
        return
    f = files[want[1]]
    name = unhex(f["name"])
    label = "file %r" % name[:40]
    if ctype != f["type"]:
        chk.fail(policy, "%s type %s != %s" % (label, ctype, f["type"]))
    wdisp = "inline" if f["embedded"] else "attachment"
    if disp != wdisp:
        chk.fail(policy, "%s disposition %r" % (label, disp))
    if payload != unhex(f["data"]):
        chk.fail(policy, "%s payload differs (%d bytes vs %d)" % (label, len(payload or b""),
                                                                 len(unhex(f["data"]))))
    if f["embedded"]:
        if case["embed"] == "id":
            got = raw_value(part, "Content-ID")
            want_id = b"<" + name.upper() + b">"
            if got != want_id:
                chk.fail(policy, "%s Content-ID %r != %r" % (label, got, want_id))
            if part["Content-Location"] is not None:
                chk.fail(policy, "%s has a Content-Location" % label)
        else:
            got = raw_value(part, "Content-Location")
            # A header value keeps no trailing blanks (a name cannot end with one on Windows).
            want_loc = (unhex(case["location_base"]) + name).rstrip(b" ")
            if got != want_loc:
                chk.fail(policy, "%s Content-Location %r != %r" % (label, got, want_loc))
            if part["Content-ID"] is not None:
                chk.fail(policy, "%s has a Content-ID" % label)
        return
    fn = part.get_filename()
    if fn is None:
        chk.fail(policy, "%s has no file name" % label)
        return
    if policy == "default":
        got = fn.encode(pycs(charset), "surrogateescape")
        # policy=default strips whitespace (no-break space included) from the ends of the
        # decoded name; compat32 checks the exact bytes.
        name = name.decode(pycs(charset)).strip().encode(pycs(charset))
    else:
        got = words_to_bytes(fn, charset)
    if got != name:
        chk.fail(policy, "%s file name read as %r" % (label, got))


def check_policy(chk, data, policy):
    case = chk.case
    charset = case["charset"]
    pol = email.policy.default if policy == "default" else email.policy.compat32
    msg = email.message_from_bytes(data, policy=pol)
    for part in msg.walk():
        for d in part.defects:
            chk.fail(policy, "defect %s" % type(d).__name__)
        if policy == "default":
            for key in part.keys():
                for d in getattr(part[key], "defects", ()):
                    if (key, str(d)) not in KEPT_DEFECTS:
                        chk.fail(policy, "%s: %s" % (key, d))
    check_headers(chk, msg, policy, charset)
    want = structure(case)
    if shape(tree_of(msg)) != shape(want):
        chk.fail(policy, "tree %r != %r" % (shape(tree_of(msg)), shape(want)))
        return
    got_leaves = [p for p in msg.walk() if not p.is_multipart()]
    for part, w in zip(got_leaves, leaves(want, [])):
        check_leaf(chk, policy, part, w, case, charset)


def main():
    with open(sys.argv[1]) as f:
        cases = json.load(f)
    bad = 0
    for case in cases:
        chk = Check(case)
        with open(case["eml"], "rb") as f:
            data = f.read()
        check_raw(chk, data)
        for policy in ("default", "compat32"):
            try:
                check_policy(chk, data, policy)
            except Exception as e:
                chk.fail(policy, "exception %r" % e)
        for e in chk.errors:
            print(e)
        bad += bool(chk.errors)
    print(("checked %d" if not bad else "failed %d") % (len(cases) if not bad else bad))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
