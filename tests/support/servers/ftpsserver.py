#!/usr/bin/python3
"""The test FTP server of ftpserver.py over TLS, with every option of that script.

  --tls explicit   the client starts TLS with AUTH TLS; login and data without TLS are refused
  --tls implicit   TLS from the first byte of every connection (what ftps:// addresses expect)
  --cert F --key F the server's certificate and private key (PEM)

Prints the port it listens on as the first line of standard output, then serves until killed."""
import argparse
import sys

from OpenSSL import SSL
from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler

import ftpserver


class TlsDTPHandler(TLS_DTPHandler, ftpserver.PoorDTPHandler):
    """A data connection over TLS that waits for the transfer command while its handshake runs.

    curl starts the handshake on the data connection before it sends RETR or STOR; pyftpdlib's own
    handler takes the bytes that arrive before the command for a closed connection and drops it."""

    def readable(self):
        if self._ssl_accepting:
            return True
        return super().readable()


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
    args, rest = parser.parse_known_args()

    handler = ImplicitTlsHandler if args.tls == "implicit" else ExplicitTlsHandler
    handler.certfile = args.cert
    handler.keyfile = args.key
    handler.ssl_protocol = SSL.TLS_SERVER_METHOD
    # ftpserver.main() configures and serves whatever class its module calls PoorHandler.
    ftpserver.PoorHandler = handler
    sys.argv[1:] = rest
    return ftpserver.main()


if __name__ == "__main__":
    sys.exit(main())
