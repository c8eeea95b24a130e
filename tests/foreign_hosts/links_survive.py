#!/usr/bin/env python3
"""A host with links of its own (Python over the runtime's C interface) keeps opening them
to a server that accepts and never answers, while connects of the runtime to that same
server time out on every provider, three at a time. Every link of the host must survive:
the runtime touches no descriptor but its own sessions'.

    links_survive.py RUNTIME_PATH

The server closes the runtime's links (not the host's) after a few seconds, so that a
driver that waits for the server's greeting without a limit ends too. Prints what it saw;
exits 1 when a host link was lost or a connect succeeded, 2 on a usage error.
"""
import ctypes
import selectors
import socket
import sys
import threading
import time

ROUTES = [
    "Provider=PostgreSQL;Server=127.0.0.1;Port={port};Database=x;Uid=x;Connect Timeout=1",
    "Provider=MariaDB;Server=127.0.0.1;Port={port};Database=x;Uid=x;Connect Timeout=1",
    "Driver={{PostgreSQL Unicode}};Server=127.0.0.1;Port={port};Database=x;Uid=x;Connect Timeout=1",
    "Driver={{MariaDB Unicode}};Server=127.0.0.1;Port={port};Database=x;Uid=x;Connect Timeout=1",
]
FOREIGN_LINGER = 3.0  # seconds before the server closes a link that is not the host's


class MuteServer:
    """Accepts and never answers; closes links that are not the host's after a while."""

    def __init__(self, host_ports):
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(512)
        self.port = self.listener.getsockname()[1]
        self.host_ports = host_ports  # local ports of the host's own links
        self.links = []  # (socket, accepted at)
        self.stopping = False
        self.thread = threading.Thread(target=self.serve)
        self.thread.start()

    def serve(self):
        selector = selectors.DefaultSelector()
        selector.register(self.listener, selectors.EVENT_READ)
        while not self.stopping:
            for _ in selector.select(0.05):
                link, _ = self.listener.accept()
                self.links.append((link, time.monotonic()))
            now = time.monotonic()
            kept = []
            for link, since in self.links:
                peer_port = link.getpeername()[1]
                if peer_port not in self.host_ports and now - since > FOREIGN_LINGER:
                    link.close()
                else:
                    kept.append((link, since))
            self.links = kept

    def stop(self):
        self.stopping = True
        self.thread.join()
        for link, _ in self.links:
            link.close()
        self.listener.close()


def still_open(link):
    try:
        data = link.recv(1, socket.MSG_PEEK | socket.MSG_DONTWAIT)
    except BlockingIOError:
        return True
    except OSError:
        return False
    return data != b""


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    runtime = ctypes.CDLL(sys.argv[1])
    runtime.QelvorOpenConnection.argtypes = [ctypes.c_char_p]
    runtime.QelvorOpenConnection.restype = ctypes.c_void_p
    runtime.QelvorCloseConnection.argtypes = [ctypes.c_void_p]
    runtime.QelvorLastError.restype = ctypes.c_char_p

    host_ports = set()
    server = MuteServer(host_ports)
    host_links = []
    opening = True

    def keep_opening():
        while opening:
            link = socket.create_connection(("127.0.0.1", server.port))
            host_ports.add(link.getsockname()[1])
            host_links.append(link)
            time.sleep(0.02)

    opener = threading.Thread(target=keep_opening)
    opener.start()
    outcomes = []

    def connect(text):
        connection = runtime.QelvorOpenConnection(text.encode("utf-8"))
        if connection:
            runtime.QelvorCloseConnection(connection)
            outcomes.append("opened: " + text)
        else:
            outcomes.append(runtime.QelvorLastError().decode("utf-8", "replace"))

    try:
        for route in ROUTES:
            text = route.format(port=server.port)
            connects = [threading.Thread(target=connect, args=(text,)) for _ in range(3)]
            for thread in connects:
                thread.start()
            for thread in connects:
                thread.join()
    finally:
        opening = False
        opener.join()
    lost = [link for link in host_links if not still_open(link)]
    print(f"{len(host_links)} links of the host, {len(lost)} lost; {len(outcomes)} connects of the runtime")
    for outcome in outcomes:
        print("  ", outcome)
    for link in host_links:
        link.close()
    server.stop()
    opened = [outcome for outcome in outcomes if outcome.startswith("opened")]
    return 1 if lost or opened or not host_links else 0


sys.exit(main())
