#!/usr/bin/env python3
"""A mail server for one session on a free loopback port, run by a test.

It prints its port on the first line of its output, takes one connection
(implicit TLS, or STARTTLS required before the login), offers one login
mechanism, checks the user and password, and writes what it received after
DATA (dot-stuffing undone, the final "." line left out) to the output file,
with the envelope beside it (<output>.envelope). It gives up after the time
limit whatever happens.
"""
import argparse
import base64
import socket
import ssl
import sys


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--mode", choices=["implicit", "starttls"], required=True)
    p.add_argument("--auth", choices=["PLAIN", "LOGIN"], required=True)
    p.add_argument("--cert", required=True)
    p.add_argument("--key", required=True)
    p.add_argument("--user", required=True)
    p.add_argument("--password", required=True)
    p.add_argument("--output", required=True)
    p.add_argument("--limit", type=float, default=30.0)
    a = p.parse_args()

    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(a.cert, a.key)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    listener.settimeout(a.limit)
    print(listener.getsockname()[1], flush=True)
    conn, _ = listener.accept()
    conn.settimeout(a.limit)
    listener.close()
    if a.mode == "implicit":
        conn = context.wrap_socket(conn, server_side=True)
    tls = a.mode == "implicit"
    reader = conn.makefile("rb")

    def send(line):
        conn.sendall(line.encode("ascii") + b"\r\n")

    def receive():
        line = reader.readline(65536)
        if not line:
            raise EOFError
        return line.rstrip(b"\r\n")

    envelope = []
    logged_in = False
    send("220 localhost ESMTP test")
    try:
        while True:
            line = receive()
            verb = line.split(b" ", 1)[0].upper()
            arg = line[len(verb) + 1:]
            if verb in (b"EHLO", b"HELO"):
                caps = ["localhost"]
                if not tls:
                    caps.append("STARTTLS")
                else:
                    caps.append("AUTH " + a.auth)
                caps.append("8BITMIME")
                for c in caps[:-1]:
                    send("250-" + c)
                send("250 " + caps[-1])
            elif verb == b"STARTTLS" and not tls:
                send("220 go ahead")
                reader.close()
                conn = context.wrap_socket(conn, server_side=True)
                reader = conn.makefile("rb")
                tls = True
            elif verb == b"AUTH" and tls:
                parts = arg.split(b" ")
                mech = parts[0].upper().decode("ascii", "replace")
                if mech != a.auth:
                    send("504 unrecognised mechanism")
                    continue
                if mech == "PLAIN":
                    data = parts[1] if len(parts) > 1 else None
                    if data is None:
                        send("334 ")
                        data = receive()
                    fields = base64.b64decode(data).split(b"\0")
                    user, password = fields[1], fields[2]
                else:
                    if len(parts) > 1:
                        user = base64.b64decode(parts[1])
                    else:
                        send("334 VXNlcm5hbWU6")
                        user = base64.b64decode(receive())
                    send("334 UGFzc3dvcmQ6")
                    password = base64.b64decode(receive())
                if user == a.user.encode() and password == a.password.encode():
                    logged_in = True
                    send("235 accepted")
                else:
                    send("535 5.7.8 authentication failed")
            elif verb == b"MAIL":
                if not tls or not logged_in:
                    send("530 authentication required")
                    continue
                envelope.append(line.decode("ascii", "replace"))
                send("250 ok")
            elif verb == b"RCPT":
                envelope.append(line.decode("ascii", "replace"))
                send("250 ok")
            elif verb == b"DATA":
                send("354 go ahead")
                data = bytearray()
                while True:
                    raw = reader.readline(1 << 20)
                    if not raw:
                        raise EOFError
                    if raw == b".\r\n":
                        break
                    if raw.startswith(b"."):
                        raw = raw[1:]
                    data += raw
                with open(a.output, "wb") as f:
                    f.write(bytes(data))
                with open(a.output + ".envelope", "w") as f:
                    f.write("\n".join(envelope) + "\n")
                send("250 queued")
            elif verb == b"QUIT":
                send("221 bye")
                break
            else:
                send("502 not here")
    except (EOFError, OSError, ssl.SSLError) as e:
        print("smtp_test_server: " + str(e), file=sys.stderr)
    conn.close()


if __name__ == "__main__":
    main()
