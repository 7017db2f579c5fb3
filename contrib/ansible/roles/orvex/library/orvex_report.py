#!/usr/bin/python3
# -*- coding: utf-8 -*-
"""Judges an orvexctl JSON report for the orvex role."""

from __future__ import annotations

import base64
import binascii
import json

from ansible.module_utils.basic import AnsibleModule

DOCUMENTATION = r"""
module: orvex_report
short_description: Judge the JSON report of one orvexctl run at a site
description:
  - Reads the report orvexctl scan, set or upgrade wrote (schema 1) and says what the run
    did to the site's cameras, as Ansible sees changes and failures.
  - C(changed) when a camera was changed (set, upgrade), or in a dry run would be.
  - Fails when a camera failed, was not verified, was interrupted or was not started,
    naming the first cameras with the reason of each and orvexctl's own message; a scan
    fails when every adapter failed, and warns when some did or when no camera answered.
  - In diff mode the diff shows each camera's fields (set) or version (upgrade) before and
    after.
options:
  action:
    description: The orvexctl command that wrote the report.
    type: str
    required: true
    choices: [scan, set, upgrade]
  report_b64:
    description: The report as orvexctl wrote it on standard output, in base64 (so that
      Ansible passes it on as it is, not as data of its own).
    type: str
    required: true
  rc:
    description: orvexctl's exit status.
    type: int
    required: true
  stderr:
    description: What orvexctl said on standard error.
    type: str
    default: ""
  fail_on_empty_scan:
    description: A scan that found no camera fails the site rather than warning.
    type: bool
    default: false
  named:
    description: How many failed cameras the failure message names.
    type: int
    default: 5
author: The Orvex developers
"""

RETURN = r"""
cameras:
  description: How many cameras the report lists.
  type: int
changed_cameras:
  description: The cameras changed (or, in a dry run, to be changed), by MAC or address.
  type: list
failed_cameras:
  description: The cameras that failed, each with its reason.
  type: list
outcomes:
  description: The number of cameras of each outcome.
  type: dict
"""

FAILED = {"failed", "not verified", "interrupted", "not started"}
CHANGED = {"verified", "would change", "would upgrade"}


def set_rows(document):
    rows = []
    for row in document.get("results", []):
        verdict = row.get("verification", "")
        why = row.get("result_text", "")
        before = "".join("%s: %s\n" % (c["field"], c["old"]) for c in row.get("changes", []))
        after = "".join("%s: %s\n" % (c["field"], c["new"]) for c in row.get("changes", []))
        rows.append((row.get("mac", ""), verdict, why, before, after))
    return rows


def upgrade_rows(document):
    rows = []
    for row in document.get("results", []):
        verdict = row.get("verdict", "")
        why = row.get("reason", "") or row.get("text", "")
        after = row.get("version_after", "") or row.get("expected", "")
        rows.append((row.get("host", ""), verdict, why, "version: %s\n" % row.get("version_before", ""),
                     "version: %s\n" % after))
    return rows


def judge_scan(module, document, result):
    cameras = document.get("cameras", [])
    adapters = document.get("adapters", [])
    failures = document.get("failures", [])
    result["cameras"] = len(cameras)
    result["outcomes"] = {"found": len(cameras), "adapters failed": len(failures)}
    reasons = ["%s: %s" % (f.get("adapter_ip", "?"), f.get("reason", "")) for f in failures]
    if adapters and len(failures) >= len(adapters):
        module.fail_json(msg="every adapter failed: " + "; ".join(reasons), **result)
    if failures:
        module.warn("%d adapter(s) failed: %s" % (len(failures), "; ".join(reasons)))
    if not cameras:
        if module.params["fail_on_empty_scan"]:
            module.fail_json(msg="no camera answered the scan", **result)
        module.warn("no camera answered the scan")
    result["msg"] = "%d camera(s) found" % len(cameras)
    module.exit_json(**result)


def main():
    module = AnsibleModule(
        argument_spec=dict(
            action=dict(type="str", required=True, choices=["scan", "set", "upgrade"]),
            report_b64=dict(type="str", required=True),
            rc=dict(type="int", required=True),
            stderr=dict(type="str", default=""),
            fail_on_empty_scan=dict(type="bool", default=False),
            named=dict(type="int", default=5),
        ),
        supports_check_mode=True,
    )
    p = module.params
    said = p["stderr"].strip()
    result = dict(changed=False, changed_cameras=[], failed_cameras=[], outcomes={}, cameras=0)
    try:
        text = base64.b64decode(p["report_b64"]).decode("utf-8")
        document = json.loads(text) if text.strip() else None
    except (ValueError, binascii.Error):
        document = None
    if not isinstance(document, dict) or document.get("report") != p["action"]:
        module.fail_json(msg="orvexctl %s (exit status %d) wrote no report: %s"
                         % (p["action"], p["rc"], said or "no message"), **result)
    if document.get("schema") != 1:
        module.fail_json(msg="the report has schema %r; this role reads schema 1 (orvexctl %s)"
                         % (document.get("schema"), document.get("orvexctl")), **result)
    if p["rc"] not in (0, 1):
        module.fail_json(msg="orvexctl %s ended with status %d: %s" % (p["action"], p["rc"], said), **result)
    if p["action"] == "scan":
        judge_scan(module, document, result)

    rows = set_rows(document) if p["action"] == "set" else upgrade_rows(document)
    before, after = "", ""
    for name, verdict, why, old, new in rows:
        result["outcomes"][verdict] = result["outcomes"].get(verdict, 0) + 1
        if verdict in CHANGED:
            result["changed_cameras"].append(name)
            before += "[%s]\n%s" % (name, old)
            after += "[%s]\n%s" % (name, new)
        if verdict in FAILED:
            result["failed_cameras"].append("%s (%s%s)" % (name, verdict, ": " + why if why else ""))
    result["cameras"] = len(rows)
    result["changed"] = bool(result["changed_cameras"])
    if module._diff and result["changed"]:
        result["diff"] = dict(before=before, after=after,
                              before_header="cameras before", after_header="cameras after")
    failed = result["failed_cameras"]
    if failed or p["rc"] != 0:
        shown = ", ".join(failed[: p["named"]]) + (" and %d more" % (len(failed) - p["named"])
                                                   if len(failed) > p["named"] else "")
        module.fail_json(msg="%d camera(s) failed or not verified: %s%s"
                         % (len(failed), shown or "none named", (" | orvexctl: " + said) if said else ""),
                         **result)
    result["msg"] = "%d camera(s) %s: %s" % (len(result["changed_cameras"]),
                                             "would change" if document_dry(rows) else "changed",
                                             ", ".join(result["changed_cameras"]))
    module.exit_json(**result)


def document_dry(rows):
    return any(verdict.startswith("would ") for _, verdict, _, _, _ in rows)


if __name__ == "__main__":
    main()
