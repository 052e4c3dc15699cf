#!/usr/bin/env python3
"""A TCP relay on 127.0.0.1 that makes loopback behave like a distant server.

Usage: latency_proxy.py LISTEN_PORT UPSTREAM_PORT CONNECT_MS EXCHANGE_MS [PORT_FILE]

Each accepted connection waits CONNECT_MS before anything is relayed (the round trip of a
TCP handshake), and each response waits EXCHANGE_MS before its first bytes go back to the
client (the round trip of a request). A client that reuses a connection therefore pays one
round trip per request, one that opens a connection per request pays two. LISTEN_PORT 0
takes a free port; PORT_FILE, when given, receives the port once the relay listens.
"""
import asyncio
import socket
import sys


async def pump(reader, writer, on_data):
    try:
        while True:
            data = await reader.read(65536)
            if not data:
                break
            await on_data()
            writer.write(data)
            await writer.drain()
        if writer.can_write_eof():
            writer.write_eof()
    except (ConnectionError, OSError):
        writer.close()


async def relay(client_reader, client_writer, upstream_port, connect_delay, exchange_delay):
    await asyncio.sleep(connect_delay)
    try:
        up_reader, up_writer = await asyncio.open_connection("127.0.0.1", upstream_port)
    except OSError:
        client_writer.close()
        return
    # Set when request bytes went upstream and the answer to them has not started yet.
    awaiting = [False]

    async def request_bytes():
        awaiting[0] = True

    async def response_bytes():
        if awaiting[0]:
            awaiting[0] = False
            await asyncio.sleep(exchange_delay)

    await asyncio.gather(pump(client_reader, up_writer, request_bytes),
                         pump(up_reader, client_writer, response_bytes))
    for w in (up_writer, client_writer):
        w.close()


async def main():
    listen_port, upstream_port = int(sys.argv[1]), int(sys.argv[2])
    connect_delay, exchange_delay = int(sys.argv[3]) / 1000.0, int(sys.argv[4]) / 1000.0
    server = await asyncio.start_server(
        lambda r, w: relay(r, w, upstream_port, connect_delay, exchange_delay),
        "127.0.0.1", listen_port, backlog=1024, family=socket.AF_INET)
    if len(sys.argv) > 5:
        with open(sys.argv[5], "w") as f:
            f.write(f"{server.sockets[0].getsockname()[1]}\n")
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(main())
