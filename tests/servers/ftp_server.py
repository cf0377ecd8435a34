#!/usr/bin/python3
"""The FTP server of the transfer tests (pyftpdlib), on 127.0.0.1.

  user "updater", password "secret": full rights in the root folder
  user "flaky", password "secret": same root, read only; the server refuses
      four logins in a row and accepts the fifth (and so on, in cycles of five),
      for trying the client's repeated connection attempts
Names that make the server misbehave, for every user:
  a folder "locked_*"   cannot be entered or listed (550), as a folder
                        without the right to read it
  a file "unsized_*"    its size is never told: listings leave it out, and
                        a listing of it and SIZE answer 550
  a file "*_cut*"       RETR sends its first half only, then ends the data
                        connection as if the file were complete
Usage: ftp_server.py ROOT [PORT]
The data ports are UPDATER_FTP_PASSIVE_PORTS ("FIRST-LAST").
"""
import itertools
import logging
import os
import sys
import threading

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.filesystems import FilesystemError
from pyftpdlib.handlers import BufferedIteratorProducer, FTPHandler
from pyftpdlib.servers import FTPServer


class Authorizer(DummyAuthorizer):
    def __init__(self):
        super().__init__()
        self._flaky_logins = itertools.count(1)
        self._lock = threading.Lock()

    def validate_authentication(self, username, password, handler):
        super().validate_authentication(username, password, handler)
        if username == "flaky":
            with self._lock:
                attempt = next(self._flaky_logins)
            if attempt % 5 != 0:
                raise AuthenticationFailed("refused (attempt %d)" % attempt)


class Handler(FTPHandler):
    def ftp_CWD(self, path):
        if os.path.basename(path.rstrip("/")).startswith("locked_"):
            self.respond("550 Permission denied.")
            return None
        return super().ftp_CWD(path)

    def ftp_LIST(self, path):
        name = os.path.basename(path.rstrip("/"))
        if name.startswith(("locked_", "unsized_")):
            self.respond("550 Permission denied.")
            return None
        if not self.fs.isdir(path):
            return super().ftp_LIST(path)
        try:
            names = self.run_as_current_user(self.fs.listdir, path)
        except (OSError, FilesystemError) as err:
            self.respond("550 %s." % err)
            return None
        listed = sorted(n for n in names if not n.startswith("unsized_"))
        self.push_dtp_data(BufferedIteratorProducer(self.fs.format_list(path, listed)), isproducer=True,
                           cmd="LIST")
        return path

    def ftp_SIZE(self, path):
        if os.path.basename(path).startswith("unsized_"):
            self.respond("550 Could not get file size.")
            return None
        return super().ftp_SIZE(path)

    def ftp_RETR(self, file):
        if "_cut" not in os.path.basename(file):
            return super().ftp_RETR(file)
        try:
            with self.run_as_current_user(self.fs.open, file, "rb") as f:
                data = f.read()
        except (EnvironmentError, FilesystemError) as err:
            self.respond("550 %s." % err)
            return None
        self.push_dtp_data(data[:len(data) // 2], cmd="RETR")
        return file


def main():
    root = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 18021
    authorizer = Authorizer()
    authorizer.add_user("updater", "secret", root, perm="elradfmwMT")
    authorizer.add_user("flaky", "secret", root, perm="elr")
    handler = Handler
    handler.authorizer = authorizer
    first, last = os.environ.get("UPDATER_FTP_PASSIVE_PORTS", "18100-18199").split("-")
    handler.passive_ports = range(int(first), int(last) + 1)
    # Refused logins answer at once: the client's attempts follow each other.
    handler.auth_failed_timeout = 0
    logging.basicConfig(level=logging.INFO, stream=sys.stderr)
    server = FTPServer(("127.0.0.1", port), handler)
    server.serve_forever()


if __name__ == "__main__":
    main()
