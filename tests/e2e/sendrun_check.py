# Reads what the send-run server delivered and prints it as JSON for the test:
#   sendrun_check.py OUTDIR
# each message, in delivery order, parsed by Python's email package, as a line "MAIL" followed by
# "key=value" lines (rcpt_tos, peer_port, from, reply_to, to, bcc, subject, date_ok, charset, plain, html,
# part: type|content id|disposition|size); line breaks and backslashes in values are escaped.
import email
import email.policy
import email.utils
import json
import os
import sys


def esc(text):
    return text.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")


def date_ok(msg):
    try:
        return email.utils.parsedate_to_datetime(str(msg["Date"])) is not None
    except (TypeError, ValueError):
        return False


def main():
    outdir = sys.argv[1]
    out = []
    n = 0
    while os.path.exists(os.path.join(outdir, "%d.eml" % n)):
        with open(os.path.join(outdir, "%d.eml" % n), "rb") as f:
            msg = email.message_from_binary_file(f, policy=email.policy.default)
        with open(os.path.join(outdir, "%d.json" % n)) as f:
            env = json.load(f)
        item = {"rcpt_tos": env["rcpt_tos"], "peer_port": env.get("peer_port", ""), "from": str(msg.get("From", "")),
                "reply_to": str(msg.get("Reply-To", "")), "to": str(msg.get("To", "")),
                "bcc": str(msg.get("Bcc", "")), "subject": str(msg.get("Subject", "")),
                "date_ok": date_ok(msg),
                "plain": None, "html": None, "parts": [], "charset": None}
        for part in msg.walk():
            if part.is_multipart():
                continue
            ctype = part.get_content_type()
            if ctype == "text/plain" and item["plain"] is None:
                item["plain"] = part.get_content()
                item["charset"] = part.get_content_charset()
            elif ctype == "text/html" and item["html"] is None:
                item["html"] = part.get_content()
            else:
                item["parts"].append([ctype, str(part.get("Content-ID", "")),
                                      str(part.get_content_disposition() or ""),
                                      len(part.get_payload(decode=True) or b"")])
        out.append(item)
        n += 1
    for item in out:
        print("MAIL")
        for key in ("rcpt_tos", "peer_port", "from", "reply_to", "to", "bcc", "subject", "date_ok", "charset",
                    "plain", "html"):
            value = item[key]
            if isinstance(value, list):
                value = ",".join(value)
            print("%s=%s" % (key, esc("" if value is None else str(value))))
        for part in item["parts"]:
            print("part=%s" % esc("|".join(str(x) for x in part)))


if __name__ == "__main__":
    main()
