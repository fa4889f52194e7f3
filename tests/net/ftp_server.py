"""A loopback FTP server for the tests, on pyftpdlib.

Serves ROOT to one user on 127.0.0.1 at a free port and prints "PORT <n>"
once it listens. Options bend it into the servers the client must survive:
a slow one, one that drops the connection in the middle of a download, one
whose listing names files that could leave the download folder, and one
that refuses deletions.
"""

import argparse
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

HOSTILE_NAMES = ["../escape.log", "sub/inner.log", "..", "/etc/passwd.log"]


class HostileListingFS(AbstractedFS):
    def format_mlsx(self, basedir, listing, perms, facts, ignore_err=True):
        yield from super().format_mlsx(basedir, listing, perms, facts, ignore_err)
        for name in HOSTILE_NAMES:
            yield ("type=file;size=5;modify=20240101000000; %s\r\n" % name).encode()


def dropping_dtp(limit):
    class DroppingDTPHandler(ThrottledDTPHandler):
        read_limit = 0
        write_limit = 0
        sent = 0

        def send(self, data):
            if self.sent + len(data) > limit:
                data = data[: max(0, limit - self.sent)]
                if data:
                    super().send(data)
                # Gone without a word: data and control connection alike.
                self.cmd_channel.close()
                self.close()
                return 0
            result = super().send(data)
            self.sent += result
            return result

    return DroppingDTPHandler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--user", default="me")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--throttle", type=int, default=0, help="bytes per second sent")
    parser.add_argument("--drop-after", type=int, default=0, help="drop a download after these bytes")
    parser.add_argument("--hostile-listing", action="store_true")
    parser.add_argument("--no-delete", action="store_true")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elr" if args.no_delete else "elradfmw")

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    Handler.banner = "Test server ready."
    Handler.auth_failed_timeout = 0.1
    if args.hostile_listing:
        Handler.abstracted_fs = HostileListingFS
    if args.drop_after:
        Handler.dtp_handler = dropping_dtp(args.drop_after)
    elif args.throttle:

        class Slow(ThrottledDTPHandler):
            read_limit = 0
            write_limit = args.throttle

        Handler.dtp_handler = Slow

    server = FTPServer(("127.0.0.1", 0), Handler)
    print("PORT %d" % server.address[1], flush=True)
    server.serve_forever(timeout=0.2)


if __name__ == "__main__":
    sys.exit(main())
