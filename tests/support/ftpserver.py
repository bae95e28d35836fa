#!/usr/bin/python3
"""A throwaway FTP server for the tests and the demo: one user with a password who may read and
write, anonymous read-only access to the same root, bound to 127.0.0.1 only.

Prints the port it listens on as the first line of standard output, then serves until killed.

For the tests of transfers that go wrong it can also be a poor server: one that is slow to start each
download or upload, one that sends each download in pieces with pauses between them, one that stops
answering in the middle of a download, one that drops the connection when an upload begins."""
import argparse
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer


def drained(producer):
    data = b""
    chunk = producer.more()
    while chunk:
        data += chunk
        chunk = producer.more()
    return data


class PoorDTPHandler(DTPHandler):
    """A data connection that sends a download in pieces with pauses between them, or, once its
    session has gone silent, sends the first half of a download and then nothing any more."""
    pieces = 8
    pieces_left = 0

    def silent(self):
        return self.cmd_channel is not None and self.cmd_channel.silent

    def pausing(self):
        return self.silent() or self.pieces_left > 0

    def use_sendfile(self):
        return not self.silent() and not self.cmd_channel.trickle_downloads and DTPHandler.use_sendfile(self)

    def push_with_producer(self, producer):
        if self.silent():
            data = drained(producer)
            self.cmd_channel.log("stopped answering after %d of %d bytes" % (len(data) // 2, len(data)))
            DTPHandler.push(self, data[:len(data) // 2])
        elif self.cmd_channel.trickle_downloads > 0:
            data = drained(producer)
            size = len(data) // self.pieces + 1
            self.pieces_left = self.pieces
            self.push_piece([data[i:i + size] for i in range(0, size * self.pieces, size)])
        else:
            DTPHandler.push_with_producer(self, producer)

    def push_piece(self, pieces):
        self.pieces_left -= 1
        DTPHandler.push(self, pieces[0])
        if self.pieces_left > 0:
            self.call_later(self.cmd_channel.trickle_downloads, self.push_piece, pieces[1:])
        else:
            DTPHandler.close_when_done(self)

    def initiate_send(self):
        DTPHandler.initiate_send(self)
        # Nothing more to send for now: stop waiting for the socket to become writable.
        if self.pausing() and not self._closed and not self.producer_fifo:
            self.modify_ioloop_events(self.ioloop.READ)

    def close_when_done(self):
        if not self.pausing():
            DTPHandler.close_when_done(self)


class PoorHandler(FTPHandler):
    dtp_handler = PoorDTPHandler
    stall_downloads = 0.0   # seconds each download waits before its data starts
    stall_uploads = 0.0     # seconds each upload waits before its data is taken
    trickle_downloads = 0.0 # seconds between the pieces of each download
    hang_downloads = 0      # how many of the next downloads stop answering half-way
    drop_uploads = 0        # how many of the next uploads lose their connection at once
    silent = False

    def ftp_RETR(self, file):
        if PoorHandler.hang_downloads > 0:
            PoorHandler.hang_downloads -= 1
            self.silent = True
            result = FTPHandler.ftp_RETR(self, file)
            # After its "150" the session answers nothing, not even the commands that follow.
            self.respond = lambda *args, **kwargs: None
            return result
        if self.stall_downloads > 0:
            self.call_later(self.stall_downloads, FTPHandler.ftp_RETR, self, file)
            return file
        return FTPHandler.ftp_RETR(self, file)

    def ftp_STOR(self, file, mode="w"):
        if PoorHandler.drop_uploads > 0:
            PoorHandler.drop_uploads -= 1
            self.log("dropped the connection of an upload")
            self.close()
            return None
        if self.stall_uploads > 0:
            self.call_later(self.stall_uploads, FTPHandler.ftp_STOR, self, file, mode)
            return file
        return FTPHandler.ftp_STOR(self, file, mode)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", default="editor")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--no-anonymous", action="store_true")
    parser.add_argument("--max-cons-per-ip", type=int, default=0)
    parser.add_argument("--log", default="")
    parser.add_argument("--stall-downloads", type=float, default=0.0, metavar="SECONDS")
    parser.add_argument("--stall-uploads", type=float, default=0.0, metavar="SECONDS")
    parser.add_argument("--trickle-downloads", type=float, default=0.0, metavar="SECONDS")
    parser.add_argument("--hang-downloads", type=int, default=0, metavar="COUNT")
    parser.add_argument("--drop-uploads", type=int, default=0, metavar="COUNT")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    if not args.no_anonymous:
        authorizer.add_anonymous(args.root, perm="elr")

    handler = PoorHandler
    handler.stall_downloads = args.stall_downloads
    handler.stall_uploads = args.stall_uploads
    handler.trickle_downloads = args.trickle_downloads
    handler.hang_downloads = args.hang_downloads
    handler.drop_uploads = args.drop_uploads
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
