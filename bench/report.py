#!/usr/bin/env python3
"""Collects the benchmark's measurements and writes its report.

  report.py row RESULTS SITE TOOL TIME_FILE FILES EXPECTED STATUS
      appends one run to RESULTS: the figures /usr/bin/time -v wrote to TIME_FILE, the number
      of image files the tool saved, the number the site holds and the tool's exit status.
  report.py median TRIES
      prints the line of TRIES (rows of one tool on one site) with the median wall time; of an
      even number of runs, the slower of the two middle ones.
  report.py write RESULTS META MARKDOWN SVG [README]
      prints the table and writes MARKDOWN (the table, the machine, the sites), SVG (a bar
      chart of wall times) and, when README is given, the table between its two
      "benchmark" marker comments.

META holds "key value" lines: date, machine, load, network, command, versions, and
"site.NAME description" and "tool.NAME description" lines in the order to show them.
"""
import html
import re
import sys

TOOL_COLOURS = ["#2b6cb0", "#63b3ed", "#c05621", "#2f855a", "#805ad5", "#718096"]
STATUS_TEXT = {124: "timed out", 137: "killed"}


def parse_time_file(path):
    figures = {"wall": 0.0, "cpu": 0.0, "rss_kb": 0}
    with open(path, errors="replace") as f:
        for line in f:
            key, _, value = line.strip().rpartition(": ")
            if key.startswith("Elapsed (wall clock) time"):
                seconds = 0.0
                for part in value.split(":"):
                    seconds = seconds * 60 + float(part)
                figures["wall"] = seconds
            elif key in ("User time (seconds)", "System time (seconds)"):
                figures["cpu"] += float(value)
            elif key == "Maximum resident set size (kbytes)":
                figures["rss_kb"] = int(value)
    return figures


def add_row(results, site, tool, time_file, files, expected, status):
    f = parse_time_file(time_file)
    with open(results, "a") as out:
        out.write(f"{site}\t{tool}\t{f['wall']:.2f}\t{f['cpu']:.2f}\t{f['rss_kb']}\t{files}\t{expected}\t{status}\n")


def median_row(tries):
    with open(tries) as f:
        lines = [line for line in f if line.strip()]
    lines.sort(key=lambda line: float(line.split("\t")[2]))
    sys.stdout.write(lines[len(lines) // 2])


def read_meta(path):
    meta, sites, tools = {}, [], []
    with open(path) as f:
        for line in f:
            key, _, value = line.rstrip("\n").partition(" ")
            if key.startswith("site."):
                sites.append((key[5:], value))
            elif key.startswith("tool."):
                tools.append((key[5:], value))
            else:
                meta[key] = value
    return meta, sites, tools


def read_rows(path):
    rows = []
    with open(path) as f:
        for line in f:
            site, tool, wall, cpu, rss, files, expected, status = line.rstrip("\n").split("\t")
            rows.append({"site": site, "tool": tool, "wall": float(wall), "cpu": float(cpu),
                         "peak_mb": int(rss) / 1024.0, "files": int(files), "expected": int(expected),
                         "status": int(status)})
    return rows


def files_cell(row):
    text = f"{row['files']:,} of {row['expected']:,}"
    if row["files"] != row["expected"]:
        text += " (short)"
    if row["status"] != 0:
        text += f", exit {row['status']}"
        if row["status"] in STATUS_TEXT:
            text += f" ({STATUS_TEXT[row['status']]})"
    return text


def table(rows, site_names, tool_names):
    lines = ["| Site | Tool | Wall s | CPU s | Peak MB | Image files saved |", "|---|---|---:|---:|---:|---|"]
    for row in rows:
        lines.append(f"| {site_names.get(row['site'], row['site'])} | {tool_names.get(row['tool'], row['tool'])} "
                     f"| {row['wall']:.1f} | {row['cpu']:.1f} | {row['peak_mb']:.1f} | {files_cell(row)} |")
    return "\n".join(lines)


def chart(rows, sites, tool_names):
    """Horizontal bars of wall time, one group per site, each group on its own scale."""
    width, label_w, bar_w, bar_h, gap = 760, 190, 470, 18, 6
    tools_seen = []
    for row in rows:
        if row["tool"] not in tools_seen:
            tools_seen.append(row["tool"])
    colour = {t: TOOL_COLOURS[i % len(TOOL_COLOURS)] for i, t in enumerate(tools_seen)}
    parts, y = [], 30
    parts.append(f'<text x="10" y="20" font-size="15" font-weight="bold">Wall time, seconds '
                 f'(shorter is faster; each site on its own scale)</text>')
    for site, description in sites:
        group = [r for r in rows if r["site"] == site]
        if not group:
            continue
        y += 22
        parts.append(f'<text x="10" y="{y}" font-size="13" font-weight="bold">{html.escape(description)}</text>')
        y += 8
        top = max(r["wall"] for r in group) or 1.0
        for r in group:
            length = max(1.0, bar_w * r["wall"] / top)
            name = tool_names.get(r["tool"], r["tool"])
            parts.append(f'<text x="{label_w - 8}" y="{y + bar_h - 4}" font-size="12" text-anchor="end">'
                         f'{html.escape(name)}</text>')
            parts.append(f'<rect x="{label_w}" y="{y}" width="{length:.1f}" height="{bar_h}" '
                         f'fill="{colour[r["tool"]]}"/>')
            value = f"{r['wall']:.1f} s"
            if r["files"] != r["expected"] or r["status"] != 0:
                value += f"  ({r['files']:,} of {r['expected']:,} files)"
            parts.append(f'<text x="{label_w + length + 6:.1f}" y="{y + bar_h - 4}" font-size="12">'
                         f'{html.escape(value)}</text>')
            y += bar_h + gap
    height = y + 14
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}" font-family="DejaVu Sans, Arial, sans-serif">\n'
            f'<rect width="{width}" height="{height}" fill="white"/>\n' + "\n".join(parts) + "\n</svg>\n")


def markdown(meta, sites, tools, rows):
    site_names = {k: v for k, v in sites}
    tool_names = {k: v for k, v in tools}
    out = [
        "# Benchmark: Zorvel, Wget and Wget2",
        "",
        "Generated by `bench/run.sh`; do not edit by hand. Each tool crawls the same generated site on",
        "127.0.0.1 in turn, through nginx, and saves every image file (`.jpg`) to a link depth of 3.",
        "",
        "![Wall time per tool and site](benchmark.svg)",
        "",
        table(rows, site_names, tool_names),
        "",
        "Wall and CPU seconds (user + system) and peak memory (maximum resident set size) are",
        "those `/usr/bin/time -v` reports for the tool's process. \"Image files saved\" counts the",
        "`.jpg` files in the tool's download folder against the number the site holds."
        + (f" Each tool ran {meta['runs']} times on each site; a row is its run of median wall time."
           if meta.get("runs", "1") != "1" else ""),
        "",
        "## This run",
        "",
        f"- Date: {meta.get('date', '?')}",
        f"- Machine: {meta.get('machine', '?')}",
        f"- Load (uptime) before: {meta.get('load_before', '?')}; after: {meta.get('load_after', '?')}",
        f"- Whole run: {meta.get('duration', '?')}",
        f"- Network: {meta.get('network', '?')}",
        f"- Command: `{meta.get('command', 'bench/run.sh')}`",
        f"- Versions: {meta.get('versions', '?')}",
        "",
        "The machine is shared with other work while the benchmark runs (see the load), so the",
        "figures are noisy: compare tools within one run, not across runs or machines.",
        "",
        "## The sites",
        "",
    ]
    for name, description in sites:
        detail = meta.get("detail." + name)
        out.append(f"- {description}{': ' + detail if detail else ''}")
    out += ["", "## The tools", ""]
    for name, description in tools:
        out.append(f"- {tool_names[name]}: `{meta.get('cmd.' + name, '')}`")
    notes = meta.get("notes")
    if notes:
        out += ["", "## Notes", "", notes]
    return "\n".join(out) + "\n", table(rows, site_names, tool_names)


def update_readme(path, meta, table_text):
    with open(path) as f:
        text = f.read()
    block = (f"<!-- benchmark:start -->\n{table_text}\n\n"
             f"Measured {meta.get('date', '?')} on {meta.get('machine', '?')}, load {meta.get('load_before', '?')} "
             f"(shared, so noisy); details in [docs/benchmark.md](docs/benchmark.md).\n<!-- benchmark:end -->")
    new, n = re.subn(r"<!-- benchmark:start -->.*?<!-- benchmark:end -->", lambda m: block, text, flags=re.S)
    if n:
        with open(path, "w") as f:
            f.write(new)


def main():
    if sys.argv[1] == "row":
        add_row(*sys.argv[2:9])
        return
    if sys.argv[1] == "median":
        median_row(sys.argv[2])
        return
    results, meta_path, md_path, svg_path = sys.argv[2:6]
    meta, sites, tools = read_meta(meta_path)
    rows = read_rows(results)
    text, table_text = markdown(meta, sites, tools, rows)
    with open(md_path, "w") as f:
        f.write(text)
    with open(svg_path, "w") as f:
        f.write(chart(rows, sites, {k: v for k, v in tools}))
    if len(sys.argv) > 6:
        update_readme(sys.argv[6], meta, table_text)
    print(table_text)


if __name__ == "__main__":
    main()
