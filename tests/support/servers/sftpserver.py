#!/usr/bin/python3
"""A throwaway SFTP server for the tests: one user with a password, a host key made for this run, a
root directory that no path leads out of, bound to 127.0.0.1 only.

Reads the user name and the password from the first two lines of standard input (UTF-8, spaces and
any other character kept). Prints the port it listens on, the number of host keys, each key's
known_hosts line and the first key's SHA256 fingerprint, one a line, then serves until killed.
Like OpenSSH 8.8 and later it can refuse SHA-1 signatures of an RSA host key (ssh-rsa), offering
rsa-sha2-256 and rsa-sha2-512 only.

The log names every login and every change to the root (open, bytes written, rename, remove), never
the password. A rename onto an existing file fails, as on OpenSSH's sftp-server for SFTP version 3.

Like a host's server it can make new files with a strict umask, refuse to change modes, and refuse
or leave unanswered a chosen rename (counting renames from 1); the session that waits on such a
rename gets no further answer."""
import argparse
import asyncio
import os
import posixpath
import sys
import warnings

# Debian's cryptography warns about ciphers asyncssh merely imports.
warnings.simplefilter("ignore")
import asyncssh  # noqa: E402


class Log:
    path = ""

    @classmethod
    def write(cls, line):
        if cls.path:
            with open(cls.path, "a", encoding="utf-8") as log:
                log.write(line + "\n")


class PasswordServer(asyncssh.SSHServer):
    user = ""
    password = ""

    def begin_auth(self, username):
        return True

    def password_auth_supported(self):
        return True

    def validate_password(self, username, password):
        accepted = username == self.user and password == self.password
        Log.write("login %s %s" % (username, "accepted" if accepted else "refused"))
        return accepted


class RootedSFTPServer(asyncssh.SFTPServer):
    """Serves ROOT as "/". asyncssh's own chroot lets "//etc" through (POSIX keeps a leading "//"
    in normpath), so every path is mapped here and anything that resolves outside is refused."""
    root = b""
    refuse_rename = set()
    stall_rename = 0
    no_chmod = False
    renames = 0

    def __init__(self, chan):
        super().__init__(chan)
        self._written = {}

    def map_path(self, path):
        inside = posixpath.normpath(b"/" + path.lstrip(b"/"))
        local = os.path.realpath(self.root + inside.rstrip(b"/"))
        if local != self.root and not local.startswith(self.root + b"/"):
            raise asyncssh.SFTPPermissionDenied("Outside the served directory")
        return local

    def reverse_map_path(self, path):
        if path == self.root:
            return b"/"
        if path.startswith(self.root + b"/"):
            return path[len(self.root):]
        raise asyncssh.SFTPNoSuchFile("File not found")

    def shown(self, path):
        return os.fsdecode(self.reverse_map_path(path))

    def open(self, path, pflags, attrs):
        local = self.map_path(path)
        writing = bool(pflags & asyncssh.FXF_WRITE)
        Log.write("open %s %s" % (self.shown(local), "write" if writing else "read"))
        file = super().open(path, pflags, attrs)
        if writing:
            self._written[file] = [self.shown(local), 0]
        return file

    def write(self, file_obj, offset, data):
        if file_obj in self._written:
            self._written[file_obj][1] += len(data)
        return super().write(file_obj, offset, data)

    def close(self, file_obj):
        written = self._written.pop(file_obj, None)
        if written:
            Log.write("wrote %s %d" % tuple(written))
        return super().close(file_obj)

    def counted_rename(self, old, new):
        RootedSFTPServer.renames += 1
        if RootedSFTPServer.renames == self.stall_rename:
            Log.write("rename %s %s stalled" % (old, new))
            return asyncio.Event().wait()
        if RootedSFTPServer.renames in self.refuse_rename:
            Log.write("rename %s %s refused" % (old, new))
            raise asyncssh.SFTPFailure("Rename refused")
        return None

    def setstat(self, path, attrs):
        shown = self.shown(self.map_path(path))
        if attrs.permissions is not None:
            Log.write("chmod %s %o%s" % (shown, attrs.permissions & 0o7777, " refused" if self.no_chmod else ""))
            if self.no_chmod:
                raise asyncssh.SFTPPermissionDenied("Changing modes is not allowed")
        return super().setstat(path, attrs)

    def rename(self, oldpath, newpath):
        old, new = self.shown(self.map_path(oldpath)), self.shown(self.map_path(newpath))
        stall = self.counted_rename(old, new)
        if stall:
            return stall
        try:
            super().rename(oldpath, newpath)
        except asyncssh.SFTPError:
            Log.write("rename %s %s refused" % (old, new))
            raise
        Log.write("rename %s %s" % (old, new))

    def posix_rename(self, oldpath, newpath):
        old, new = self.shown(self.map_path(oldpath)), self.shown(self.map_path(newpath))
        stall = self.counted_rename(old, new)
        if stall:
            return stall
        Log.write("posix-rename %s %s" % (old, new))
        return super().posix_rename(oldpath, newpath)

    def remove(self, path):
        Log.write("remove %s" % self.shown(self.map_path(path)))
        return super().remove(path)


def refuse_sha1_rsa():
    prepare = asyncssh.SSHServerConnectionOptions.prepare

    def without_sha1(self, *args, **kwargs):
        prepare(self, *args, **kwargs)
        self.server_host_keys.pop(b"ssh-rsa", None)

    asyncssh.SSHServerConnectionOptions.prepare = without_sha1


async def serve(port, key_types):
    keys = [asyncssh.generate_private_key(key_type) for key_type in key_types]
    server = await asyncssh.listen("127.0.0.1", port, server_host_keys=keys, server_factory=PasswordServer,
                                   sftp_factory=RootedSFTPServer, allow_scp=False)
    port = server.sockets[0].getsockname()[1]
    host = "127.0.0.1" if port == 22 else "[127.0.0.1]:%d" % port
    print(port)
    print(len(keys))
    for key in keys:
        public = key.export_public_key("openssh").decode().split()
        print("%s %s %s" % (host, public[0], public[1]))
    print(keys[0].get_fingerprint("sha256"), flush=True)
    await asyncio.Event().wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--host-key-type", default="ssh-ed25519",
                        help="ssh-ed25519, ecdsa-sha2-nistp256/384/521 or ssh-rsa; several separated by commas")
    parser.add_argument("--refuse-sha1-rsa", action="store_true")
    parser.add_argument("--log", default="")
    parser.add_argument("--umask", default="", metavar="OCTAL", help="for every file the server makes")
    parser.add_argument("--no-chmod", action="store_true", help="changing a file's mode refused")
    parser.add_argument("--refuse-rename", default="", metavar="N,M,...")
    parser.add_argument("--stall-rename", type=int, default=0, metavar="N")
    args = parser.parse_args()
    if args.umask:
        os.umask(int(args.umask, 8))
    RootedSFTPServer.refuse_rename = {int(n) for n in args.refuse_rename.split(",") if n}
    RootedSFTPServer.stall_rename = args.stall_rename
    RootedSFTPServer.no_chmod = args.no_chmod
    if args.refuse_sha1_rsa:
        refuse_sha1_rsa()

    stdin = sys.stdin.buffer
    PasswordServer.user = stdin.readline().decode("utf-8").rstrip("\n")
    PasswordServer.password = stdin.readline().decode("utf-8").rstrip("\n")
    RootedSFTPServer.root = os.fsencode(os.path.realpath(args.root))
    Log.path = args.log
    asyncio.run(serve(args.port, args.host_key_type.split(",")))


if __name__ == "__main__":
    sys.exit(main())
