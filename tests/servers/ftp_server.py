#!/usr/bin/python3
"""The FTP server of the transfer tests (pyftpdlib), on 127.0.0.1.

  user "updater", password "secret": full rights in the root folder
  user "flaky", password "secret": same root, read only; the server refuses
      four logins in a row and accepts the fifth (and so on, in cycles of five),
      for trying the client's repeated connection attempts
Usage: ftp_server.py ROOT [PORT]
The data ports are UPDATER_FTP_PASSIVE_PORTS ("FIRST-LAST").
"""
import itertools
import logging
import os
import sys
import threading

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
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


def main():
    root = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 18021
    authorizer = Authorizer()
    authorizer.add_user("updater", "secret", root, perm="elradfmwMT")
    authorizer.add_user("flaky", "secret", root, perm="elr")
    handler = FTPHandler
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
