#!/usr/bin/env python3
"""A relay to a real server that can stop answering: it prints the port it listens on,
then relays every connection to 127.0.0.1:UPSTREAM. Connections accepted while it is in
"mute" mode (the start) pass the server's first answer and then nothing more (a server
that stops answering half-way through the start-up); those accepted in "whole" mode are
relayed whole. A line "whole" or "mute" on standard input switches the mode for the
connections accepted afterwards; the end of standard input ends the relay.
    mute_relay.py UPSTREAM_PORT"""
import selectors
import socket
import sys

upstream_port = int(sys.argv[1])
listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(64)
print(listener.getsockname()[1], flush=True)

selector = selectors.DefaultSelector()
selector.register(listener, selectors.EVENT_READ, "accept")
selector.register(sys.stdin, selectors.EVENT_READ, "control")
whole = False
links = {}  # socket -> [peer, from_upstream, whole, answered]

while True:
    for key, _ in selector.select():
        if key.data == "control":
            line = sys.stdin.readline()
            if not line:
                sys.exit(0)
            whole = line.strip() == "whole"
            continue
        if key.data == "accept":
            client, _ = listener.accept()
            try:
                server = socket.create_connection(("127.0.0.1", upstream_port))
            except OSError:
                client.close()
                continue
            links[client] = [server, False, whole, False]
            links[server] = [client, True, whole, False]
            selector.register(client, selectors.EVENT_READ, "link")
            selector.register(server, selectors.EVENT_READ, "link")
            continue
        link = key.fileobj
        peer, from_upstream, relay_whole, answered = links[link]
        try:
            data = link.recv(65536)
        except OSError:
            data = b""
        if not data:
            # One side ended: so does the other (a relay passes a closed link on).
            for end in (link, peer):
                if end in links:
                    selector.unregister(end)
                    del links[end]
                    end.close()
            continue
        if from_upstream and answered and not relay_whole:
            continue  # silent from now on
        try:
            peer.sendall(data)
        except OSError:
            pass
        if from_upstream:
            links[link][3] = True
