#!/usr/bin/python3
# -*- coding: utf-8 -*-
"""Gathers the reports of one run of the orvex role into a summary across the sites."""

from __future__ import annotations

import json
import os

from ansible.module_utils.basic import AnsibleModule

DOCUMENTATION = r"""
module: orvex_summary
short_description: One view of every site's results in a run of the orvex role
description:
  - Reads every SITE-ACTION.json report in a run's folder (on the controller) and writes
    summary.json there: per site, the action, the cameras by outcome, and the failed
    cameras with their reason; returns the same as a short table.
options:
  folder:
    description: The run's report folder.
    type: path
    required: true
  run_id:
    description: The run's id.
    type: str
    required: true
author: The Orvex developers
"""

FAILED = {"failed", "not verified", "interrupted", "not started"}


def rows_of(document):
    kind = document.get("report")
    if kind == "scan":
        return [("found", c.get("mac", ""), "") for c in document.get("cameras", [])] + [
            ("adapter failed", f.get("adapter_ip", ""), f.get("reason", "")) for f in document.get("failures", [])]
    if kind == "set":
        return [(r.get("verification", ""), r.get("mac", ""), r.get("result_text", ""))
                for r in document.get("results", [])]
    if kind == "upgrade":
        return [(r.get("verdict", ""), r.get("host", ""), r.get("reason", "") or r.get("text", ""))
                for r in document.get("results", [])]
    return []


def main():
    module = AnsibleModule(argument_spec=dict(folder=dict(type="path", required=True),
                                              run_id=dict(type="str", required=True)),
                           supports_check_mode=True)
    folder = module.params["folder"]
    sites = {}
    for name in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
        if not name.endswith(".json") or name == "summary.json" or "-" not in name:
            continue
        site, action = name[:-5].rsplit("-", 1)
        try:
            with open(os.path.join(folder, name), encoding="utf-8") as f:
                document = json.load(f)
        except (OSError, ValueError) as error:
            sites[site] = {"action": action, "report": name, "unreadable": str(error)}
            continue
        outcomes, failed = {}, []
        for outcome, camera, reason in rows_of(document):
            outcomes[outcome] = outcomes.get(outcome, 0) + 1
            if outcome in FAILED or outcome == "adapter failed":
                failed.append({"camera": camera, "outcome": outcome, "reason": reason})
        sites[site] = {"action": action, "report": name, "outcomes": outcomes, "failed": failed}
    summary = {"run_id": module.params["run_id"], "sites": sites}
    with open(os.path.join(folder, "summary.json"), "w", encoding="utf-8") as f:
        json.dump(summary, f, indent=2, sort_keys=True)
        f.write("\n")
    table = ["run %s: %d site(s)" % (module.params["run_id"], len(sites))]
    for site, s in sites.items():
        counts = ", ".join("%s %d" % kv for kv in sorted(s.get("outcomes", {}).items())) or "no report"
        line = "%s %s: %s" % (site, s["action"], counts)
        if s.get("failed"):
            line += " | failed: " + "; ".join(
                "%s %s%s" % (f["camera"], f["outcome"], " (%s)" % f["reason"] if f["reason"] else "")
                for f in s["failed"][:5])
        table.append(line)
    module.exit_json(changed=False, summary=summary, table=table)


if __name__ == "__main__":
    main()
