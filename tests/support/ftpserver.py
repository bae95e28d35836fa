#!/usr/bin/python3
"""A throwaway FTP server for the tests and the demo: one user with a password who may read and
write, anonymous read-only access to the same root, bound to 127.0.0.1 only.

Prints the port it listens on as the first line of standard output, then serves until killed."""
import argparse
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", default="editor")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--no-anonymous", action="store_true")
    parser.add_argument("--max-cons-per-ip", type=int, default=0)
    parser.add_argument("--log", default="")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    if not args.no_anonymous:
        authorizer.add_anonymous(args.root, perm="elr")

    handler = FTPHandler
    handler.authorizer = authorizer
    handler.banner = "NewsAdder test server"

    import logging
    if args.log:
        logging.basicConfig(filename=args.log, level=logging.DEBUG)
    else:
        logging.basicConfig(level=logging.CRITICAL)

    server = FTPServer(("127.0.0.1", args.port), handler)
    if args.max_cons_per_ip:
        server.max_cons_per_ip = args.max_cons_per_ip
    print(server.socket.getsockname()[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
