# The mail server of the send-run tests, started and stopped by the test:
#   sendrun_smtp.py OUTDIR [--auth USER:PASSWORD] [--refuse ADDR,ADDR] [--data-delay MS]
# A real SMTP server on 127.0.0.1 on a free port; prints "PORT n" once listening. Every delivered
# message goes to OUTDIR as N.eml with its envelope as N.json (mail_from, rcpt_tos, and the
# client's port, which tells the connections apart); an
# authentication attempt is appended to OUTDIR/auth.log. --data-delay holds each reply to the
# message text back, so a test can act while a mail is on its way.
import argparse
import asyncio
import json
import os
import socket
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("outdir")
    ap.add_argument("--auth")
    ap.add_argument("--refuse", default="")
    ap.add_argument("--data-delay", type=int, default=0)
    args = ap.parse_args()
    from aiosmtpd.controller import Controller
    from aiosmtpd.smtp import AuthResult

    refuse = set(a for a in args.refuse.split(",") if a)
    outdir = args.outdir

    class Handler:
        count = 0

        async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
            if address in refuse:
                return "550 5.1.1 <%s>: Recipient address rejected" % address
            envelope.rcpt_tos.append(address)
            return "250 OK"

        async def handle_DATA(self, server, session, envelope):
            if args.data_delay:
                await asyncio.sleep(args.data_delay / 1000.0)
            n = Handler.count
            Handler.count += 1
            with open(os.path.join(outdir, "%d.json" % n), "w") as f:
                json.dump({"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos,
                           "peer_port": session.peer[1]}, f)
            # The message last, so a test that sees it sees its envelope too.
            tmp = os.path.join(outdir, "%d.tmp" % n)
            with open(tmp, "wb") as f:
                f.write(envelope.original_content)
            os.rename(tmp, os.path.join(outdir, "%d.eml" % n))
            return "250 Message accepted for delivery"

    params = {}
    if args.auth is not None:
        user, password = args.auth.split(":", 1)

        def authenticator(server, session, envelope, mechanism, auth_data):
            ok = (mechanism == "LOGIN" and auth_data.login == user.encode()
                  and auth_data.password == password.encode())
            with open(os.path.join(outdir, "auth.log"), "a") as f:
                f.write("%s %s\n" % (mechanism, "ok" if ok else "refused"))
            return AuthResult(success=ok, handled=False)

        params = {"authenticator": authenticator, "auth_require_tls": False}
    port = free_port()
    controller = Controller(Handler(), hostname="127.0.0.1", port=port, **params)
    controller.start()
    print("PORT %d" % port, flush=True)
    try:
        while True:
            time.sleep(3600)
    finally:
        controller.stop()


if __name__ == "__main__":
    main()
