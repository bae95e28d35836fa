#!/usr/bin/python3
"""The test FTP server of ftpserver.py over TLS, with every option of that script.

  --tls explicit   the client starts TLS with AUTH TLS; login and data without TLS are refused
  --tls implicit   TLS from the first byte of every connection (what ftps:// addresses expect)
  --cert F --key F the server's certificate and private key (PEM)
  --require-session-reuse
                   a data connection whose TLS session does not resume the control connection's
                   is dropped, as vsftpd (require_ssl_reuse) and proftpd do by default

Prints the port it listens on as the first line of standard output, then serves until killed."""
import argparse
import sys

from OpenSSL import SSL
from OpenSSL._util import ffi, lib
from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler

import ftpserver


def session_id(connection):
    session = lib.SSL_get_session(connection._ssl)
    if session == ffi.NULL:
        return b""
    length = ffi.new("unsigned int *")
    data = lib.SSL_SESSION_get_id(session, length)
    return bytes(ffi.buffer(data, length[0]))


def note_resumption(connection, where, ret):
    # Taken before the first session ticket of the data connection replaces its session (TLS 1.3).
    if not hasattr(connection, "resumed_id") and lib.SSL_session_reused(connection._ssl) == 1:
        connection.resumed_id = session_id(connection)


class TlsDTPHandler(TLS_DTPHandler, ftpserver.PoorDTPHandler):
    """A data connection over TLS that waits for the transfer command while its handshake runs.

    curl starts the handshake on the data connection before it sends RETR or STOR; pyftpdlib's own
    handler takes the bytes that arrive before the command for a closed connection and drops it."""

    require_reuse = False

    def readable(self):
        if self._ssl_accepting:
            return True
        return super().readable()

    def handle_ssl_established(self):
        super().handle_ssl_established()
        channel = self.cmd_channel
        if self.require_reuse and getattr(self.socket, "resumed_id", None) != session_id(channel.socket):
            channel.log("client did not reuse TLS session of the control connection")
            self._error = True
            self.close()
            channel.respond("425 Unable to build data connection: client did not reuse TLS session.")


class ExplicitTlsHandler(TLS_FTPHandler, ftpserver.PoorHandler):
    dtp_handler = TlsDTPHandler
    tls_control_required = True
    tls_data_required = True


class ImplicitTlsHandler(ExplicitTlsHandler):
    def handle(self):
        # The handshake comes before the greeting; AUTH then finds the connection secured already.
        self.secure_connection(self.ssl_context)
        super().handle()


def main():
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--tls", choices=("explicit", "implicit"), required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--require-session-reuse", action="store_true")
    args, rest = parser.parse_known_args()

    handler = ImplicitTlsHandler if args.tls == "implicit" else ExplicitTlsHandler
    handler.certfile = args.cert
    handler.keyfile = args.key
    handler.ssl_protocol = SSL.TLS_SERVER_METHOD
    if args.require_session_reuse:
        TlsDTPHandler.require_reuse = True
        handler.get_ssl_context().set_info_callback(note_resumption)
    # ftpserver.main() configures and serves whatever class its module calls PoorHandler.
    ftpserver.PoorHandler = handler
    sys.argv[1:] = rest
    return ftpserver.main()


if __name__ == "__main__":
    sys.exit(main())
