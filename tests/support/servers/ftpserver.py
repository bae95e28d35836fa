#!/usr/bin/python3
"""A throwaway FTP server for the tests and the demo: one user with a password who may read and
write, anonymous read-only access to the same root, bound to 127.0.0.1 only.

Prints the port it listens on as the first line of standard output, then serves until killed.

For the tests of transfers that go wrong it can also be a poor server: one that is slow to start each
download or upload, one that sends each download in pieces with pauses between them, one that stops
answering in the middle of a download, one that drops the connection when an upload begins.
It can also be one of the servers a send must keep the live page safe from: one that loses the
connection or stops reading in the middle of an upload, one that stores only a part of what it got,
one that will not rename onto an existing file, one that lets no folder be made, one that goes silent at a given command, and one
where another editor changes the page right after given downloads.
And it can behave as the servers web hosts run do: new files made with a strict umask, no changing
of modes, file modes in MLST, no MLST at all (vsftpd) or no OPTS MLST, a rename refused or left
unanswered on a chosen attempt, a SIZE (and the 150 reply of a download) that announces fewer bytes
than the file has, a download that ends early with a 226 all the same, an MLST that tells a wrong
size, a reply delayed on every command, as a distant server's round trip does, and ls options
taken before a folder in LIST (vsftpd, proftpd). Without options it is stock pyftpdlib."""
import argparse
import os
import sys
import time

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
        if self.cmd_channel.cut_download:
            data = drained(producer)
            self.cmd_channel.log("sent %d of %d bytes and called it complete" % (len(data) - 100, len(data)))
            DTPHandler.push(self, data[:-100])
            DTPHandler.close_when_done(self)
        elif self.silent():
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

    def handle_read(self):
        DTPHandler.handle_read(self)
        channel = self.cmd_channel
        # Both faults strike once the first piece of the upload has come in.
        if channel is None or not self.receive or self.tot_bytes_received == 0:
            return
        if PoorHandler.drop_uploads_midway > 0:
            PoorHandler.drop_uploads_midway -= 1
            channel.log("dropped the connection in the middle of an upload")
            channel.close()
        elif PoorHandler.hang_uploads > 0:
            PoorHandler.hang_uploads -= 1
            channel.log("stopped reading in the middle of an upload")
            channel.muted = True
            # The socket stays open, but nothing more is read from it.
            self.ioloop.unregister(self._fileno)
            self._fileno = None

    handle_read_event = handle_read

    def cut_short(self):
        return self.cmd_channel is not None and self.cmd_channel.short_download and not self.receive

    # A server that announced less than it sends takes the client's early close for the end.
    def handle_error(self):
        if self.cut_short():
            return self.handle_close()
        return DTPHandler.handle_error(self)

    def handle_close(self):
        if self.cut_short():
            self.producer_fifo.clear()
        return DTPHandler.handle_close(self)

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
    drop_uploads_midway = 0 # how many of the next uploads lose their connection half-way
    hang_uploads = 0        # how many of the next uploads stop being read half-way
    truncate_uploads = 0    # how many of the next uploads are stored only in part
    refuse_rename_over = False
    refuse_mkd = False      # every MKD but the page lock's is refused, as on a host with a fixed tree
    mute_at = ""            # the command at which the next session goes silent for good
    mute_after = 0          # how many of those commands are answered first
    change_after = set()    # after which downloads (counting from 1) another editor changes the page
    downloads = 0
    watch = ""              # a file whose absence is logged after every command
    refuse_rename = set()   # which RNTOs (counting from 1) are refused
    stall_rename = 0        # at which RNTO the session goes silent for good, renaming nothing
    renames = 0
    short_downloads = set() # which downloads (counting from 1) SIZE and the 150 reply announce 100 bytes short
    short_by = 100
    retrs = 0
    mlst_mode = False       # MLST and MLSD name the mode (unix.mode), as proftpd and pure-ftpd do
    cut_downloads = set()   # which downloads (counting from 1) end 100 bytes early, with a 226
    lying_mlst = 0          # how many of the next MLSTs of the page tell 100 bytes fewer than it has
    reply_delay = 0.0       # seconds each reply is held, as a round trip on a real link
    ls_options = False      # LIST and NLST take ls options before a folder, as vsftpd and proftpd do
    cut_download = False
    _retr_size = None
    short_download = False
    root = ""
    silent = False
    muted = False

    def process_command(self, cmd, *args, **kwargs):
        if self.muted:
            return
        if PoorHandler.reply_delay > 0:
            # The whole server waits, as the client does for each reply; one client at a time here.
            time.sleep(PoorHandler.reply_delay)
        if PoorHandler.mlst_mode and "unix.mode" not in self._current_facts:
            self._current_facts.append("unix.mode")
        if cmd == PoorHandler.mute_at and PoorHandler.mute_after > 0:
            PoorHandler.mute_after -= 1
        elif cmd == PoorHandler.mute_at:
            PoorHandler.mute_at = ""
            self.log("stopped answering at " + cmd)
            self.muted = True
            return
        FTPHandler.process_command(self, cmd, *args, **kwargs)
        if PoorHandler.watch and not os.path.exists(os.path.join(PoorHandler.root, PoorHandler.watch)):
            self.log("WATCH: %s missing after %s" % (PoorHandler.watch, cmd))

    def ftp_RNTO(self, path):
        PoorHandler.renames += 1
        if PoorHandler.renames == PoorHandler.stall_rename:
            self.log("stopped answering at rename %d" % PoorHandler.renames)
            self.muted = True
            return None
        if PoorHandler.renames in PoorHandler.refuse_rename:
            self._rnfr = None
            self.respond("550 Rename refused.")
            return None
        if PoorHandler.refuse_rename_over and os.path.exists(path):
            self._rnfr = None
            self.respond("550 Will not rename onto an existing file.")
            return
        return FTPHandler.ftp_RNTO(self, path)

    def pre_process_command(self, line, cmd, arg):
        # vsftpd and proftpd take ls options before a folder ("LIST -a images"); pyftpdlib only alone.
        if PoorHandler.ls_options and cmd in ("LIST", "NLST") and arg and arg.startswith("-") and " " in arg:
            arg = arg.split(" ", 1)[1]
        return FTPHandler.pre_process_command(self, line, cmd, arg)

    def ftp_MKD(self, path):
        if PoorHandler.refuse_mkd and not path.endswith(".newsadder-lock"):
            self.respond("550 Folder creation refused.")
            return None
        return FTPHandler.ftp_MKD(self, path)

    def ftp_SIZE(self, path):
        if PoorHandler.retrs + 1 in PoorHandler.short_downloads and self.fs.isfile(path):
            self.respond("213 %d" % (os.path.getsize(path) - PoorHandler.short_by))
            return path
        return FTPHandler.ftp_SIZE(self, path)

    def push(self, data):
        if PoorHandler.lying_mlst > 0 and data.startswith(" ") and data.rstrip().endswith("news.html"):
            PoorHandler.lying_mlst -= 1
            size = int(data.split("size=")[1].split(";")[0])
            data = data.replace("size=%d;" % size, "size=%d;" % (size - 100))
        return FTPHandler.push(self, data)

    def respond(self, resp, *args, **kwargs):
        # The announced size of a download, as many servers write it into their 150 reply.
        if resp[:4] in ("125 ", "150 ") and self._retr_size is not None:
            resp = resp[:4] + "Opening BINARY mode data connection (%d bytes)." % self._retr_size
            self._retr_size = None
        return FTPHandler.respond(self, resp, *args, **kwargs)

    def on_file_sent(self, file):
        PoorHandler.downloads += 1
        if PoorHandler.downloads in PoorHandler.change_after:
            with open(file, "rb") as page:
                text = page.read()
            marker = b"<font color=yellow>"
            at = text.find(marker) + len(marker)
            item = b"<p>another editor's item %d</p>" % PoorHandler.downloads
            with open(file, "wb") as page:
                page.write(text[:at] + item + text[at:])
            self.log("another editor changed " + file)

    def on_file_received(self, file):
        if PoorHandler.truncate_uploads > 0:
            PoorHandler.truncate_uploads -= 1
            os.truncate(file, os.path.getsize(file) // 2)
            self.log("stored only half of " + file)

    def ftp_RETR(self, file):
        self._retr_size = None
        PoorHandler.retrs += 1
        if PoorHandler.retrs in PoorHandler.short_downloads and os.path.isfile(file):
            self._retr_size = os.path.getsize(file) - PoorHandler.short_by
            self.short_download = True
        self.cut_download = PoorHandler.retrs in PoorHandler.cut_downloads
        if self.cut_download and os.path.isfile(file):
            self._retr_size = os.path.getsize(file)
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
    parser.add_argument("--read-only", action="store_true", help="the user may read but not write")
    parser.add_argument("--max-cons-per-ip", type=int, default=0)
    parser.add_argument("--log", default="")
    parser.add_argument("--stall-downloads", type=float, default=0.0, metavar="SECONDS")
    parser.add_argument("--stall-uploads", type=float, default=0.0, metavar="SECONDS")
    parser.add_argument("--trickle-downloads", type=float, default=0.0, metavar="SECONDS")
    parser.add_argument("--hang-downloads", type=int, default=0, metavar="COUNT")
    parser.add_argument("--drop-uploads", type=int, default=0, metavar="COUNT")
    parser.add_argument("--drop-uploads-midway", type=int, default=0, metavar="COUNT")
    parser.add_argument("--hang-uploads", type=int, default=0, metavar="COUNT")
    parser.add_argument("--truncate-uploads", type=int, default=0, metavar="COUNT")
    parser.add_argument("--refuse-rename-over", action="store_true")
    parser.add_argument("--refuse-mkd", action="store_true", help="no folder but the page lock may be made")
    parser.add_argument("--mute-at", default="", metavar="COMMAND")
    parser.add_argument("--mute-after", type=int, default=0, metavar="N")
    parser.add_argument("--change-after-downloads", default="", metavar="N,M,...")
    parser.add_argument("--watch", default="", metavar="FILE")
    parser.add_argument("--umask", default="", metavar="OCTAL",
                        help="for every file and folder the server makes (vsftpd's local_umask)")
    parser.add_argument("--no-chmod", action="store_true", help="SITE CHMOD refused")
    parser.add_argument("--mlst-mode", action="store_true", help="MLST names the file's mode")
    parser.add_argument("--refuse-rename", default="", metavar="N,M,...")
    parser.add_argument("--stall-rename", type=int, default=0, metavar="N")
    parser.add_argument("--short-downloads", default="", metavar="N,M,...",
                        help="SIZE and the 150 reply of these downloads announce 100 bytes too few")
    parser.add_argument("--cut-downloads", default="", metavar="N,M,...",
                        help="these downloads end 100 bytes early with a 226 all the same")
    parser.add_argument("--lying-mlst", type=int, default=0, metavar="COUNT",
                        help="the next MLSTs of the page tell it 100 bytes short")
    parser.add_argument("--no-mlst", action="store_true", help="no MLST, MLSD or OPTS MLST, as vsftpd")
    parser.add_argument("--no-mlst-options", action="store_true", help="OPTS MLST refused, MLST kept")
    parser.add_argument("--reply-delay", type=float, default=0.0, metavar="SECONDS")
    parser.add_argument("--ls-options", action="store_true",
                        help="LIST -a FOLDER lists FOLDER, as vsftpd and proftpd; pyftpdlib takes -a only alone")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    perm = "elr" if args.read_only else "elradfmwT" if args.no_chmod else "elradfmwMT"
    authorizer.add_user(args.user, args.password, args.root, perm=perm)
    if args.umask:
        os.umask(int(args.umask, 8))
    if not args.no_anonymous:
        authorizer.add_anonymous(args.root, perm="elr")

    handler = PoorHandler
    handler.stall_downloads = args.stall_downloads
    handler.stall_uploads = args.stall_uploads
    handler.trickle_downloads = args.trickle_downloads
    handler.hang_downloads = args.hang_downloads
    handler.drop_uploads = args.drop_uploads
    handler.drop_uploads_midway = args.drop_uploads_midway
    handler.hang_uploads = args.hang_uploads
    handler.truncate_uploads = args.truncate_uploads
    handler.refuse_rename_over = args.refuse_rename_over
    handler.refuse_mkd = args.refuse_mkd
    handler.mute_at = args.mute_at
    handler.mute_after = args.mute_after
    handler.change_after = {int(n) for n in args.change_after_downloads.split(",") if n}
    handler.watch = args.watch
    handler.root = args.root
    handler.refuse_rename = {int(n) for n in args.refuse_rename.split(",") if n}
    handler.stall_rename = args.stall_rename
    handler.short_downloads = {int(n) for n in args.short_downloads.split(",") if n}
    if args.mlst_mode:
        handler.mlst_mode = True
    handler.cut_downloads = {int(n) for n in args.cut_downloads.split(",") if n}
    handler.lying_mlst = args.lying_mlst
    handler.reply_delay = args.reply_delay
    handler.ls_options = args.ls_options
    handler.proto_cmds = {name: facts for name, facts in handler.proto_cmds.items()
                          if not (args.no_mlst and name in ("MLST", "MLSD"))}
    if args.no_mlst_options:
        handler.ftp_OPTS = lambda self, line: self.respond("501 Invalid argument.")
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
