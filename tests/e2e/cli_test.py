#!/usr/bin/env python3
"""End-to-end runs of zorvel-cli against the generated site on the test nginx.

Usage: cli_test.py [--wine WINE_RUN [--arch win32|win64]] CLI NET_DIR SCENARIO
CLI is the zorvel-cli binary; with --wine it is a Windows build run through WINE_RUN.
Each scenario runs the program as a user would and compares the downloaded files with the
set the crawl rules predict, byte for byte, and the exit status and log lines with theirs.
"""
import argparse
import os
import pty
import select
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

args = None
ports = {}
failures = []


class Skip(Exception):
    """The machine cannot run this scenario; CTest shows it as skipped."""


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def local_path(path):
    """A path as the program under test names it."""
    return "Z:" + path.replace("/", "\\") if args.wine else path


def command(*cli_args):
    base = [args.wine, args.arch, args.cli] if args.wine else [args.cli]
    return base + list(cli_args)


def run(*cli_args, timeout=120, env=None):
    started = time.time()
    result = subprocess.run(command(*cli_args), stdin=subprocess.DEVNULL, capture_output=True, text=True,
                            timeout=timeout, env=env)
    print(f"$ zorvel-cli {' '.join(cli_args)}  -> {result.returncode} in {time.time() - started:.1f} s")
    print(result.stdout, end="")
    print(result.stderr, end="", file=sys.stderr)
    return result


def site(path):
    return f"http://127.0.0.1:{ports['nginx']}{path}"


def saved(folder):
    return sorted(os.listdir(folder))


def served(name):
    """The served bytes of a saved file name (host+path with "/" as "+")."""
    path = name.split("+", 1)[1].replace("+", "/")
    with open(os.path.join(ports["root"], path), "rb") as f:
        return f.read()


def check_bytes(folder):
    for name in saved(folder):
        with open(os.path.join(folder, name), "rb") as f:
            check(f.read() == served(name), f"{name} differs from the served file")


def expect_files(folder, files):
    want = sorted("127.0.0.1+" + f.replace("/", "+") for f in files)
    check(saved(folder) == want, f"saved {saved(folder)}, expected {want}")
    check_bytes(folder)


STAMP = r"\d\d/\d\d/\d\d \d\d:\d\d:\d\d : "


def error_lines(result):
    """The program's failure lines on standard error (Wine may add lines of its own)."""
    lines = result.stderr.splitlines()
    return [line for line in lines if line.startswith("zorvel-cli: ")] if args.wine else lines


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def scenario_depth(out):
    # Pages two links deep, reached through relative (a*) and absolute (b*) links.
    result = run("-d", "2", "-o", local_path(out), site("/chain/index.html"))
    check(result.returncode == 0, f"exit status {result.returncode}")
    expect_files(out, ["chain/c0.jpg", "chain/a1.jpg", "chain/a2.jpg", "chain/b1.jpg", "chain/b2.jpg"])
    check(re.search(STAMP + re.escape(f"Added to Scanning Address List( {site('/chain/index.html')} )"),
                    result.stdout), "no time-stamped Added line")
    check(re.search(STAMP + re.escape(f"Complete ( {site('/chain/index.html')} )"), result.stdout),
          "no time-stamped Complete line")
    check(re.search(r"Complete\s+Image R-2\s+2\s+5\s+", result.stdout), "summary row")
    check("Total: 5 files" in result.stdout, "total line")


def scenario_jobs(out):
    ini_dir = tempfile.mkdtemp(dir=out + "/..")
    ini = os.path.join(ini_dir, "Zorvel.ini")
    with open(ini, "w") as f:
        f.write("[ADVANCED_OPTION]\nnDownSizeLimit=1000\nnUrlLinks=2\n")
    before = open(ini).read()
    result = run("-f", "any", "-d", "R-1", "-o", local_path(out), "--ini-dir", local_path(ini_dir), "--min-size", "0",
                 site("/limit/index.html"), site("/crawl/missing.html"), "ftp://127.0.0.1/x",
                 f"HTTP://127.0.0.1:{ports['nginx']}/LIMIT/INDEX.HTML")  # the same job in other letter case
    # One start page (missing.html) is not there.
    check(result.returncode == 3, f"exit status {result.returncode}")
    check(error_lines(result) == [f"zorvel-cli: {site('/crawl/missing.html')}: start page not fetched: 404 Not Found"],
          f"stderr {error_lines(result)}")
    check("Type correct url" in result.stdout, "bad address not refused")
    check("Already in Scanning Address List(" in result.stdout, "duplicate not refused")
    check(result.stdout.count("Complete ( ") == 2, "two jobs complete")
    # nUrlLinks=2 from the settings file, the minimum size overridden to 0 for this run.
    expect_files(out, ["limit/f0.jpg", "limit/f1.jpg"])
    check(open(ini).read() == before, "the settings file was written")


def scenario_usage(out):
    check(run().returncode == 2, "no address: status 2")
    check(run("--depth", "4", site("/")).returncode == 2, "bad depth: status 2")
    check(run("--bogus", site("/")).returncode == 2, "unknown option: status 2")
    check(run("-o", local_path(out), "ftp://127.0.0.1/").returncode == 2, "no valid address: status 2")
    helped = run("--help")
    check(helped.returncode == 0 and "--time-limit" in helped.stdout, "--help")
    check(re.search(r"^  3  a start page could not be fetched", helped.stdout, re.M), "--help lists the exit statuses")
    version = run("--version")
    check(version.returncode == 0 and version.stdout == "zorvel-cli (Zorvel 2.0)\n", f"--version: {version.stdout!r}")


def scenario_start_failures(out):
    """A start page that cannot be fetched: one line in words on standard error, status 3;
    the window's "Error code" line never reaches the terminal."""
    refused = f"http://127.0.0.1:{free_port()}/"
    cases = [
        ("http://nosuch.invalid/", "name not resolved"),
        (refused, "connection refused"),
        (site("/crawl/missing.html"), "404 Not Found"),
        (site("/redirect-chain"), "redirect refused: a second redirect (301)"),
    ]
    for address, reason in cases:
        for quiet in ([], ["-q"]):
            result = run(*quiet, "-o", local_path(out), address)
            check(result.returncode == 3, f"{address} {quiet}: exit status {result.returncode}")
            want = [f"zorvel-cli: {address}: start page not fetched: {reason}"]
            check(error_lines(result) == want, f"{address} {quiet}: stderr {error_lines(result)}, expected {want}")
            check("Error code" not in result.stdout, f"{address}: an Error code line")
            check(re.search(r"^Complete\s+Image R-1 .* " + re.escape(address) + "$", result.stdout, re.M),
                  f"{address} {quiet}: no summary row")
            # Quiet: the summary and nothing else on standard output.
            logged = re.search(STAMP, result.stdout) is not None
            check(logged != bool(quiet), f"{address} {quiet}: log lines {'shown' if logged else 'missing'}")
    check(saved(out) == [], f"saved {saved(out)}")


BROKEN_SAVED = ["broken/ok.jpg", "slow/wait.jpg"]


def broken_errors():
    return sorted([f"zorvel-cli: {site('/broken/missing.jpg')}: 404 Not Found",
                   "zorvel-cli: http://gone.invalid/pic.jpg: name not resolved",
                   "zorvel-cli: http://gone.invalid/page.html: name not resolved"])


def scenario_broken_links(out):
    """Links that fail do not fail the job: each is one line, the job completes, status 0;
    -v adds a line per page fetched and per file saved."""
    result = run("-v", "-f", "any", "-o", local_path(out), site("/broken/index.html"))
    check(result.returncode == 0, f"exit status {result.returncode}")
    check(sorted(error_lines(result)) == broken_errors(), f"stderr {error_lines(result)}")
    check(re.search(STAMP + re.escape(f"Fetched {site('/broken/index.html')} ("), result.stdout), "no Fetched line")
    for name in BROKEN_SAVED:
        line = f"Saved {site('/' + name)} as 127.0.0.1+{name.replace('/', '+')} ("
        check(re.search(STAMP + re.escape(line), result.stdout), f"no line: {line}")
    expect_files(out, BROKEN_SAVED)


def terminal_lines(data):
    """What a terminal shows for `data`: carriage return, erase to the end of the line and
    newline are applied; every other byte is written at the cursor."""
    lines, line, col, i = [], [], 0, 0
    while i < len(data):
        if data.startswith("\033[K", i):
            del line[col:]
            i += 3
            continue
        c = data[i]
        i += 1
        if c == "\r":
            col = 0
        elif c == "\n":
            lines.append("".join(line))
            line, col = [], 0
        else:
            if col < len(line):
                line[col] = c
            else:
                line.append(c)
            col += 1
    return lines + ["".join(line)]


def scenario_terminal(out):
    """On a terminal the live status line and the other lines never share a line: failures on
    standard error and log lines each start on a line of their own."""
    pid, fd = pty.fork()
    if pid == 0:
        os.execv(args.cli, [args.cli, "-f", "any", "-o", out, site("/broken/index.html")])
    data = b""
    deadline = time.time() + 60
    while time.time() < deadline:
        ready, _, _ = select.select([fd], [], [], 1)
        if not ready:
            continue
        try:
            chunk = os.read(fd, 4096)
        except OSError:  # the program ended and closed the terminal
            break
        if not chunk:
            break
        data += chunk
    _, status = os.waitpid(pid, 0)
    text = data.decode(errors="replace")
    print(text.replace("\r", "\\r").replace("\033", "\\e"))
    check(os.waitstatus_to_exitcode(status) == 0, f"exit status {os.waitstatus_to_exitcode(status)}")
    check(" Thrds | " in text, "no status line was drawn")
    shown = terminal_lines(text)
    errors = sorted(line for line in shown if line.startswith("zorvel-cli: "))
    check(errors == broken_errors(), f"failure lines {errors}")
    for line in shown:
        if " Thrds | " in line:
            check(re.fullmatch(r"\w+ \| \d+ Thrds \| \d+ files \| \S+( \| \S+/sec)?", line), f"mixed line {line!r}")
    check(any(re.match(STAMP + "Complete", line) for line in shown), "no Complete line")


def scenario_https(out):
    start = f"https://localhost:{ports['tls']}/tls/index.html"
    want = ["localhost+tls+sub+t3.jpg", "localhost+tls+t1.jpg", "localhost+tls+t2.jpg", "localhost+tls+t4.jpg"]
    trust = [] if args.wine else ["--ca-file", ports["ca"]]  # Windows trusts the CA through its root store
    if not args.wine:
        refused = run("-d", "2", "--min-size", "0", "-o", local_path(out), start)
        check(f"Certificate not trusted ( {start} )" in refused.stdout, "no certificate line without the CA")
        check(refused.returncode == 3 and error_lines(refused) == [
            f"zorvel-cli: {start}: start page not fetched: certificate not trusted"], f"stderr {error_lines(refused)}")
        check(saved(out) == [], f"saved {saved(out)} from an untrusted server")
        # OpenSSL's own variables name the trust store as for other programs.
        trusted = run("-d", "0", "--min-size", "0", "-o", local_path(out), start,
                      env=dict(os.environ, SSL_CERT_FILE=ports["ca"]))
        check(trusted.returncode == 0 and saved(out) == want[1:3], f"SSL_CERT_FILE: saved {saved(out)}")
    result = run("-d", "2", "--min-size", "0", "-o", local_path(out), *trust, start)
    check(result.returncode == 0, f"exit status {result.returncode}")
    check(saved(out) == want, f"saved {saved(out)}, expected {want}")
    check_bytes(out)


def scenario_search(out):
    host = f"127.0.0.1:{ports['scripted']}"
    listed = run("--search", "holiday photos", "--pages", "2", "--google-host", host)
    check(listed.returncode == 0, f"exit status {listed.returncode}")
    lines = [line for line in listed.stdout.splitlines() if re.match(r"[GY]_\d+ ", line)]
    check(lines == ["G_1 http://site0.example/", "G_2 http://site0.example/index.php?id=5",
                    "G_3 http://site0.example/", "G_4 http://site10.example/",
                    "G_5 http://site10.example/index.php?id=5", "G_6 http://site10.example/"], f"results {lines}")
    check("Received Search Result" in listed.stdout, "no Received line")
    check(saved(out) == [], "a listing scanned something")

    scanned = run("--search", "local pages", "--scan", "-d", "0", "-o", local_path(out), "--google-host", host)
    check(scanned.returncode == 0, f"exit status {scanned.returncode}")
    check(f"Added to Scanning Address List( http://{host}/echo-a.html )" in scanned.stdout, "result a not added")
    check(scanned.stdout.count("Complete ( ") == 2, "both results scanned")

    refused = run("--search", "abc", "--google-host", host)
    check(refused.returncode == 1, "a short keyword is refused")
    silent = run("--search", "holiday", "--google-host", "127.0.0.1:1")
    check(silent.returncode == 1 and "No Response from Google" in silent.stdout, "no response")


def interrupted(out, times):
    process = subprocess.Popen(command("-o", out, site("/slow/index.html")), stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    deadline = time.time() + 20
    while time.time() < deadline and not any(n.endswith(".part") for n in os.listdir(out)):
        time.sleep(0.05)
    check(any(n.endswith(".part") for n in os.listdir(out)), "the transfer did not start")
    time.sleep(0.5)
    for _ in range(times):
        process.send_signal(signal.SIGINT)
        time.sleep(0.3)
    stdout, stderr = process.communicate(timeout=60)
    print(stdout, end="")
    print(stderr, end="", file=sys.stderr)
    check(process.returncode == 1, f"exit status {process.returncode}, expected 1")
    check("Stopped ( " in stdout, "no Stopped line")
    check(not any(n.endswith(".part") for n in os.listdir(out)), "a temporary file was left behind")
    return stdout


def scenario_graceful(out):
    interrupted(out, 1)
    expect_files(out, ["slow/big.jpg"])  # the running transfer finishes


def scenario_immediate(out):
    started = time.time()
    interrupted(out, 2)
    check(saved(out) == [], f"saved {saved(out)} after an immediate stop")
    check(time.time() - started < 5, "the immediate stop took too long")


def scenario_early_stop(out):
    """Ctrl-C before anything could finish: while the job waits for its start (the scheduler
    still idle, or too few threads to ever start it) or while its start page still arrives."""
    slow = f"http://127.0.0.1:{ports['scripted']}/slow"
    for at, options in [(0.3, []), (2.0, ["--threads", "5"])]:
        started = time.time()
        process = subprocess.Popen(command(*options, "-o", out, slow), stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        first = process.stdout.readline()  # the Added line: Ctrl-C is handled from here on
        time.sleep(max(0.0, started + at - time.time()))
        process.send_signal(signal.SIGINT)
        signalled = time.time()
        try:
            stdout, stderr = process.communicate(timeout=15)
        except subprocess.TimeoutExpired:
            process.kill()
            stdout, stderr = process.communicate()
        took = time.time() - signalled
        stdout = first + stdout
        print(f"$ zorvel-cli {' '.join(options)} (Ctrl-C at {at} s) -> {process.returncode} {took:.1f} s later")
        print(stdout, end="")
        print(stderr, end="", file=sys.stderr)
        check(process.returncode == 1, f"{options}: exit status {process.returncode}, expected 1")
        check(took < 6, f"{options}: ended {took:.1f} s after Ctrl-C")
        check(re.search(r"^Stopped\s+Image R-1 .*/slow$", stdout, re.M), f"{options}: no Stopped row in the summary")
        check("Total: 0 files" in stdout, f"{options}: no total line")


def whole_or_temporary(folder, bad):
    """Adds to `bad` every file under a final name whose bytes differ from the served file."""
    for name in saved(folder):
        if name.endswith(".part"):
            continue
        try:
            with open(os.path.join(folder, name), "rb") as f:
                if f.read() != served(name):
                    bad.add(name)
        except FileNotFoundError:
            pass


def watch(process, folder, bad, until, timeout):
    """Checks the folder every 20 ms while `process` runs, until `until()` holds (bounded)."""
    deadline = time.time() + timeout
    while process.poll() is None and time.time() < deadline and not until():
        whole_or_temporary(folder, bad)
        time.sleep(0.02)


def parts(folder):
    return [n for n in os.listdir(folder) if n.endswith(".part")]


def scenario_killed(out):
    # A run killed in the middle of slow downloads leaves temporary files but never a cut-off
    # file under a final name; the next run sweeps them and saves every file whole.
    slow = [f"slow/m{i}.jpg" for i in range(4)]
    bad = set()
    killed = subprocess.Popen(command("-o", local_path(out), site("/slow/many.html")), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # The files (300 KB at 100 KB/s) come side by side: kill while they are under way.
    watch(killed, out, bad, lambda: parts(out), 30)
    time.sleep(0.5)
    killed.kill()
    killed.wait(timeout=10)
    check(parts(out) and len(parts(out)) == len(saved(out)), f"the killed run left {saved(out)}")
    whole_or_temporary(out, bad)

    second = subprocess.Popen(command("-o", local_path(out), site("/slow/many.html")), stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    own = f".zorvel-{second.pid}-"
    watch(second, out, bad, lambda: any(n.startswith(own) for n in parts(out)), 20)
    # A third run starting beside the second must leave the second's temporary files alone.
    third = run("-d", "2", "-o", out, site("/chain/index.html"))
    check(third.returncode == 0, f"third run: exit status {third.returncode}")
    watch(second, out, bad, lambda: False, 60)
    print(second.communicate(timeout=30)[0], end="")
    check(second.returncode == 0, f"second run: exit status {second.returncode}")
    check(not bad, f"cut-off files under final names: {sorted(bad)}")
    expect_files(out, slow + ["chain/c0.jpg", "chain/a1.jpg", "chain/a2.jpg", "chain/b1.jpg", "chain/b2.jpg"])


def scenario_demo(out):
    """scripts/demo.sh serves the sample site kept in the repository and crawls it: pages on
    three levels, a frame and a second server, of which it keeps the Image files."""
    repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    result = subprocess.run([os.path.join(repo, "scripts", "demo.sh"), out], stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=120, env=dict(os.environ, ZORVEL_CLI=args.cli))
    print(result.stdout, end="")
    print(result.stderr, end="", file=sys.stderr)
    check(result.returncode == 0, f"exit status {result.returncode}")
    files = {"images/logo.png": "site", "images/sun.gif": "site", "gallery/cat.jpg": "site",
             "gallery/dog.jpg": "site", "gallery/birds/owl.png": "site", "more/sunset.jpg": "second"}
    want = sorted("127.0.0.1+" + name.replace("/", "+") for name in files)
    check(saved(out) == want, f"saved {saved(out)}, expected {want}")
    for name, folder in files.items():
        with open(os.path.join(repo, "demo", folder, name), "rb") as served_file:
            saved_name = os.path.join(out, "127.0.0.1+" + name.replace("/", "+"))
            check(os.path.exists(saved_name) and open(saved_name, "rb").read() == served_file.read(), f"{name} differs")
    check(f"demo: the files went to {out}:" in result.stdout, "no line naming the folder")
    check(result.stderr == "", "failures reported")
    check(re.search(r"^Complete\s+Image R-2\s+1\s+6\s", result.stdout, re.M), "summary row")


def scenario_fat(out):
    # A download folder on a FAT volume, which has no hard links.
    if os.geteuid() != 0 or not shutil.which("mkfs.vfat"):
        raise Skip("needs root and mkfs.vfat (dosfstools) to mount a FAT image")
    image = out + ".img"
    with open(image, "wb") as f:
        f.truncate(16 * 1024 * 1024)
    subprocess.run(["mkfs.vfat", image], check=True, capture_output=True)
    volume = out + "-fat"
    os.mkdir(volume)
    mounted = subprocess.run(["mount", "-o", "loop", image, volume], capture_output=True, text=True)
    if mounted.returncode != 0:
        raise Skip(f"cannot mount a FAT image here: {mounted.stderr.strip()}")
    try:
        for attempt in range(2):  # the second run finds every file saved and leaves nothing behind
            result = run("-d", "2", "-o", volume, site("/chain/index.html"))
            check(result.returncode == 0, f"run {attempt + 1}: exit status {result.returncode}")
            expect_files(volume, ["chain/c0.jpg", "chain/a1.jpg", "chain/a2.jpg", "chain/b1.jpg", "chain/b2.jpg"])
        check("Can't save" not in result.stdout, "a file was refused")
    finally:
        subprocess.run(["umount", volume], capture_output=True)


def main():
    global args
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine")
    parser.add_argument("--arch", default="win64")  # win32 or win64: the Wine side of --wine
    parser.add_argument("cli")
    parser.add_argument("net_dir")
    parser.add_argument("scenario")
    args = parser.parse_args()
    with open(os.path.join(args.net_dir, "ports")) as f:
        for line in f:
            key, value = line.split()
            ports[key] = value
    work = tempfile.mkdtemp(prefix="zorvel-e2e-")
    out = os.path.join(work, "out")
    os.mkdir(out)
    try:
        globals()["scenario_" + args.scenario](out)
    except Skip as reason:
        print(f"{args.scenario}: skipped: {reason}")
        return 77
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print(f"{args.scenario}: {len(failures)} check(s) failed")
        return 1
    print(f"{args.scenario}: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
