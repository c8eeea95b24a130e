#!/usr/bin/env python3
"""A relay to a real server that delays everything by DELAY_MS each way, as a server some
network away would: it prints the port it listens on, then relays every connection to
127.0.0.1:UPSTREAM, each chunk handed on DELAY_MS after it arrived (in order, so that the
link keeps its throughput and gains only the latency). The end of standard input ends it.
    delay_relay.py UPSTREAM_PORT DELAY_MS"""
import asyncio
import sys

upstream_port = int(sys.argv[1])
delay = int(sys.argv[2]) / 1000.0


async def pump(reader, writer):
    loop = asyncio.get_running_loop()
    queue = asyncio.Queue()

    async def deliver():
        while True:
            due, data = await queue.get()
            wait = due - loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            if not data:
                writer.close()
                return
            writer.write(data)
            await writer.drain()

    sender = asyncio.create_task(deliver())
    try:
        while True:
            data = await reader.read(65536)
            await queue.put((loop.time() + delay, data))
            if not data:
                break
        await sender
    except (ConnectionError, OSError):
        sender.cancel()
        writer.close()


async def handle(client_reader, client_writer):
    try:
        server_reader, server_writer = await asyncio.open_connection("127.0.0.1", upstream_port)
    except OSError:
        client_writer.close()
        return
    await asyncio.gather(pump(client_reader, server_writer), pump(server_reader, client_writer),
                         return_exceptions=True)


async def main():
    server = await asyncio.start_server(handle, "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    loop = asyncio.get_running_loop()
    # Ends with its standard input (its owner's end).
    await loop.run_in_executor(None, sys.stdin.read)


asyncio.run(main())
