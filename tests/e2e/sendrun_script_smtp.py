# A scripted SMTP server for the send-run tests, started and stopped by the test:
#   sendrun_script_smtp.py OUTDIR SCRIPT.json
# Serves any number of connections on 127.0.0.1 and prints "PORT n" once listening. Mails are
# counted by their MAIL command from 1 across all connections; SCRIPT.json says what happens:
#   {"rcpt": {"ADDRESS": "550 reply"},                 RCPT refusals, by address
#    "mails": {"N": {"at": "mail" | "data" | "end",    where mail N goes wrong
#                    "reply": "554 text"               the reply given there, or
#                    "do": "close" | "reset" |         closing, closing with a reset,
#                          "stall"}},                  or never replying
#    "conns": {"N": {"do": "stall"}}}                  connection N is never greeted
# Every line received goes to OUTDIR/got.log as "CONN MAIL LINE" (the message text as one line
# holding all of it; backslash, CR and LF escaped) before it is answered, so what a client saw
# answered is there. A connection's start is recorded first, as "CONN 0" with an empty line.
import json
import os
import socket
import socketserver
import struct
import sys
import threading

lock = threading.Lock()
state = {"mail": 0, "conn": 0}


def main():
    outdir, script_path = sys.argv[1], sys.argv[2]
    with open(script_path) as f:
        script = json.load(f)
    rcpt_refusals = script.get("rcpt", {})
    mails = {int(k): v for k, v in script.get("mails", {}).items()}
    conns = {int(k): v for k, v in script.get("conns", {}).items()}
    got = open(os.path.join(outdir, "got.log"), "a", encoding="latin-1")

    def record(conn, mail, line):
        text = line.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")
        with lock:
            got.write("%d %d %s\n" % (conn, mail, text))
            got.flush()

    class Handler(socketserver.StreamRequestHandler):
        def send(self, text):
            self.wfile.write(text.encode("latin-1") + b"\r\n")
            self.wfile.flush()

        def act(self, what):
            """Ends the connection as the script says; returns when it says nothing."""
            if what == "close":
                self.connection.shutdown(socket.SHUT_RDWR)
                raise ConnectionAbortedError
            if what == "reset":
                # No linger: closing sends a reset instead of the end of the stream.
                self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                self.rfile.close()
                self.connection.close()
                raise ConnectionAbortedError
            if what == "stall":
                # Read on until the client gives up and closes.
                while self.rfile.readline():
                    pass
                raise ConnectionAbortedError

        def fault(self, mail, at):
            """True when the script ended the exchange here (refused, closed or stalled)."""
            step = mails.get(mail)
            if not step or step.get("at") != at:
                return False
            self.act(step.get("do"))
            self.send(step["reply"])
            return True

        def handle(self):
            with lock:
                state["conn"] += 1
                conn = state["conn"]
            mail = 0
            record(conn, mail, "")
            try:
                self.act(conns.get(conn, {}).get("do"))
                self.send("220 scripted ready")
                while True:
                    raw = self.rfile.readline()
                    if not raw:
                        return
                    line = raw.decode("latin-1").rstrip("\r\n")
                    verb = line.upper()
                    if verb.startswith("MAIL FROM:"):
                        with lock:
                            state["mail"] += 1
                            mail = state["mail"]
                    record(conn, mail, line)
                    if verb.startswith("EHLO") or verb.startswith("HELO"):
                        self.send("250 scripted")
                    elif verb.startswith("MAIL FROM:"):
                        if not self.fault(mail, "mail"):
                            self.send("250 sender ok")
                    elif verb.startswith("RCPT TO:"):
                        address = line[line.find("<") + 1:line.rfind(">")]
                        self.send(rcpt_refusals.get(address, "250 recipient ok"))
                    elif verb == "DATA":
                        if self.fault(mail, "data"):
                            continue
                        self.send("354 go ahead")
                        text = []
                        while True:
                            raw = self.rfile.readline()
                            if not raw:
                                return
                            if raw in (b".\r\n", b".\n"):
                                break
                            text.append(raw.decode("latin-1"))
                        record(conn, mail, "".join(text))
                        if not self.fault(mail, "end"):
                            self.send("250 queued as %d" % mail)
                    elif verb == "QUIT":
                        self.send("221 bye")
                        return
                    elif verb == "RSET" or verb == "NOOP":
                        self.send("250 ok")
                    else:
                        self.send("500 unknown command")
            except (ConnectionError, OSError):
                return

    class Server(socketserver.ThreadingTCPServer):
        daemon_threads = True
        allow_reuse_address = True

    server = Server(("127.0.0.1", 0), Handler)
    print("PORT %d" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
