# SMTP peers for the interop tests, started by the test and stopped by it:
#   smtp_peers.py aiosmtpd OUTDIR [--auth USER:PASSWORD] [--refuse ADDR,ADDR]
#       a real server on 127.0.0.1; every delivered message is written to OUTDIR as N.eml, its
#       envelope as N.json (mail_from, rcpt_tos)
#   smtp_peers.py script SCRIPT.json
#       one connection served by a script: [["send", text], ["repeat", text, n], ["pause", ms],
#       ["readline"], ["readdata"], ["recv", n], ["close"]]; text is sent as latin-1 bytes, "recv"
#       reads about n bytes and no more; everything received goes to SCRIPT.json + ".got"
# Both print "PORT n" once listening, and run until the test ends them (the script: until done).
import asyncio
import json
import os
import socket
import sys
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def run_aiosmtpd(outdir, auth, refuse):
    from aiosmtpd.controller import Controller
    from aiosmtpd.smtp import AuthResult

    class Handler:
        count = 0

        async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
            if address in refuse:
                return "550 5.1.1 <%s>: Recipient address rejected" % address
            envelope.rcpt_tos.append(address)
            return "250 OK"

        async def handle_DATA(self, server, session, envelope):
            n = Handler.count
            Handler.count += 1
            with open(os.path.join(outdir, "%d.eml" % n), "wb") as f:
                f.write(envelope.original_content)
            with open(os.path.join(outdir, "%d.json" % n), "w") as f:
                json.dump({"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos}, f)
            return "250 Message accepted for delivery"

    params = {}
    if auth is not None:
        user, password = auth

        def authenticator(server, session, envelope, mechanism, auth_data):
            ok = (mechanism == "LOGIN" and auth_data.login == user.encode()
                  and auth_data.password == password.encode())
            if ok:
                return AuthResult(success=True)
            return AuthResult(success=False, handled=False)

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


def run_script(path):
    with open(path) as f:
        steps = json.load(f)
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    print("PORT %d" % listener.getsockname()[1], flush=True)
    listener.settimeout(10)
    conn, _ = listener.accept()
    conn.settimeout(5)
    got = b""
    pending = b""

    def read_until(marker):
        nonlocal got, pending
        while marker not in pending:
            try:
                data = conn.recv(65536)
            except (socket.timeout, OSError):
                data = b""
            if not data:
                break
            pending += data
        i = pending.find(marker)
        cut = len(pending) if i < 0 else i + len(marker)
        got += pending[:cut]
        pending = pending[cut:]

    closed = False
    for step in steps:
        kind = step[0]
        if kind in ("send", "repeat"):
            try:
                conn.sendall(step[1].encode("latin-1") * (step[2] if kind == "repeat" else 1))
            except OSError:
                # The client hung up on what it was sent: the script ends as if it had closed.
                conn.close()
                closed = True
                break
        elif kind == "recv":
            while len(pending) < step[1]:
                try:
                    data = conn.recv(min(65536, step[1] - len(pending)))
                except (socket.timeout, OSError):
                    data = b""
                if not data:
                    break
                pending += data
        elif kind == "pause":
            time.sleep(step[1] / 1000.0)
        elif kind == "readline":
            read_until(b"\r\n")
        elif kind == "readdata":
            read_until(b"\r\n.\r\n")
        elif kind == "close":
            conn.close()
            closed = True
            break
    if not closed:
        conn.settimeout(1)
        read_until(b"\x00never\x00")
        conn.close()
    got += pending
    with open(path + ".got", "wb") as f:
        f.write(got)


def main():
    mode = sys.argv[1]
    if mode == "aiosmtpd":
        outdir = sys.argv[2]
        auth = None
        refuse = set()
        args = sys.argv[3:]
        while args:
            if args[0] == "--auth":
                auth = tuple(args[1].split(":", 1))
            elif args[0] == "--refuse":
                refuse = set(a for a in args[1].split(",") if a)
            args = args[2:]
        run_aiosmtpd(outdir, auth, refuse)
    elif mode == "script":
        run_script(sys.argv[2])
    else:
        sys.exit("unknown mode " + mode)


if __name__ == "__main__":
    main()
