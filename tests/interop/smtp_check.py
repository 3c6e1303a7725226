# Compares a delivered message with the one we built, both parsed by Python's email package:
#   smtp_check.py BUILT.eml DELIVERED.eml
# The delivered one must carry no Bcc, parse without defects, and match the built one field by
# field (Bcc aside) and part by part (type, decoded payload). Prints what differs; exit 1 if any.
import email
import email.policy
import sys


def load(path):
    with open(path, "rb") as f:
        return email.message_from_bytes(f.read(), policy=email.policy.compat32)


def parts(msg):
    out = []
    for p in msg.walk():
        if p.is_multipart():
            out.append((p.get_content_type(), None))
        else:
            out.append((p.get_content_type(), p.get_payload(decode=True)))
    return out


def main():
    built, delivered = load(sys.argv[1]), load(sys.argv[2])
    problems = []
    if delivered.get_all("Bcc"):
        problems.append("Bcc reached the server")
    for p in delivered.walk():
        if p.defects:
            problems.append("defects: %r" % p.defects)
    want = [(k.lower(), v) for k, v in built.items() if k.lower() != "bcc"]
    got = [(k.lower(), v) for k, v in delivered.items()]
    if want != got:
        problems.append("header fields differ:\n  built %r\n  delivered %r" % (want, got))
    pw, pg = parts(built), parts(delivered)
    if len(pw) != len(pg):
        problems.append("part count %d != %d" % (len(pw), len(pg)))
    for i, (a, b) in enumerate(zip(pw, pg)):
        if a[0] != b[0]:
            problems.append("part %d type %s != %s" % (i, a[0], b[0]))
        elif a[1] is not None:
            if a[1] != b[1]:
                problems.append("part %d payload differs:\n  %r\n  %r" % (i, a[1][:200], b[1][:200]))
    for p in problems:
        print(p)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
