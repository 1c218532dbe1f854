#!/usr/bin/env python3
"""Writes docs/performance.md from one run of ./scripts/bench.

Reads, per benchmark, what it printed (<results>/<bench>.out) and its exit status (<bench>.rc),
plus <results>/machine.json. Each "@bench {json}" line of a benchmark is a title or a table row
(bench/BenchReport.h). A benchmark that printed none gets its output quoted instead, so a new one
shows up without changes here. The hand-written explanation of each benchmark,
docs/performance-notes/<bench>.md, is carried over below its table, once.

With --only, just those benchmarks' results are read; every other benchmark keeps the table (and
its rows in "Targets at a glance") that the document being rewritten already has, with its own
date and load, and gets its explanation from the notes folder as usual.
"""
import argparse
import json
import pathlib
import re


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
    load_file = results / f"{name}.load"
    bench["load"] = load_file.read_text().strip() if load_file.exists() else ""
    targets = [row["target"] for row in bench["rows"] if row.get("target")]
    bench["order"] = min(targets) if targets else 99
    return bench


def met_text(row):
    if "met" not in row:
        return "reported" if row.get("target") else ""
    if row["met"]:
        return "met"
    return row.get("verdict") or "**missed**"


def checked(row):
    """A row that checks a bound: a numbered target, or a stated bound with its verdict."""
    return bool(row.get("target")) or "met" in row


def target_text(row):
    return f"#{row['target']} {row.get('targetText', '')}" if row.get("target") else row.get("targetText", "")


def split_sections(text):
    """The sections ("## Title" up to the next one) of a written document, keyed by heading."""
    sections = {}
    heading = None
    for line in text.splitlines():
        if line.startswith("## "):
            heading = line[3:].strip()
            sections[heading] = []
        elif heading is not None:
            sections[heading].append(line)
    return sections


def kept_benches(old_doc, skip, notes):
    """The benchmarks of a written document that this run leaves alone: their heading, their
    generated part (the run line, the table, a quoted output) and their rows of the glance table."""
    if not old_doc.exists():
        return []
    sections = split_sections(old_doc.read_text())
    glance = [line for line in sections.get("Targets at a glance", []) if line.startswith("| ") and not line.startswith("| Target |")]
    kept = []
    for heading, lines in sections.items():
        run_at = next((i for i, line in enumerate(lines) if re.match(r"^`bench_\w+`, run ", line)), None)
        if run_at is None:
            continue
        name = re.match(r"^`(bench_\w+)`", lines[run_at]).group(1)
        if name in skip:
            continue
        # The generated part ends where the hand-written notes begin: at their first line when
        # they are there, else after the table and any quoted output that follow the run line.
        note = notes / f"{name}.md"
        first_note_line = next((line for line in note.read_text().splitlines() if line.strip()), None) if note.exists() else None
        if first_note_line is not None and first_note_line in lines[run_at + 1:]:
            end = lines.index(first_note_line, run_at + 1)
            generated = lines[run_at:end]
            while generated and not generated[-1].strip():
                generated.pop()
            kept.append(kept_entry(name, heading, generated, glance))
            continue
        end = run_at + 1
        in_quote = False
        while end < len(lines):
            line = lines[end]
            if line.startswith("```"):
                in_quote = not in_quote
            elif not in_quote and line.strip() and not line.startswith("|"):
                break
            end += 1
        kept.append(kept_entry(name, heading, lines[run_at:end], glance))
    return kept


def kept_entry(name, heading, generated, glance):
    rows = [line for line in glance if line.split("|")[2].strip().startswith(f"{heading}: ")]
    numbers = [int(m.group(1)) for line in rows for m in [re.match(r"^\| #(\d+) ", line)] if m]
    return {"name": name, "title": heading, "generated": generated, "glance": rows,
            "order": min(numbers) if numbers else 99}


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
    parser.add_argument("--only", default="", help="comma-separated benchmarks run now; the others are kept")
    args = parser.parse_args()

    machine = json.loads((args.results / "machine.json").read_text())
    only = [name for name in args.only.split(",") if name]
    names = sorted(p.stem for p in args.results.glob("*.rc") if not only or p.stem in only)
    benches = [read_bench(args.results, n) for n in names]
    for bench in benches:
        bench["generated"] = None
    if only:
        benches += kept_benches(args.out, set(names), args.notes)
    benches.sort(key=lambda b: (b["order"], b["name"]))

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
    if only:
        doc[-1] += (
            f" This run measured only {', '.join(f'`{n}`' for n in names)}; the other tables are kept from "
            "earlier runs, each with its own date and load under its heading."
        )
    doc.append("")
    intro = args.notes / "_intro.md"
    if intro.exists():
        doc.append(intro.read_text().strip())
        doc.append("")

    doc += ["## Targets at a glance", "", "| Target | Case | Ours | Met |", "|---|---|---|---|"]
    glance = []
    for order, bench in enumerate(benches):
        for row in bench.get("rows", []):
            if checked(row):
                glance.append(((row.get("target") or 99, order), (
                    f"| {cell(target_text(row))} | {cell(bench['title'])}: {cell(row['name'])} | "
                    f"{number(row['ours']['value'], row['ours']['unit'])} | {met_text(row)} |")))
        for line in bench.get("glance", []):
            match = re.match(r"^\| #(\d+) ", line)
            glance.append(((int(match.group(1)) if match else 99, order), line))
    doc += [line for _, line in sorted(glance, key=lambda item: item[0])]
    doc.append("")

    noted = set()
    for bench in benches:
        doc += [f"## {bench['title']}", ""]
        if bench["generated"] is not None:
            doc += [*bench["generated"]]
            if doc[-1].strip():
                doc.append("")
        else:
            status = "" if bench["rc"] == 0 else f" **Exited with status {bench['rc']}.**"
            load = f", load average {bench['load']} at its start" if bench["load"] else ""
            doc.append(
                f"`{bench['name']}`, run {bench['date']}, {bench['seconds']} s{load}.{status} {bench['about']}".strip()
            )
            doc.append("")
            if bench["rows"]:
                doc += [table(bench), ""]
            if not bench["rows"] or bench["rc"] != 0:
                tail = [line for line in bench["plain"] if line.strip()][-40:]
                doc += ["```", *tail, "```", ""]
        note = args.notes / f"{bench['name']}.md"
        if note.exists() and bench["name"] not in noted:
            noted.add(bench["name"])
            doc += [note.read_text().strip(), ""]

    args.out.write_text("\n".join(doc).rstrip() + "\n")


if __name__ == "__main__":
    main()
