#!/usr/bin/env python3
"""Writes docs/performance.md from one run of ./scripts/bench.

Reads, per benchmark, what it printed (<results>/<bench>.out) and its exit status (<bench>.rc),
plus <results>/machine.json. Each "@bench {json}" line of a benchmark is a title or a table row
(bench/BenchReport.h). A benchmark that printed none gets its output quoted instead, so a new one
shows up without changes here. The hand-written explanation of each benchmark,
docs/performance-notes/<bench>.md, is carried over below its table.
"""
import argparse
import json
import pathlib


def number(value, unit):
    if value is None:
        return "-"
    magnitude = abs(value)
    if magnitude >= 100 or unit in ("B",) or float(value).is_integer() and magnitude >= 10:
        text = f"{value:,.0f}"
    elif magnitude >= 10:
        text = f"{value:.1f}"
    elif magnitude >= 1:
        text = f"{value:.2f}"
    else:
        text = f"{value:.3f}"
    return f"{text} {unit}".strip()


def ratio(ours, baseline):
    if not baseline or baseline["value"] == 0 or baseline["unit"] != ours["unit"]:
        return "-"
    value = ours["value"] / baseline["value"]
    return f"{value:.2f}x" if value < 10 else f"{value:.0f}x"


def cell(text):
    return str(text).replace("|", "\\|").replace("\n", " ")


def read_bench(results, name):
    out_file = results / f"{name}.out"
    lines = out_file.read_text(errors="replace").splitlines() if out_file.exists() else []
    bench = {"name": name, "title": name, "about": "", "rows": [], "plain": []}
    for line in lines:
        if line.startswith("@bench "):
            try:
                entry = json.loads(line[7:])
            except json.JSONDecodeError:
                bench["plain"].append(line)
                continue
            if entry.get("type") == "title":
                bench["title"] = entry.get("title", name)
                bench["about"] = entry.get("about", "")
            elif entry.get("type") == "row":
                bench["rows"].append(entry)
        else:
            bench["plain"].append(line)
    rc_file = results / f"{name}.rc"
    bench["rc"] = int(rc_file.read_text().strip() or 1) if rc_file.exists() else None
    seconds_file = results / f"{name}.seconds"
    bench["seconds"] = seconds_file.read_text().strip() if seconds_file.exists() else "?"
    date_file = results / f"{name}.date"
    bench["date"] = date_file.read_text().strip() if date_file.exists() else "?"
    targets = [row["target"] for row in bench["rows"] if row.get("target")]
    bench["order"] = min(targets) if targets else 99
    return bench


def met_text(row):
    if "met" not in row:
        return "reported" if row.get("target") else ""
    return "met" if row["met"] else "**missed**"


def table(bench):
    lines = [
        "| Case | Ours | Baseline(s), same run | Ratio ours / baseline | Target | Met | Details |",
        "|---|---|---|---|---|---|---|",
    ]
    for row in bench["rows"]:
        ours = row["ours"]
        baselines = row.get("baselines", [])
        base_text = "<br>".join(f"{cell(b['label'])}: {number(b['value'], b['unit'])}" for b in baselines) or "-"
        ratio_text = "<br>".join(ratio(ours, b) for b in baselines) or "-"
        target = f"#{row['target']}: {row.get('targetText', '')}" if row.get("target") else row.get("targetText", "")
        lines.append(
            f"| {cell(row['name'])} | {cell(ours['label'])}: {number(ours['value'], ours['unit'])} | {base_text} | "
            f"{ratio_text} | {cell(target)} | {met_text(row)} | {cell(row.get('detail', ''))} |"
        )
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--results", required=True, type=pathlib.Path)
    parser.add_argument("--notes", required=True, type=pathlib.Path)
    parser.add_argument("--out", required=True, type=pathlib.Path)
    args = parser.parse_args()

    machine = json.loads((args.results / "machine.json").read_text())
    names = sorted(p.stem for p in args.results.glob("*.rc"))
    benches = sorted((read_bench(args.results, n) for n in names), key=lambda b: (b["order"], b["name"]))

    doc = ["# Performance", ""]
    doc.append(
        "Written by `./scripts/bench` from one run; do not edit by hand (the explanations below each table "
        "come from `docs/performance-notes/<benchmark>.md`). Every baseline was measured in the same run as "
        "the figure beside it, on the same bytes; ratios are ours divided by the baseline (below 1 means "
        "Norvane is faster or smaller)."
    )
    doc.append("")
    doc.append(
        f"Machine: {machine['cpu']}, {machine['cores']} cores, {machine['ram']} RAM, load average at start "
        f"{machine['load']}; {machine['os']}; build {machine['build']} at {machine['commit']}; written "
        f"{machine['date']} after a run of {machine.get('seconds', '?')} s (each benchmark's own date is under its heading)."
    )
    doc.append("")
    intro = args.notes / "_intro.md"
    if intro.exists():
        doc.append(intro.read_text().strip())
        doc.append("")

    doc += ["## Targets at a glance", "", "| Target | Case | Ours | Met |", "|---|---|---|---|"]
    checked = sorted(
        ((row["target"], bench["title"], row) for bench in benches for row in bench["rows"] if row.get("target")),
        key=lambda item: item[0],
    )
    for target, title, row in checked:
        doc.append(
            f"| #{target} {cell(row.get('targetText', ''))} | {cell(title)}: {cell(row['name'])} | "
            f"{number(row['ours']['value'], row['ours']['unit'])} | {met_text(row)} |"
        )
    doc.append("")

    for bench in benches:
        doc += [f"## {bench['title']}", ""]
        status = "" if bench["rc"] == 0 else f" **Exited with status {bench['rc']}.**"
        doc.append(f"`{bench['name']}`, run {bench['date']}, {bench['seconds']} s.{status} {bench['about']}".strip())
        doc.append("")
        if bench["rows"]:
            doc += [table(bench), ""]
        if not bench["rows"] or bench["rc"] != 0:
            tail = [line for line in bench["plain"] if line.strip()][-40:]
            doc += ["```", *tail, "```", ""]
        note = args.notes / f"{bench['name']}.md"
        if note.exists():
            doc += [note.read_text().strip(), ""]

    args.out.write_text("\n".join(doc).rstrip() + "\n")


if __name__ == "__main__":
    main()
