"""FTP server for the delivery tests, on 127.0.0.1 at a free port.

Usage: ftp_server.py ROOT PORTFILE USER PASSWORD [nomlsd]

USER logs in with PASSWORD to the folder ROOT with full rights. The server
refuses passive mode (PASV, EPSV), so only active-mode clients get data
through. With "nomlsd" it does not know the MLSD command either (as older
servers). An upload to a name ending in "stall.wav" creates "stalled" beside
PORTFILE and is never answered.
The chosen port is written to PORTFILE once the server listens.
"""
import logging
import os
import sys
import time

try:
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer
except ImportError:
    sys.stderr.write("python3-pyftpdlib is not installed: run scripts/install-deps\n")
    sys.exit(3)


def main():
    root, port_file, user, password = sys.argv[1:5]
    logging.basicConfig(level=logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")

    stalled = os.path.join(os.path.dirname(port_file), "stalled")

    class Handler(FTPHandler):
        def ftp_STOR(self, file, mode="w"):
            if file.endswith("stall.wav"):
                open(stalled, "w").close()
                time.sleep(3600)
            return FTPHandler.ftp_STOR(self, file, mode)

    Handler.authorizer = authorizer
    Handler.auth_failed_timeout = 0
    refused = {"PASV", "EPSV"}
    if "nomlsd" in sys.argv[5:]:
        refused.add("MLSD")
    Handler.proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items() if k not in refused}
    server = FTPServer(("127.0.0.1", 0), Handler)
    port = server.socket.getsockname()[1]
    with open(port_file + ".tmp", "w") as f:
        f.write(str(port))
    os.rename(port_file + ".tmp", port_file)
    server.serve_forever()


main()
