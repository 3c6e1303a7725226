# Reads what the scripted send-run server got (OUTDIR/got.log, see sendrun_script_smtp.py) and
# prints what Python's email package makes of each mail that carried a message text:
#   sendrun_got_check.py OUTDIR
# per mail, in order, a line "MAIL" followed by "key=value" lines: conn; rcpt once per RCPT TO,
# the address exactly as received, and rcpt_read, that address as the package reads it; to_raw,
# the To field as received; to once per address the package reads in it; bcc, the Bcc field;
# defects, the package's count of defects in To; plain, the text. Backslashes and line breaks in
# values are escaped.
import email
import email.policy
import os
import sys
from email.headerregistry import Address


def esc(text):
    return text.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")


def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            i += 1
            c = {"n": "\n", "r": "\r"}.get(text[i], text[i])
        out.append(c)
        i += 1
    return "".join(out)


def main():
    mails = {}
    with open(os.path.join(sys.argv[1], "got.log"), encoding="latin-1") as f:
        for row in f:
            conn, mail, line = row.rstrip("\n").split(" ", 2)
            item = mails.setdefault(int(mail), {"conn": conn, "rcpt": [], "text": None})
            line = unescape(line)
            if line.upper().startswith("RCPT TO:"):
                item["rcpt"].append(line[line.find("<") + 1:line.rfind(">")])
            elif "\r\n" in line:
                item["text"] = line
    for number in sorted(mails):
        item = mails[number]
        if number == 0 or item["text"] is None:
            continue
        msg = email.message_from_string(item["text"], policy=email.policy.default)
        print("MAIL")
        print("conn=%s" % item["conn"])
        for rcpt in item["rcpt"]:
            print("rcpt=%s" % esc(rcpt))
            print("rcpt_read=%s" % esc(Address(addr_spec=rcpt).addr_spec))
        raw = [v for k, v in msg.raw_items() if k.lower() == "to"]
        print("to_raw=%s" % esc(raw[0] if raw else ""))
        to = msg["To"]
        for address in (to.addresses if to is not None else ()):
            print("to=%s" % esc(address.addr_spec))
        print("bcc=%s" % esc(str(msg.get("Bcc", ""))))
        print("defects=%d" % (len(to.defects) if to is not None else 0))
        body = msg.get_body(("plain",))
        print("plain=%s" % esc(body.get_content() if body is not None else ""))


if __name__ == "__main__":
    main()
