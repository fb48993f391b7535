"""SMTP server for the delivery tests, on 127.0.0.1 at a free port.

Usage: smtp_server.py FOLDER PORTFILE [USER PASSWORD]

Each accepted mail is stored as FOLDER/mailN/ (written whole, then renamed):
envelope_from, envelope_to, raw.eml, headers (one "Name: value" a line),
checks ("date_ok" and "message_id_ok" when those headers parse), and per MIME
leaf part i: part<i>.type, part<i>.filename, part<i>.data (decoded bytes).
A mail to a recipient beginning with "stall@" creates FOLDER/stalled and is
never answered; a recipient beginning with "refuse@" is refused with 550. With USER and PASSWORD the server requires that login.
The chosen port is written to PORTFILE once the server listens.
"""
import asyncio
import email
import email.policy
import email.utils
import os
import re
import sys

try:
    from aiosmtpd.smtp import SMTP, AuthResult
except ImportError:
    sys.stderr.write("python3-aiosmtpd is not installed: run scripts/install-deps\n")
    sys.exit(3)


def write(path, data):
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("utf-8"))


def save(folder, index, envelope):
    final = os.path.join(folder, "mail%d" % index)
    work = final + ".part"
    os.mkdir(work)
    raw = envelope.original_content or envelope.content
    write(os.path.join(work, "envelope_from"), envelope.mail_from)
    write(os.path.join(work, "envelope_to"), "\n".join(envelope.rcpt_tos))
    write(os.path.join(work, "raw.eml"), raw)
    msg = email.message_from_bytes(raw, policy=email.policy.compat32)
    write(os.path.join(work, "headers"),
          "".join("%s: %s\n" % (k, v) for k, v in msg.items()))
    checks = []
    try:
        if email.utils.parsedate_to_datetime(msg["Date"]) is not None:
            checks.append("date_ok")
    except (TypeError, ValueError):
        pass
    if re.fullmatch(r"<[^<>@\s]+@[^<>@\s]+>", msg.get("Message-ID", "")):
        checks.append("message_id_ok")
    write(os.path.join(work, "checks"), "\n".join(checks))
    leaves = [p for p in msg.walk() if not p.is_multipart()]
    for i, part in enumerate(leaves):
        write(os.path.join(work, "part%d.type" % i), part.get_content_type())
        write(os.path.join(work, "part%d.filename" % i), part.get_filename() or "")
        write(os.path.join(work, "part%d.data" % i), part.get_payload(decode=True) or b"")
    os.rename(work, final)


class Handler:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.startswith("refuse@"):
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if any(r.startswith("stall@") for r in envelope.rcpt_tos):
            write(os.path.join(self.folder, "stalled"), "")
            await asyncio.sleep(3600)
        save(self.folder, self.count, envelope)
        self.count += 1
        return "250 Message accepted"


class Login:
    def __init__(self, user, password):
        self.user = user.encode()
        self.password = password.encode()

    def __call__(self, server, session, envelope, mechanism, auth_data):
        ok = (getattr(auth_data, "login", None) == self.user and
              getattr(auth_data, "password", None) == self.password)
        return AuthResult(success=ok, handled=False)


def main():
    folder, port_file = sys.argv[1], sys.argv[2]
    options = {"hostname": "localhost"}
    if len(sys.argv) >= 5:
        options.update(authenticator=Login(sys.argv[3], sys.argv[4]),
                       auth_required=True, auth_require_tls=False)
    handler = Handler(folder)
    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    server = loop.run_until_complete(
        loop.create_server(lambda: SMTP(handler, **options), "127.0.0.1", 0))
    port = server.sockets[0].getsockname()[1]
    write(port_file + ".tmp", str(port))
    os.rename(port_file + ".tmp", port_file)
    loop.run_forever()


main()
